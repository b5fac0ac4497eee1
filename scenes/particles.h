#pragma once

void initparticles();
void particles(float progress);
void freeparticles();
