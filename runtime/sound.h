#pragma once
// The soundtrack: one MP3 streamed once from the moment the demo clock starts.

// Opens audio and the file; false, with everything it opened released, when either fails.
bool sound_init(const char* file, float rewindtime);
// Plays the music once, moved forward by the positive start offset given to sound_init.
void sound_run();
// Stops and frees the music and closes audio.
void sound_close();
