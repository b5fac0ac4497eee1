#pragma once
// A small geometric stroke font for the texture generator: every glyph is a few straight and
// circular strokes along centre lines, and text is drawn from the distance to the nearest stroke.
// That one distance gives crisp anti-aliased letters at any size, outlines and glows alike.
// Glyph units: x-height 1, baseline at y = 0, y upwards; ascenders reach 1.42, descenders -0.42.
#include <cmath>
#include <string>
#include <vector>

namespace texgen {

struct Stroke {
  bool arc;
  float ax, ay, bx, by;  // segment: end points; arc: centre (ax, ay) and radius bx
  float from, to;        // arc: angles in degrees, counter-clockwise from `from` to `to`
};

inline Stroke seg(float ax, float ay, float bx, float by) { return {false, ax, ay, bx, by, 0, 0}; }
inline Stroke arc(float cx, float cy, float r, float from, float to) {
  return {true, cx, cy, r, 0, from, to};
}

struct Glyph {
  float advance;  // width of the glyph's centre lines
  std::vector<Stroke> strokes;
};

inline std::vector<Stroke> bowl(std::vector<Stroke> rest) {
  rest.push_back(arc(0.42f, 0.5f, 0.42f, 0, 360));
  return rest;
}

inline Glyph glyphfor(char c) {
  switch (c) {
    case 'T':
      return {0.9f, {seg(0, 1.42f, 0.9f, 1.42f), seg(0.45f, 1.42f, 0.45f, 0.08f)}};
    case 'a':
      return {0.84f, bowl({seg(0.84f, 0.08f, 0.84f, 0.92f)})};
    case 'b':
      return {0.84f, bowl({seg(0, 0.08f, 0, 1.42f)})};
    case 'c':
      return {0.8f, {arc(0.42f, 0.5f, 0.42f, 45, 315)}};
    case 'd':
      return {0.84f, bowl({seg(0.84f, 0.08f, 0.84f, 1.42f)})};
    case 'e':
      return {0.84f, {arc(0.42f, 0.5f, 0.42f, 0, 315), seg(0, 0.5f, 0.84f, 0.5f)}};
    case 'f':
      return {0.6f,
              {seg(0.2f, 0.08f, 0.2f, 1.2f), arc(0.42f, 1.2f, 0.22f, 30, 180),
               seg(0, 0.92f, 0.5f, 0.92f)}};
    case 'g':
      return {0.84f, bowl({seg(0.84f, 0.92f, 0.84f, 0), arc(0.42f, 0, 0.42f, 200, 360)})};
    case 'i':
      return {0, {seg(0, 0.08f, 0, 0.92f), seg(0, 1.3f, 0, 1.3f)}};
    case 'k':
      return {
          0.62f,
          {seg(0, 0.08f, 0, 1.42f), seg(0, 0.35f, 0.6f, 0.92f), seg(0.22f, 0.55f, 0.62f, 0.08f)}};
    case 'l':
      return {0, {seg(0, 0.08f, 0, 1.42f)}};
    case 'm':
      return {
          1.2f,
          {seg(0, 0.08f, 0, 0.92f), arc(0.3f, 0.62f, 0.3f, 0, 180), seg(0.6f, 0.62f, 0.6f, 0.08f),
           arc(0.9f, 0.62f, 0.3f, 0, 180), seg(1.2f, 0.62f, 1.2f, 0.08f)}};
    case 'n':
      return {0.76f,
              {seg(0, 0.08f, 0, 0.92f), arc(0.38f, 0.54f, 0.38f, 0, 180),
               seg(0.76f, 0.54f, 0.76f, 0.08f)}};
    case 'o':
      return {0.84f, bowl({})};
    case 'p':
      return {0.84f, bowl({seg(0, -0.42f, 0, 0.92f)})};
    case 'r':
      return {0.6f, {seg(0, 0.08f, 0, 0.92f), arc(0.4f, 0.5f, 0.4f, 60, 180)}};
    case 's':
      return {0.5f, {arc(0.25f, 0.71f, 0.21f, 20, 270), arc(0.25f, 0.29f, 0.21f, -160, 90)}};
    case 't':
      return {0.6f,
              {seg(0.2f, 1.3f, 0.2f, 0.3f), arc(0.5f, 0.3f, 0.3f, 180, 270),
               seg(0, 0.92f, 0.55f, 0.92f)}};
    case 'v':
      return {0.8f, {seg(0, 0.92f, 0.4f, 0.08f), seg(0.4f, 0.08f, 0.8f, 0.92f)}};
    case 'w':
      return {1.12f,
              {seg(0, 0.92f, 0.28f, 0.08f), seg(0.28f, 0.08f, 0.56f, 0.7f),
               seg(0.56f, 0.7f, 0.84f, 0.08f), seg(0.84f, 0.08f, 1.12f, 0.92f)}};
    case 'y':
      return {0.8f, {seg(0, 0.92f, 0.4f, 0.08f), seg(0.8f, 0.92f, 0.162f, -0.42f)}};
    case '0':
      return {0.74f,
              {arc(0.37f, 1.05f, 0.37f, 0, 180), arc(0.37f, 0.45f, 0.37f, 180, 360),
               seg(0, 0.45f, 0, 1.05f), seg(0.74f, 0.45f, 0.74f, 1.05f)}};
    case '1':
      return {0.4f, {seg(0.1f, 1.2f, 0.4f, 1.42f), seg(0.4f, 1.42f, 0.4f, 0.08f)}};
    case '2':
      return {0.7f,
              {arc(0.35f, 1.07f, 0.35f, -40, 180), seg(0.618f, 0.845f, 0, 0.08f),
               seg(0, 0.08f, 0.7f, 0.08f)}};
    case '3':
      return {0.7f, {arc(0.33f, 1.08f, 0.32f, -90, 150), arc(0.33f, 0.42f, 0.36f, -150, 90)}};
    case '4':
      return {0.75f,
              {seg(0.55f, 0.08f, 0.55f, 1.42f), seg(0.55f, 1.42f, 0, 0.45f),
               seg(0, 0.45f, 0.75f, 0.45f)}};
    case '5':
      return {0.75f,
              {seg(0.65f, 1.42f, 0.08f, 1.42f), seg(0.08f, 1.42f, 0.05f, 0.8f),
               arc(0.36f, 0.45f, 0.38f, -140, 125)}};
    case '6':
      return {0.74f, {arc(0.37f, 0.42f, 0.37f, 0, 360), seg(0.02f, 0.45f, 0.5f, 1.42f)}};
    case '7':
      return {0.7f, {seg(0, 1.42f, 0.7f, 1.42f), seg(0.7f, 1.42f, 0.2f, 0.08f)}};
    case '8':
      return {0.72f, {arc(0.36f, 1.08f, 0.3f, 0, 360), arc(0.36f, 0.42f, 0.36f, 0, 360)}};
    case '9':
      return {0.74f, {arc(0.37f, 1.0f, 0.37f, 0, 360), seg(0.72f, 0.97f, 0.24f, 0.08f)}};
    case '.':
      return {0, {seg(0, 0.08f, 0, 0.08f)}};
    default:
      return {0.4f, {}};  // space, and anything the font does not draw
  }
}

inline float segmentdistance(float px, float py, float ax, float ay, float bx, float by) {
  const float dx = bx - ax, dy = by - ay;
  const float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

inline float arcdistance(float px, float py, const Stroke& s) {
  constexpr float degree = 0.017453292f;
  const float dx = px - s.ax, dy = py - s.ay;
  float angle = std::atan2(dy, dx) / degree;
  while (angle < s.from) angle += 360;
  while (angle >= s.from + 360) angle -= 360;
  if (angle <= s.to) return std::fabs(std::hypot(dx, dy) - s.bx);
  const float e0x = s.ax + s.bx * std::cos(s.from * degree),
              e0y = s.ay + s.bx * std::sin(s.from * degree);
  const float e1x = s.ax + s.bx * std::cos(s.to * degree),
              e1y = s.ay + s.bx * std::sin(s.to * degree);
  return std::fmin(std::hypot(px - e0x, py - e0y), std::hypot(px - e1x, py - e1y));
}

inline float strokedistance(float px, float py, const Stroke& s) {
  return s.arc ? arcdistance(px, py, s) : segmentdistance(px, py, s.ax, s.ay, s.bx, s.by);
}

// A line of text placed in pixel space: the strokes already moved and scaled, y downwards.
class TextLine {
 public:
  // left: x of the first glyph's left centre line; baseline: pixel row of y = 0; scale: pixels
  // per x-height; spacing: gap between glyphs in x-heights.
  TextLine(const std::string& text, float left, float baseline, float scale, float spacing) {
    float x = left;
    for (char c : text) {
      const Glyph g = glyphfor(c);
      for (Stroke s : g.strokes) strokes.push_back(place(s, x, baseline, scale));
      x += (g.advance + spacing) * scale;
    }
  }

  // Distance in pixels from (px, py) to the nearest stroke centre line.
  float distance(float px, float py) const {
    float best = 1e9f;
    for (const Stroke& s : strokes) best = std::fmin(best, strokedistance(px, py, s));
    return best;
  }

  // Width in x-heights of a text at the given spacing, for centring before placing it.
  static float measure(const std::string& text, float spacing) {
    float w = 0;
    for (char c : text) w += glyphfor(c).advance + spacing;
    return text.empty() ? 0 : w - spacing;
  }

 private:
  static Stroke place(Stroke s, float x, float baseline, float scale) {
    s.ax = x + s.ax * scale;
    s.ay = baseline - s.ay * scale;
    if (s.arc) {
      // Flipping y turns counter-clockwise into clockwise: mirror the angle range.
      s.bx *= scale;
      const float from = -s.to, to = -s.from;
      s.from = from;
      s.to = to;
    } else {
      s.bx = x + s.bx * scale;
      s.by = baseline - s.by * scale;
    }
    return s;
  }

  std::vector<Stroke> strokes;
};

}  // namespace texgen
