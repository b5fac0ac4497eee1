#pragma once

void initmainscene();
void mainscene(float progress);
void freemainscene();
