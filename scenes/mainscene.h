#pragma once

void initmainscene();
void mainscene(float progress);
void freemainscene();

// The floor at height y: a fogged 40 x 40 grid that darkens away from the centre.
void renderfloor(float y);
// The 2600 flakes for snow phase p, standing on the floor at height ground.
void rendersnow(float p, float ground);
