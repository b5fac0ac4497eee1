#pragma once
// The growth's lattice walk and aggregate, open to its tests.
#include <vector>

#include "scenes/dla.h"

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
// The aggregate made by initdla (empty before it and after freedla).
const dlaaggregate& dlaparticleset();
