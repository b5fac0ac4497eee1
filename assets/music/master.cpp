#include "assets/music/master.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

#include "assets/music/loudness.h"
#include "assets/music/parallel.h"
#include "assets/music/synth.h"
#include "runtime/timeline.h"

namespace musicgen {
namespace {

// Loudest stretch of the mix going into the limiter, as RMS of both channels.
constexpr float loudesttarget = 0.3f;  // about -10.5 dBFS
// The finished track, decoded: as loud as streaming services play music (-14 LUFS), its peaks,
// between the samples too, under -1 dBTP. The encoder's quantiser rounds towards zero and plays
// about 0.3 dB quieter than its input; its overshoots lift the peaks from -2 to about -1.6 dBTP.
constexpr double pcmloudness = -13.7;  // LUFS
constexpr float ceiling = 0.794f;      // -2 dBTP
constexpr double fadefrom = 155.3;
// The feelers' first half, as loud as the theme by itself, sits a little under it on the master
// fader, until the camera change breaks the beat.
constexpr double softfrom = timeline::worms2in;
constexpr double softto = 104.571;
constexpr float soft = 0.85f;  // about -1.4 dB
// The climax is lifted a little over the sections before it, then dies with the picture as it
// fades to black over the last chord; the black is all but silent before the closing text's sounds.
constexpr double liftfrom = 139.0;  // after the flash's hit, which needs no more
constexpr float lift = 1.16f;  // about +1.3 dB
constexpr double blackfrom = 142.96;
constexpr double blackat = 145.7;
constexpr double blackuntil = 146.5;
constexpr double rushfrom = 131.99;
constexpr double rushto = timeline::returnin;
constexpr float rushwidth = 0.4f;
constexpr double silentfrom = 157.6;

size_t frameat(double seconds) { return static_cast<size_t>(seconds * samplerate); }

// The ducking under every kick and hit, as a gain per frame: `kickdepth` of the gain goes at a
// full-strength kick, more at a hit.
std::vector<float> ducking(size_t frames, const std::vector<Note>& notes, float kickdepth) {
  std::vector<float> gain(frames, 1.0f);
  for (const Note& note : notes) {
    const bool kick = note.voice == Voice::kick;
    if (!kick && note.voice != Voice::impact) continue;
    const float depth = (kick ? kickdepth : 2.0f * kickdepth) * note.velocity;
    const float recover = 0.1f;
    const size_t start = frameat(note.time);
    for (size_t n = 0; n < frameat(6 * recover) && start + n < gain.size(); ++n) {
      const float t = static_cast<float>(n) / samplerate;
      const float onset = std::min(1.0f, t / 0.004f);
      const float g = 1.0f - depth * onset * std::exp(-t / recover);
      gain[start + n] = std::min(gain[start + n], g);
    }
  }
  return gain;
}

void sidechain(Stereo& bus, const std::vector<Note>& notes, float kickdepth) {
  const std::vector<float> gain = ducking(bus[0].size(), notes, kickdepth);
  for (auto& channel : bus) {
    for (size_t i = 0; i < channel.size(); ++i) channel[i] *= gain[i];
  }
}

// Rounds off the tops of the drums' transients, so that the limiter has less to take from the
// sustained parts of the mix under them. The drums come in with headroom and only their loudest
// hits reach far past the knee; what that takes off the bus's level is given back after it.
void softclip(Stereo& bus) {
  constexpr float knee = 0.22f, makeup = 1.26f;
  for (auto& channel : bus) {
    for (float& v : channel) v = makeup * knee * std::tanh(v / knee);
  }
}

// Two delayed copies a side, their delays wandering slowly against each other, over the dry pads.
void chorus(Stereo& bus) {
  constexpr float base = 0.012f * samplerate, depth = 0.004f * samplerate;
  const size_t frames = bus[0].size();
  const size_t reach = static_cast<size_t>(base + depth) + 2;
  for (int side = 0; side < 2; ++side) {
    const std::vector<float> dry = bus[side];
    for (size_t i = reach; i < frames; ++i) {
      const float t = static_cast<float>(i) / samplerate;
      float wet = 0;
      for (int tap = 0; tap < 2; ++tap) {
        const float rate = tap ? 0.31f : 0.19f;
        const float delay = base + depth * std::sin(2.0f * pi * rate * t + side * 1.7f + tap * 2.9f);
        const size_t whole = static_cast<size_t>(delay);
        const float frac = delay - static_cast<float>(whole);
        wet += dry[i - whole] * (1.0f - frac) + dry[i - whole - 1] * frac;
      }
      bus[side][i] = 0.7f * dry[i] + 0.35f * wet;
    }
  }
}

class Comb {
 public:
  explicit Comb(size_t length) : line(length, 0.0f) {}
  float process(float in, float feedback, float damp) {
    const float out = line[at];
    store = out * (1.0f - damp) + store * damp;
    line[at] = in + store * feedback;
    if (++at == line.size()) at = 0;
    return out;
  }

