// Tag files in the running viewer: their rows, their red spheres (in the
// scene graph and on screen), picks that pass through the spheres, the
// order of files under the root, and unreadable files.
#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "TreeModel.h"
#include "ViewerWidget.h"
#include "app_test_util.h"
#include "window_test_base.h"
#include "quillon.h"
#include "tagFileItem.h"
#include "tagPointItem.h"
#include "fresh_home.h"

#include <Inventor/SbViewVolume.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoPickStyle.h>
#include <Inventor/nodes/SoScale.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSphere.h>
#include <Inventor/nodes/SoTranslation.h>

#include <QElapsedTimer>
#include <QGroupBox>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

bool writeText(const QString& path, const QByteArray& text)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size();
}

// A one-volume tag file with labelled points.
bool writeTags(const QString& path, const QVector<TestPoint>& points)
{
    QByteArray text = "MNI Tag Point File\nVolumes = 1;\n% landmarks for the tests\n\nPoints =";
    for (int i = 0; i < points.size(); ++i)
        text += "\n " + QByteArray::number(points[i].x) + " " + QByteArray::number(points[i].y) +
                " " + QByteArray::number(points[i].z) + " \"p" + QByteArray::number(i) + "\"";
    text += ";\n";
    return writeText(path, text);
}


bool isRed(const QColor& c)
{
    return c.red() > 120 && c.green() < 40 && c.blue() < 40;
}

