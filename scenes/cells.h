#pragma once

void initcells();
void cells(float progress);
void cells_2(float progress);
void freecells();

// The three-armed star of twisting sprites at phase q (seeds the generator with 0).
void rendercells(float q);
