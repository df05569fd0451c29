// The perceptual colour maps built into the programs (viridis, magma,
// inferno, plasma and cividis, a diverging cool-to-warm map and a grey
// ramp), a user's own maps from text files, and both as bar images beside
// the colour-bar directory's PNG bars: written to a folder of the run's own,
// never into the directory, and listed after its bars.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

class QIODevice;

namespace gyroscene {

QStringList colour_map_names();

// The map as a bar: 8 x 256, its high end on top. Null for an unknown name.
QImage colour_map_image(const QString& name);

// A map from a text file, one entry a line: "r g b" at equal steps, or
// "position r g b" with positions (or values) rising; channels 0 to 1, or
// 0 to 255 when any is above 1. Blank lines and lines from '#' on are
// skipped. False with `error` naming the line.
bool read_colour_map(const QString& path, QImage* image, QString* error);
// The same from an open device, `path` naming it in messages.
bool read_colour_map(QIODevice& device, const QString& path, QImage* image, QString* error);

// The built-in maps and the .cmap files of `bar_directory` as PNG files in
// the run's own folder, built-ins first; `problems` gets a line for each
// text map that could not be read.
QStringList colour_map_files(const QString& bar_directory, QStringList* problems = nullptr);

}  // namespace gyroscene
