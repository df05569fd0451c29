// The pick panel in the real window under X: what a click on the surface
// shows there (in the same turn as the tree's rows), the marker at the
// picked vertex on screen, seen from the front and from behind, and the
// vertex index typed into the panel.
#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "PickMarker.h"
#include "PickPanel.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "app_test_util.h"
#include "stats_test_util.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoPickStyle.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QDockWidget>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>

namespace {

bool isMarker(const QColor& c)
{
    return c.red() > 200 && c.green() < 60 && c.blue() > 200;
}

// The marker-coloured pixel nearest to `centre` within `reach`, or (-1, -1).
QPoint markerNear(const QImage& image, QPoint centre, int reach)
{
    QPoint best(-1, -1);
    int bestDistance = reach * reach + 1;
    for (int y = centre.y() - reach; y <= centre.y() + reach; ++y)
        for (int x = centre.x() - reach; x <= centre.x() + reach; ++x) {
            if (!image.rect().contains(x, y) || !isMarker(image.pixelColor(x, y)))
                continue;
            const int d = (x - centre.x()) * (x - centre.x()) + (y - centre.y()) * (y - centre.y());
            if (d < bestDistance) {
                bestDistance = d;
                best = QPoint(x, y);
            }
        }
    return best;
}

int markerPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += isMarker(image.pixelColor(x, y));
    return n;
}

}  // namespace

