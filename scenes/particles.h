#pragma once

void initparticles();
void particles(float progress);
void freeparticles();

// The explosion at internal time t (spread grows past t = 1), pushed up by -h.
void renderparticles(float t, float h);
