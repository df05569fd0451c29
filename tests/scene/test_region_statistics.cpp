// Per-region figures of a column, against sums done here the plain way,
// and their CSV.
#include "region_statistics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(RegionStatistics, FiguresPerRegionAndForTheVerticesInNone)
{
    parcellation parcels;
    parcels.regions = {{4, "V1", {}}, {9, "V2", {}}, {11, "empty", {}}};
    parcels.vertex_regions = {0, 1, 0, no_region, 1, 0, 1, 0, 1};
    const float nan = std::nanf("");
    // the last vertex has no value; V1 has a NaN, counted as a vertex only
    const std::vector<float> values = {1e6f + 1, 2, 1e6f + 3, -7, 4, nan, 8, 1e6f + 5};
    const std::vector<gyroscene::region_statistics> rows =
        gyroscene::column_region_statistics(parcels, values);
    ASSERT_EQ(rows.size(), 4u);

    EXPECT_EQ(rows[0].region, 0);
    EXPECT_EQ(rows[0].vertices, 4);
    EXPECT_EQ(rows[0].values, 3);
    EXPECT_DOUBLE_EQ(rows[0].mean, 1e6 + 3);
    EXPECT_NEAR(rows[0].sd, 2.0, 1e-9); // far from zero, still exact
    EXPECT_EQ(rows[0].min, 1e6 + 1);
    EXPECT_EQ(rows[0].max, 1e6 + 5);

    EXPECT_EQ(rows[1].vertices, 3);
    EXPECT_DOUBLE_EQ(rows[1].mean, 14.0 / 3);
    const double m = 14.0 / 3;
    EXPECT_NEAR(rows[1].sd, std::sqrt(((2 - m) * (2 - m) + (4 - m) * (4 - m) + (8 - m) * (8 - m)) / 2),
                1e-12);
    EXPECT_EQ(rows[1].min, 2);
    EXPECT_EQ(rows[1].max, 8);

    EXPECT_EQ(rows[2].vertices, 0);
    EXPECT_TRUE(std::isnan(rows[2].mean) && std::isnan(rows[2].sd));

    EXPECT_EQ(rows[3].region, no_region);
    EXPECT_EQ(rows[3].vertices, 1);
    EXPECT_EQ(rows[3].mean, -7);
    EXPECT_TRUE(std::isnan(rows[3].sd)); // one value has no sample deviation
}

TEST(RegionStatistics, CsvQuotesNamesAndLeavesUndefinedFiguresEmpty)
{
    parcellation parcels;
    parcels.regions = {{0, "caudal, anterior", {}}, {3, "say \"hi\"", {}}};
    parcels.vertex_regions = {0, 0, 1, no_region};
    const std::vector<float> thickness = {2.5f, 3.5f, 1.25f, 9}, area = {1, 1, 1};
    const std::string csv = gyroscene::region_statistics_csv(
        parcels, {{"thickness", &thickness}, {"area mm2", &area}});
    EXPECT_EQ(csv, "column,key,region,vertices,mean,sd,min,max\n"
                   "thickness,0,\"caudal, anterior\",2,3,0.707106781,2.5,3.5\n"
                   "thickness,3,\"say \"\"hi\"\"\",1,1.25,,1.25,1.25\n"
                   "thickness,,unknown,1,9,,9,9\n"
                   "area mm2,0,\"caudal, anterior\",2,1,0,1,1\n"
                   "area mm2,3,\"say \"\"hi\"\"\",1,1,,1,1\n");
}

} // namespace
