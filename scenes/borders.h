#pragma once

void initborders();
void borders(float progress);
void freeborders();
