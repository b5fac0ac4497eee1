#pragma once

void initfloaters();
void floaters(float progress);
void freefloaters();
