// Draws the built-in colour bars from their stop tables, at build time, so
// that no binary image lives in the source tree. Each bar is a vertical
// ramp: every row one colour, linear between the stops, row 0 at the top.
//
//   gen_colourbars <output directory>
#include <QDir>
#include <QImage>
#include <QString>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct Stop {
    int row;
    unsigned rgb;   // 0xRRGGBB
};

struct Colourbar {
    const char *name;
    int width;
    int height;
    bool with_alpha;   // written as RGBA (alpha 255) rather than RGB
    std::vector<Stop> stops;
    int white_from;    // rows from here to the bottom are white; -1 for none
};

const std::vector<Colourbar> colourbars = {
    {"full_saturation", 10, 699, true,
     {{0, 0xff0000}, {273, 0xf8ff03}, {344, 0x06ff0c}, {414, 0x09f7ff}, {687, 0x130cff},
      {698, 0x1a0cff}},
     -1},
    {"hotblue", 9, 746, false,
     {{0, 0xffffff}, {196, 0x79f9ff}, {382, 0x007af9}, {569, 0x00007a}, {745, 0x000002}},
     -1},
    {"hotred", 7, 745, false,
     {{0, 0xfffdff}, {194, 0xff79f9}, {380, 0xf9007a}, {567, 0x7a0000}, {744, 0x010000}},
     -1},
    {"spectral", 7, 551, true,
     {{0, 0xcc1212}, {26, 0xcc0b0b}, {48, 0xd90000}, {83, 0xfe0900}, {113, 0xff9f00},
      {168, 0xe9ef00}, {195, 0xaeff00}, {221, 0x06fe00}, {306, 0x009a08}, {335, 0x00aa8c},
      {392, 0x0094dd}, {419, 0x0068dd}, {446, 0x0000d8}, {473, 0x0900a9}, {500, 0x840098},
      {529, 0x6d007c}, {533, 0x5c0069}},
     534},
    {"sunrise", 10, 699, true,
     {{0, 0xffffff}, {166, 0xf3edc1}, {292, 0xfaae70}, {341, 0xf98643}, {358, 0xb43b33},
      {371, 0x8c1a28}, {394, 0x492912}, {432, 0x504e78}, {492, 0x5970cd}, {698, 0xd9fbff}},
     -1},
};

int channel(unsigned rgb, int shift)
{
    return static_cast<int>((rgb >> shift) & 0xff);
}

QRgb colour_at(const Colourbar &bar, int row)
{
    if (bar.white_from >= 0 && row >= bar.white_from)
        return qRgb(255, 255, 255);
    const std::vector<Stop> &stops = bar.stops;
    if (row <= stops.front().row)
        return 0xff000000u | stops.front().rgb;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (row > stops[i].row)
            continue;
        const Stop &a = stops[i - 1];
        const Stop &b = stops[i];
        double t = double(row - a.row) / double(b.row - a.row);
        auto mix = [&](int shift) {
            return static_cast<int>(std::lround(channel(a.rgb, shift) +
                                                t * (channel(b.rgb, shift) - channel(a.rgb, shift))));
        };
        return qRgb(mix(16), mix(8), mix(0));
    }
    return 0xff000000u | stops.back().rgb;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_colourbars <output directory>\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "gen_colourbars: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const Colourbar &bar : colourbars) {
        // RGB32 images are written as PNG colour type 2, ARGB32 as type 6.
        QImage image(bar.width, bar.height,
                     bar.with_alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        for (int row = 0; row < bar.height; ++row) {
            const QRgb colour = colour_at(bar, row);
            QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(row));
            for (int x = 0; x < bar.width; ++x)
                line[x] = colour;
        }
        const QString path = dir + "/" + bar.name + ".png";
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "gen_colourbars: cannot write %s\n",
                         path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
