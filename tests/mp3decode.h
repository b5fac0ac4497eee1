#pragma once
// Test helper: what SDL_mixer plays, captured sample by sample, with SDL's disk audio driver as
// the sound card (with no delay between buffers a whole piece decodes in a second or two).
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace mp3decode {

constexpr int rate = 44100;

// Sends SDL's audio output to a file, waiting delayms between buffers (0: as fast as it goes).
// SDL 2's disk driver, under sdl12-compat, writes to regular files and pipes only.
inline void diskaudio(const std::string& file, int delayms) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", std::to_string(delayms).c_str(), 1);
}

// Output that is only captured, not kept: a scratch file of this process, removed at its exit.
inline const std::string& discardedpath() {
  static const std::string path = [] {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/tessivar-audio-" +
           std::to_string(getpid()) + ".raw";
  }();
  return path;
}
inline void discardedaudio() {
  const std::string& path = discardedpath();  // made before the exit handler that needs it
  static const int registered = std::atexit([] { std::remove(discardedpath().c_str()); });
  (void)registered;
  diskaudio(path, 0);
}

// Interleaved stereo from the first mixer buffer with music to the one in which it stops, or
// until `wanted` samples are in.
struct Capture {
  std::vector<int16_t> samples;
  size_t wanted = 0;
  bool started = false, ended = false;
};

inline void capturemix(void* data, Uint8* stream, int bytes) {
  auto& capture = *static_cast<Capture*>(data);
  const bool playing = Mix_PlayingMusic() != 0;
  if (capture.ended || (!playing && !capture.started)) return;
  capture.started = true;
  const auto* samples = reinterpret_cast<const int16_t*>(stream);
  capture.samples.insert(capture.samples.end(), samples, samples + bytes / 2);
  capture.ended = !playing || capture.samples.size() >= capture.wanted;
}

// Hooks the capture behind the mixer of an open audio device; call before the music starts.
inline void startcapture(Capture& capture, double seconds) {
  capture = Capture{};
  capture.wanted = static_cast<size_t>(seconds * rate) * 2;
  Mix_SetPostMix(capturemix, &capture);
}

// Waits (up to a minute) for the capture to finish and unhooks it.
inline void finishcapture(Capture& capture) {
  for (int waited = 0; waited < 60000; waited += 5) {
    SDL_LockAudio();
    const bool ended = capture.ended;
    SDL_UnlockAudio();
    if (ended) break;
    SDL_Delay(5);
  }
  Mix_SetPostMix(nullptr, nullptr);
}

// The file as SDL_mixer decodes it from its start: up to `seconds`, or all of it.
inline std::vector<int16_t> decode(const std::string& path, double seconds = 1e6) {
  discardedaudio();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return {};
  Capture capture;
  if (Mix_OpenAudio(rate, AUDIO_S16SYS, 2, 4096) == 0) {
    if (Mix_Music* music = Mix_LoadMUS(path.c_str())) {
      startcapture(capture, seconds);
      Mix_PlayMusic(music, 1);
      finishcapture(capture);
      Mix_HaltMusic();
      Mix_FreeMusic(music);
    }
    Mix_CloseAudio();
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return capture.samples;
}

// Mean power of both channels over [from, to) seconds, in dB relative to full scale.
inline double level(const std::vector<int16_t>& pcm, double from, double to) {
  const size_t first = static_cast<size_t>(from * rate);
  const size_t last = std::min(pcm.size() / 2, static_cast<size_t>(to * rate));
  double energy = 0;
  for (size_t i = 2 * first; i < 2 * last; ++i) energy += double(pcm[i]) * pcm[i];
  energy /= 2.0 * (last - first) * 32768.0 * 32768.0;
  return last > first && energy > 0 ? 10 * std::log10(energy) : -200;
}

}  // namespace mp3decode
