#pragma once

void initpstatic();
void pstatic(float progress);
void freepstatic();
