#pragma once
// The crystal growth around the centre cell: a diffusion-limited aggregate grown once at start-up
// and revealed particle by particle, with sixteen pulsing strings of sprites.
void initdla();
void dla(float progress);
void freedla();
