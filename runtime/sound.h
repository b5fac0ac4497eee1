#pragma once
// The soundtrack: one MP3 streamed once from the moment the demo clock starts.
#include <string>

// Reads and checks the file, then opens audio; false, with everything it opened released, when
// either fails. The file must be a 44.1 kHz stereo MP3 stream (see runtime/mp3stream.h).
bool sound_init(const char* file, float rewindtime);
// Why the last sound_init failed: "data/x.mp3 is not a 44.1 kHz stereo MP3 stream", "no sound
// device (...)"; empty after one that succeeded.
const std::string& soundfailure();
// Plays the music once, moved forward by the positive start offset given to sound_init.
void sound_run();
// Stops and frees the music and closes audio.
void sound_close();
