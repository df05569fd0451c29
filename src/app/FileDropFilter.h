// Files dragged onto a window: watches the window's drag and drop events
// and hands over the local files of a drop.
#pragma once

#include <QObject>
#include <QStringList>

class QWidget;

class FileDropFilter : public QObject
{
    Q_OBJECT

public:
    // Lets `window` accept drops and watches them.
    explicit FileDropFilter(QWidget* window);

    // The local files among the data's URLs, in their order.
    static QStringList localFiles(const class QMimeData* data);

signals:
    void filesDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
