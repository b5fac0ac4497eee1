#pragma once

void initcamera();
void camera(float progress);
void freecamera();
