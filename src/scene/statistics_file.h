// Reading a statistics file for a surface, as the viewer reads one: the
// statistics format or another program's per-vertex data, the reader's
// own reason when it fails, and the warning when the rows and the
// surface's vertices differ in number.
#pragma once

#include <QString>
#include <QStringList>

class zelVertstatsFile;

namespace gyroscene {

// Whether the statistics reader can open and read the whole file: it ends
// the process on a file it cannot read, so callers ask here first. Only
// plain files: a pipe or device could block or never end.
bool statistics_file_readable(const QString& fileName);

// The report of a statistics file that could not be read, with the
// reader's reason when it gave one.
QString statistics_read_error(const QString& fileName, const QString& reason = QString());

// Reads `fileName`, which statistics_file_readable has accepted, into
// `file`. False with `error` set (statistics_read_error's text) when it
// cannot be read; the reader's lines reach standard error as they come and
// `warnings` after a successful read.
bool read_statistics_file(const QString& fileName, zelVertstatsFile& file, QString* error,
                          QStringList* warnings);

// The warning for a file of `rows` rows on a surface of `vertices` points.
QString row_count_warning(const QString& fileName, int rows, int vertices);

}  // namespace gyroscene
