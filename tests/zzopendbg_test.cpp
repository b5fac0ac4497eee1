#include <gtest/gtest.h>
#include <cstdio>
#include "offscreen.h"
#include "frameio.h"
TEST(D, D) {
  needdemo(640, 480);
  for (unsigned ms : {500u, 9000u, 14000u, 20000u, 28500u, 136000u, 140000u, 142000u}) {
    auto f = demoframe(ms);
    char path[100]; std::snprintf(path, sizeof path, "/tmp/open/seq-%u.png", ms);
    writepng(path, 640, 480, 3, f.data());
  }
}
