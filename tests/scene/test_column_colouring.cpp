// A column's values as coordinates along its colour bar, and the nodes that
// carry them.
#include "column_colouring.h"

#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoComplexity.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTextureCoordinateBinding.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using gyroscene::below_range;
using gyroscene::texture_coordinate;

constexpr float nan_value = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

class CoinNodes : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { SoDB::init(); }
};

std::vector<float> coordinates_t(const SoTextureCoordinate2* coordinates)
{
    std::vector<float> t;
    for (int i = 0; i < coordinates->point.getNum(); ++i) {
        EXPECT_EQ(coordinates->point[i][0], 0.5f) << "vertex " << i;
        t.push_back(coordinates->point[i][1]);
    }
    return t;
}

TEST(TextureCoordinate, FractionOfTheWayBetweenTheLimits)
{
    EXPECT_EQ(texture_coordinate(0, 0, 10), 0.0f);
    EXPECT_EQ(texture_coordinate(5, 0, 10), 0.5f);
    EXPECT_EQ(texture_coordinate(10, 0, 10), 1.0f);
    // A raised lower limit: the value below it goes just inside the bottom,
    // not to the bottom itself, which the lower limit's own value takes.
    EXPECT_EQ(texture_coordinate(0, 2, 10), below_range);
    EXPECT_EQ(texture_coordinate(5, 2, 10), 0.375f);
    EXPECT_EQ(texture_coordinate(2, 2, 10), 0.0f);
    EXPECT_EQ(texture_coordinate(11, 2, 10), 1.0f);
}

TEST(TextureCoordinate, ReversedLimitsTurnTheBarOver)
{
    EXPECT_EQ(texture_coordinate(0, 10, 0), 1.0f);
    EXPECT_EQ(texture_coordinate(5, 10, 0), 0.5f);
    EXPECT_EQ(texture_coordinate(10, 10, 0), 0.0f);
    // Beyond the "lower" limit, now the larger one, is below the range.
    EXPECT_EQ(texture_coordinate(12, 10, 0), below_range);
    EXPECT_EQ(texture_coordinate(-3, 10, 0), 1.0f);
}

TEST(TextureCoordinate, UndefinedValuesAndLimitsLandBelowTheRange)
{
    EXPECT_EQ(texture_coordinate(nan_value, 0, 10), below_range);
    EXPECT_EQ(texture_coordinate(5, nan_value, 10), below_range);
    EXPECT_EQ(texture_coordinate(5, -inf, inf), below_range);
    // Equal limits: the value equal to both has no place; the others do.
    EXPECT_EQ(texture_coordinate(5, 5, 5), below_range);
    EXPECT_EQ(texture_coordinate(6, 5, 5), 1.0f);
    EXPECT_EQ(texture_coordinate(4, 5, 5), below_range);
    EXPECT_EQ(texture_coordinate(inf, 0, 10), 1.0f);
    EXPECT_EQ(texture_coordinate(-inf, 0, 10), below_range);
}

TEST(FiniteRange, SkipsWhatIsNotANumber)
{
    const gyroscene::value_range range = gyroscene::finite_range({nan_value, 3, -inf, -2, 7, inf, 1});
    EXPECT_EQ(range.lower, -2.0f);
    EXPECT_EQ(range.upper, 7.0f);
    const gyroscene::value_range descending = gyroscene::finite_range({9, 4, -1});
    EXPECT_EQ(descending.lower, -1.0f);
    EXPECT_EQ(descending.upper, 9.0f);
    const gyroscene::value_range one = gyroscene::finite_range({nan_value, 4.5f});
    EXPECT_EQ(one.lower, 4.5f);
    EXPECT_EQ(one.upper, 4.5f);
    for (const std::vector<float>& none : {std::vector<float>{}, std::vector<float>{nan_value, inf}}) {
        const gyroscene::value_range empty = gyroscene::finite_range(none);
        EXPECT_EQ(empty.lower, 0.0f);
        EXPECT_EQ(empty.upper, 0.0f);
    }
}

TEST_F(CoinNodes, ColumnNodesStandInTheirOrderWithTheirSettings)
{
    const gyroscene::column_nodes nodes = gyroscene::make_column_nodes();
    ASSERT_NE(nodes.group, nullptr);
    // Only the caller's reference: it releases the whole group.
    EXPECT_EQ(nodes.group->getRefCount(), 1);
    ASSERT_EQ(nodes.group->getNumChildren(), 4);
    EXPECT_EQ(nodes.group->getChild(0), nodes.complexity);
    EXPECT_EQ(nodes.group->getChild(1), nodes.texture);
    EXPECT_EQ(nodes.group->getChild(2), nodes.coordinates);
    EXPECT_EQ(nodes.group->getChild(3), nodes.binding);
    EXPECT_FALSE(nodes.group->isOfType(SoSeparator::getClassTypeId()));
    EXPECT_EQ(nodes.complexity->textureQuality.getValue(), 1.0f);
    EXPECT_EQ(nodes.texture->wrapS.getValue(), SoTexture2::CLAMP);
    EXPECT_EQ(nodes.texture->wrapT.getValue(), SoTexture2::CLAMP);
    EXPECT_EQ(nodes.texture->filename.getValue(), SbString(""));
    EXPECT_EQ(nodes.binding->value.getValue(), SoTextureCoordinateBinding::PER_VERTEX_INDEXED);
    EXPECT_EQ(nodes.coordinates->point.getNum(), 0);
    gyroscene::set_bar_file(nodes.texture, QString::fromUtf8("/no/such/dir/\xc3\xa9t\xc3\xa9.png"));
    EXPECT_EQ(QString::fromLocal8Bit(nodes.texture->filename.getValue().getString()),
              QString::fromUtf8("/no/such/dir/\xc3\xa9t\xc3\xa9.png"));
    nodes.group->unref();
}

TEST_F(CoinNodes, OneCoordinatePerVertex)
{
    SoTextureCoordinate2* coordinates = new SoTextureCoordinate2;
    coordinates->ref();
    gyroscene::fill_texture_coordinates(coordinates, {0, 5, 10}, 3, 0, 10);
    EXPECT_EQ(coordinates_t(coordinates), (std::vector<float>{0, 0.5f, 1}));

    // Fewer values than vertices: the rest take the bottom of the bar.
    gyroscene::fill_texture_coordinates(coordinates, {0, 5, 10}, 5, 10, 0);
    EXPECT_EQ(coordinates_t(coordinates), (std::vector<float>{1, 0.5f, 0, below_range, below_range}));

    // More values than vertices, or the count unknown: one per value.
    gyroscene::fill_texture_coordinates(coordinates, {0, 5, 10, nan_value}, 2, 0, 10);
    EXPECT_EQ(coordinates_t(coordinates), (std::vector<float>{0, 0.5f, 1, below_range}));
    gyroscene::fill_texture_coordinates(coordinates, {7}, -1, 0, 10);
    EXPECT_EQ(coordinates_t(coordinates), (std::vector<float>{0.7f}));

    // Nothing at all: an empty field, not a stale one.
    gyroscene::fill_texture_coordinates(coordinates, {}, -1, 0, 10);
    EXPECT_EQ(coordinates->point.getNum(), 0);
    coordinates->unref();
}

}  // namespace
