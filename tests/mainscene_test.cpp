// The landscape: the snow's draws and the stretch of the show where the scene draws nothing; the
// golden frames pin its pictures.
#include <gtest/gtest.h>

#include "scenes/camera_internal.h"
#include "scenes/mainscene.h"
#include "scenecheck.h"

TEST(MainScene, NothingBetweenTheOpeningAndTheReturnNorAfterTheBurst) {
  needdemo(640, 480);
  for (double t : {29.2, 30.0, 100.0, 134.6, 145.6, 148.9})
    EXPECT_TRUE(untouched([t] { mainscene(static_cast<float>(t / 149)); })) << t;
}

TEST(Snow, AlwaysTakes13000DrawsFromSeedZero) {
  needdemo(640, 480);
  for (float p : {-0.035f, 0.2f, 0.8333f, 0.965f, 1.0005f, 1.049f, 3.0f}) {
    std::srand(99);
    cameraat(20);
    rendersnow(p, -4);
    EXPECT_EQ(drawssince(0), 13000) << p;
  }
}
