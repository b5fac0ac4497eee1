#pragma once
// The exporter's film: frames and the soundtrack encoded into one video file through FFmpeg's
// libraries, written under a temporary name beside the target and renamed only when complete.
#include <string>

struct MovieSettings {
  std::string path;   // .mp4 (H.264 and AAC) or .mkv
  std::string music;  // the soundtrack, cut to [from, to)
  int width = 0, height = 0, fps = 0;
  int quality = 20;   // x264's constant rate factor
  double from = 0, to = 0;
};

// Every call returns false after writing one line on stderr saying what failed; the caller then
// abandons the film.
bool openmovie(const MovieSettings& settings);
// One RGB frame, top row first; the soundtrack is kept up with it.
bool addframe(const unsigned char* rgb);
// The rest of the soundtrack, the encoders' tails and the container's index; then the rename.
bool finishmovie();
// Closes everything and removes the temporary file; safe to call at any time, and again.
void abandonmovie();

// Seconds spent converting, encoding and writing, for the closing report.
double encodingseconds();
