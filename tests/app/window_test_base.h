// What the tests that drive the real main window share: the window, its
// tree, showing it until a frame is drawn, and aiming at the 3-D view.
#pragma once

#include "BrainQuarter.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "TreeModel.h"

#include <Inventor/SbViewVolume.h>
#include <Inventor/nodes/SoCamera.h>

#include <QFile>
#include <QTreeView>
#include <QtTest>

#include <memory>

class WindowTestBase : public QObject
{
protected:
    std::unique_ptr<MainWindow> window;

    bool open(const QString& path)
    {
        QFile f(path);
        return window->openFile(f);
    }
    TreeModel* model() const { return window->getResources()->getModel(); }
    TreeItem* root() const { return window->getResources()->getRootItem(); }
    // The model's index of a row of the tree.
    QModelIndex indexOf(TreeItem* item) const
    {
        if (item == root())
            return QModelIndex();
        return model()->index(item->childNumber(), 0, indexOf(item->parent()));
    }

    // Shows the window and waits until the view has drawn a frame. Wide
    // enough that the view beside the panel stays wider than tall, as
    // project() assumes.
    void showWindow()
    {
        window->resize(1200, 700);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY(window->getViewer()->frameCount() > 0);
    }
    // Waits until the view has drawn a frame after everything asked so far.
    void waitForFrame()
    {
        BrainQuarter* viewer = window->getViewer();
        const quint64 before = viewer->frameCount();
        viewer->update();
        QTRY_VERIFY(viewer->frameCount() > before);
    }
    // Where a world point shows in the view, in widget pixels.
    QPoint project(const SbVec3f& world) const
    {
        BrainQuarter* viewer = window->getViewer();
        const float aspect = float(viewer->width()) / float(viewer->height());
        SbVec3f screen;
        viewer->getCamera()->getViewVolume(aspect).projectToScreen(world, screen);
        return QPoint(int(screen[0] * viewer->width()), int((1.0f - screen[1]) * viewer->height()));
    }
    // Clicks a row of the tree view, as the user does.
    void clickRow(const QModelIndex& index)
    {
        QTreeView* tree = window->getResources()->getTreeView();
        tree->expandAll();
        tree->scrollTo(index);
        const QRect rect = tree->visualRect(index);
        QVERIFY(rect.isValid());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
    }
};
