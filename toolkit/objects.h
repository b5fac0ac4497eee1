#pragma once
// Immediate-mode primitives, texture-unit set-up, the model table and stencil shadows.

void sphere(float size, int n);
void sphere(float size, float tx, float ty, float tz, float rx, float ry, float rz, int n);
void sphere(float size, float tx, float ty, float tz, float ox, float oy, float oz, float rx,
            float ry, float rz, int n);
void setuptex(int tex);
void setupmultitex(int tex0, int tex1);
void resettex();

void initprimitives();
void freeprimitives();
void initstencil();
void freestencil();
