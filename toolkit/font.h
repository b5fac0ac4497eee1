#pragma once
// The demo's text hooks. The loading screen and the title call them, but the demo shows no
// typeset text, so they draw nothing.

void initfont(int size, const char* name);
void text2d(float x, float y, const char* text);
void text3d(const char* text);
void freefont();
