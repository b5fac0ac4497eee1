#pragma once
// What every instrument writes its note through: one note's samples, panned, shelved and at its
// voice's level, plus the small helpers they share.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "assets/music/synth.h"
#include "assets/music/voices.h"

namespace musicgen {

// The kick and the heartbeat tom are shelved below this.
constexpr float shelffrequency = 100.0f;

// Collects one note's stereo samples, shelved and with a constant-power pan.
class Writer {
 public:
  // gain: the voice's level; lowshelf: its gain below `shelffrequency`.
  Writer(const Note& note, size_t frames, Sounding& sound, float gain, float lowshelf)
      : frames(frames), sound(sound), lowshelf(lowshelf) {
    sound.start = static_cast<size_t>(std::llround(note.time * samplerate));
    const float angle = (clampunit(0.5f * (note.pan + 1.0f))) * 0.5f * pi;
    const float level = gain * note.velocity * std::sqrt(2.0f);
    gains[0] = level * std::cos(angle);
    gains[1] = level * std::sin(angle);
    for (Filter& shelf : shelves) shelf.tune(shelffrequency, 0);
  }
  // n counts up from 0. False once the note runs past the end of the piece.
  bool put(size_t n, float left, float right) {
    if (sound.start + n >= frames) return false;
    sound.left.push_back(shelved(0, left) * gains[0]);
    sound.right.push_back(shelved(1, right) * gains[1]);
    return true;
  }
  bool put(size_t n, float mono) { return put(n, mono, mono); }

 private:
  float shelved(int side, float v) {
    if (lowshelf == 1.0f) return v;
    return v + (lowshelf - 1.0f) * shelves[side].lowpass(v);
  }

  size_t frames;
  Sounding& sound;
  float lowshelf;
  Filter shelves[2];
  float gains[2] = {0, 0};
};

inline size_t samples(double seconds) { return static_cast<size_t>(seconds * samplerate); }
inline float seconds(size_t n) { return static_cast<float>(n) / samplerate; }
inline uint32_t seedof(const Note& note) {
  return static_cast<uint32_t>(std::llround(note.time * samplerate)) * 2654435761u +
         static_cast<uint32_t>(note.voice) * 40503u + static_cast<uint32_t>(note.pitch * 7);
}

// A short linear fade-in that keeps sharp attacks from clicking.
inline float declick(float t, float width = 0.0015f) { return t < width ? t / width : 1.0f; }

}  // namespace musicgen