class TestPickPanel : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    std::vector<float> heights;

    QString file(const QString& name) const { return files.filePath(name); }
    PickPanel* panel() const { return window->getPickPanel(); }
    GeometryScene* scene() const { return static_cast<GeometryScene*>(root()->child(0)); }
    SbVec3f vertex(int index) const
    {
        return scene()->getSurface()->getCoordinates()->point[index];
    }
    QImage frame() const
    {
        BrainQuarter* viewer = window->getViewer();
        viewer->update();
        const quint64 before = viewer->frameCount();
        if (!QTest::qWaitFor([&] { return viewer->frameCount() > before; }, 5000))
            QTest::qFail("no frame drawn within 5 s", __FILE__, __LINE__);
        return viewer->grabFramebuffer();
    }
    // What the panel's table says: "file/column" → value.
    QMap<QString, QString> panelValues() const
    {
        QMap<QString, QString> shown;
        QTreeWidget* table = panel()->getValues();
        for (int i = 0; i < table->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* fileRow = table->topLevelItem(i);
            for (int c = 0; c < fileRow->childCount(); ++c)
                shown[fileRow->text(0) + "/" + fileRow->child(c)->text(0)] =
                    fileRow->child(c)->text(1);
        }
        return shown;
    }
    QMap<QString, QString> expectedValues(int index) const
    {
        return {{"thick/index", QString::number(index)},
                {"thick/half", QString::number(index / 2.0 + 0.25, 'g', 6)},
                {"depth/height", QString::number(heights[std::size_t(index)], 'g', 6)}};
    }
    QString expectedPosition(int index) const
    {
        const SbVec3f p = vertex(index);
        return QString("%1, %2, %3")
            .arg(QString::number(p[0], 'g', 6), QString::number(p[1], 'g', 6),
                 QString::number(p[2], 'g', 6));
    }
    // Clicks the view and returns the index the pick log names, -1 for none.
    int clickView(QPoint at)
    {
        StdoutCapture log;
        QTest::mouseClick(window->getViewer(), Qt::LeftButton, {}, at);
        for (const QString& line : log.lines())
            if (line.startsWith("Index: "))
                return line.mid(7).toInt();
        return -1;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        QVERIFY(writeEllipsoid(file("lh.obj")));
        heights = ellipsoidHeights();
        std::vector<float> index, half;
        for (std::size_t i = 0; i < heights.size(); ++i) {
            index.push_back(float(i));
            half.push_back(float(i) / 2.0f + 0.25f);
        }
        QVERIFY(writeVertstats(file("thick.vertstats"), {"index", "half"}, {index, half}));
        QVERIFY(writeVertstats(file("depth.vertstats"), {"height"}, {heights}));
    }

    void init()
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
        QVERIFY(open(file("lh.obj")));
        QVERIFY(open(file("thick.vertstats")));
        QVERIFY(open(file("depth.vertstats")));
    }
    void cleanup() { window.reset(); }

    void panelSitsBelowTheResources()
    {
        showWindow();
        QDockWidget* dock = window->getPickDock();
        QCOMPARE(window->dockWidgetArea(dock), Qt::RightDockWidgetArea);
        QVERIFY(dock->isVisible());
        const QRect resources = window->getResources()->parentWidget()->geometry();
        QVERIFY(dock->geometry().top() >= resources.bottom());
        // Readable: the table has room for rows, the field for an index.
        QVERIFY2(panel()->getValues()->height() >= 60,
                 qPrintable(QString::number(panel()->getValues()->height())));
        QVERIFY(panel()->getVertexField()->width() >= 80);
        // Nothing marked until a pick: the scene is as the files made it.
        QCOMPARE(window->getViewer()->getRootSeparator()->getNumChildren(), 3);
        QCOMPARE(markerPixels(frame()), 0);
    }

    void clickShowsTheVertexBesideTheTreeRows()
    {
        showWindow();
        int seenByRelay = -2;
        connect(scene(), &TreeItem::localPointPicked, this,
                [&] { seenByRelay = panel()->shownVertex(); });
        const QPoint at = project(SbVec3f(20, 30, 35));
        const int index = clickView(at);
        QVERIFY(index >= 0);
        // A corner of the triangle under the mouse (a few pixels across
        // here), at any device pixel ratio.
        const QPoint picked = project(vertex(index));
        QVERIFY2((picked - at).manhattanLength() <= 12,
                 qPrintable(QString("clicked %1,%2, picked a vertex at %3,%4")
                                .arg(at.x()).arg(at.y()).arg(picked.x()).arg(picked.y())));

        // Filled before the tree's rows were told, not in a later turn.
        QCOMPARE(seenByRelay, index);
        QCOMPARE(scene()->data(1).toString(), QString("Point: %1").arg(index));
        QCOMPARE(panel()->shownSurface(), scene()->documentId());
        QCOMPARE(panel()->getVertexField()->text(), QString::number(index));
        QCOMPARE(panel()->surfaceText(), QString("lh"));
        QCOMPARE(panel()->positionText(), expectedPosition(index));
        QCOMPARE(panelValues(), expectedValues(index));

        // The marker on screen, where the vertex projects.
        const QImage image = frame();
        // Named by the ratio: the HiDPI run may draw beside this one.
        const QString scale = window->devicePixelRatio() > 1 ? "@2x" : "";
        QVERIFY(image.save(QString(ARTEFACT_DIR) + "/pickpanel_marker" + scale + ".png"));
        QVERIFY(window->grab().save(QString(ARTEFACT_DIR) + "/pickpanel_window" + scale + ".png"));
        // The frame is in device pixels.
        const qreal ratio = window->getViewer()->devicePixelRatioF();
        const QPoint expected = (QPointF(picked) * ratio).toPoint();
        const QPoint found = markerNear(image, expected, int(3 * ratio));
        QVERIFY2(found.x() >= 0, qPrintable(QString("no marker near %1,%2")
                                                .arg(expected.x()).arg(expected.y())));
        // Small: a dot, not a blot over the surface.
        const int pixels = markerPixels(image);
        QVERIFY2(pixels > 4 && pixels < 600 * ratio * ratio, qPrintable(QString::number(pixels)));
    }

    void markerIsNeverWhatTheNextClickHits()
    {
        showWindow();
        const int first = clickView(project(SbVec3f(20, 30, 35)));
        QVERIFY(first >= 0);
        // Right on the marker: the surface under it is picked again.
        const QPoint onMarker = project(vertex(first));
        const int second = clickView(onMarker);
        QVERIFY(second >= 0);
        QCOMPARE(panel()->shownVertex(), second);
        QVERIFY(markerNear(frame(), project(vertex(second)), 3).x() >= 0);

        // Made pickable, the same marker takes that click: the ray does
        // pass through it.
        auto* style = static_cast<SoPickStyle*>(panel()->getMarker()->getNode()->getChild(0));
        style->style = SoPickStyle::SHAPE;
        const SbVec3f before = panel()->getMarker()->position();
        StderrCapture errors;
        const int third = clickView(project(before));
        errors.stop();
        style->style = SoPickStyle::UNPICKABLE;
        QCOMPARE(third, -1);
    }

    void markerIsHiddenBehindTheSurface()
    {
        showWindow();
        const int index = clickView(project(SbVec3f(20, 30, 35)));
        QVERIFY(index >= 0);
        QVERIFY(markerPixels(frame()) > 4);
        // Looking up from below: the picked vertex is on the far side, and
        // the surface between hides its marker.
        SoCamera* camera = window->getViewer()->getCamera();
        const SbVec3f position = camera->position.getValue();
        camera->position.setValue(position[0], position[1], -position[2]);
        camera->orientation.setValue(SbRotation(SbVec3f(1, 0, 0), float(M_PI)));
        const QImage image = frame();
        QVERIFY(image.save(QString(ARTEFACT_DIR) + "/pickpanel_marker_behind.png"));
        QCOMPARE(markerPixels(image), 0);
        QVERIFY(distance(image.pixelColor(project(vertex(index))), QColor(0, 0, 0)) > 60);
    }

    void typedIndexMovesTheMarker()
    {
        showWindow();
        QLineEdit* field = panel()->getVertexField();
        const int index = 1 + 80 * 12 + 17;  // a vertex on the upper half
        QVERIFY(vertex(index)[2] > 0);
        field->clear();
        QTest::keyClicks(field, QString::number(index));
        {
            StdoutCapture log;
            QTest::keyClick(field, Qt::Key_Return);
            // No pick in the view: only the columns' rows follow the vertex.
            for (const QString& line : log.lines())
                QVERIFY2(line == "in textureColumn" || line == "Grunkle", qPrintable(line));
        }
        QCOMPARE(panel()->shownVertex(), index);
        QCOMPARE(panel()->positionText(), expectedPosition(index));
        QCOMPARE(panelValues(), expectedValues(index));
        QCOMPARE(panel()->messageText(), QString());
        QVERIFY(markerNear(frame(), project(vertex(index)), 3).x() >= 0);

        // No such vertex: told so, and nothing marked.
        field->clear();
        QTest::keyClicks(field, QString::number(heights.size()));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(panel()->shownVertex(), -1);
        QCOMPARE(panel()->messageText(), QString("The surface has no vertex %1 (it has %2: 0 to %3)")
                                             .arg(heights.size())
                                             .arg(heights.size())
                                             .arg(heights.size() - 1));
        QCOMPARE(panelValues(), (QMap<QString, QString>()));
        QCOMPARE(markerPixels(frame()), 0);
    }

    void valuesFollowFilesOpenedAfterThePick()
    {
        showWindow();
        const int index = clickView(project(SbVec3f(20, 30, 35)));
        QVERIFY(index >= 0);
        QVERIFY(writeVertstats(file("late.vertstats"), {"twice"},
                               {std::vector<float>(heights.size(), 2.0f)}));
        {
            StdoutCapture quiet;
            QVERIFY(open(file("late.vertstats")));
        }
        QCOMPARE(panelValues().value("late/twice"), QString("2"));
        QCOMPARE(panelValues().size(), 4);

        // The new rows start with the pick's text; the next pick, typed or
        // clicked, the same vertex or another, shows values in every column
        // row (the file row keeps the text it copied).
        TreeItem* late = scene()->child(scene()->childCount() - 1);
        QCOMPARE(late->data(1).toString(), QString("Point: %1").arg(index));
        QCOMPARE(late->child(0)->data(1).toString(), QString("Point: %1").arg(index));
        const auto rowsShow = [&](int vertex) {
            QCOMPARE(late->child(0)->data(1).toString(), QString("2"));
            TreeItem* thick = scene()->child(1);
            QCOMPARE(thick->child(0)->data(1).toString(), QString::number(vertex));
        };
        QLineEdit* field = panel()->getVertexField();
        field->setText(QString::number(index));
        QTest::keyClick(field, Qt::Key_Return);
        rowsShow(index);
        field->setText("7");
        QTest::keyClick(field, Qt::Key_Return);
        rowsShow(7);
        const int clicked = clickView(project(SbVec3f(20, 30, 35)));
        QVERIFY(clicked >= 0);
        rowsShow(clicked);
    }
};

QTEST_MAIN(TestPickPanel)
#include "tst_pickpanel.moc"
