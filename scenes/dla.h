#pragma once
// The crystal growth around the centre cell: a diffusion-limited aggregate grown once at start-up
// and revealed particle by particle, with sixteen pulsing strings of sprites.
#include <vector>

constexpr int dlaparticles = 1600;
constexpr int dlaside = 70;
constexpr int dlaseed = 35;

// Particle positions in world units and three angles in degrees, in the order they stuck.
struct dlaaggregate {
  std::vector<float> dlapx, dlapy, dlapz;
  std::vector<float> dlapxan, dlapyan, dlapzan;
};

// Grows count particles on the lattice, drawing from the generator's current sequence.
dlaaggregate growdla(int count = dlaparticles);
// World position of a lattice coordinate.
float dlaworld(int c);

void initdla();
void dla(float progress);
void freedla();

// The aggregate made by initdla (empty before it and after freedla).
const dlaaggregate& dlaparticleset();
