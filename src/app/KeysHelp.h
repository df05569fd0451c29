// Every key and mouse action the view and the window react to, for the
// Help menu's list (README.md lists the same).
#pragma once

#include <QList>
#include <QString>

struct KeyHelpEntry {
    QString keys;
    QString action;
};

// In the order the list shows them: the mouse, the view's own keys, then
// the menus' shortcuts.
QList<KeyHelpEntry> keyHelpEntries();
// The list as a table for a message box.
QString keyHelpHtml();
