#pragma once
// The view every frame starts from: the opening orbit, then shakes at the cuts.

void initcamera();
void camera(float progress);
void freecamera();
