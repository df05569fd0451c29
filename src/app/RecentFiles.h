// File > Open Recent: the last files opened, newest first, kept in the
// settings so that they outlive the program.
#pragma once

#include <QObject>
#include <QStringList>

class QMenu;

class RecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int maximum = 10;

    // Fills `menu` from the settings.
    explicit RecentFiles(QMenu* menu);

    // Puts the file first (by its absolute path), dropping the oldest
    // beyond the maximum.
    void add(const QString& path);
    void remove(const QString& path);
    void clear();
    QStringList files() const;
    QMenu* menu() const;

signals:
    void openRequested(const QString& path);

private:
    void store(const QStringList& files);
    void rebuild();

    QMenu* recentMenu;
};