QString describe(const QColor& c)
{
    return QString("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

const QVector<TestPoint> threePoints = {{-20, 0, 0}, {0, 12, 0}, {18, -6, 4}};

}  // namespace

class TestTagFiles : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;

    QString file(const QString& name) const { return files.filePath(name); }
    bool openQuietly(const QString& path)
    {
        StdoutCapture quiet;
        return open(path);
    }
    SoSeparator* sceneRoot() const { return window->getViewer()->getRootSeparator(); }
    // Fits the camera to everything and waits for a frame drawn with it.
    void viewAllAndDraw()
    {
        BrainQuarter* viewer = window->getViewer();
        viewer->viewAll();
        const quint64 frames = viewer->frameCount();
        viewer->update();
        QTRY_VERIFY(viewer->frameCount() > frames);
    }
    // Checks the nodes of one tag file against the points it was made from.
    void checkTagSeparator(SoSeparator* tags, const QVector<TestPoint>& points)
    {
        QCOMPARE(tags->getNumChildren(), 3 + int(points.size()));
        QVERIFY(tags->getChild(0)->isOfType(SoPickStyle::getClassTypeId()));
        QCOMPARE(int(static_cast<SoPickStyle*>(tags->getChild(0))->style.getValue()),
                 int(SoPickStyle::UNPICKABLE));
        QVERIFY(tags->getChild(1)->isOfType(SoMaterial::getClassTypeId()));
        auto* material = static_cast<SoMaterial*>(tags->getChild(1));
        QCOMPARE(material->diffuseColor.getNum(), 1);
        QVERIFY(material->diffuseColor[0] == SbColor(1.0f, 0.0f, 0.0f));
        QVERIFY(tags->getChild(2)->isOfType(SoScale::getClassTypeId()));
        QVERIFY(static_cast<SoScale*>(tags->getChild(2))->scaleFactor.getValue() ==
                SbVec3f(1, 1, 1));
        for (int i = 0; i < points.size(); ++i) {
            SoNode* node = tags->getChild(3 + i);
            QVERIFY(node->isOfType(SoSeparator::getClassTypeId()));
            auto* point = static_cast<SoSeparator*>(node);
            QCOMPARE(point->getNumChildren(), 2);
            QVERIFY(point->getChild(0)->isOfType(SoTranslation::getClassTypeId()));
            QVERIFY(point->getChild(1)->isOfType(SoSphere::getClassTypeId()));
            const SbVec3f at = static_cast<SoTranslation*>(point->getChild(0))->translation.getValue();
            QVERIFY(at == SbVec3f(points[i].x, points[i].y, points[i].z));
            QCOMPARE(static_cast<SoSphere*>(point->getChild(1))->radius.getValue(), 1.0f);
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
    }

    void init()
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
    }

    void cleanup() { window.reset(); }

    void threePointsGiveRowsAndRedSpheres()
    {
        QVERIFY(writeTags(file("lm.landmarks.tag"), threePoints));
        QSignalSpy layouts(model(), &QAbstractItemModel::layoutChanged);
        StdoutCapture log;
        StderrCapture errors;
        QVERIFY(open(file("lm.landmarks.tag")));
        QCOMPARE(log.lines(), QStringList{"Grunkle"});
        QCOMPARE(errors.lines(), QStringList());
        QCOMPARE(layouts.count(), 1);
        QCOMPARE(window->getResources()->lastLoadError(), QString());

        // One file row titled with the base name, three point rows alike.
        QCOMPARE(model()->rowCount(QModelIndex()), 1);
        auto* tags = dynamic_cast<tagFileItem*>(root()->child(0));
        QVERIFY(tags);
        QCOMPARE(tags->data(0).toString(), QString("lm"));
        QCOMPARE(tags->data(1).toString(), QString());
        // The file row has a box (sphere radius and colour), the points none.
        QVERIFY(tags->havePropForm());
        const QModelIndex fileRow = model()->index(0, 0, QModelIndex());
        QCOMPARE(model()->rowCount(fileRow), 3);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(dynamic_cast<tagPointItem*>(tags->child(i)));
            QVERIFY(!tags->child(i)->havePropForm());
            QCOMPARE(model()->data(model()->index(i, 0, fileRow), Qt::DisplayRole).toString(), QString("lm"));
            QCOMPARE(model()->data(model()->index(i, 1, fileRow), Qt::DisplayRole).toString(), QString());
        }

        // The file's separator is the last thing under the root.
        SoSeparator* sceneRootSeparator = sceneRoot();
        QCOMPARE(sceneRootSeparator->getChild(sceneRootSeparator->getNumChildren() - 1),
                 static_cast<SoNode*>(tags->getTagSeparator()));
        checkTagSeparator(tags->getTagSeparator(), threePoints);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(static_cast<tagPointItem*>(tags->child(i))->getPointSeparator(),
                     static_cast<SoSeparator*>(tags->getTagSeparator()->getChild(3 + i)));

        // On screen: red at every point, black background between them.
        showWindow();
        QTreeView* tree = window->getResources()->getTreeView();
        tree->expandAll();
        // The panel sized the columns while the rows were collapsed.
        tree->resizeColumnToContents(0);
        for (int i = 0; i < 3; ++i)
            QVERIFY(tree->visualRect(model()->index(i, 0, fileRow)).width() > 8);
        viewAllAndDraw();
        const QImage frame = window->getViewer()->grabFramebuffer();
        const qreal ratio = frame.devicePixelRatio();
        for (const TestPoint& p : threePoints) {
            const QColor c = averageAt(frame, project(SbVec3f(p.x, p.y, p.z)) * ratio, 2);
            QVERIFY2(isRed(c), qPrintable(describe(c)));
        }
        const QColor between = averageAt(frame, project(SbVec3f(-10, 6, 0)) * ratio, 2);
        QVERIFY2(between.red() < 30 && between.green() < 30 && between.blue() < 30,
                 qPrintable(describe(between)));

        waitForFrame();
        const QString path = QString(ARTEFACT_DIR) + "/tagfiles_three_points.png";
        QVERIFY(window->grab().toImage().save(path));
        qInfo("screenshot: %s", qPrintable(path));
    }

    void sameFileTwiceGivesTwoRows()
    {
        QVERIFY(writeTags(file("twice.tag"), threePoints));
        QVERIFY(openQuietly(file("twice.tag")));
        QVERIFY(openQuietly(file("twice.tag")));
        QCOMPARE(model()->rowCount(QModelIndex()), 2);
        auto* first = dynamic_cast<tagFileItem*>(root()->child(0));
        auto* second = dynamic_cast<tagFileItem*>(root()->child(1));
        QVERIFY(first && second);
        QVERIFY(first->getTagSeparator() != second->getTagSeparator());
        for (tagFileItem* tags : {first, second}) {
            QCOMPARE(tags->data(0).toString(), QString("twice"));
            QCOMPARE(tags->childCount(), 3);
            checkTagSeparator(tags->getTagSeparator(), threePoints);
        }
        const int n = sceneRoot()->getNumChildren();
        QCOMPARE(sceneRoot()->getChild(n - 2), static_cast<SoNode*>(first->getTagSeparator()));
        QCOMPARE(sceneRoot()->getChild(n - 1), static_cast<SoNode*>(second->getTagSeparator()));
    }

    void emptyListAndNonLatin1Name()
    {
        QVERIFY(writeText(file("none.tag"), "title\nVolumes = 1;\nPoints =\n;\n"));
        QVERIFY(openQuietly(file("none.tag")));
        auto* none = dynamic_cast<tagFileItem*>(root()->child(0));
        QVERIFY(none);
        QCOMPARE(none->data(0).toString(), QString("none"));
        QCOMPARE(none->childCount(), 0);
        checkTagSeparator(none->getTagSeparator(), {});

        // A name outside Latin-1 still reaches the file.
        const QString name = QString::fromUtf8("marqu\u00e9s-\u20ac.tag");
        QVERIFY(writeTags(file(name), threePoints));
        StderrCapture errors;
        QVERIFY(openQuietly(file(name)));
        QCOMPARE(errors.lines(), QStringList());
        auto* named = dynamic_cast<tagFileItem*>(root()->child(1));
        QVERIFY(named);
        QCOMPARE(named->data(0).toString(), QString::fromUtf8("marqu\u00e9s-\u20ac"));
        QCOMPARE(named->childCount(), 3);
    }

    void unreadableFileLeavesNoRowAndSaysWhyOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("cut short") << "cut.tag" << QByteArray("t\nVolumes = 1;\nPoints =\n 1 2 3\n 4 5;\n")
                                   << "line";
        QTest::newRow("text for a number")
            << "word.tag" << QByteArray("t\nVolumes = 1;\nPoints =\n 1 two 3;\n") << "line";
        QTest::newRow("no points keyword") << "bare.tag" << QByteArray("t\nVolumes = 1;\n 1 2 3;\n")
                                           << "line";
        QTest::newRow("missing") << "absent.tag" << QByteArray() << "No such file";
    }

    void unreadableFileLeavesNoRowAndSaysWhyOnce()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        QFETCH(QString, reason);
        if (!text.isEmpty())
            QVERIFY(writeText(file(name), text));
        StdoutCapture log;
        StderrCapture errors;
        QVERIFY(!open(file(name)));
        const QStringList errorLines = errors.lines();
        // The tree refreshes as the row comes and goes; nothing else is logged.
        for (const QString& line : log.lines())
            QCOMPARE(line, QString("Grunkle"));

        QCOMPARE(errorLines.size(), 1);
        QVERIFY2(errorLines[0].contains(file(name)) && errorLines[0].contains(reason),
                 qPrintable(errorLines[0]));
        QCOMPARE(window->getResources()->lastLoadError(), errorLines[0]);
        QCOMPARE(window->statusBar()->currentMessage(), errorLines[0]);
        // A file that could not be read leaves no row; its message stays.
        QCOMPARE(model()->rowCount(QModelIndex()), 0);

        // A good file afterwards clears the reason.
        QVERIFY(writeTags(file("good.tag"), threePoints));
        QVERIFY(openQuietly(file("good.tag")));
        QCOMPARE(window->getResources()->lastLoadError(), QString());
    }

    void clickOnSphereInFrontPicksTheSurfaceBehind()
    {
        QVERIFY(writeSquare(file("square.obj")));
        // A unit sphere between the camera and the middle of the square.
        QVERIFY(writeTags(file("front.tag"), {{0, 0, 1.5f}}));
        QVERIFY(openQuietly(file("square.obj")));
        QVERIFY(openQuietly(file("front.tag")));
        showWindow();
        viewAllAndDraw();
        auto* scene = static_cast<GeometryScene*>(root()->child(0));
        auto* tags = static_cast<tagFileItem*>(root()->child(1));
        BrainQuarter* viewer = window->getViewer();
        const QPoint middle = project(SbVec3f(0, 0, 0));

        // The sphere is what the user sees there.
        const QImage frame = viewer->grabFramebuffer();
        const QColor seen = averageAt(frame, middle * frame.devicePixelRatio(), 2);
        QVERIFY2(isRed(seen), qPrintable(describe(seen)));
        QVERIFY(frame.save(QString(ARTEFACT_DIR) + "/tagfiles_sphere_before_surface.png"));

        QSignalSpy hits(scene, &TreeItem::localPointPicked);
        {
            StdoutCapture log;
            StderrCapture errors;
            QTest::mouseClick(viewer, Qt::LeftButton, {}, middle);
            const QStringList lines = log.lines();
            QCOMPARE(errors.lines(), QStringList());
            QCOMPARE(lines.value(4), QString("Index: 4"));
            QCOMPARE(lines.value(5), QString("ID: %1").arg(scene->getSurface()->getID()));
        }
        QCOMPARE(hits.count(), 1);
        QCOMPARE(hits.at(0).at(0).toInt(), 4);
        QCOMPARE(scene->data(1).toString(), QString("Point: 4"));

        // Made pickable, the same sphere would take the click: the ray
        // really passes through it.
        auto* style = static_cast<SoPickStyle*>(tags->getTagSeparator()->getChild(0));
        style->style = SoPickStyle::SHAPE;
        {
            StdoutCapture log;
            StderrCapture errors;
            QTest::mouseClick(viewer, Qt::LeftButton, {}, middle);
            log.stop();
            errors.stop();
        }
        style->style = SoPickStyle::UNPICKABLE;
        QCOMPARE(hits.count(), 1);
    }

    void separatorsFollowTheOrderFilesWereOpened()
    {
        QVERIFY(writeSquare(file("a.obj")));
        QVERIFY(writeSquare(file("b.obj"), 4, 0));
        QVERIFY(writeTags(file("t1.tag"), threePoints));
        QVERIFY(writeTags(file("t2.tag"), {{1, 1, 1}}));
        const int before = sceneRoot()->getNumChildren();
        for (const char* name : {"a.obj", "t1.tag", "b.obj", "t2.tag"})
            QVERIFY(openQuietly(file(name)));

        QCOMPARE(sceneRoot()->getNumChildren(), before + 4);
        auto* a = dynamic_cast<GeometryScene*>(root()->child(0));
        auto* t1 = dynamic_cast<tagFileItem*>(root()->child(1));
        auto* b = dynamic_cast<GeometryScene*>(root()->child(2));
        auto* t2 = dynamic_cast<tagFileItem*>(root()->child(3));
        QVERIFY(a && t1 && b && t2);
        const QVector<SoNode*> expected = {a->getSceneSeparator(), t1->getTagSeparator(),
                                           b->getSceneSeparator(), t2->getTagSeparator()};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(sceneRoot()->getChild(before + i), expected[i]);
        const QStringList titles = {"Geometry Scene", "t1", "Geometry Scene", "t2"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(model()->data(model()->index(i, 0, QModelIndex()), Qt::DisplayRole).toString(), titles[i]);
        QCOMPARE(t1->childCount(), 3);
        QCOMPARE(t2->childCount(), 1);
        checkTagSeparator(t2->getTagSeparator(), {{1, 1, 1}});
    }

    void clickingATagPointLeavesThePropertiesBoxEmpty()
    {
        QVERIFY(writeSquare(file("s.obj")));
        QVERIFY(writeTags(file("t.tag"), threePoints));
        QVERIFY(openQuietly(file("s.obj")));
        QVERIFY(openQuietly(file("t.tag")));
        showWindow();
        QTreeView* tree = window->getResources()->getTreeView();
        tree->expandAll();
        QGroupBox* box = window->getResources()->getPropertiesBox();
        auto click = [&](const QModelIndex& index) {
            const QRect rect = tree->visualRect(index);
            QVERIFY(rect.isValid());
            StdoutCapture quiet;
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
        };
        click(model()->index(0, 0, model()->index(0, 0)));  // the surface node
        QVERIFY(box->findChild<QWidget*>("geometryProps"));
        click(model()->index(1, 0));  // the tag file: its own box instead
        QTRY_VERIFY(!box->findChild<QWidget*>("geometryProps"));
        QVERIFY(box->findChild<QWidget*>("tagFileProps"));
        click(model()->index(0, 0, model()->index(0, 0)));
        QVERIFY(box->findChild<QWidget*>("geometryProps"));
        QTRY_VERIFY(!box->findChild<QWidget*>("tagFileProps"));
        click(model()->index(2, 0, model()->index(1, 0)));  // a tag point: none
        QTRY_VERIFY(!box->findChild<QWidget*>("geometryProps"));
        QVERIFY(!box->findChild<QWidget*>("tagFileProps"));
    }

    // Many thousands of points: every one gets its row and sphere. The time
    // is reported, not asserted.
    void manyPointsAllBecomeRowsAndSpheres()
    {
        const int n = 20000;
        QByteArray text = "big\nVolumes = 1;\nPoints =\n";
        for (int i = 0; i < n; ++i)
            text += QByteArray::number(i % 100) + " " + QByteArray::number(i / 100) + " " +
                    QByteArray::number(i % 7) + "\n";
        text += ";\n";
        QVERIFY(writeText(file("big.tag"), text));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(openQuietly(file("big.tag")));
        const qint64 ms = timer.elapsed();
        qInfo("loading %d tag points into the tree and scene: %lld ms", n, ms);
        auto* tags = dynamic_cast<tagFileItem*>(root()->child(0));
        QVERIFY(tags);
        QCOMPARE(tags->childCount(), n);
        QCOMPARE(tags->getTagSeparator()->getNumChildren(), n + 3);
        auto* last = static_cast<SoSeparator*>(tags->getTagSeparator()->getChild(n + 2));
        QVERIFY(static_cast<SoTranslation*>(last->getChild(0))->translation.getValue() ==
                SbVec3f(float((n - 1) % 100), float((n - 1) / 100), float((n - 1) % 7)));
    }

    void readerErrorsCanBeRoutedAndRestored()
    {
        static QString routed;
        routed.clear();
        const print_error_function collect = [](const char* text) {
            routed += QString::fromLatin1(text);
        };
        const print_error_function previous = set_print_error_function(collect);
        StderrCapture errors;
        print_error("Error reading %s, line %d\n", "x.tag", 7);
        const bool restoredOurs = set_print_error_function(previous) == collect;
        print_error("back on standard error\n");
        QCOMPARE(errors.lines(), QStringList{"back on standard error"});
        QVERIFY(restoredOurs);
        QCOMPARE(routed, QString("Error reading x.tag, line 7\n"));
    }
};

QTEST_MAIN(TestTagFiles)
#include "tst_tagfiles.moc"
