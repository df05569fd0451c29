// Every problem met while opening files, kept for the whole run: a list of
// each message beside the file it concerns, shown in a dock of the main
// window, whose status bar counts them.
#pragma once

#include "ReaderMessages.h"

#include <QList>
#include <QWidget>

class QTreeWidget;

class MessageLog : public QWidget
{
    Q_OBJECT

public:
    explicit MessageLog(QWidget* parent = nullptr);

    void add(const LoadMessage& message);
    int count() const;
    QList<LoadMessage> messages() const;
    QTreeWidget* getList() const;

signals:
    void added(int count);

private:
    QTreeWidget* list;
    QList<LoadMessage> entries;
};
