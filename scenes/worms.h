#pragma once

void initworms();
void worms(float progress);
void worms_2(float progress);
void worms_3(float progress);
void freeworms();
