// The viewer's settings: one INI file, ~/.config/TARV/gyrolux.ini (its keys
// are listed in README). Whatever reads or writes a setting opens it here.
#pragma once

#include <QSettings>

QSettings gyroluxSettings();
