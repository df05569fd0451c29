// The window's size and the docks' places: the last session's if there is
// one, else a first layout fitted to the screen.
#include "MainWindow.h"
#include "Settings.h"

#include "BrainQuarter.h"
#include "ColourBarStore.h"
#include "MessageLog.h"

#include <QDockWidget>
#include <QLayout>
#include <QScreen>
#include <QSettings>

#include <algorithm>

namespace {

// Bumped when the docks change, so an older saved layout is not applied.
constexpr int layoutVersion = 1;

QSettings layoutSettings()
{
    return gyroluxSettings();
}

}  // namespace

void MainWindow::restoreLayout()
{
    // The right-hand docks keep the whole height; the message log, once it
    // opens itself, takes room from the view rather than from the tree.
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
    firstLayout();
    const QSettings settings = layoutSettings();
    const QByteArray geometry = settings.value("window/geometry").toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    const QByteArray state = settings.value("window/state").toByteArray();
    if (!state.isEmpty())
        restoreState(state, layoutVersion);
    // The log opens itself when there is news, not because it was open last time.
    messagesDock->setVisible(messageLog->count() > 0);
}

void MainWindow::firstLayout()
{
    // The size the parts ask for, widened so the panel has room for the
    // "Description" header and the property boxes' labels, then grown to
    // about two thirds of the screen where that is larger.
    adjustSize();
    layout()->activate();
    const QScreen* screen = this->screen();
    const QSize available = screen ? screen->availableGeometry().size() : size();
    const int panelWidth = width() - resourcesDock->width() + resourcesDock->sizeHint().width();
    const int resourcesHeight =
        std::max(resourcesDock->sizeHint().height(), viewer->minimumSizeHint().height());
    const int pickHeight = pickDock->sizeHint().height();
    const int docksHeight =
        height() - resourcesDock->height() - pickDock->height() + resourcesHeight + pickHeight;
    const int wantedWidth = std::max({width(), panelWidth, available.width() * 2 / 3});
    const int wantedHeight = std::max({height(), docksHeight, available.height() * 2 / 3});
    resize(std::min(wantedWidth, available.width()), std::min(wantedHeight, available.height()));
    // The panel as wide as it asks, the view takes the rest; the tree
    // above gets most of the height, the pick panel what it asks.
    resizeDocks({resourcesDock}, {resourcesDock->sizeHint().width()}, Qt::Horizontal);
    resizeDocks({resourcesDock, pickDock}, {std::max(height() - pickHeight, 1), pickHeight},
                Qt::Vertical);
}

void MainWindow::saveLayout() const
{
    QSettings settings = layoutSettings();
    settings.setValue("window/geometry", saveGeometry());
    settings.setValue("window/state", saveState(layoutVersion));
}
