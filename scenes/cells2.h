#pragma once

void initcells2();
void cells2(float progress);
void cells2_2(float progress);
void cells2_3(float progress);
void cells2_4(float progress);
void freecells2();
