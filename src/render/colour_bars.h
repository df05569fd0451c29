// The colour bars a figure may use: the program's built-in bars (copied once
// per process to files, since Coin reads textures from files), or the .png
// files of a directory, listed by name as the viewer lists its directory;
// after either, the colour maps (colour_maps.h).
#pragma once

#include <QString>
#include <QStringList>

namespace gyrorender {

class ColourBars
{
public:
    // The bars of `directory`, or the built-in bars when it is empty. False
    // with `error` set when there are none.
    bool list(const QString& directory, QStringList* paths, QString* error);

    // The bar named `name` (its file's base name, case ignored, with or
    // without ".png"); the first bar for an empty name. Empty when there is
    // no such bar.
    static QString find(const QStringList& paths, const QString& name);
    // The base names, for a message listing what there is.
    static QStringList names(const QStringList& paths);

private:
    QString builtInDirectory;
    QStringList builtIns;
};

}  // namespace gyrorender
