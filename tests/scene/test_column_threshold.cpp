// Thresholds, underlay shades and symmetric limits as texture coordinates
// and a texture of regions.
#include "column_threshold.h"

#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using gyroscene::below_range;

constexpr float nan_value = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

TEST(Threshold, OnlyValuesNearerZeroThanAPositiveThreshold)
{
    EXPECT_TRUE(gyroscene::below_threshold(1.9f, 2));
    EXPECT_TRUE(gyroscene::below_threshold(-1.9f, 2));
    EXPECT_TRUE(gyroscene::below_threshold(0, 2));
    EXPECT_FALSE(gyroscene::below_threshold(2, 2));
    EXPECT_FALSE(gyroscene::below_threshold(-2, 2));
    EXPECT_FALSE(gyroscene::below_threshold(0, 0));
    EXPECT_FALSE(gyroscene::below_threshold(0, -1));
    EXPECT_FALSE(gyroscene::below_threshold(nan_value, 2));
    EXPECT_FALSE(gyroscene::below_threshold(-inf, 2));
    EXPECT_TRUE(gyroscene::below_threshold(1e30f, inf));
}

TEST(SymmetricLimits, LargerAbsoluteLimitBothWays)
{
    gyroscene::value_range r = gyroscene::symmetric_limits(-10, 30);
    EXPECT_EQ(r.lower, -30.0f);
    EXPECT_EQ(r.upper, 30.0f);
    r = gyroscene::symmetric_limits(-7, 2);
    EXPECT_EQ(r.lower, -7.0f);
    EXPECT_EQ(r.upper, 7.0f);
    r = gyroscene::symmetric_limits(3, 5);  // both positive
    EXPECT_EQ(r.lower, -5.0f);
    EXPECT_EQ(r.upper, 5.0f);
    r = gyroscene::symmetric_limits(45, -5);  // reversed stays reversed
    EXPECT_EQ(r.lower, 45.0f);
    EXPECT_EQ(r.upper, -45.0f);
    r = gyroscene::symmetric_limits(0, 0);
    EXPECT_EQ(r.lower, 0.0f);
    EXPECT_EQ(r.upper, 0.0f);
}

TEST(Underlay, GreysRunFromLightToDark)
{
    for (int count : {2, 3, 8}) {
        const std::vector<QColor> greys = gyroscene::underlay_greys(count);
        ASSERT_EQ(int(greys.size()), count);
        for (std::size_t k = 0; k < greys.size(); ++k) {
            EXPECT_EQ(greys[k].red(), greys[k].green());
            EXPECT_EQ(greys[k].green(), greys[k].blue());
            if (k > 0)
                EXPECT_LT(greys[k].red(), greys[k - 1].red());
        }
    }
    // Fewer than two is two.
    EXPECT_EQ(gyroscene::underlay_greys(1).size(), 2u);
}

TEST(Underlay, TwoShadesSplitAtZeroOtherwiseEqualSteps)
{
    // Both signs: the sign decides, whatever the range's middle.
    EXPECT_EQ(gyroscene::underlay_shades({-0.1f, 0.0f, 0.2f, 5.0f, nan_value}, 2),
              (std::vector<int>{0, 0, 1, 1, -1}));
    // One sign only: the middle of the range.
    EXPECT_EQ(gyroscene::underlay_shades({1, 2, 3, 4}, 2), (std::vector<int>{0, 0, 1, 1}));
    // Four steps over -4..4.
    EXPECT_EQ(gyroscene::underlay_shades({-4, -2.5f, -1, 0.5f, 2.5f, 4}, 4),
              (std::vector<int>{0, 0, 1, 2, 3, 3}));
    // No spread: all the first shade.
    EXPECT_EQ(gyroscene::underlay_shades({3, 3}, 3), (std::vector<int>{0, 0}));
}

