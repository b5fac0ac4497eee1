#pragma once

void initdla();
void dla(float progress);
void freedla();
