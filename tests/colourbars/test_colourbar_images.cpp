// The built-in colour bars: registered before main(), five PNG files of the
// right sizes and PNG colour types, vertical ramps through their stops.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

const QString bundle = ":/resources/colourbars";

struct Expected {
    const char *file;
    int width;
    int height;
    int colour_type;   // PNG IHDR: 2 = RGB, 6 = RGB with alpha
};

const Expected expected[] = {
    {"full_saturation.png", 10, 699, 6},
    {"hotblue.png", 9, 746, 2},
    {"hotred.png", 7, 745, 2},
    {"spectral.png", 7, 551, 6},
    {"sunrise.png", 10, 699, 6},
};

std::uint32_t big_endian(const QByteArray &bytes, int at)
{
    auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

QImage load(const char *file)
{
    QImage image(bundle + "/" + file);
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Every channel within 'tolerance' levels of #rrggbb.
testing::AssertionResult near_colour(QRgb pixel, unsigned rgb, int tolerance)
{
    const int want[3] = {int(rgb >> 16 & 0xff), int(rgb >> 8 & 0xff), int(rgb & 0xff)};
    const int got[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
    for (int c = 0; c < 3; ++c)
        if (std::abs(want[c] - got[c]) > tolerance)
            return testing::AssertionFailure()
                   << "got " << QString::asprintf("#%02x%02x%02x", got[0], got[1], got[2]).toStdString()
                   << ", want " << QString::asprintf("#%06x", rgb).toStdString();
    return testing::AssertionSuccess();
}

TEST(ColourbarImages, BundleListsTheFiveBarsInOrder)
{
    const QStringList names = QDir(bundle).entryList();
    ASSERT_EQ(names.size(), 5) << names.join(", ").toStdString();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(names[i].toStdString(), expected[i].file);
}

TEST(ColourbarImages, SizesAndPngColourTypes)
{
    for (const Expected &e : expected) {
        QFile file(bundle + "/" + e.file);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << e.file;
        const QByteArray bytes = file.readAll();
        ASSERT_GE(bytes.size(), 33) << e.file;
        EXPECT_EQ(bytes.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8)) << e.file;
        EXPECT_EQ(bytes.mid(12, 4), QByteArray("IHDR")) << e.file;
        EXPECT_EQ(big_endian(bytes, 16), std::uint32_t(e.width)) << e.file;
        EXPECT_EQ(big_endian(bytes, 20), std::uint32_t(e.height)) << e.file;
        EXPECT_EQ(int(bytes[24]), 8) << e.file << ": bit depth";
        EXPECT_EQ(int(bytes[25]), e.colour_type) << e.file << ": colour type";
    }
}

TEST(ColourbarImages, RowsAreUniformAndOpaque)
{
    for (const Expected &e : expected) {
        const QImage image = load(e.file);
        ASSERT_FALSE(image.isNull()) << e.file;
        for (int y = 0; y < image.height(); ++y) {
            const unsigned first = image.pixel(0, y) & 0xffffff;
            for (int x = 0; x < image.width(); ++x) {
                ASSERT_EQ(qAlpha(image.pixel(x, y)), 255) << e.file << " " << x << "," << y;
                ASSERT_TRUE(near_colour(image.pixel(x, y), first, 3))
                    << e.file << " " << x << "," << y;
            }
        }
    }
}

struct StopCheck {
    const char *file;
    int row;
    unsigned rgb;
};

TEST(ColourbarImages, StopsAndRampsBetweenThem)
{
    const StopCheck checks[] = {
        {"full_saturation.png", 0, 0xff0000}, {"full_saturation.png", 344, 0x06ff0c},
        {"full_saturation.png", 698, 0x1a0cff},
        {"hotblue.png", 0, 0xffffff}, {"hotblue.png", 382, 0x007af9},
        {"hotblue.png", 745, 0x000002},
        // half-way between 0 #ffffff and 196 #79f9ff
        {"hotblue.png", 98, 0xbcfcff},
        {"hotred.png", 194, 0xff79f9}, {"hotred.png", 744, 0x010000},
        // half-way between 380 #f9007a and 567 #7a0000 (row 473.5)
        {"hotred.png", 473, 0xba003d},
        {"spectral.png", 0, 0xcc1212}, {"spectral.png", 113, 0xff9f00},
        {"spectral.png", 221, 0x06fe00}, {"spectral.png", 533, 0x5c0069},
        {"sunrise.png", 0, 0xffffff}, {"sunrise.png", 358, 0xb43b33},
        {"sunrise.png", 698, 0xd9fbff},
        // half-way between 492 #5970cd and 698 #d9fbff
        {"sunrise.png", 595, 0x99b6e6},
    };
    for (const StopCheck &c : checks) {
        const QImage image = load(c.file);
        ASSERT_FALSE(image.isNull()) << c.file;
        EXPECT_TRUE(near_colour(image.pixel(image.width() / 2, c.row), c.rgb, 10))
            << c.file << " row " << c.row;
    }
}

TEST(ColourbarImages, SpectralEndsInAWhiteStrip)
{
    const QImage image = load("spectral.png");
    ASSERT_EQ(image.height(), 551);
    for (int y = 534; y < 551; ++y)
        EXPECT_TRUE(near_colour(image.pixel(3, y), 0xffffff, 0)) << "row " << y;
    EXPECT_FALSE(near_colour(image.pixel(3, 533), 0xffffff, 10));
}

} // namespace
