#pragma once
// Programme loudness the way players and streaming services meter it: both channels K-weighted,
// their power taken over 400 ms blocks, quiet blocks gated out, the result in LUFS.
#include <cmath>
#include <cstddef>
#include <vector>

namespace musicgen {

// One second-order filter section in double precision.
struct Section {
  double b0, b1, b2, a1, a2;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  double process(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

// The K weighting at any sample rate: a shelf of about +4 dB above 1.7 kHz (the head in the
// sound field), then a high-pass near 38 Hz that the ear barely hears below.
inline Section headshelf(double rate) {
  const double k = std::tan(3.14159265358979323846 * 1681.974450955533 / rate);
  const double q = 0.7071752369554196;
  const double high = std::pow(10.0, 3.999843853973347 / 20.0);
  const double band = std::pow(high, 0.4996667741545416);
  const double a0 = 1.0 + k / q + k * k;
  return {(high + band * k / q + k * k) / a0, 2.0 * (k * k - high) / a0,
          (high - band * k / q + k * k) / a0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

inline Section lowcut(double rate) {
  const double k = std::tan(3.14159265358979323846 * 38.13547087602444 / rate);
  const double q = 0.5003270373238773;
  const double a0 = 1.0 + k / q + k * k;
  return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

// Integrated loudness in LUFS of a stereo track, sample(side, frame) its samples at full scale
// 1; -70 (the absolute gate) when all of it is quieter.
template <class Sample>
double integratedloudness(size_t frames, int rate, Sample sample) {
  const size_t hop = rate / 10;  // the 400 ms blocks start every 100 ms
  const size_t steps = frames / hop;
  std::vector<double> power(steps, 0.0);
  for (int side = 0; side < 2; ++side) {
    Section shelf = headshelf(rate), cut = lowcut(rate);
    for (size_t i = 0; i < steps * hop; ++i) {
      const double y = cut.process(shelf.process(sample(side, i)));
      power[i / hop] += y * y;
    }
  }
  std::vector<double> blocks;
  for (size_t s = 0; s + 4 <= steps; ++s) {
    blocks.push_back((power[s] + power[s + 1] + power[s + 2] + power[s + 3]) / (4.0 * hop));
  }
  auto loudness = [](double p) { return -0.691 + 10.0 * std::log10(p); };
  // Mean loudness of the blocks louder than `gate`.
  auto gated = [&](double gate) {
    double sum = 0;
    size_t count = 0;
    for (double p : blocks) {
      if (p > 0 && loudness(p) > gate) {
        sum += p;
        ++count;
      }
    }
    return count ? loudness(sum / count) : -70.0;
  };
  // Blocks more than 10 LU under the level of the audible ones do not count.
  return gated(gated(-70.0) - 10.0);
}

}  // namespace musicgen
