// A home of the run's own for a test or timing program, so that the user's
// settings are never read or written.
#pragma once

#include <QFile>
#include <QTemporaryDir>

// False when the directory could not be made.
inline bool useHome(const QTemporaryDir& home)
{
    if (!home.isValid())
        return false;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/.config"));
    return true;
}
