// Hiding and closing files in the real window under X: the check boxes of
// the surface, statistics and tag rows (what they take out of the picture
// and out of picks, and what they leave alone), and File > Close.
#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "LayerToggle.h"
#include "MemoryTrim.h"
#include "MainWindow.h"
#include "PickIndex.h"
#include "PickPanel.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "TreeItem.h"
#include "TreeModel.h"
#include "app_test_util.h"
#include "stats_test_util.h"
#include "tagFileItem.h"
#include "textureColumn.h"
#include "textureFileItem.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSwitch.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

namespace {

bool isBlue(const QColor& c)
{
    return c.blue() > 120 && c.red() < 60 && c.green() < 60;
}

bool isRed(const QColor& c)
{
    return c.red() > 120 && c.green() < 60 && c.blue() < 60;
}

bool writeText(const QString& path, const QByteArray& text)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size();
}

}  // namespace

class TestLayers : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    QTemporaryDir bars;

    QString file(const QString& name) const { return files.filePath(name); }
    void makeWindow()
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
    }
    bool openQuietly(const QString& path)
    {
        StdoutCapture quiet;
        return open(path);
    }
    ResourceForm* panel() const { return window->getResources(); }
    QTreeView* tree() const { return panel()->getTreeView(); }
    SoSeparator* sceneRoot() const { return window->getViewer()->getRootSeparator(); }
    QImage frame() const
    {
        BrainQuarter* viewer = window->getViewer();
        viewer->update();
        const quint64 before = viewer->frameCount();
        if (!QTest::qWaitFor([&] { return viewer->frameCount() > before; }, 5000))
            QTest::qFail("no frame drawn within 5 s", __FILE__, __LINE__);
        return viewer->grabFramebuffer();
    }
    QColor colourAt(const SbVec3f& world) const { return averageAt(frame(), project(world), 3); }
    QColor background() const { return averageAt(frame(), QPoint(4, 4), 2); }
    // Clicks the row's check box as the user does; returns what was printed.
    QStringList tick(TreeItem* item)
    {
        const QModelIndex index = indexOf(item);
        tree()->expandAll();
        tree()->scrollTo(index);
        const QRect box = tree()->findChild<LayerToggle*>()->checkBoxRect(index);
        if (box.isEmpty())
            return {"no check box"};
        StdoutCapture log;
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, box.center());
        return log.lines();
    }
    void clickRowQuietly(TreeItem* item)
    {
        StdoutCapture quiet;
        clickRow(indexOf(item));
        waitForFrame();
    }
    // The index a click on the view reports in the log, -1 for none.
    int pickAt(const SbVec3f& world, quint32* id = nullptr)
    {
        StdoutCapture log;
        QTest::mouseClick(window->getViewer(), Qt::LeftButton, {}, project(world));
        int index = -1;
        for (const QString& line : log.lines()) {
            if (line.startsWith("Index: "))
                index = line.mid(7).toInt();
            else if (id && line.startsWith("ID: "))
                *id = line.mid(4).toUInt();
        }
        return index;
    }
    QAction* closeAction() const
    {
        for (QAction* action : window->menuBar()->actions().value(0)->menu()->actions())
            if (action->text() == "&Close")
                return action;
        return nullptr;
    }
    GeometryScene* scene(int row) const { return dynamic_cast<GeometryScene*>(root()->child(row)); }
    static SoNode* faces(GeometryScene* scene)
    {
        SoSeparator* separator = scene->getSceneSeparator();
        for (int i = 0; i < separator->getNumChildren(); ++i)
            if (separator->getChild(i)->isOfType(SoIndexedFaceSet::getClassTypeId()))
                return separator->getChild(i);
        return nullptr;
    }
    gyroview::PickIndex& pickIndex() const { return window->getViewer()->pickIndex(); }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid() && bars.isValid());
        gyroview::init();
        QVERIFY(writeColourBar(bars.filePath("0redblue.png"), Qt::red, Qt::blue));
        setTextureDir(bars.path());
        QVERIFY(writeSquare(file("a.obj")));
        QVERIFY(writeSquare(file("b.obj"), 4, 0));
        QVERIFY(writeEllipsoid(file("lh.obj")));
        const std::vector<float> heights = ellipsoidHeights();
        std::vector<float> depths(heights.size());
        for (std::size_t i = 0; i < heights.size(); ++i)
            depths[i] = -heights[i];
        QVERIFY(writeVertstats(file("up.vertstats"), {"height"}, {heights}));
        QVERIFY(writeVertstats(file("down.vertstats"), {"depth"}, {depths}));
        QVERIFY(writeText(file("marks.tag"), "MNI Tag Point File\nVolumes = 1;\nPoints =\n"
                                             " 0 0 0.5 \"middle\";\n"));
    }

    void cleanup() { window.reset(); }

    void fileRowsHaveCheckBoxesOtherRowsNone()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("up.vertstats")));
        QVERIFY(openQuietly(file("marks.tag")));
        TreeItem* stats = scene(0)->child(1);
        const QList<TreeItem*> layers = {scene(0), stats, root()->child(1)};
        const QList<TreeItem*> others = {scene(0)->child(0), stats->child(0), root()->child(1)->child(0)};
        for (TreeItem* item : layers) {
            QVERIFY(model()->flags(indexOf(item)) & Qt::ItemIsUserCheckable);
            QCOMPARE(indexOf(item).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
            // The description column keeps its flags.
            QCOMPARE(model()->flags(indexOf(item).siblingAtColumn(1)),
                     Qt::ItemIsEditable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
        for (TreeItem* item : others) {
            QCOMPARE(model()->flags(indexOf(item)),
                     Qt::ItemIsEditable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            QVERIFY(!indexOf(item).data(Qt::CheckStateRole).isValid());
        }

        // The box the clicks aim at is the one drawn: it changes when ticked.
        showWindow();
        const QRect box = tree()->findChild<LayerToggle*>()->checkBoxRect(indexOf(scene(0)));
        QVERIFY(!box.isEmpty());
        const QImage checked = tree()->viewport()->grab(box).toImage();
        QCOMPARE(tick(scene(0)), QStringList());
        QCoreApplication::processEvents();
        const QImage unchecked = tree()->viewport()->grab(box).toImage();
        QVERIFY(checked != unchecked);
        QCOMPARE(indexOf(scene(0)).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    }

    void untickedSurfaceLeavesPictureAndPicks()
    {
        makeWindow();
        QVERIFY(openQuietly(file("a.obj")));
        QVERIFY(openQuietly(file("b.obj")));
        showWindow();
        GeometryScene* a = scene(0);
        GeometryScene* b = scene(1);
        const QColor plain = colourAt(SbVec3f(0, -0.5f, 0));
        // Picks go through the triangle index from here on.
        pickIndex().waitUntilBuilt();
        QVERIFY(pickIndex().isReady(faces(a)) && pickIndex().isReady(faces(b)));
        QVERIFY2(distance(plain, background()) > 60, "the surface is not drawn");

        // The user works on b: it is selected and the target of statistics.
        clickRowQuietly(b);
        QCOMPARE(panel()->getLastGeometry(), b);
        const QModelIndex selected = tree()->currentIndex();

        // Ticking prints nothing, selects nothing, retargets nothing.
        QCOMPARE(tick(a), QStringList());
        QCOMPARE(tree()->currentIndex(), selected);
        QCOMPARE(tree()->selectionModel()->selectedRows(), QModelIndexList{selected});
        QCOMPARE(panel()->getLastGeometry(), b);
        QVERIFY(!a->isShown());
        QVERIFY(pickIndex().find(faces(a))->hidden);
        QVERIFY(!pickIndex().find(faces(b))->hidden);

        waitForFrame();
        QVERIFY(frame().save(QString(ARTEFACT_DIR) + "/layers_surface_hidden.png"));
        QVERIFY2(distance(colourAt(SbVec3f(0, -0.5f, 0)), background()) < 20,
                 qPrintable(colourAt(SbVec3f(0, -0.5f, 0)).name()));
        // A click there finds nothing; b still answers.
        QCOMPARE(pickAt(SbVec3f(0, -0.5f, 0)), -1);
        QCOMPARE(a->data(1).toString(), QString());
        quint32 id = 0;
        QCOMPARE(pickAt(SbVec3f(4, 0, 0), &id), 4);
        QCOMPARE(id, b->getSurface()->getID());

        // Ticked again: drawn, picked, and back in the order files were opened.
        QCOMPARE(tick(a), QStringList());
        QVERIFY(!pickIndex().find(faces(a))->hidden);
        QCOMPARE(sceneRoot()->getChild(2), static_cast<SoNode*>(a->getSceneSeparator()));
        QCOMPARE(sceneRoot()->getChild(3), static_cast<SoNode*>(b->getSceneSeparator()));
        QVERIFY(distance(colourAt(SbVec3f(0, -0.5f, 0)), plain) < 20);
        QCOMPARE(pickAt(SbVec3f(0, 0, 0), &id), 4);
        QCOMPARE(id, a->getSurface()->getID());
        QCOMPARE(a->data(1).toString(), QString("Point: 4"));
    }

    void untickedStatisticsGiveBackTheSurfaceColours()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("up.vertstats")));
        QVERIFY(openQuietly(file("down.vertstats")));
        showWindow();
        auto* up = dynamic_cast<textureFileItem*>(scene(0)->child(1));
        auto* down = dynamic_cast<textureFileItem*>(scene(0)->child(2));
        QVERIFY(up && down);
        const SbVec3f top(0, 0, 50);
        const QColor plain = colourAt(top);

        // The top is high in "up" (the blue end of the bar), low in "down".
        clickRowQuietly(up->child(0));
        QVERIFY2(isBlue(colourAt(top)), qPrintable(colourAt(top).name()));
        QCOMPARE(tick(up), QStringList());
        QVERIFY2(distance(colourAt(top), plain) < 20, qPrintable(colourAt(top).name()));
        QCOMPARE(tick(up), QStringList());
        QVERIFY2(isBlue(colourAt(top)), qPrintable(colourAt(top).name()));

        // With both chosen, hiding the one shown shows the other's column.
        clickRowQuietly(down->child(0));
        QVERIFY2(isRed(colourAt(top)), qPrintable(colourAt(top).name()));
        tick(down);
        QVERIFY2(isBlue(colourAt(top)), qPrintable(colourAt(top).name()));
        QCOMPARE(window->getViewer()->legendOwner(), static_cast<const QObject*>(up->child(0)));
        tick(up);
        QVERIFY2(distance(colourAt(top), plain) < 20, qPrintable(colourAt(top).name()));
        // No column shown, no legend.
        QCOMPARE(window->getViewer()->legendOwner(), static_cast<const QObject*>(nullptr));
        QVERIFY(frame().save(QString(ARTEFACT_DIR) + "/layers_statistics_hidden.png"));
        // A column chosen while its file is hidden waits for the tick.
        clickRowQuietly(down->child(0));
        QVERIFY2(distance(colourAt(top), plain) < 20, qPrintable(colourAt(top).name()));
        QCOMPARE(window->getViewer()->legendOwner(), static_cast<const QObject*>(nullptr));
        tick(down);
        QVERIFY2(isRed(colourAt(top)), qPrintable(colourAt(top).name()));
        QCOMPARE(window->getViewer()->legendOwner(), static_cast<const QObject*>(down->child(0)));
    }

    // The legend belongs to the surface it describes: hidden with it,
    // back with it.
    void hiddenSurfaceTakesItsLegend()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("up.vertstats")));
        showWindow();
        auto* up = dynamic_cast<textureFileItem*>(scene(0)->child(1));
        clickRowQuietly(up->child(0));
        QCOMPARE(window->getViewer()->legendOwner(), static_cast<const QObject*>(up->child(0)));
        tick(scene(0));
        QCOMPARE(window->getViewer()->legendOwner(), static_cast<const QObject*>(nullptr));
        tick(scene(0));
        QCOMPARE(window->getViewer()->legendOwner(), static_cast<const QObject*>(up->child(0)));
    }

    // Closing the underlay's file takes the greys off the surface, as the
    // surface's box (None) says.
    void closingTheUnderlaysFileClearsIt()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("up.vertstats")));
        QVERIFY(openQuietly(file("down.vertstats")));
        showWindow();
        auto* up = dynamic_cast<textureFileItem*>(scene(0)->child(1));
        auto* down = dynamic_cast<textureFileItem*>(scene(0)->child(2));
        SceneDocument* doc = window->getResources()->document();
        const int surface = scene(0)->documentId();
        clickRowQuietly(up->child(0));
        // Every vertex under the threshold: the surface shows what is beneath.
        doc->setColumnThreshold(up->documentId(), "height", 1000);
        const QImage plain = frame();
        const auto differing = [&plain](const QImage& image) {
            int n = 0;
            for (int y = 0; y < plain.height(); ++y)
                for (int x = 0; x < plain.width(); ++x)
                    n += distance(plain.pixelColor(x, y), image.pixelColor(x, y)) > 20;
            return n;
        };
        doc->setUnderlay(surface, down->documentId(), "depth", 4);
        QCOMPARE(scene(0)->getSurface()->underlay(), static_cast<textureColumn*>(down->child(0)));
        const int greys = differing(frame());
        QVERIFY2(greys > 500, qPrintable(QString::number(greys)));

        clickRowQuietly(down);
        closeAction()->trigger();
        QCOMPARE(scene(0)->childCount(), 2);
        QCOMPARE(doc->underlayFile(surface), SceneDocument::none);
        QCOMPARE(scene(0)->getSurface()->underlay(), static_cast<textureColumn*>(nullptr));
        const int left = differing(frame());
        QVERIFY2(left < 20, qPrintable(QString::number(left)));
    }

    void untickedTagFileLeavesThePicture()
    {
        makeWindow();
        QVERIFY(openQuietly(file("a.obj")));
        QVERIFY(openQuietly(file("marks.tag")));
        showWindow();
        auto* tags = dynamic_cast<tagFileItem*>(root()->child(1));
        QVERIFY(tags);
        QVERIFY2(isRed(colourAt(SbVec3f(0, 0, 0.5f))), qPrintable(colourAt(SbVec3f(0, 0, 0.5f)).name()));
        tick(tags);
        QVERIFY(sceneRoot()->findChild(tags->getTagSeparator()) < 0);
        QVERIFY(!isRed(colourAt(SbVec3f(0, 0, 0.5f))));
        tick(tags);
        QCOMPARE(sceneRoot()->getChild(3), static_cast<SoNode*>(tags->getTagSeparator()));
        QVERIFY(isRed(colourAt(SbVec3f(0, 0, 0.5f))));
    }

    void closingASurfaceReleasesItAndItsPicks()
    {
        makeWindow();
        QVERIFY(openQuietly(file("a.obj")));
        QVERIFY(openQuietly(file("b.obj")));
        showWindow();
        GeometryScene* a = scene(0);
        GeometryScene* b = scene(1);
        SoSeparator* separator = a->getSceneSeparator();
        SoNode* triangles = faces(a);
        // Ours, to see everyone else let go (the pick index holds the faces).
        separator->ref();
        triangles->ref();
        pickIndex().waitUntilBuilt();
        QVERIFY(pickIndex().isReady(triangles));
        QCOMPARE(pickAt(SbVec3f(0, 0, 0)), 4);
        QCOMPARE(window->getPickPanel()->shownSurface(), a->documentId());
        QAction* close = closeAction();
        QVERIFY(close);

        // Nothing selected: nothing closed.
        close->trigger();
        QCOMPARE(model()->rowCount(), 2);

        clickRowQuietly(a->child(0));  // the surface node: its file closes
        {
            StdoutCapture log;
            close->trigger();
            QCOMPARE(log.lines(), QStringList({"Grunkle"}));
        }
        QCOMPARE(model()->rowCount(), 1);
        QCOMPARE(root()->child(0), static_cast<TreeItem*>(b));
        QCOMPARE(sceneRoot()->findChild(separator), -1);
        QCOMPARE(separator->getRefCount(), 1);
        separator->unref();
        QVERIFY(!pickIndex().isIndexed(triangles));
        QCOMPARE(triangles->getRefCount(), 1);
        triangles->unref();
        // The panel let go of it, and so did the marker.
        QCOMPARE(window->getPickPanel()->shownSurface(), -1);
        QCOMPARE(sceneRoot()->getNumChildren(), 3);

        QVERIFY2(distance(colourAt(SbVec3f(0, -0.5f, 0)), background()) < 20, "still drawn");
        QCOMPARE(pickAt(SbVec3f(0, 0, 0)), -1);
        quint32 id = 0;
        QCOMPARE(pickAt(SbVec3f(4, 0, 0), &id), 4);
        QCOMPARE(id, b->getSurface()->getID());
        QCOMPARE(b->data(1).toString(), QString("Point: 4"));
    }

    // What the GL driver kept for the closed surfaces goes with the view's
    // context: it is renewed when the last file closes, not before, and the
    // next file is drawn in the new one.
    void closingTheLastFileRenewsTheViewsContext()
    {
        makeWindow();
        trimMemoryAfterLayerChanges(window.get());
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("marks.tag")));
        showWindow();
        const QColor surface = colourAt(SbVec3f(0, 0, 0));
        QVERIFY(distance(surface, background()) > 40);
        BrainQuarter* viewer = window->getViewer();
        const int contexts = viewer->contextCount();
        panel()->closeLayer(scene(0));
        frame();
        frame();
        QCOMPARE(viewer->contextCount(), contexts);
        panel()->closeLayer(root()->child(0));
        QTRY_COMPARE(viewer->contextCount(), contexts + 1);
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(distance(colourAt(SbVec3f(0, 0, 0)), surface) < 20);
    }

    void closingTheTargetHandsStatisticsToAnotherSurface()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("a.obj")));
        QCOMPARE(panel()->getLastGeometry(), scene(1));
        showWindow();
        clickRowQuietly(scene(1));
        closeAction()->trigger();
        QCOMPARE(panel()->getLastGeometry(), scene(0));
        QVERIFY(openQuietly(file("up.vertstats")));
        QCOMPARE(scene(0)->childCount(), 2);

        // The last surface gone, statistics are refused as before any surface.
        clickRowQuietly(scene(0));
        closeAction()->trigger();
        QCOMPARE(model()->rowCount(), 0);
        QVERIFY(!openQuietly(file("down.vertstats")));
        QCOMPARE(window->statusBar()->currentMessage(),
                 "Cannot attach statistics file " + file("down.vertstats") +
                     ": open a surface first");
    }

    void closingStatisticsAndTags()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("up.vertstats")));
        QVERIFY(openQuietly(file("down.vertstats")));
        QVERIFY(openQuietly(file("marks.tag")));
        showWindow();
        auto* up = dynamic_cast<textureFileItem*>(scene(0)->child(1));
        const SbVec3f top(0, 0, 50);
        const QColor plain = colourAt(top);
        clickRowQuietly(up->child(0));
        QVERIFY(isBlue(colourAt(top)));
        SoSwitch* columns = up->getSwitch();
        columns->ref();

        // Closed from its column's row: the file goes, the surface is plain.
        closeAction()->trigger();
        QCOMPARE(scene(0)->childCount(), 2);
        QCOMPARE(scene(0)->child(1)->data(0).toString(), QString("down"));
        QCOMPARE(scene(0)->getSceneSeparator()->findChild(columns), -1);
        QCOMPARE(columns->getRefCount(), 1);
        columns->unref();
        QVERIFY2(distance(colourAt(top), plain) < 20, qPrintable(colourAt(top).name()));
        // Picks reach the file left, and only it.
        StdoutCapture log;
        QTest::mouseClick(window->getViewer(), Qt::LeftButton, {}, project(top));
        QCOMPARE(log.lines().count("in textureColumn"), 1);
        QCOMPARE(window->getPickPanel()->getValues()->topLevelItemCount(), 1);

        auto* tags = dynamic_cast<tagFileItem*>(root()->child(1));
        SoSeparator* spheres = tags->getTagSeparator();
        spheres->ref();
        clickRowQuietly(tags->child(0));
        closeAction()->trigger();
        QCOMPARE(model()->rowCount(), 1);
        QCOMPARE(sceneRoot()->findChild(spheres), -1);
        QCOMPARE(spheres->getRefCount(), 1);
        spheres->unref();
    }
};

QTEST_MAIN(TestLayers)
#include "tst_layers.moc"
