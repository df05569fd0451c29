#include "ColourBarStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>

#include <iostream>

QString ColourBarStore::defaultDirectory()
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, organisation, application);
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
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, organisation, application);
    return directory(settings);
}

void ColourBarStore::installBuiltIns()
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, organisation, application);
    const QString dir = directory(settings);
    std::cout << "TextureDir: " << dir.toLocal8Bit().constData() << std::endl;

    if (!QDir(dir).exists())
        QDir().mkpath(dir);

    const QDir bundle(":/resources/colourbars");
    for (const QFileInfo& entry : bundle.entryInfoList()) {
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
    }
}

ColourBarList ColourBarStore::list()
{
    ColourBarList list;
    list.directory = directory();
    for (const QString& name : QDir(list.directory).entryList()) {
        if (name.endsWith(".png", Qt::CaseSensitive))
            list.bars.append(list.directory + "/" + name);
    }
    return list;
}
