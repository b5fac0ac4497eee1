#pragma once
// Runtime settings, overlay space, the camera-facing sprite batch, easing curves, the shared
// random helper and the loading screen.

void setscrd(int w, int h);
int getscrw();
int getscrh();
void setbpp(int b);
int getbpp();
void setfullscreen(bool on);
bool getfullscreen();
void setDriverFallback(bool on);
bool isDriverFallback();
void setsoundon(bool on);
bool getsoundon();
void setinverted(bool on);
bool getinverted();
void enddemo();
bool getdemo();

void perspective2DBegin(const int& w, const int& h);
void perspective2DEnd();
void viewReset();

// The batch is drawn at endsprites. Sprites take the current colour until spritecolour gives the
// ones that follow another; the last colour given stays current after the batch.
void beginsprites(unsigned int texture);
void spritecolour(float r, float g, float b);
void rendersprite(float x, float y, float z, float angle, float size);
void endsprites();

float cosineinterpolate(float a, float b, float x);
float sineinterpolate(float a, float b, float x);
float sineinterpolate2(float a, float b, float x);
float randfloat();
// The seed of an effect that flickers with the time: the single-precision time times 100000, formed
// exactly and truncated towards zero (at 100 s that is 10000000).
int timeseed(float t);

// Additive light: the depth test off and the blend (src, GL_ONE) on; endadditive turns blending
// off and the depth test back on, as every scene leaves them.
void beginadditive(unsigned int src);
void endadditive();

// Fades and flashes: one 640 x 480 overlay quad in the current colour, alpha-blended over the
// picture with the depth test off; leaves blending off and the depth test on.
void fullscreenfade();
// The same quad in the given colour, set once the overlay space is entered.
void fullscreenfade(float r, float g, float b, float a);
// The bound texture stretched over the 640 x 480 overlay, its t = 1 row at the top.
void texturedoverlay();

void renderloadingbar(float p);
int foundinstring(char* text, const char* word);
