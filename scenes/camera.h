#pragma once

void initcamera();
void camera(float progress);
void freecamera();

// The shake schedule: whether the view shakes at demo time t and with what amplitude in degrees.
bool camerashake(double t, float& amplitude);
// Loads the view for demo time t (camera() does this for t = 149 * progress).
void cameraat(double t);
