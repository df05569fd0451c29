// A file's row count against the surface's vertex count: statistics files
// are attached with a warning that says which way they differ; other
// programs' per-vertex data, one value a vertex by design, is refused.
#include "statistics_file.h"

#include <gtest/gtest.h>

using gyroscene::check_row_count;

TEST(RowCount, AgreeingOrUnknownCountsSayNothing)
{
    for (const char* name : {"a.vertstats", "lh.thickness", "a.mgh", "a.func.gii"}) {
        const auto same = check_row_count(name, 40962, 40962);
        EXPECT_TRUE(same.error.isEmpty() && same.warning.isEmpty()) << name;
        const auto unknown = check_row_count(name, 12, -1);
        EXPECT_TRUE(unknown.error.isEmpty() && unknown.warning.isEmpty()) << name;
    }
}

TEST(RowCount, StatisticsFilesAreAttachedWithAWarningWordedEachWay)
{
    const auto fewer = check_row_count("s.vertstats", 5, 8);
    EXPECT_TRUE(fewer.error.isEmpty());
    EXPECT_EQ(fewer.warning.toStdString(),
              "Warning: s.vertstats has 5 rows but the surface has 8 vertices; vertices without a "
              "value are coloured as below the lower limit");
    const auto more = check_row_count("s.txt", 133764, 40962);
    EXPECT_TRUE(more.error.isEmpty());
    EXPECT_EQ(more.warning.toStdString(),
              "Warning: s.txt has 133764 rows but the surface has 40962 vertices; the rows after "
              "the last vertex are not used");
}

TEST(RowCount, OtherProgramsDataOfAnotherCountIsRefusedNamingBoth)
{
    for (const char* name : {"lh.shape.gii", "lh.shape.gii.gz", "lh.area.mgz", "lh.area.mgh"}) {
        for (const int rows : {133764, 10}) {
            const auto check = check_row_count(name, rows, 40962);
            EXPECT_TRUE(check.warning.isEmpty()) << name;
            EXPECT_EQ(check.error.toStdString(),
                      std::string("ERROR: could not read file ") + name + ": it has " +
                          std::to_string(rows) + " values but the surface has 40962 vertices");
        }
    }
}
