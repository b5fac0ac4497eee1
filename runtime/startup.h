#pragma once
// Start-up milestones: the demo names each step of its start-up as it ends, so that a caller that
// wants to know where the time goes (the bench) can time them. Nothing listens unless asked.

// The watch is called with the name of each step as it ends; null (the default) stops it.
void setstartupwatch(void (*watch)(const char* step));
void startupstep(const char* step);
