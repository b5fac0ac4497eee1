#pragma once

void initcells();
void cells(float progress);
void cells_2(float progress);
void freecells();
