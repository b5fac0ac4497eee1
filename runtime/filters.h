#pragma once
// The frame compositor: the copy of the scenes' picture, the glow and the inversion.

void setglowfilter();
void setreversefilter();
void filters(float t);
void drawMaintex();
void drawinversion();              // every pixel becomes 1 minus itself
void createcompositortextures();   // maintex, rendertex, glowtex
void compositeframe(float t);      // runs after the scenes of a frame have drawn
