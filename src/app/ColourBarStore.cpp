#include "ColourBarStore.h"

#include "colour_maps.h"
#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>

#include <iostream>

QString ColourBarStore::defaultDirectory()
{
    QSettings settings = gyroluxSettings();
    return QFileInfo(settings.fileName()).path() + "/textures/";
}

QString ColourBarStore::directory(QSettings& settings)
{
    const QString fallback = QFileInfo(settings.fileName()).path() + "/textures/";
    QString dir = settings.value(directoryKey, fallback).toString();
    // An empty value would put the bars into the file-system root and list
    // the working directory.
    if (dir.trimmed().isEmpty())
        dir = fallback;
    if (settings.value(directoryKey).toString() != dir)
        settings.setValue(directoryKey, dir);
    return dir;
}

QString ColourBarStore::directory()
{
    QSettings settings = gyroluxSettings();
    return directory(settings);
}

namespace {

const char* const bundle = ":/resources/colourbars";

}  // namespace

bool ColourBarStore::installBuiltIns()
{
    QSettings settings = gyroluxSettings();
    const QString dir = directory(settings);
    std::cout << "TextureDir: " << dir.toLocal8Bit().constData() << std::endl;

    if (!QDir(dir).exists())
        QDir().mkpath(dir);

    bool complete = true;
    for (const QFileInfo& entry : QDir(bundle).entryInfoList()) {
        const QString base = entry.baseName();
        std::cout << "Basename: " << base.toLocal8Bit().constData() << std::endl;
        const QString target = dir + "/" + base + ".png";
        if (QFile::exists(target))
            continue;
        std::cout << "FILENAME: " << entry.filePath().toLocal8Bit().constData() << std::endl;
        const QImage image(entry.filePath());
        const bool saved = image.save(target);
        std::cout << "Created colourbar: " << target.toLocal8Bit().constData() << " "
                  << (image.isNull() ? 1 : 0) << " " << (saved ? 1 : 0) << std::endl;
        complete = complete && saved;
    }
    return complete;
}

bool ColourBarStore::canWrite(const QString& dir)
{
    // A directory yet to be made can be when its nearest existing ancestor
    // is a directory that can be written.
    QFileInfo info(dir);
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return false;
        info = QFileInfo(parent);
    }
    return info.isDir() && info.isWritable();
}

QString ColourBarStore::builtInCopies()
{
    // Made once per run, removed when the program ends.
    static QTemporaryDir copies(QDir::tempPath() + "/gyrolux-colourbars-XXXXXX");
    static bool written = false;
    if (!written && copies.isValid()) {
        written = true;
        for (const QFileInfo& entry : QDir(bundle).entryInfoList())
            QFile::copy(entry.filePath(), copies.filePath(entry.fileName()));
    }
    return copies.isValid() ? copies.path() : QString();
}

ColourBarList ColourBarStore::list()
{
    ColourBarList list;
    list.directory = directory();
    QStringList present;
    for (const QString& name : QDir(list.directory).entryList()) {
        if (name.endsWith(".png", Qt::CaseSensitive)) {
            list.bars.append(list.directory + "/" + name);
            present.append(name);
        }
    }
    list.maps = gyroscene::colour_map_files(list.directory);
    // Only a directory that cannot be written lacks the built-in bars for
    // good; an empty or missing one that could be written is the user's.
    if (canWrite(list.directory))
        return list;
    const QString copies = builtInCopies();
    for (const QString& name : QDir(bundle).entryList())
        if (!present.contains(name, Qt::CaseInsensitive) && !copies.isEmpty() &&
            QFileInfo(copies + "/" + name).isFile())
            list.bars.append(copies + "/" + name);
    return list;
}
