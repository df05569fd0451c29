// The View menu in the real window: the named views show the side they
// name (a red patch on a left hemisphere's outside is seen from lateral and
// hidden from medial), the hemisphere comes from the file name, the file
// or the coordinates and can be overridden, both hemispheres follow the
// selected row, and the menu's toggles for the docks and the spin.
#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "PickPanel.h"
#include "ViewMenu.h"
#include "ViewerWidget.h"
#include "app_test_util.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <Inventor/nodes/SoCamera.h>

#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QWheelEvent>
#include <QtTest>

using gyroscene::Hemisphere;
using gyroscene::View;

namespace {

// A hemisphere-like ellipsoid: half axes 30 (x), 70 (y), 50 (z) around
// (cx, 0, 0).
bool writeHemisphere(const QString& path, float cx)
{
    return writeEllipsoidShape(path, 30, 70, 50, cx, 24, 48);
}

// A square in the plane x = x0, over y 15..45 and z 0..30: on the front
// upper part of a side, just off the hemisphere's surface.
bool writePatch(const QString& path, float x0)
{
    // Facing away from x = 0, wound counter-clockwise as seen from there.
    const float nx = x0 < 0 ? -1.0f : 1.0f;
    const QVector<int> corners = x0 < 0 ? QVector<int>{0, 3, 2, 1} : QVector<int>{0, 1, 2, 3};
    return writeObj(path, {{x0, 15, 0}, {x0, 45, 0}, {x0, 45, 30}, {x0, 15, 30}}, {corners},
                    {{nx, 0, 0}, {nx, 0, 0}, {nx, 0, 0}, {nx, 0, 0}});
}

// Where in the frame the strongly red or blue pixels are: how many, and
// their mean position.
struct Spot {
    int count = 0;
    QPointF centre;
};

Spot findColour(const QImage& image, bool red)
{
    Spot spot;
    double sx = 0, sy = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int strong = red ? c.red() : c.blue();
            const int others = red ? std::max(c.green(), c.blue()) : std::max(c.red(), c.green());
            if (strong > 120 && others < 60) {
                ++spot.count;
                sx += x;
                sy += y;
            }
        }
    if (spot.count)
        spot.centre = QPointF(sx / spot.count, sy / spot.count);
    return spot;
}

}  // namespace

class TestViewMenu : public WindowTestBase
{
    Q_OBJECT

    QTemporaryDir home;
    QTemporaryDir files;

    QString file(const QString& name) const { return files.filePath(name); }
    ViewMenu* views() const { return window->getViewMenu(); }
    GeometryScene* surface(int row) const { return static_cast<GeometryScene*>(root()->child(row)); }

    void makeWindow(const QStringList& names)
    {
        window.reset();
        StdoutCapture quiet;
        window.reset(new MainWindow);
        for (const QString& name : names)
            QVERIFY2(open(file(name)), qPrintable(name));
    }
    // Shows a view through its menu action and returns the frame it draws.
    QImage show(View view)
    {
        views()->viewAction(view)->trigger();
        return frame();
    }
    QImage frame()
    {
        BrainQuarter* viewer = window->getViewer();
        const quint64 before = viewer->frameCount();
        // A frame drawn since the camera moved; grabbing draws one anyway.
        if (!QTest::qWaitFor([&] { return viewer->frameCount() > before; }, 2000))
            qWarning("no frame drawn after the camera moved");
        return viewer->grabFramebuffer();
    }
    void colourPatch(int row, const QColor& colour)
    {
        surface(row)->getSurface()->updateColour(colour);
    }
    SbVec3f lookDirection() const
    {
        SbVec3f look;
        window->getViewer()->getCamera()->orientation.getValue().multVec(SbVec3f(0, 0, -1), look);
        return look;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        QVERIFY(writeHemisphere(file("lh.brain.obj"), -45));
        QVERIFY(writePatch(file("lh.patch.obj"), -80));
        QVERIFY(writeHemisphere(file("rh.brain.obj"), 45));
        QVERIFY(writePatch(file("rh.patch.obj"), 80));
        // Names that say nothing: the coordinates decide.
        QVERIFY(writeHemisphere(file("brain.obj"), -45));
        QVERIFY(writePatch(file("patch.obj"), -80));
    }

    void cleanup() { window.reset(); }

