#include "colour_bars.h"

#include "colour_maps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace gyrorender {

namespace {

const char* const bundle = ":/resources/colourbars";

// Removed when the program ends.
std::unique_ptr<QTemporaryDir> copies;

}  // namespace

bool ColourBars::list(const QString& directory, QStringList* paths, QString* error)
{
    paths->clear();
    if (!directory.isEmpty()) {
        const QDir dir(directory);
        if (!dir.exists()) {
            *error = QStringLiteral("colour-bar directory %1 does not exist").arg(directory);
            return false;
        }
        // The viewer's order: by name, case counted, .png files only.
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
            if (name.endsWith(".png", Qt::CaseSensitive))
                paths->append(dir.filePath(name));
        if (paths->isEmpty()) {
            *error = QStringLiteral("no .png colour bars in %1").arg(directory);
            return false;
        }
        *paths += gyroscene::colour_map_files(directory);
        return true;
    }
    if (builtIns.isEmpty()) {
        if (!copies)
            copies = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                     "/gyrolux-render-bars-XXXXXX");
        if (!copies->isValid()) {
            *error = QStringLiteral("cannot make a directory for the colour bars in %1")
                         .arg(QDir::tempPath());
            return false;
        }
        for (const QString& name : QDir(bundle).entryList(QDir::Files, QDir::Name)) {
            const QString target = copies->filePath(name);
            if (!QFile::copy(QString(bundle) + "/" + name, target)) {
                *error = QStringLiteral("cannot write the colour bar %1").arg(target);
                return false;
            }
            builtIns.append(target);
        }
        if (builtIns.isEmpty()) {
            *error = QStringLiteral("the program has no built-in colour bars");
            return false;
        }
    }
    *paths = builtIns + gyroscene::colour_map_files(QString());
    return true;
}

QString ColourBars::find(const QStringList& paths, const QString& name)
{
    if (name.isEmpty())
        return paths.isEmpty() ? QString() : paths.first();
    QString base = name;
    if (base.endsWith(".png", Qt::CaseInsensitive))
        base.chop(4);
    for (const QString& path : paths)
        if (QFileInfo(path).completeBaseName().compare(base, Qt::CaseInsensitive) == 0)
            return path;
    return QString();
}

QStringList ColourBars::names(const QStringList& paths)
{
    QStringList result;
    for (const QString& path : paths)
        result.append(QFileInfo(path).completeBaseName());
    return result;
}

}  // namespace gyrorender
