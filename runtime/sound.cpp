#include "runtime/sound.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <cmath>
#include <string>
#include <vector>

#include "runtime/mp3stream.h"
#include "toolkit/datafile.h"

namespace {
constexpr int mixrate = 44100;
constexpr int mixchannels = 2;
// 1024 frames are 23 ms at 44.1 kHz: the music enters the mix within about a frame of the clock.
constexpr int mixbuffer = 1024;

Mix_Music* music = nullptr;
// The checked file itself is what SDL_mixer decodes, from memory: it never opens the file.
std::vector<unsigned char> musicbytes;
SDL_RWops* musicsource = nullptr;
std::string failure;
float this_rewindtime = 0;
bool audiowasup = false;

// SDL 1.2 shuts the whole audio subsystem down when the device closes, so put it back the way
// sound_init found it: up if someone else had started it, down if we did.
void restoreaudiosubsystem() {
  const bool up = SDL_WasInit(SDL_INIT_AUDIO) != 0;
  if (audiowasup && !up) SDL_InitSubSystem(SDL_INIT_AUDIO);
  if (!audiowasup && up) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void releasesource() {
  if (musicsource) SDL_FreeRW(musicsource);
  musicsource = nullptr;
  musicbytes = std::vector<unsigned char>();
}

bool fail(const std::string& why) {
  failure = why;
  releasesource();
  restoreaudiosubsystem();
  return false;
}

bool fail(const char* what, const char* detail) {
  return fail(std::string(what) + " (" + detail + ")");
}
}  // namespace

bool sound_init(const char* file, float rewindtime) {
  music = nullptr;
  this_rewindtime = rewindtime;
  failure.clear();
  audiowasup = SDL_WasInit(SDL_INIT_AUDIO) != 0;
  std::string why;
  if (!readmp3stream(datapath(file).c_str(), musicbytes, why)) return fail(why);
  if (!audiowasup && SDL_InitSubSystem(SDL_INIT_AUDIO) < 0)
    return fail("no sound device", SDL_GetError());
  if (Mix_OpenAudio(mixrate, AUDIO_S16SYS, mixchannels, mixbuffer) < 0)
    return fail("cannot open the sound device", SDL_GetError());
  musicsource = SDL_RWFromConstMem(musicbytes.data(), static_cast<int>(musicbytes.size()));
  if (musicsource) music = Mix_LoadMUS_RW(musicsource);
  if (!music) {
    Mix_CloseAudio();
    return fail((std::string(file) + " cannot be decoded").c_str(), Mix_GetError());
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
  releasesource();
  restoreaudiosubsystem();
}

const std::string& soundfailure() { return failure; }
