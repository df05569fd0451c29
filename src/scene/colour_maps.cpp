#include "colour_maps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace gyroscene {

namespace {

constexpr int mapWidth = 8;
constexpr int mapHeight = 256;
// Largest text map read; a colour map has a few hundred entries at most.
constexpr qint64 maxMapBytes = 1 << 20;

struct built_in_map {
    const char* name;
    std::vector<unsigned> stops;  // 0xRRGGBB from low to high, equal steps
};

// Sampled at 33 equal steps from matplotlib's tables; linear between them
// they stay within a few levels of the originals.
const std::vector<built_in_map>& built_ins()
{
    static const std::vector<built_in_map> maps = {
    {"viridis",
     {0x440154, 0x470d60, 0x48186a, 0x482374, 0x472d7b, 0x453781, 0x424086, 0x3e4989,
      0x3b528b, 0x375b8d, 0x33638d, 0x2f6b8e, 0x2c728e, 0x297a8e, 0x26828e, 0x23898e,
      0x21918c, 0x1f988b, 0x1fa088, 0x22a785, 0x28ae80, 0x32b67a, 0x3fbc73, 0x4ec36b,
      0x5ec962, 0x70cf57, 0x84d44b, 0x98d83e, 0xaddc30, 0xc2df23, 0xd8e219, 0xece51b,
      0xfde725}},
    {"magma",
     {0x000004, 0x030312, 0x0a0822, 0x130d34, 0x1d1147, 0x29115a, 0x36106b, 0x440f76,
      0x51127c, 0x5d177f, 0x6a1c81, 0x762181, 0x832681, 0x902a81, 0x9c2e7f, 0xaa337d,
      0xb73779, 0xc43c75, 0xd0416f, 0xdc4869, 0xe75263, 0xef5d5e, 0xf56b5c, 0xf9795d,
      0xfc8961, 0xfd9869, 0xfea772, 0xfeb67c, 0xfec488, 0xfed395, 0xfde2a3, 0xfcf0b2,
      0xfcfdbf}},
    {"inferno",
     {0x000004, 0x040312, 0x0b0724, 0x150b37, 0x210c4a, 0x2f0a5b, 0x3d0965, 0x4a0c6b,
      0x57106e, 0x64156e, 0x71196e, 0x7d1e6d, 0x8a226a, 0x972766, 0xa32c61, 0xb0315b,
      0xbc3754, 0xc73e4c, 0xd24644, 0xdb503b, 0xe45a31, 0xeb6628, 0xf1731d, 0xf68013,
      0xf98e09, 0xfb9d07, 0xfcac11, 0xfbbc21, 0xf9cb35, 0xf5db4c, 0xf2ea69, 0xf3f68a,
      0xfcffa4}},
    {"plasma",
     {0x0d0887, 0x220690, 0x310597, 0x3f049c, 0x4c02a1, 0x5901a5, 0x6600a7, 0x7201a8,
      0x7e03a8, 0x8a09a5, 0x9511a1, 0xa01a9c, 0xaa2395, 0xb32c8e, 0xbc3587, 0xc43e7f,
      0xcc4778, 0xd35171, 0xda5a6a, 0xe06363, 0xe66c5c, 0xeb7655, 0xf0804e, 0xf58b47,
      0xf89540, 0xfba139, 0xfdac33, 0xfeb82c, 0xfdc527, 0xfcd225, 0xf8df25, 0xf4ed27,
      0xf0f921}},
    {"cividis",
     {0x00224e, 0x00285b, 0x002e6a, 0x053371, 0x1a386f, 0x273e6e, 0x32436d, 0x3b496c,
      0x434e6c, 0x4b546c, 0x535a6d, 0x5a5f6e, 0x61656f, 0x686a71, 0x6f7073, 0x767676,
      0x7d7c78, 0x848279, 0x8c8878, 0x938e78, 0x9b9476, 0xa39a74, 0xaba072, 0xb4a76f,
      0xbcae6c, 0xc4b468, 0xcdbb63, 0xd5c25e, 0xdec958, 0xe7d150, 0xf0d846, 0xf9e03a,
      0xfee838}},
    {"coolwarm",
     {0x3b4cc0, 0x445acc, 0x4e68d8, 0x5875e1, 0x6282ea, 0x6c8ff1, 0x779af7, 0x82a6fb,
      0x8db0fe, 0x98b9ff, 0xa3c2fe, 0xaec9fc, 0xb9d0f9, 0xc3d5f4, 0xccd9ed, 0xd5dbe5,
      0xdddcdc, 0xe5d8d1, 0xecd3c5, 0xf1ccb8, 0xf5c4ac, 0xf7ba9f, 0xf7b093, 0xf6a586,
      0xf4987a, 0xf08b6e, 0xeb7d62, 0xe46e56, 0xdd5f4b, 0xd44e41, 0xca3b37, 0xbe242e,
      0xb40426}},

        {"grey", {0x000000, 0xffffff}},
    };
    return maps;
}

struct entry {
    double position;
    double rgb[3];
};

// Rows top (high) to bottom (low), linear between the entries.
QImage ramp_image(const std::vector<entry>& entries)
{
    QImage image(mapWidth, mapHeight, QImage::Format_RGB32);
    const double first = entries.front().position, last = entries.back().position;
    for (int row = 0; row < mapHeight; ++row) {
        const double at = first + (last - first) * double(mapHeight - 1 - row) / (mapHeight - 1);
        std::size_t k = 1;
        while (k + 1 < entries.size() && entries[k].position < at)
            ++k;
        const entry& a = entries[k - 1];
        const entry& b = entries[k];
        const double span = b.position - a.position;
        const double t = span > 0.0 ? std::clamp((at - a.position) / span, 0.0, 1.0) : 1.0;
        int c[3];
        for (int i = 0; i < 3; ++i)
            c[i] = int(std::lround(std::clamp(a.rgb[i] + t * (b.rgb[i] - a.rgb[i]), 0.0, 255.0)));
        const QRgb colour = qRgb(c[0], c[1], c[2]);
        for (int x = 0; x < mapWidth; ++x)
            image.setPixel(x, row, colour);
    }
    return image;
}

}  // namespace

