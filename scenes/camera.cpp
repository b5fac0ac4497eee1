#include "scenes/camera_internal.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "toolkit/tarvok.h"
#include "runtime/timeline.h"

namespace {
constexpr double orbitend = timeline::cellsin;

// The opening orbit around the landscape, with a cut to a second orbit at s = 0.475.
void orbit(double t) {
  const double s = t * 0.03432297923459756;
  double w = s + 0.06;
  if (s < 0.475) {
    glTranslatef(0, 0, static_cast<float>(-3 * std::sin(24 * w) - 24));
    glRotatef(static_cast<float>((std::cos(13 * w) + 1) * 40), 1, 0, 0);
    glRotatef(static_cast<float>(std::cos(3.141592 * s) * 360), 0, 1, 0);
    glRotatef(static_cast<float>(-10 * std::sin(9 * w)), 0, 0, 1);
    return;
  }
  if (s < 0.71) w -= 0.23;
  glTranslatef(0, 0, static_cast<float>(-3 * std::cos(24 * w) - 24));
  if (s >= 0.95) {
    const float closer = sineinterpolate2(0, 1, static_cast<float>((20 * (s - 0.95) + 1) * 0.5));
    glTranslatef(0, 0, 16 * closer);
  }
  glRotatef(static_cast<float>((std::sin(10 * w) + 1) * 40), 1, 0, 0);
  glRotatef(static_cast<float>(std::cos(3.141592 * s) * -180), 0, 1, 0);
  glRotatef(static_cast<float>(-10 * std::sin(14 * w)), 0, 0, 1);
}

// Whether the view shakes at demo time t, and with what amplitude in degrees.
bool camerashake(double t, float& amplitude) {
  amplitude = 0;
  if (t <= 4.35) return false;
  if (t < 12.209) {
    double a = std::min((t - 4.35) * 0.2254283137962128, 1.0);
    if (t >= 10.269) a *= 1 - (t - 10.269) * 0.5154639175257734;
    amplitude = static_cast<float>(a);
    return true;
  }
  if (t <= orbitend) return false;
  if (t < 56.475) {
    const double x = (t - 35.901) * 0.048428495326650216;
    amplitude = static_cast<float>(x <= 0.75 ? 0.2 : (x - 0.75) * 1.6 + 0.2);
    return true;
  }
  if (t <= timeline::worms1in || t == timeline::worms2in) return false;
  if (t < timeline::returnin) {
    amplitude = 0.2f;
    return true;
  }
  if (t < timeline::burstin) {
    amplitude = static_cast<float>(0.2 + (t - timeline::returnin) * 0.19047619047619102);
    return true;
  }
  if (t < 139.849) {
    amplitude = static_cast<float>(0.8 - 0.6 * (t - timeline::burstin));
    return true;
  }
  return false;
}
}  // namespace

void cameraat(double t) {
  float amplitude = 0;
  const bool shake = camerashake(t, amplitude);
  glLoadIdentity();
  // Reseeding from the time makes the shake jitter every frame yet repeat for the same moment.
  srand(timeseed(static_cast<float>(t)));
  if (shake) {
    glRotatef(randfloat() * amplitude, 1, 0, 0);
    glRotatef(randfloat() * amplitude, 0, 1, 0);
    glRotatef(randfloat() * amplitude, 0, 0, 1);
  }
  if (t <= orbitend) orbit(t);
}

void initcamera() {}

void camera(float progress) { cameraat(timeline::landscapeend * progress); }

void freecamera() {}
