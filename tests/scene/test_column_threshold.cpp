// Thresholds, underlay shades and symmetric limits as texture coordinates
// and a texture of regions.
#include "column_threshold.h"

#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>

#include <gtest/gtest.h>

#include <algorithm>
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

// The texture as GL samples it with linear filtering, t from the bottom.
QColor sample(const QImage& image, float s, float t)
{
    const float x = std::clamp(s * image.width() - 0.5f, 0.0f, image.width() - 1.0f);
    const float y = std::clamp((1.0f - t) * image.height() - 0.5f, 0.0f, image.height() - 1.0f);
    const int x0 = int(x), y0 = int(y);
    const int x1 = std::min(x0 + 1, image.width() - 1), y1 = std::min(y0 + 1, image.height() - 1);
    const float fx = x - x0, fy = y - y0;
    float rgb[3] = {};
    const auto add = [&](int px, int py, float w) {
        const QColor c = image.pixelColor(px, py);
        rgb[0] += w * c.red(), rgb[1] += w * c.green(), rgb[2] += w * c.blue();
    };
    add(x0, y0, (1 - fx) * (1 - fy));
    add(x1, y0, fx * (1 - fy));
    add(x0, y1, (1 - fx) * fy);
    add(x1, y1, fx * fy);
    return QColor(std::lround(rgb[0]), std::lround(rgb[1]), std::lround(rgb[2]));
}

// What a triangle's edge from vertex a to vertex b shows, in 200 steps.
std::vector<QColor> along(const QImage& image, SbVec2f a, SbVec2f b)
{
    std::vector<QColor> seen;
    for (int k = 0; k <= 200; ++k) {
        const SbVec2f p = a + (b - a) * (k / 200.0f);
        seen.push_back(sample(image, p[0], p[1]));
    }
    return seen;
}

class ThresholdTexture : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { SoDB::init(); }
    void SetUp() override
    {
        bar = QImage(8, 64, QImage::Format_RGB32);
        for (int y = 0; y < bar.height(); ++y)
            for (int x = 0; x < bar.width(); ++x)
                bar.setPixelColor(x, y, y < 32 ? QColor(Qt::red) : QColor(Qt::blue));
        coordinates = new SoTextureCoordinate2;
        coordinates->ref();
    }
    void TearDown() override { coordinates->unref(); }

    QImage bar;
    SoTextureCoordinate2* coordinates = nullptr;
    const QColor light{200, 200, 200}, dark{90, 90, 90}, mean{145, 145, 145};
};

// Between a coloured vertex and a grey one no other grey shows (the light
// line that once ringed thresholded regions over dark curvature), and two
// greys meet without a colour between them.
TEST_F(ThresholdTexture, EdgesShowOnlyWhatTheirEndsShow)
{
    const float lower = -10, upper = 10, threshold = 3;
    const QImage texture = gyroscene::threshold_texture(bar, {light, dark}, lower, upper, threshold);
    // Red, dark, light, blue, dark, and a vertex right on the threshold.
    gyroscene::fill_threshold_coordinates(coordinates, {8, -1, 0.5f, -8, 2.9f, 3}, -1, lower, upper,
                                          threshold, {0, 1, 0, 1, 1, 1}, 3);
    const SbVec2f* v = coordinates->point.getValues(0);
    const std::vector<QColor> at = {Qt::red, dark, light, Qt::blue, dark, Qt::red};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(sample(texture, v[i][0], v[i][1]), at[i]) << "vertex " << i;

    const auto only = [&](int a, int b, std::vector<QColor> allowed) {
        for (const QColor& c : along(texture, v[a], v[b]))
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), c), allowed.end())
                << a << " to " << b << " shows " << c.name().toStdString();
    };
    // Sampled between texels, a boundary blends its two sides: allow that.
    const auto blend = [](QColor a, QColor b, int steps) {
        std::vector<QColor> out;
        for (int k = 0; k <= steps; ++k)
            out.emplace_back(std::lround(a.red() + (b.red() - a.red()) * k / double(steps)),
                             std::lround(a.green() + (b.green() - a.green()) * k / double(steps)),
                             std::lround(a.blue() + (b.blue() - a.blue()) * k / double(steps)));
        return out;
    };
    const auto noLight = [&](int a, int b, QColor colour) {
        for (const QColor& c : along(texture, v[a], v[b]))
            EXPECT_FALSE(c.red() > dark.red() + 20 && c.red() == c.green() && c.green() == c.blue())
                << a << " to " << b << " shows " << c.name().toStdString() << " beside "
                << colour.name().toStdString();
    };
    noLight(0, 1, Qt::red);
    noLight(3, 4, Qt::blue);
    noLight(5, 4, Qt::red);
    std::vector<QColor> greys = blend(light, mean, 255);
    const std::vector<QColor> rest = blend(mean, dark, 255);
    greys.insert(greys.end(), rest.begin(), rest.end());
    only(1, 2, greys);
}

