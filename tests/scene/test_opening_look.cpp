// The first look of a data file opened onto a surface.
#include "opening_look.h"

#include <gtest/gtest.h>

using gyroscene::look_on_open;
using Role = gyroscene::opening_look::Role;

TEST(OpeningLook, FoldingGoesUnderneathOtherDataColoursStatisticsWait)
{
    EXPECT_TRUE(gyroscene::is_folding_measure("/s/surf/lh.curv", "curv"));
    EXPECT_TRUE(gyroscene::is_folding_measure("lh.sulc.shape.gii", "lh.sulc"));
    EXPECT_TRUE(gyroscene::is_folding_measure("data.func.gii", "Sulc"));
    EXPECT_FALSE(gyroscene::is_folding_measure("lh.thickness", "thickness"));
    EXPECT_FALSE(gyroscene::is_folding_measure("curvature_error.mgh", "frame0"));

    const QStringList curv{"curv"}, thickness{"thickness", "other"};
    auto look = look_on_open("lh.curv", FREESURFER_CURV_FILE_FORMAT, curv, false, false);
    EXPECT_EQ(look.role, Role::Underlay);
    EXPECT_EQ(look.column, "curv");
    // An underlay chosen already stays.
    EXPECT_EQ(look_on_open("lh.curv", FREESURFER_CURV_FILE_FORMAT, curv, false, true).role, Role::None);

    look = look_on_open("lh.thickness.mgz", MGZ_FILE_FORMAT, thickness, false, true);
    EXPECT_EQ(look.role, Role::Colour);
    EXPECT_EQ(look.column, "thickness");
    // A surface coloured already stays as it is.
    EXPECT_EQ(look_on_open("lh.thickness.mgz", MGZ_FILE_FORMAT, thickness, true, false).role, Role::None);
    // Statistics files wait for a column row, whatever their names.
    EXPECT_EQ(look_on_open("lh.sulc.vertstats", VERTSTATS_FILE_FORMAT, curv, false, false).role,
              Role::None);
    EXPECT_EQ(look_on_open("empty.mgh", MGH_FILE_FORMAT, {}, false, false).role, Role::None);
}
