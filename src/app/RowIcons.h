// The small pictures that tell the kinds of rows of the resource tree
// apart, whose titles can read alike (a surface and its statistics file
// both carry the file's base name).
#pragma once

#include <QIcon>

namespace RowIcons {

QIcon surface();
QIcon failedSurface();
QIcon statisticsFile();
QIcon column();
QIcon tagFile();
QIcon tagPoint();
QIcon parcellation();

}  // namespace RowIcons
