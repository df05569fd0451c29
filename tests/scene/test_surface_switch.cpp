// Which open surfaces are one subject's two hemispheres, so that a switch of
// surface meant for the subject moves both.
#include "surface_switch.h"

#include <gtest/gtest.h>

using gyroscene::other_hemispheres;
using gyroscene::surface_kind;

TEST(SurfaceSwitch, TheOtherHemisphereIsTheSameKindInTheSameFolder)
{
    const QStringList open{"/s1/surf/lh.inflated", "/s1/surf/rh.inflated", "/s1/surf/rh.pial",
                           "/s2/surf/rh.inflated", "/s1/surf/rh.inflated.old"};
    EXPECT_EQ(other_hemispheres("/s1/surf/lh.inflated", open), std::vector<int>{1});
    EXPECT_EQ(other_hemispheres("/s1/surf/rh.pial", open), std::vector<int>{});
    EXPECT_EQ(other_hemispheres("/s2/surf/rh.inflated", open), std::vector<int>{});
    // a file of no hemisphere has no partner
    EXPECT_EQ(other_hemispheres("/s1/surf/brain.obj", {"/s1/surf/brain.obj"}), std::vector<int>{});
    EXPECT_EQ(surface_kind("/s1/surf/rh.white"), "white");
}