    void menuHoldsTheViewsWithTheirKeys()
    {
        makeWindow({});
        const QList<QAction*> menus = window->menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(menus[1]->text(), QString("&View"));
        QVERIFY(menus[1]->menu() == window->viewMenu());
        QCOMPARE(views()->resetAction()->shortcuts(),
                 QList<QKeySequence>({QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_R)}));
        const View order[] = {View::Lateral, View::Medial,   View::Dorsal,
                              View::Ventral, View::Anterior, View::Posterior};
        const QStringList texts = {"&Lateral", "&Medial", "&Dorsal", "&Ventral", "&Anterior", "&Posterior"};
        for (int i = 0; i < 6; ++i) {
            QAction* action = views()->viewAction(order[i]);
            QCOMPARE(action->text(), texts[i]);
            QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)));
            QVERIFY(window->viewMenu()->actions().contains(action));
        }
    }

    void lateralShowsTheOutsideOfALeftHemisphere()
    {
        makeWindow({"lh.brain.obj", "lh.patch.obj"});
        colourPatch(1, Qt::red);
        showWindow();
        // The brain row selected: it sets the side.
        clickRow(model()->index(0, 0));
        QCOMPARE(views()->targetSurface(), surface(0)->documentId());
        QCOMPARE(views()->hemisphere(surface(0)->documentId()), Hemisphere::Left);

        const QImage lateral = show(View::Lateral);
        const QString path = QString(ARTEFACT_DIR) + "/viewmenu_lateral.png";
        QVERIFY(lateral.save(path));
        qInfo("screenshot: %s", qPrintable(path));
        const Spot seen = findColour(lateral, true);
        // From the left the front is on the left and the patch, in the
        // front upper quarter, shows left of and above the middle.
        QVERIFY2(seen.count > 300, qPrintable(QString::number(seen.count)));
        QVERIFY(seen.centre.x() < lateral.width() / 2.0);
        QVERIFY(seen.centre.y() < lateral.height() / 2.0);
        QVERIFY(lookDirection().equals(SbVec3f(1, 0, 0), 1e-5f));

        const QImage medial = show(View::Medial);
        QCOMPARE(findColour(medial, true).count, 0);
        QVERIFY(lookDirection().equals(SbVec3f(-1, 0, 0), 1e-5f));
        // Both frame the same scene at the same distance: the body's outline
        // is the mirror image, as wide in both but for the perspective of the
        // patch pulling the scene's centre a little outwards.
        auto bodyWidth = [](const QImage& image) {
            const int y = image.height() / 2;
            int first = -1, last = -1;
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).lightness() > 30) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
            return last - first;
        };
        QVERIFY2(std::abs(bodyWidth(lateral) - bodyWidth(medial)) <= bodyWidth(lateral) / 30,
                 qPrintable(QString("%1 %2").arg(bodyWidth(lateral)).arg(bodyWidth(medial))));
    }

    void theOtherViewsLookFromTheirSides()
    {
        makeWindow({"lh.brain.obj"});
        showWindow();
        const struct {
            View view;
            SbVec3f look, up;
        } cases[] = {
            {View::Dorsal, {0, 0, -1}, {0, 1, 0}},    {View::Ventral, {0, 0, 1}, {0, 1, 0}},
            {View::Anterior, {0, -1, 0}, {0, 0, 1}},  {View::Posterior, {0, 1, 0}, {0, 0, 1}},
        };
        for (const auto& c : cases) {
            views()->viewAction(c.view)->trigger();
            SbVec3f up;
            window->getViewer()->getCamera()->orientation.getValue().multVec(SbVec3f(0, 1, 0), up);
            QVERIFY2(lookDirection().equals(c.look, 1e-5f), gyroscene::view_name(c.view));
            QVERIFY2(up.equals(c.up, 1e-5f), gyroscene::view_name(c.view));
            // Aimed at the middle of the surface.
            const QPoint middle = project(SbVec3f(-45, 0, 0));
            QVERIFY(std::abs(middle.x() - window->getViewer()->width() / 2) <= 1);
            QVERIFY(std::abs(middle.y() - window->getViewer()->height() / 2) <= 1);
        }
        // The narrow hemisphere is much longer than wide from above and
        // taller than wide from the front.
        auto extent = [](const QImage& image) {
            QRect box;
            for (int y = 0; y < image.height(); y += 2)
                for (int x = 0; x < image.width(); x += 2)
                    if (image.pixelColor(x, y).lightness() > 30)
                        box |= QRect(x, y, 1, 1);
            return box;
        };
        const QRect dorsal = extent(show(View::Dorsal));
        QVERIFY2(dorsal.height() > 2 * dorsal.width(),
                 qPrintable(QString("%1x%2").arg(dorsal.width()).arg(dorsal.height())));
        const QRect anterior = extent(show(View::Anterior));
        QVERIFY2(anterior.height() > anterior.width(),
                 qPrintable(QString("%1x%2").arg(anterior.width()).arg(anterior.height())));
    }

    void resetViewReturnsToTheStartUpView()
    {
        makeWindow({"lh.brain.obj"});
        showWindow();
        SoCamera* camera = window->getViewer()->getCamera();
        const SbVec3f startPosition = camera->position.getValue();
        const SbRotation startOrientation = camera->orientation.getValue();
        views()->viewAction(View::Anterior)->trigger();
        QVERIFY(!camera->position.getValue().equals(startPosition, 1e-3f));
        // By its key, as the user does.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window->getViewer(), Qt::Key_Home);
        QVERIFY(camera->position.getValue().equals(startPosition, 1e-3f));
        QVERIFY(camera->orientation.getValue().equals(startOrientation, 1e-6f));
        QTest::keyClick(window->getViewer(), Qt::Key_1, Qt::ControlModifier);
        QVERIFY(lookDirection().equals(SbVec3f(1, 0, 0), 1e-5f));
    }

    // As the user met it: the view taller than wide, the vertex field typed
    // in, then the wheel over the view and Home; Ctrl+R from the field.
    void resetViewIsTheStartUpViewWhereverTheFocusIs()
    {
        makeWindow({"lh.brain.obj"});
        window->resize(700, 900);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        BrainQuarter* viewer = window->getViewer();
        QTRY_VERIFY(viewer->frameCount() > 0);
        QTRY_VERIFY(viewer->hasFocus());
        QVERIFY(viewer->height() > viewer->width());
        const gyroscene::camera_state start = viewer->cameraState();

        QLineEdit* field = window->getPickPanel()->getVertexField();
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        views()->viewAction(View::Anterior)->trigger();
        QVERIFY(!(viewer->cameraState() == start));
        const QPoint centre = viewer->rect().center();
        QWheelEvent wheel(centre, viewer->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer, &wheel);
        QVERIFY(viewer->hasFocus());
        QTest::keyClick(viewer, Qt::Key_Home);
        QVERIFY(viewer->cameraState() == start);

        views()->viewAction(View::Lateral)->trigger();
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        field->setText("12");
        QTest::keyClick(field, Qt::Key_Home);
        QVERIFY(!(viewer->cameraState() == start));
        QCOMPARE(field->cursorPosition(), 0);
        QTest::keyClick(field, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(viewer->cameraState() == start);
    }

    void rightHemisphereAndBothTogether()
    {
        makeWindow({"lh.brain.obj", "lh.patch.obj", "rh.brain.obj", "rh.patch.obj"});
        colourPatch(1, Qt::red);
        colourPatch(3, Qt::blue);
        showWindow();
        QCOMPARE(views()->hemisphere(surface(2)->documentId()), Hemisphere::Right);

        // The right brain selected: its lateral side, +x, with the front on
        // the right.
        clickRow(model()->index(2, 0));
        QImage image = show(View::Lateral);
        Spot blue = findColour(image, false);
        QVERIFY2(blue.count > 100, qPrintable(QString::number(blue.count)));
        QVERIFY(blue.centre.x() > image.width() / 2.0);
        QCOMPARE(findColour(image, true).count, 0);

        // The left brain's row makes it the target (rows under it do not:
        // one target for the views and the next statistics file).
        clickRow(model()->index(0, 0));
        QCOMPARE(views()->targetSurface(), surface(0)->documentId());
        image = show(View::Lateral);
        QVERIFY(findColour(image, true).count > 100);
        QCOMPARE(findColour(image, false).count, 0);
        // Medial of the left one looks from +x, onto the right one's outside.
        image = show(View::Medial);
        QVERIFY(findColour(image, false).count > 100);
        QCOMPARE(findColour(image, true).count, 0);
    }

    void theUserOverridesTheGuess()
    {
        makeWindow({"brain.obj", "patch.obj"});
        colourPatch(1, Qt::red);
        showWindow();
        clickRow(model()->index(0, 0));
        // Nothing in the name: the mean x is negative, so left.
        QCOMPARE(window->getResources()->guessedHemisphere(surface(0)->documentId()), Hemisphere::Left);
        QVERIFY(findColour(show(View::Lateral), true).count > 300);

        QMenu* sides = views()->hemisphereMenu();
        emit window->viewMenu()->aboutToShow();
        const QList<QAction*> choices = sides->actions();
        QCOMPARE(choices.size(), 3);
        QCOMPARE(choices[0]->text(), QString("&Automatic (left)"));
        QVERIFY(choices[0]->isChecked());
        choices[2]->trigger();  // right
        QCOMPARE(views()->hemisphere(surface(0)->documentId()), Hemisphere::Right);
        QCOMPARE(findColour(show(View::Lateral), true).count, 0);
        QVERIFY(findColour(show(View::Medial), true).count > 300);
        emit window->viewMenu()->aboutToShow();
        QVERIFY(choices[2]->isChecked());
        // The other surface keeps its own guess; back to automatic.
        QCOMPARE(views()->hemisphere(surface(1)->documentId()), Hemisphere::Left);
        choices[0]->trigger();
        QCOMPARE(views()->hemisphere(surface(0)->documentId()), Hemisphere::Left);
    }

    void giftiStructureDecidesWhenTheNameDoesNot()
    {
        // Points on the left, the file says right.
        QFile out(file("pial.surf.gii"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<GIFTI Version=\"1.0\" NumberOfDataArrays=\"2\">\n"
                  "<MetaData><MD><Name>AnatomicalStructurePrimary</Name><Value>CortexRight</Value>"
                  "</MD></MetaData>\n"
                  "<DataArray Intent=\"NIFTI_INTENT_POINTSET\" DataType=\"NIFTI_TYPE_FLOAT32\" "
                  "ArrayIndexingOrder=\"RowMajorOrder\" Dimensionality=\"2\" Dim0=\"3\" Dim1=\"3\" "
                  "Encoding=\"ASCII\" Endian=\"LittleEndian\" ExternalFileName=\"\" ExternalFileOffset=\"\">"
                  "<Data>-40 0 0 -40 10 0 -40 0 10</Data></DataArray>\n"
                  "<DataArray Intent=\"NIFTI_INTENT_TRIANGLE\" DataType=\"NIFTI_TYPE_INT32\" "
                  "ArrayIndexingOrder=\"RowMajorOrder\" Dimensionality=\"2\" Dim0=\"1\" Dim1=\"3\" "
                  "Encoding=\"ASCII\" Endian=\"LittleEndian\" ExternalFileName=\"\" ExternalFileOffset=\"\">"
                  "<Data>0 1 2</Data></DataArray>\n</GIFTI>\n");
        out.close();
        makeWindow({"pial.surf.gii"});
        QCOMPARE(surface(0)->getSurface()->anatomicalStructure(), QString("CortexRight"));
        QCOMPARE(window->getResources()->guessedHemisphere(surface(0)->documentId()), Hemisphere::Right);
    }

    void docksAndSpinAreToggled()
    {
        makeWindow({});
        showWindow();
        QMenu* menu = window->viewMenu();
        QAction* resources = nullptr;
        QAction* messages = nullptr;
        QAction* pick = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == "&Resources Panel")
                resources = action;
            if (action->text() == "&Pick Panel")
                pick = action;
            if (action->text() == "Message &Log")
                messages = action;
        }
        QVERIFY(resources && messages && pick);
        // The pick dock closed by its title bar comes back through the menu.
        QDockWidget* pickDock = window->getPickDock();
        QVERIFY(pickDock->isVisible() && pick->isChecked());
        pickDock->close();
        QVERIFY(!pick->isChecked());
        pick->trigger();
        QVERIFY(pickDock->isVisible());
        QDockWidget* dock = window->getResourcesDock();
        QVERIFY(dock->isVisible() && resources->isChecked());
        resources->trigger();
        QVERIFY(!dock->isVisible());
        QVERIFY(!resources->isChecked());
        resources->trigger();
        QVERIFY(dock->isVisible());
        QVERIFY(!window->getMessagesDock()->isVisible());
        messages->trigger();
        QVERIFY(window->getMessagesDock()->isVisible());
        messages->trigger();
        QVERIFY(!window->getMessagesDock()->isVisible());

        QAction* spin = views()->spinAction();
        QVERIFY(spin->isChecked() && window->getViewer()->spinEnabled());
        spin->trigger();
        QVERIFY(!window->getViewer()->spinEnabled());
        // Kept for the next start.
        makeWindow({});
        QVERIFY(!window->getViewer()->spinEnabled());
        QVERIFY(!views()->spinAction()->isChecked());
        views()->spinAction()->trigger();
        QVERIFY(window->getViewer()->spinEnabled());
        const QSettings settings(QSettings::IniFormat, QSettings::UserScope, "TARV", "gyrolux");
        QCOMPARE(settings.value("view/spin").toBool(), true);
    }
};

QTEST_MAIN(TestViewMenu)
#include "tst_viewmenu.moc"
