#include "sound.h"

// Placeholder until playback lands: music cannot be opened, so the demo runs silently.
bool sound_init(const char*, float) { return false; }
void sound_run() {}
void sound_close() {}
