#include "MessageLog.h"

#include "message_text.h"

#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

MessageLog::MessageLog(QWidget* parent) : QWidget(parent)
{
    list = new QTreeWidget(this);
    list->setObjectName("messageList");
    list->setColumnCount(2);
    list->setHeaderLabels({tr("File"), tr("Message")});
    list->setRootIsDecorated(false);
    list->setWordWrap(true);
    list->setAlternatingRowColors(true);
    list->header()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list);
}

void MessageLog::add(const LoadMessage& message)
{
    entries.append(message);
    const bool error = message.kind == LoadMessage::Kind::Error;
    // The name alone fits the column; the whole path is one hover away.
    const QString name = message.file.isEmpty() ? QString() : QFileInfo(message.file).fileName();
    const QString text = gyroscene::message_text(message.text);
    auto* row = new QTreeWidgetItem(list, {gyroscene::message_text(name), text});
    row->setIcon(0, style()->standardIcon(error ? QStyle::SP_MessageBoxCritical
                                                : QStyle::SP_MessageBoxWarning));
    row->setToolTip(0, gyroscene::message_text(message.file));
    row->setToolTip(1, text);
    list->resizeColumnToContents(0);
    list->scrollToItem(row);
    emit added(count());
}

int MessageLog::count() const
{
    return static_cast<int>(entries.size());
}

QList<LoadMessage> MessageLog::messages() const
{
    return entries;
}

QTreeWidget* MessageLog::getList() const
{
    return list;
}
