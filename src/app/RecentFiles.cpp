#include "RecentFiles.h"
#include "Settings.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

constexpr char key[] = "recentFiles";

}  // namespace

RecentFiles::RecentFiles(QMenu* menu) : QObject(menu), recentMenu(menu)
{
    rebuild();
}

QStringList RecentFiles::files() const
{
    const QSettings settings = gyroluxSettings();
    QStringList list = settings.value(key).toStringList();
    list.removeAll(QString());
    while (list.size() > maximum)
        list.removeLast();
    return list;
}

void RecentFiles::add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = files();
    list.removeAll(absolute);
    list.prepend(absolute);
    while (list.size() > maximum)
        list.removeLast();
    store(list);
}

void RecentFiles::remove(const QString& path)
{
    QStringList list = files();
    if (list.removeAll(path) > 0)
        store(list);
}

void RecentFiles::clear()
{
    store({});
}

QMenu* RecentFiles::menu() const
{
    return recentMenu;
}

void RecentFiles::store(const QStringList& list)
{
    QSettings settings = gyroluxSettings();
    settings.setValue(key, list);
    settings.sync();
    rebuild();
}

void RecentFiles::rebuild()
{
    // The action being triggered may be among these: it goes once its
    // signal has been delivered.
    for (QAction* action : recentMenu->actions()) {
        recentMenu->removeAction(action);
        action->deleteLater();
    }
    const QStringList list = files();
    for (int i = 0; i < list.size(); ++i) {
        const QString path = list[i];
        QString text = QDir::toNativeSeparators(path);
        text.replace('&', "&&");
        // The first nine take their number as the accelerator.
        QAction* action = recentMenu->addAction(i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(text)
                                                      : QStringLiteral("1&0 %1").arg(text));
        connect(action, &QAction::triggered, this, [this, path] { emit openRequested(path); });
    }
    recentMenu->addSeparator();
    QAction* clearAction = recentMenu->addAction(tr("&Clear List"), this, &RecentFiles::clear);
    clearAction->setEnabled(!list.isEmpty());
    recentMenu->setEnabled(!list.isEmpty());
}
