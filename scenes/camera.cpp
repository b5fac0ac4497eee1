#include "camera.h"

// Placeholder: this effect is not built yet and draws nothing.
void initcamera() {}
void camera(float) {}
void freecamera() {}
