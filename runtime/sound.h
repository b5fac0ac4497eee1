#pragma once
// The soundtrack: one MP3 streamed once from the moment the demo clock starts.

bool sound_init(const char* file, float rewindtime);
void sound_run();
void sound_close();
