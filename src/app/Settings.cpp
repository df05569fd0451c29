#include "Settings.h"

QSettings gyroluxSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("TARV"),
                     QStringLiteral("gyrolux"));
}
