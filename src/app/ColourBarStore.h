// The colour bars on disk: where the settings say the texture directory is,
// the fallback when they do not, installing the built-in bars there, and
// the bars a statistics column can choose from, with the built-in ones
// standing in for any the directory lacks.
#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// The bars found in the texture directory at one listing: full paths, by
// name with case ignored.
struct ColourBarList {
    QString directory;
    QStringList bars;
    // The colour maps, offered after the bars (colour_maps.h).
    QStringList maps;
};

class ColourBarStore
{
public:
    // The settings store holding the directory (INI format, user scope).
    static constexpr const char* organisation = "TARV";
    static constexpr const char* application = "gyrolux";
    static constexpr const char* directoryKey = "textureDir";

    // The directory holding the settings file, followed by "/textures/".
    static QString defaultDirectory();
    // The directory named by the settings, or the default when the key is
    // missing or blank; written back whenever the stored value differs, so
    // after this the key always names the directory in use.
    static QString directory();

    // Copies every built-in bar that is not there yet into the directory,
    // creating it first; a file already there is never replaced. False when
    // a bar could not be written.
    static bool installBuiltIns();
    // Lists the directory once, for every column of a statistics file. When
    // the directory cannot be written, a built-in bar missing there is
    // listed from a copy of the program's own, after the directory's bars.
    static ColourBarList list();

private:
    static QString directory(QSettings& settings);
    // Where this run keeps copies of the built-in bars for the texture
    // reader, which only reads files; empty when they cannot be made.
    static QString builtInCopies();
    static bool canWrite(const QString& dir);
};
