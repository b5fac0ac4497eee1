#pragma once
// Television static over the whole show: noise and scanlines that rise and fall with the cuts.

void initpstatic();
void pstatic(float progress);
void freepstatic();
