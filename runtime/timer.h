#pragma once
// The demo clock: seconds since start as a float, sampled once per frame.

void timer_init();
void timer_addtime(float dt);
void timer_update();
float timer_gettime();