QStringList colour_map_names()
{
    QStringList names;
    for (const built_in_map& map : built_ins())
        names << QString::fromLatin1(map.name);
    return names;
}

QImage colour_map_image(const QString& name)
{
    for (const built_in_map& map : built_ins()) {
        if (name != QLatin1String(map.name))
            continue;
        std::vector<entry> entries;
        const std::size_t n = map.stops.size();
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned rgb = map.stops[i];
            entries.push_back({double(i) / double(n - 1),
                               {double((rgb >> 16) & 0xff), double((rgb >> 8) & 0xff),
                                double(rgb & 0xff)}});
        }
        return ramp_image(entries);
    }
    return {};
}

bool read_colour_map(const QString& path, QImage* image, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: cannot be read").arg(path);
        return false;
    }
    return read_colour_map(file, path, image, error);
}

bool read_colour_map(QIODevice& device, const QString& path, QImage* image, QString* error)
{
    if (device.size() > maxMapBytes) {
        *error = QStringLiteral("%1: larger than a colour map (%2 bytes)").arg(path).arg(device.size());
        return false;
    }
    std::vector<entry> entries;
    int columns = 0;
    bool bytes = false;
    int number = 0;
    QTextStream in(&device);
    while (!in.atEnd()) {
        QString line = in.readLine();
        ++number;
        line.truncate(line.indexOf('#') < 0 ? line.size() : line.indexOf('#'));
        const QStringList words = line.simplified().split(' ', Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        if ((words.size() != 3 && words.size() != 4) || (columns && int(words.size()) != columns)) {
            *error = QStringLiteral("%1: line %2: \"r g b\" or \"position r g b\" on every line")
                         .arg(path).arg(number);
            return false;
        }
        columns = int(words.size());
        double v[4] = {};
        for (int i = 0; i < columns; ++i) {
            bool ok = false;
            v[i] = words[i].toDouble(&ok);
            if (!ok || !std::isfinite(v[i])) {
                *error = QStringLiteral("%1: line %2: \"%3\" is not a number").arg(path).arg(number).arg(words[i]);
                return false;
            }
        }
        const int first = columns - 3;
        entry e{columns == 4 ? v[0] : double(entries.size()), {v[first], v[first + 1], v[first + 2]}};
        for (double c : e.rgb)
            if (c < 0.0 || c > 255.0) {
                *error = QStringLiteral("%1: line %2: a channel outside 0 to 255").arg(path).arg(number);
                return false;
            }
        if (!entries.empty() && e.position <= entries.back().position) {
            *error = QStringLiteral("%1: line %2: positions must rise").arg(path).arg(number);
            return false;
        }
        bytes = bytes || *std::max_element(e.rgb, e.rgb + 3) > 1.0;
        entries.push_back(e);
    }
    if (entries.size() < 2) {
        *error = QStringLiteral("%1: a colour map needs two entries or more").arg(path);
        return false;
    }
    if (!bytes)
        for (entry& e : entries)
            for (double& c : e.rgb)
                c *= 255.0;
    *image = ramp_image(entries);
    return true;
}

QStringList colour_map_files(const QString& bar_directory, QStringList* problems)
{
    // One folder a run, removed when the program ends.
    static std::unique_ptr<QTemporaryDir> folder;
    if (!folder)
        folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/gyrolux-maps-XXXXXX");
    if (!folder->isValid())
        return {};
    QStringList files;
    for (const QString& name : colour_map_names()) {
        const QString target = folder->filePath(name + ".png");
        if (QFileInfo::exists(target) || colour_map_image(name).save(target, "PNG"))
            files << target;
    }
    if (bar_directory.isEmpty())
        return files;
    const QDir dir(bar_directory);
    for (const QString& name : dir.entryList({QStringLiteral("*.cmap")}, QDir::Files, QDir::Name)) {
        const QString base = QFileInfo(name).completeBaseName();
        // A PNG bar or a built-in of the same name comes first.
        if (QFileInfo::exists(dir.filePath(base + ".png")) || colour_map_names().contains(base))
            continue;
        QImage image;
        QString error;
        const QString target = folder->filePath(base + ".png");
        if (!read_colour_map(dir.filePath(name), &image, &error)) {
            if (problems)
                problems->append(error);
            continue;
        }
        if (image.save(target, "PNG"))
            files << target;
    }
    return files;
}

}  // namespace gyroscene
