// Helpers for the statistics tests: writing statistics files and colour
// bars, pointing the settings at a texture directory, capturing stderr.
#pragma once

#include "ColourBarStore.h"
#include "app_test_util.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>

#include <unistd.h>
#include <vector>

// A new-style statistics file: the column names on one line (joined by
// single spaces), then one row per line.
inline bool writeVertstats(const QString& path, const QStringList& names,
                           const std::vector<std::vector<float>>& columns)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray text = "<header>\n<history>\nmade by a test\n</history>\n</header>\n";
    text += names.join(' ').toUtf8() + "\n";
    const std::size_t rows = columns.empty() ? 0 : columns[0].size();
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < columns.size(); ++c)
            text += (c ? " " : "") + QByteArray::number(columns[c][r], 'g', 9);
        text += "\n";
    }
    return out.write(text) == text.size();
}

// A colour bar as the viewer expects: narrow and tall, `bottom` in the
// bottom row (texture coordinate 0) blending linearly to `top` in the top row.
inline bool writeColourBar(const QString& path, QColor bottom, QColor top, int width = 8,
                           int height = 64)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const double t = 1.0 - double(y) / (height - 1);
        const QColor c(int(bottom.red() + t * (top.red() - bottom.red()) + 0.5),
                       int(bottom.green() + t * (top.green() - bottom.green()) + 0.5),
                       int(bottom.blue() + t * (top.blue() - bottom.blue()) + 0.5));
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, c);
    }
    return image.save(path, "PNG");
}

inline void setTextureDir(const QString& dir)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, ColourBarStore::organisation,
                       ColourBarStore::application);
    settings.setValue(ColourBarStore::directoryKey, dir);
}

inline void removeTextureDirSetting()
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, ColourBarStore::organisation,
                       ColourBarStore::application);
    settings.remove(ColourBarStore::directoryKey);
}

inline QString textureDirSetting()
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, ColourBarStore::organisation,
                       ColourBarStore::application);
    return settings.value(ColourBarStore::directoryKey).toString();
}
