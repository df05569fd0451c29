// Reading a statistics file for a surface, as the viewer reads one: the
// statistics format or another program's per-vertex data, the reader's
// own reason when it fails, and the warning when the rows and the
// surface's vertices differ in number.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class zelVertstatsFile;

namespace gyroscene {

struct surface_part;

// Whether the statistics reader can open and read the whole file: it ends
// the process on a file it cannot read, so callers ask here first. Only
// plain files: a pipe or device could block or never end. With `bytes`,
// what was read is kept there, so that the read that follows need not read
// the file again.
bool statistics_file_readable(const QString& fileName, QByteArray* bytes = nullptr);

// The report of a statistics file that could not be read, with the
// reader's reason when it gave one.
QString statistics_read_error(const QString& fileName, const QString& reason = QString());

// Reads `fileName`, which statistics_file_readable has accepted, into
// `file`. False with `error` set (statistics_read_error's text) when it
// cannot be read; the reader's lines reach standard error as they come and
// `warnings` after a successful read. `bytes`, when given, are the file's
// contents as statistics_file_readable kept them (statistics format only).
// A CIFTI-2 file of both hemispheres gives `part`'s share of it, and is
// refused without one.
bool read_statistics_file(const QString& fileName, zelVertstatsFile& file, QString* error,
                          QStringList* warnings, const QByteArray* bytes = nullptr,
                          const surface_part* part = nullptr);

// The warning for a statistics file of `rows` rows on a surface of
// `vertices` points, worded for more rows as for fewer.
QString row_count_warning(const QString& fileName, int rows, int vertices);

// What a file of `rows` rows comes to on a surface of `vertices` points
// (unknown when negative): nothing when they agree; a statistics file is
// attached with row_count_warning; other programs' per-vertex data (curv,
// MGH/MGZ, GIFTI) has one value a vertex by design, so a different count
// means another surface's data and is refused, naming both counts.
struct row_count_check {
    QString error;
    QString warning;
};
row_count_check check_row_count(const QString& fileName, int rows, int vertices);

}  // namespace gyroscene
