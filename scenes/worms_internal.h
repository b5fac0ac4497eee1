#pragma once
// The worm's feeler timing and spark bursts, open to its tests.
#include "scenes/worms.h"

// A feeler d time units after its start: 0 to 1 over 0.03, held, back to 0 over the last 0.03.
float feelerreach(float d);
// Segments drawn for a feeler with that start and end at time t (0 outside [start, end)).
int feelersegments(float t, float start, float end);
// The feeler tables and bursts set up by initworms (null before it and after freeworms).
const float* feelerstarts();
const float* feelerends();
const wpe* wormbursts();
