#include "runtime/sound.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <cmath>
#include <string>

#include "toolkit/datafile.h"

namespace {
constexpr int mixrate = 44100;
constexpr int mixchannels = 2;
// 1024 frames are 23 ms at 44.1 kHz: the music enters the mix within about a frame of the clock.
constexpr int mixbuffer = 1024;

Mix_Music* music = nullptr;
float this_rewindtime = 0;
bool audiowasup = false;

// SDL 1.2 shuts the whole audio subsystem down when the device closes, so put it back the way
// sound_init found it: up if someone else had started it, down if we did.
void restoreaudiosubsystem() {
  const bool up = SDL_WasInit(SDL_INIT_AUDIO) != 0;
  if (audiowasup && !up) SDL_InitSubSystem(SDL_INIT_AUDIO);
  if (!audiowasup && up) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool mpegaudioheader(const Uint8* h) {
  const bool sync = h[0] == 0xFF && (h[1] & 0xE0) == 0xE0;
  const int version = (h[1] >> 3) & 3;
  const int layer = (h[1] >> 1) & 3;
  const int bitrate = h[2] >> 4;
  const int samplerate = (h[2] >> 2) & 3;
  return sync && version != 1 && layer != 0 && bitrate != 0 && bitrate != 15 && samplerate != 3;
}

// SDL_mixer takes any file named .mp3 for MPEG audio and then plays garbage as silence, so look at
// the first bytes ourselves: an ID3 tag or an MPEG audio frame header.
bool looksmp3(const char* file) {
  SDL_RWops* rw = SDL_RWFromFile(file, "rb");
  if (!rw) return false;
  Uint8 head[4] = {0, 0, 0, 0};
  const bool complete = SDL_RWread(rw, head, 1, sizeof head) == sizeof head;
  SDL_RWclose(rw);
  if (!complete) return false;
  return (head[0] == 'I' && head[1] == 'D' && head[2] == '3') || mpegaudioheader(head);
}

bool fail() {
  restoreaudiosubsystem();
  return false;
}
}  // namespace

bool sound_init(const char* file, float rewindtime) {
  music = nullptr;
  this_rewindtime = rewindtime;
  audiowasup = SDL_WasInit(SDL_INIT_AUDIO) != 0;
  if (!audiowasup && SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return fail();
  if (Mix_OpenAudio(mixrate, AUDIO_S16SYS, mixchannels, mixbuffer) < 0) return fail();
  const std::string path = datapath(file);
  if (looksmp3(path.c_str())) music = Mix_LoadMUS(path.c_str());
  if (!music) {
    Mix_CloseAudio();
    return fail();
  }
  return true;
}

void sound_run() {
  if (!music) return;
  // Whole milliseconds, truncated towards zero; an offset at or before the start plays from 0.
  const double milliseconds = std::trunc(1000.0 * static_cast<double>(this_rewindtime));
  const double position = milliseconds > 0 ? milliseconds / 1000.0 : 0.0;
  // Played once (not looped), started and positioned under one lock of the mixer.
  Mix_FadeInMusicPos(music, 1, 0, position);
}

void sound_close() {
  if (!music) return;
  Mix_FreeMusic(music);
  music = nullptr;
  Mix_CloseAudio();
  restoreaudiosubsystem();
}
