// The built-in colour maps and a user's own from a text file, as bars.
#include "colour_maps.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QColor top(const QImage& bar) { return bar.pixelColor(bar.width() / 2, 0); }
QColor bottom(const QImage& bar) { return bar.pixelColor(bar.width() / 2, bar.height() - 1); }

bool write(const QString& path, const char* text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == qint64(qstrlen(text));
}

TEST(ColourMaps, BuiltInsRunFromTheirLowToTheirHighEnd)
{
    const QImage viridis = gyroscene::colour_map_image("viridis");
    ASSERT_FALSE(viridis.isNull());
    EXPECT_EQ(bottom(viridis), QColor(0x44, 0x01, 0x54));  // purple
    EXPECT_EQ(top(viridis), QColor(0xfd, 0xe7, 0x25));     // yellow
    const QImage grey = gyroscene::colour_map_image("grey");
    const QColor middle = grey.pixelColor(0, grey.height() / 2);
    EXPECT_EQ(middle.red(), middle.blue());
    EXPECT_NEAR(middle.red(), 128, 1);
    EXPECT_TRUE(gyroscene::colour_map_image("jet").isNull());
}

TEST(ColourMaps, TextMapsInEitherLayoutAndTheirFaults)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath("fire.cmap"), placed = dir.filePath("placed.cmap");
    ASSERT_TRUE(write(plain, "# black to red\n0 0 0\n1 0 0\n"));
    // Positions in value units, channels in bytes: red for the lower 3/4.
    ASSERT_TRUE(write(placed, "-1 255 0 0\n2 255 0 0\n3 0 0 255\n"));
    QImage image;
    QString error;
    ASSERT_TRUE(gyroscene::read_colour_map(plain, &image, &error)) << error.toStdString();
    EXPECT_EQ(bottom(image), QColor(0, 0, 0));
    EXPECT_EQ(top(image), QColor(255, 0, 0));
    ASSERT_TRUE(gyroscene::read_colour_map(placed, &image, &error)) << error.toStdString();
    EXPECT_EQ(image.pixelColor(0, image.height() - image.height() * 7 / 10), QColor(255, 0, 0));
    EXPECT_EQ(bottom(image), QColor(255, 0, 0));
    EXPECT_EQ(top(image), QColor(0, 0, 255));

    const struct {
        const char* text;
        const char* says;
    } bad[] = {{"0 0 0\n", "two entries"},
               {"0 0 0\n1 x 0\n", "line 2: \"x\" is not a number"},
               {"0 0 0 0\n1 1 1\n", "line 2"},
               {"1 0 0 0\n0 1 1 1\n", "positions must rise"},
               {"0 0 0\n1 300 0\n", "outside 0 to 255"}};
    for (const auto& b : bad) {
        ASSERT_TRUE(write(dir.filePath("bad.cmap"), b.text));
        EXPECT_FALSE(gyroscene::read_colour_map(dir.filePath("bad.cmap"), &image, &error)) << b.text;
        EXPECT_TRUE(error.contains(b.says)) << error.toStdString();
    }

    // Listed after the built-ins; a broken one is named, not listed.
    QStringList problems;
    const QStringList files = gyroscene::colour_map_files(dir.path(), &problems);
    ASSERT_EQ(files.size(), gyroscene::colour_map_names().size() + 2);
    EXPECT_EQ(QFileInfo(files.first()).completeBaseName(), "viridis");
    EXPECT_EQ(QFileInfo(files.last()).completeBaseName(), "placed");
    EXPECT_FALSE(files.first().startsWith(dir.path()));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.first().contains("bad.cmap"));
}

}  // namespace