 private:
  std::vector<float> line;
  size_t at = 0;
  float store = 0;
};

class Allpass {
 public:
  explicit Allpass(size_t length) : line(length, 0.0f) {}
  float process(float in) {
    const float delayed = line[at];
    line[at] = in + delayed * 0.5f;
    if (++at == line.size()) at = 0;
    return delayed - in;
  }

 private:
  std::vector<float> line;
  size_t at = 0;
};

// A room: parallel damped combs into series all-passes, the right side's lines a little longer
// than the left's for width. One side (0 left, 1 right) into `wet`.
struct Room {
  std::array<size_t, 8> combs;
  float feedback, damp, level;
  size_t predelay;
  float lowcut;
};
// The hall rings about 1.5 s after a 30 ms pre-delay; the plate is short, bright and close.
constexpr Room hallroom{{1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617}, 0.865f, 0.3f, 0.045f,
                        samplerate * 3 / 100, 220};
constexpr Room plateroom{{331, 427, 523, 607, 701, 787, 877, 953}, 0.8f, 0.12f, 0.05f,
                         samplerate / 200, 400};

void reverb(const Stereo& send, size_t side, const Room& room, std::vector<float>& wet) {
  const size_t allpasses[4] = {556, 441, 341, 225};
  constexpr size_t spread = 23;
  const size_t frames = send[0].size();
  wet.assign(frames, 0.0f);
  std::vector<Comb> bank;
  std::vector<Allpass> chain;
  for (size_t length : room.combs) bank.emplace_back(length + side * spread);
  for (size_t length : allpasses) chain.emplace_back(length + side * spread);
  Filter thin;
  thin.tune(room.lowcut, 0);
  for (size_t i = 0; i < frames; ++i) {
    const size_t from = i - room.predelay;
    const float in = i >= room.predelay ? 0.5f * (send[0][from] + send[1][from]) : 0;
    const float x = thin.highpass(in) * room.level;
    float out = 0;
    for (Comb& comb : bank) out += comb.process(x, room.feedback, room.damp);
    for (Allpass& pass : chain) out = pass.process(out);
    wet[i] = out;
  }
}

// Mostly each side of the hall its own, a little of the other.
void crossfeed(Stereo& wet) {
  for (size_t i = 0; i < wet[0].size(); ++i) {
    const float l = wet[0][i], r = wet[1][i];
    wet[0][i] = 0.95f * l + 0.05f * r;
    wet[1][i] = 0.95f * r + 0.05f * l;
  }
}

// Ping-pong echo on the dotted eighth, darker with every repeat.
Stereo echo(const Stereo& send) {
  const size_t frames = send[0].size();
  const size_t length = static_cast<size_t>(std::llround(0.75 * beatseconds * samplerate));
  std::vector<float> left(length, 0.0f), right(length, 0.0f);
  Stereo wet{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
  Filter thin, darkl, darkr;
  thin.tune(300, 0);
  darkl.tune(3200, 0);
  darkr.tune(3200, 0);
  constexpr float feedback = 0.45f;
  size_t at = 0;
  for (size_t i = 0; i < frames; ++i) {
    const float in = thin.highpass(0.5f * (send[0][i] + send[1][i]));
    const float l = left[at], r = right[at];
    left[at] = darkl.lowpass(in + r * feedback);
    right[at] = darkr.lowpass(l * feedback);
    if (++at == length) at = 0;
    wet[0][i] = l;
    wet[1][i] = r;
  }
  return wet;
}

float loudestrms(const Stereo& track, double window) {
  const size_t span = frameat(window);
  const size_t hop = frameat(0.25);
  std::vector<double> energy(track[0].size() + 1, 0.0);
  for (size_t i = 0; i < track[0].size(); ++i) {
    energy[i + 1] = energy[i] + 0.5 * (double(track[0][i]) * track[0][i] +
                                       double(track[1][i]) * track[1][i]);
  }
  double loudest = 0;
  for (size_t i = 0; i + span < energy.size(); i += hop) {
    loudest = std::max(loudest, (energy[i + span] - energy[i]) / span);
  }
  return static_cast<float>(std::sqrt(loudest));
}

// Tone of the finished mix: a gentle high shelf that gives the lead's presence and the hats air.
constexpr float highshelf = 2200.0f, highshelfgain = 1.4f;  // about +3 dB well above it

void equalise(Stereo& track) {
  for (auto& channel : track) {
    Filter high;
    high.tune(highshelf, 0);
    for (float& v : channel) v += (highshelfgain - 1.0f) * high.highpass(v);
  }
}

void release(Stereo& bus) {
  for (auto& channel : bus) std::vector<float>().swap(channel);
}

void scale(Stereo& track, float gain) {
  for (auto& channel : track) {
    for (float& v : channel) v *= gain;
  }
}

// The wave between samples as a 4x oversampling meter and a player's reconstruction filter see
// it: a Blackman-windowed sinc over eight samples either side, at a quarter, half and three
// quarters of each step. It is flat to 16 kHz and rolls off above, where the encoder's low-pass
// takes the signal away in any case.
constexpr int reach = 8;
using Quarters = std::array<std::array<float, 2 * reach>, 3>;

Quarters quartertaps() {
  Quarters taps;
  for (int p = 0; p < 3; ++p) {
    double sum = 0;
    for (int j = 0; j < 2 * reach; ++j) {
      const double x = (p + 1) / 4.0 - (j - reach + 1);  // from the tap's sample to the point
      const double sinc = std::sin(M_PI * x) / (M_PI * x);
      const double window = 0.42 + 0.5 * std::cos(M_PI * x / reach) + 0.08 * std::cos(2 * M_PI * x / reach);
      taps[p][j] = static_cast<float>(sinc * window);
      sum += taps[p][j];
    }
    for (float& tap : taps[p]) tap = static_cast<float>(tap / sum);
  }
  return taps;
}

// For each sample, the highest magnitude the wave reaches within a step either side of it.
std::vector<float> truepeaks(const std::vector<float>& channel) {
  const Quarters taps = quartertaps();
  std::vector<float> padded(channel.size() + 2 * reach, 0.0f);
  std::copy(channel.begin(), channel.end(), padded.begin() + reach);
  std::vector<float> peaks(channel.size());
  for (size_t i = 0; i < channel.size(); ++i) peaks[i] = std::fabs(channel[i]);
  for (size_t i = 0; i + 1 < channel.size(); ++i) {
    const float* around = &padded[i + 1];  // channel[i - reach + 1] to channel[i + reach]
    float top = 0;
    for (const auto& phase : taps) {
      float v = 0;
      for (int j = 0; j < 2 * reach; ++j) v += around[j] * phase[j];
      top = std::max(top, std::fabs(v));
    }
    peaks[i] = std::max(peaks[i], top);
    peaks[i + 1] = std::max(peaks[i + 1], top);
  }
  return peaks;
}

// Look-ahead limiter gain for every frame, for a track with true peaks `peaks` once it is
// multiplied by `drive`. The gain each frame needs is held over the look-ahead and then averaged
// over it, so the gain is already down when a peak arrives and never moves abruptly.
std::vector<float> limitergain(const std::vector<float>& peaks, float drive) {
  constexpr size_t lookahead = samplerate / 200;
  const size_t frames = peaks.size();
  std::vector<float> needed(frames);
  for (size_t i = 0; i < frames; ++i) {
    const float peak = peaks[i] * drive;
    needed[i] = peak > ceiling ? ceiling / peak : 1.0f;
  }
  std::vector<float> held(frames);
  std::deque<size_t> window;
  for (size_t i = 0; i < frames; ++i) {
    while (!window.empty() && needed[window.back()] >= needed[i]) window.pop_back();
    window.push_back(i);
    if (window.front() + lookahead <= i) window.pop_front();
    held[i] = needed[window.front()];
  }
  double sum = 0;
  for (size_t i = 0; i < lookahead && i < frames; ++i) sum += held[i];
  const float recovery = 1.0f - std::exp(-1.0f / (0.05f * samplerate));
  std::vector<float> gains(frames);
  float gain = 1.0f;
  for (size_t i = 0; i < frames; ++i) {
    const float smooth = static_cast<float>(sum / lookahead);
    gain = std::min(smooth, gain + recovery * (1.0f - gain));
    gains[i] = gain * drive;
    sum -= held[i];
    sum += i + lookahead < frames ? held[i + lookahead] : 1.0f;
  }
  return gains;
}

// Drives the track into the true-peak limiter, as hard as it takes for the limiter's output to
// meet the loudness target: one gain for the whole track and the limiter's brief dips, so the
// contrasts between sections stay.
float finish(Stereo& track, int threads) {
  const size_t frames = track[0].size();
  Stereo sides;
  parallel(2, threads, [&](size_t side) { sides[side] = truepeaks(track[side]); });
  std::vector<float> peaks(frames);
  for (size_t i = 0; i < frames; ++i) peaks[i] = std::max(sides[0][i], sides[1][i]);
  release(sides);
  auto loudness = [&](const std::vector<float>& gains) {
    return integratedloudness(frames, samplerate, [&](int side, size_t i) {
      return double(track[side][i]) * gains[i];
    });
  };
  std::vector<float> gains(frames, 1.0f);
  // Loudness gained per dB of drive: under one, as the limiter takes some back. Measured afresh
  // each round, it settles the drive in two or three.
  double drivedb = 0, measured = loudness(gains), slope = 1;
  for (int round = 0; round < 6 && std::fabs(pcmloudness - measured) > 0.02; ++round) {
    const double step = (pcmloudness - measured) / slope;
    drivedb += step;
    gains = limitergain(peaks, static_cast<float>(std::pow(10.0, drivedb / 20.0)));
    const double now = loudness(gains);
    slope = std::clamp((now - measured) / step, 0.1, 1.0);
    measured = now;
  }
  for (auto& channel : track) {
    for (size_t i = 0; i < frames; ++i) channel[i] *= gains[i];
  }
  return static_cast<float>(std::pow(10.0, drivedb / 20.0));
}

void fadeout(Stereo& track) {
  for (size_t i = frameat(fadefrom); i < track[0].size(); ++i) {
    const double t = static_cast<double>(i) / samplerate;
    const double p = std::min(1.0, (t - fadefrom) / (silentfrom - fadefrom));
    const float gain = static_cast<float>(0.5 * (1.0 + std::cos(pi * p)));
    track[0][i] *= gain;
    track[1][i] *= gain;
  }
}

float along(double t, double from, double to) {
  return static_cast<float>(std::clamp((t - from) / (to - from), 0.0, 1.0));
}

// The master fader: the feelers' first half lowered, moving over 50 ms at either end, the
// climax's lift over half a second, then an equal-power fade into the black and back up after it.
float fader(double t) {
  const float down = along(t, softfrom, softfrom + 0.05) - along(t, softto, softto + 0.05);
  const float up = along(t, liftfrom, liftfrom + 0.5);
  if (t < blackfrom) return (1.0f - (1.0f - soft) * down) * (1.0f + (lift - 1.0f) * up);
  if (t < blackat) return lift * std::cos(0.5f * pi * along(t, blackfrom, blackat));
  return std::sin(0.5f * pi * along(t, blackat, blackuntil));
}

void ride(Stereo& track) {
  for (size_t i = frameat(softfrom); i < frameat(blackuntil) && i < track[0].size(); ++i) {
    const float gain = fader(static_cast<double>(i) / samplerate);
    track[0][i] *= gain;
    track[1][i] *= gain;
  }
}

// The rush to white is mostly pads, whose sides hardly agree after the chorus: drawn towards the
// middle there, it keeps its body summed to mono.
void narrow(Stereo& pads) {
  for (size_t i = frameat(rushfrom); i < frameat(rushto) && i < pads[0].size(); ++i) {
    const double t = static_cast<double>(i) / samplerate;
    const float in = along(t, rushfrom, rushfrom + 0.5) - along(t, rushto - 0.05, rushto);
    const float width = 1.0f - (1.0f - rushwidth) * in;
    const float mid = 0.5f * (pads[0][i] + pads[1][i]), side = 0.5f * (pads[0][i] - pads[1][i]);
    pads[0][i] = mid + width * side;
    pads[1][i] = mid - width * side;
  }
}

std::vector<int16_t> quantise(const Stereo& track) {
  std::vector<int16_t> pcm(2 * track[0].size());
  for (size_t i = 0; i < track[0].size(); ++i) {
    for (int side = 0; side < 2; ++side) {
      const float v = std::clamp(track[side][i], -1.0f, 1.0f) * 32767.0f;
      pcm[2 * i + side] = static_cast<int16_t>(std::lrint(v));
    }
  }
  return pcm;
}

}  // namespace

std::vector<int16_t> master(Mix& mix, const std::vector<Note>& notes, int threads,
                            float* gain) {
  // The rooms' sides, the echo and the ducking and chorus of the buses are independent.
  Stereo hall, plate, echoes;
  parallel(8, threads, [&](size_t task) {
    if (task < 2) reverb(mix.reverb, task, hallroom, hall[task]);
    if (task == 2 || task == 3) reverb(mix.plate, task - 2, plateroom, plate[task - 2]);
    if (task == 4) {
      echoes = echo(mix.echo);
      softclip(mix.drums);
    }
    if (task == 5) sidechain(mix.music, notes, 0.32f);
    if (task == 6) sidechain(mix.lead, notes, 0.1f);
    if (task == 7) {
      chorus(mix.pads);
      sidechain(mix.pads, notes, 0.22f);
      narrow(mix.pads);
    }
  });
  for (Stereo* bus : {&mix.reverb, &mix.plate, &mix.echo}) release(*bus);
  crossfeed(hall);
  // The sum goes into the drum bus's memory; the other buses are let go as soon as they are in.
  Stereo track = std::move(mix.drums);
  for (int side = 0; side < 2; ++side) {
    Filter rumble;
    rumble.tune(28, 0);
    for (size_t i = 0; i < mix.frames; ++i) {
      const float sum = track[side][i] + mix.hits[side][i] + mix.music[side][i] +
                        mix.lead[side][i] + mix.pads[side][i] + hall[side][i] + plate[side][i] +
                        echoes[side][i];
      track[side][i] = rumble.highpass(sum);
    }
  }
  for (Stereo* bus : {&mix.hits, &mix.music, &mix.lead, &mix.pads, &hall, &plate, &echoes}) {
    release(*bus);
  }
  equalise(track);
  const float level = loudesttarget / loudestrms(track, 3.0);
  scale(track, level);
  ride(track);
  fadeout(track);
  const float drive = finish(track, threads);
  if (gain) *gain = level * drive;
  return quantise(track);
}

}  // namespace musicgen
