#pragma once
// The demo's lifecycle: the only doorway from the entry point into the demo.

const char* getapptitle();
void initdemo(int fontsize);
int dodemo();
void freedemo();

// Seconds into the demo at which picture and music start (0 in this production).
extern const float playerRewindTime;
extern const char* const songname;
