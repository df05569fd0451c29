// Answering Qt's modal dialogs from a test: the static dialog functions
// block in their own event loop, so the answer has to be queued first.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Runs `act` on the first visible dialog of type T once it is up. The dialog
// must be seen on a few polls in a row: a timer can fire while show() is
// still running, before exec() has its loop, and closing it then would leave
// exec() waiting for ever. Gives up after ten seconds (or five after `act`),
// rejecting the dialog so the test cannot hang.
template <typename T>
void whenDialog(std::function<void(T*)> act)
{
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    auto seen = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, seen, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<T*>(widget);
            if (dialog && dialog->isVisible() && ++*seen >= 3) {
                poll->stop();
                poll->deleteLater();
                act(dialog);
                // A dialog that refused to close would block the test.
                QPointer<QDialog> left(dialog);
                QTimer::singleShot(5000, [left] {
                    if (left && left->isVisible())
                        left->reject();
                });
                return;
            }
        }
        if (++*tries > 200) {
            poll->stop();
            poll->deleteLater();
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                    dialog->reject();
        }
    });
    poll->start(50);
}