// With the band at the bar's end (limits that leave out small values), a
// coloured vertex below the range keeps the bar's colour there.
TEST_F(ThresholdTexture, BelowTheRangeStaysColoured)
{
    const float lower = 2, upper = 5, threshold = 1;
    const QImage texture = gyroscene::threshold_texture(bar, {light, dark}, lower, upper, threshold);
    gyroscene::fill_threshold_coordinates(coordinates, {1.5f, 0.5f, -0.5f, 4}, -1, lower, upper,
                                          threshold, {0, 0, 1, 0}, 3);
    const SbVec2f* v = coordinates->point.getValues(0);
    EXPECT_EQ(sample(texture, v[0][0], v[0][1]), QColor(Qt::blue));
    EXPECT_EQ(sample(texture, v[1][0], v[1][1]), light);
    EXPECT_EQ(sample(texture, v[2][0], v[2][1]), dark);
    EXPECT_EQ(sample(texture, v[3][0], v[3][1]), QColor(Qt::red));
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
    // -2 lies below the bar: the band's lowest row, the bottom one, as the
    // band runs past the bar's end. No value (NaN) shows the surface too.
    const float bottom = 0.5f / 256;
    const std::vector<SbVec2f> expected = {{plain, 0.1f}, {plain, bottom}, {bar2, 0.3f},
                                           {bar2, 1.0f},  {plain, coordinates->point[4][1]},
                                           {bar2, below_range}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(coordinates->point[i][0], expected[i][0]) << "vertex " << i;
        EXPECT_FLOAT_EQ(coordinates->point[i][1], expected[i][1]) << "vertex " << i;
    }

    // With an underlay of two shades: the bar between them, the shade's
    // region either side.
    gyroscene::fill_threshold_coordinates(coordinates, {1, -2, 3, 0.5f}, -1, 0, 10, 3, {1, 0, 1, -1}, 3);
    EXPECT_FLOAT_EQ(coordinates->point[0][0], gyroscene::region_coordinate(2, 3));
    EXPECT_FLOAT_EQ(coordinates->point[1][0], gyroscene::region_coordinate(0, 3));
    EXPECT_FLOAT_EQ(coordinates->point[2][0], gyroscene::region_coordinate(1, 3));
    EXPECT_FLOAT_EQ(coordinates->point[3][0], gyroscene::region_coordinate(0, 3));
    // A shade beyond the regions there are is held to the last.
    gyroscene::fill_threshold_coordinates(coordinates, {1}, -1, 0, 10, 3, {7}, 3);
    EXPECT_FLOAT_EQ(coordinates->point[0][0], gyroscene::region_coordinate(2, 3));
    coordinates->unref();
}

// Values under the threshold but below the lower limit show the plain grey
// down to the texture's last row, and a value that is not a number shows
// what is underneath, threshold or none, fading straight into its
// neighbours' colours.
TEST_F(ThresholdTexture, BelowTheLimitsAndMissingValuesShowOnlyTheGreys)
{
    // A band ending right at the bar's end leaves that row to the bar: a
    // vertex on the threshold there keeps its colour.
    const QImage edge = gyroscene::threshold_texture(bar, {light, dark}, -3, 3, 3);
    gyroscene::fill_threshold_coordinates(coordinates, {-3}, -1, -3, 3, 3, {0}, 3);
    EXPECT_EQ(sample(edge, coordinates->point[0][0], coordinates->point[0][1]), QColor(Qt::blue));

    const QImage banded = gyroscene::threshold_texture(bar, {light, dark}, 2, 4.66f, 2.5f);
    for (const int region : {0, 2})
        EXPECT_EQ(banded.pixelColor(region * banded.width() / 3 + 1, banded.height() - 1),
                  region == 0 ? light : dark);

    for (const float threshold : {0.0f, 3.0f}) {
        const float lower = -10, upper = 10;
        const QImage texture = gyroscene::threshold_texture(bar, {light, dark}, lower, upper, threshold);
        // A strip of two triangles: 8 and 6 coloured, the missing vertex between.
        const std::vector<float> values = {8, nan_value, 6, nan_value};
        gyroscene::fill_threshold_coordinates(coordinates, values, -1, lower, upper, threshold,
                                              {0, 1, 0, 0}, 3);
        const std::int32_t corners[] = {0, 1, 2, -1, 3, 3, 3, -1};
        gyroscene::place_missing_values(coordinates, values, corners, 8, lower, upper, threshold);
        const SbVec2f* v = coordinates->point.getValues(0);
        EXPECT_EQ(sample(texture, v[1][0], v[1][1]), dark) << threshold;
        // A missing vertex with no neighbour keeps the band's middle.
        EXPECT_EQ(sample(texture, v[3][0], v[3][1]), light) << threshold;
        if (threshold > 0.0f)
            continue;  // the band's greys lie far from 8's row: only without one
        EXPECT_FLOAT_EQ(v[1][1], (v[0][1] + v[2][1]) / 2);
        for (const QColor& c : along(texture, v[0], v[1]))
            // Red and dark grey mixed, and no blue of the bar's other half.
            EXPECT_TRUE(std::abs(c.green() - c.blue()) <= 1 && c.red() >= c.green())
                << c.name().toStdString();
    }
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