TEST(ThresholdTexture, TheBarThenOneRegionPerColour)
{
    QImage bar(8, 64, QImage::Format_RGB32);
    for (int y = 0; y < bar.height(); ++y)
        for (int x = 0; x < bar.width(); ++x)
            bar.setPixelColor(x, y, y < 32 ? QColor(Qt::blue) : QColor(Qt::red));
    const std::vector<QColor> under = {QColor(200, 200, 200), QColor(90, 90, 90)};
    const QImage texture = gyroscene::threshold_texture(bar, under);
    const int regions = 3;
    ASSERT_EQ(texture.width() % regions, 0);
    const int w = texture.width() / regions;
    const auto at = [&](int region, double fromTop) {
        return texture.pixelColor(region * w + w / 2, int(fromTop * (texture.height() - 1)));
    };
    EXPECT_EQ(at(0, 0.05), QColor(Qt::blue));
    EXPECT_EQ(at(0, 0.95), QColor(Qt::red));
    for (double y : {0.05, 0.5, 0.95}) {
        EXPECT_EQ(at(1, y), under[0]);
        EXPECT_EQ(at(2, y), under[1]);
    }
    // The coordinates point at the middles of those regions.
    EXPECT_FLOAT_EQ(gyroscene::region_coordinate(0, 3), 1.0f / 6);
    EXPECT_FLOAT_EQ(gyroscene::region_coordinate(2, 3), 5.0f / 6);
}

class CoinNodes : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { SoDB::init(); }
};

TEST_F(CoinNodes, ThresholdedVerticesPointAtWhatIsUnderneath)
{
    auto* coordinates = new SoTextureCoordinate2;
    coordinates->ref();
    const float bar2 = gyroscene::region_coordinate(0, 2), plain = gyroscene::region_coordinate(1, 2);
    // Limits 0..10, threshold 3: 1 and -2 show the surface, 3 does not.
    gyroscene::fill_threshold_coordinates(coordinates, {1, -2, 3, 10, nan_value}, 6, 0, 10, 3, {}, 2);
    ASSERT_EQ(coordinates->point.getNum(), 6);
    const std::vector<SbVec2f> expected = {{plain, 0.1f}, {plain, below_range}, {bar2, 0.3f},
                                           {bar2, 1.0f},  {bar2, below_range},  {bar2, below_range}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(coordinates->point[i][0], expected[i][0]) << "vertex " << i;
        EXPECT_FLOAT_EQ(coordinates->point[i][1], expected[i][1]) << "vertex " << i;
    }

    // With an underlay of two shades: region 1 or 2 by the vertex's shade.
    gyroscene::fill_threshold_coordinates(coordinates, {1, -2, 3, 0.5f}, -1, 0, 10, 3, {1, 0, 1, -1}, 3);
    EXPECT_FLOAT_EQ(coordinates->point[0][0], gyroscene::region_coordinate(2, 3));
    EXPECT_FLOAT_EQ(coordinates->point[1][0], gyroscene::region_coordinate(1, 3));
    EXPECT_FLOAT_EQ(coordinates->point[2][0], gyroscene::region_coordinate(0, 3));
    EXPECT_FLOAT_EQ(coordinates->point[3][0], gyroscene::region_coordinate(1, 3));
    // A shade beyond the regions there are is held to the last.
    gyroscene::fill_threshold_coordinates(coordinates, {1}, -1, 0, 10, 3, {7}, 3);
    EXPECT_FLOAT_EQ(coordinates->point[0][0], gyroscene::region_coordinate(2, 3));
    coordinates->unref();
}

TEST_F(CoinNodes, TextureImageRunsBottomRowFirst)
{
    auto* texture = new SoTexture2;
    texture->ref();
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int x = 0; x < 4; ++x)
        image.setPixelColor(x, 1, Qt::blue);  // the bottom row
    gyroscene::set_texture_image(texture, image);
    SbVec2s size;
    int components = 0;
    const unsigned char* pixels = texture->image.getValue(size, components);
    ASSERT_EQ(size, SbVec2s(4, 2));
    ASSERT_EQ(components, 4);
    EXPECT_EQ(pixels[0], 0);    // first row stored: blue
    EXPECT_EQ(pixels[2], 255);
    EXPECT_EQ(pixels[4 * 4], 255);  // then red
    EXPECT_EQ(pixels[4 * 4 + 2], 0);
    texture->unref();
}

}  // namespace
