// Wheel and drag zoom, and the spin after a fast drag, in the real main
// window on the demo's brain: how far each step moves the camera, that the
// camera never goes through the surface, and that the spin ends.

#include "BrainQuarter.h"
#include "MainWindow.h"
#include "app_test_util.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <Inventor/SoPickedPoint.h>
#include <Inventor/SoRenderManager.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/nodes/SoCamera.h>

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

struct LitArea {
    QRect bounds;
    int pixels = 0;
};

// The part of a frame that is not background.
LitArea litArea(const QImage& frame)
{
    LitArea area;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (qGray(frame.pixel(x, y)) > 10) {
                area.bounds |= QRect(x, y, 1, 1);
                ++area.pixels;
            }
    return area;
}

int differingPixels(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 24;
    return n;
}

}  // namespace

class TestNavigation : public WindowTestBase
{
    Q_OBJECT

    QTemporaryDir home;
    BrainQuarter* view = nullptr;
    SbVec3f centre;
    float radius = 0;

    void waitForFrame()
    {
        const quint64 before = view->frameCount();
        view->update();
        QTRY_VERIFY_WITH_TIMEOUT(view->frameCount() > before, 5000);
    }
    QImage frame()
    {
        waitForFrame();
        return view->grabFramebuffer();
    }
    float distance() const { return (view->getCamera()->position.getValue() - centre).length(); }

    // One wheel event of the given angle; returns what it printed.
    QStringList wheel(int delta)
    {
        const QPoint pos(view->width() / 2, view->height() / 2);
        QWheelEvent event(QPointF(pos), QPointF(view->mapToGlobal(pos)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        StdoutCapture out;
        QApplication::sendEvent(view, &event);
        return out.lines();
    }
    void sendMouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint pos,
                   Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent event(type, QPointF(pos), QPointF(view->mapToGlobal(pos)), button, held, mods);
        QApplication::sendEvent(view, &event);
    }
    // A quick sideways drag let go while still moving: what starts a spin.
    // The moves come at a steady pace, with no frame drawn in between.
    void flick()
    {
        QPoint pos(view->width() / 2 - 80, view->height() / 2);
        StdoutCapture quiet;
        sendMouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, pos);
        for (int i = 0; i < 6; ++i) {
            pos += QPoint(25, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            sendMouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, pos);
        }
        sendMouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, pos);
    }
    // Flicks until the view spins on after the release: whether the
    // navigation takes a flick for a spin depends on the pace of the moves,
    // which a loaded machine can upset.
    bool flickToSpin()
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            flick();
            if (!cameraStillFor(300))
                return true;
        }
        return false;
    }
    bool cameraStillFor(int ms)
    {
        const SbRotation turn = view->getCamera()->orientation.getValue();
        const SbVec3f place = view->getCamera()->position.getValue();
        QTest::qWait(ms);
        return view->getCamera()->orientation.getValue() == turn && view->getCamera()->position.getValue() == place;
    }
    // Neither the camera moves nor a frame is drawn: nothing keeps the cores busy.
    bool restingFor(int ms)
    {
        const quint64 frames = view->frameCount();
        return cameraStillFor(ms) && view->frameCount() == frames;
    }
    // The camera is outside the scene's bounding sphere and what the view
    // centre shows lies beyond the near plane.
    void checkOutsideSurface(const QString& when)
    {
        // The near plane is the one of the frame drawn last.
        waitForFrame();
        QVERIFY2(distance() > radius,
                 qPrintable(when + QStringLiteral(": camera %1 from the centre, sphere %2").arg(distance()).arg(radius)));
        SoCamera* camera = view->getCamera();
        SoRayPickAction pick(view->getSoRenderManager()->getViewportRegion());
        pick.setNormalizedPoint(SbVec2f(0.5f, 0.5f));
        pick.apply(view->getSceneGraph());
        const SoPickedPoint* hit = pick.getPickedPoint(0);
        QVERIFY2(hit, qPrintable(when + QStringLiteral(": nothing under the view centre")));
        const float depth = (hit->getPoint() - camera->position.getValue()).length();
        QVERIFY2(depth > camera->nearDistance.getValue(),
                 qPrintable(when + QStringLiteral(": surface at %1, near plane %2").arg(depth).arg(camera->nearDistance.getValue())));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home));
        gyroview::init();
    }

    void init()
    {
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            QVERIFY(open(QString(SAMPLES_DIR) + "/brain.obj"));
        }
        showWindow();
        view = window->getViewer();
        SoGetBoundingBoxAction box(view->getSoRenderManager()->getViewportRegion());
        box.apply(view->getSceneGraph());
        centre = box.getBoundingBox().getCenter();
        float dx, dy, dz;
        box.getBoundingBox().getSize(dx, dy, dz);
        radius = 0.5f * std::sqrt(dx * dx + dy * dy + dz * dz);
        QVERIFY(radius > 50);
    }
    void cleanup()
    {
        window.reset();
        view = nullptr;
    }

    void eachNotchScalesTheDistanceByOneFactor()
    {
        const QStringList perNotch{"Woooohooo!", "Woooohooo!"};
        float last = distance();
        QList<double> in, out;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(wheel(120), perNotch);
            in << distance() / last;
            last = distance();
        }
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(wheel(-120), perNotch);
            out << distance() / last;
            last = distance();
        }
        for (int i = 0; i < 3; ++i) {
            QVERIFY2(in[i] > 0.85 && in[i] < 0.95, qPrintable(QString::number(in[i])));
            QVERIFY2(std::abs(in[i] - in[0]) < 1e-3, qPrintable(QString::number(in[i])));
            QVERIFY2(std::abs(out[i] * in[0] - 1.0) < 1e-3, qPrintable(QString::number(out[i])));
        }
        // Two steps in one event are two notches.
        const float before = distance();
        QCOMPARE(wheel(240), perNotch + perNotch);
        QVERIFY(std::abs(distance() / before - in[0] * in[0]) < 1e-3);
    }

    void notchesInThenOutGiveBackTheFirstView_data()
    {
        QTest::addColumn<int>("notches");
        QTest::newRow("1") << 1;
        QTest::newRow("4") << 4;
        QTest::newRow("8") << 8;
    }
    void notchesInThenOutGiveBackTheFirstView()
    {
        QFETCH(int, notches);
        const QImage first = frame();
        const LitArea firstArea = litArea(first);
        QVERIFY(firstArea.pixels > 10000);
        for (int i = 0; i < notches; ++i)
            wheel(120);
        const LitArea closer = litArea(frame());
        QVERIFY2(closer.pixels > firstArea.pixels, qPrintable(QString::number(closer.pixels)));
        for (int i = 0; i < notches; ++i)
            wheel(-120);
        const QImage back = frame();
        const LitArea backArea = litArea(back);
        const QString where = QStringLiteral("first %1,%2 %3x%4, back %5,%6 %7x%8")
                                  .arg(firstArea.bounds.x()).arg(firstArea.bounds.y())
                                  .arg(firstArea.bounds.width()).arg(firstArea.bounds.height())
                                  .arg(backArea.bounds.x()).arg(backArea.bounds.y())
                                  .arg(backArea.bounds.width()).arg(backArea.bounds.height());
        QVERIFY2((backArea.bounds.topLeft() - firstArea.bounds.topLeft()).manhattanLength() <= 3 &&
                     (backArea.bounds.bottomRight() - firstArea.bounds.bottomRight()).manhattanLength() <= 3,
                 qPrintable(where));
        const int differ = differingPixels(first, back);
        QVERIFY2(differ < firstArea.pixels / 200, qPrintable(QString::number(differ)));
    }

    void twentyNotchesInStayOutsideTheSurface()
    {
        const QImage first = frame();
        QVERIFY(first.save(QString(ARTEFACT_DIR) + "/navigation-first.png"));
        for (int i = 1; i <= 20; ++i) {
            wheel(120);
            checkOutsideSurface(QStringLiteral("notch %1").arg(i));
        }
        const QImage close = frame();
        QVERIFY(close.save(QString(ARTEFACT_DIR) + "/navigation-close.png"));
        // The surface with its shading, not one flat fill.
        int darkest = 255, brightest = 0;
        for (int y = 0; y < close.height(); y += 4)
            for (int x = 0; x < close.width(); x += 4) {
                const int g = qGray(close.pixel(x, y));
                darkest = std::min(darkest, g);
                brightest = std::max(brightest, g);
            }
        QVERIFY2(brightest - darkest > 60, qPrintable(QStringLiteral("%1..%2").arg(darkest).arg(brightest)));
        QVERIFY(litArea(close).pixels > litArea(first).pixels);
        // Held at the limit, not stuck there: as many notches out end up
        // farther than the first view.
        for (int i = 0; i < 20; ++i)
            wheel(-120);
        QVERIFY(litArea(frame()).pixels < litArea(first).pixels);
    }

    void controlDragZoomsWithItsLength()
    {
        const QPoint start(view->width() / 2, view->height() / 2);
        const float d0 = distance();
        auto dragTo = [&](int dy) {
            QPoint pos = start;
            StdoutCapture quiet;
            QTest::keyPress(view, Qt::Key_Control);
            sendMouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, pos, Qt::ControlModifier);
            const int step = dy > 0 ? 5 : -5;
            for (int moved = 0; moved != dy; moved += step) {
                pos += QPoint(0, step);
                sendMouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, pos, Qt::ControlModifier);
            }
            const float reached = distance();
            sendMouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, pos, Qt::ControlModifier);
            QTest::keyRelease(view, Qt::Key_Control);
            return reached;
        };
        // Down comes closer, up goes away; 20 pixels is a small step.
        const float down20 = dragTo(20);
        QVERIFY2(down20 < d0 && down20 > 0.85f * d0, qPrintable(QStringLiteral("%1 -> %2").arg(d0).arg(down20)));
        checkOutsideSurface(QStringLiteral("20 px down"));
        // Twice the length, twice the step (on a log scale).
        const float down40 = dragTo(40) / down20;
        QVERIFY2(std::abs(std::log(down40) - 2 * std::log(down20 / d0)) < 0.02,
                 qPrintable(QStringLiteral("%1 vs %2").arg(down40).arg(down20 / d0)));
        // However long the drag, never through the surface.
        dragTo(400);
        checkOutsideSurface(QStringLiteral("400 px down"));
        // 100 pixels up from the first view leaves the brain large.
        view->viewAll();
        const float up100 = dragTo(-100);
        QVERIFY2(up100 > d0 && up100 < 2.0f * d0, qPrintable(QStringLiteral("%1 -> %2").arg(d0).arg(up100)));
        // The view has not turned meanwhile.
        QVERIFY(cameraStillFor(100));
    }

    void controlDragPrintsThePressAndReleaseLines()
    {
        // A press at the background prints just the callback line, as any click.
        const QPoint corner(3, 3);
        StdoutCapture out;
        QTest::keyPress(view, Qt::Key_Control);
        sendMouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, corner, Qt::ControlModifier);
        sendMouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, corner + QPoint(0, 30), Qt::ControlModifier);
        sendMouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, corner + QPoint(0, 30),
                  Qt::ControlModifier);
        QTest::keyRelease(view, Qt::Key_Control);
        QCOMPARE(out.lines(), (QStringList{"Woooohooo!", "Woooohooo!"}));
    }

    void spinStopsByItself()
    {
        QVERIFY(view->spinEnabled());
        // It spins...
        QVERIFY(flickToSpin());
        // ...and comes to rest within a few seconds, drawing nothing more.
        QElapsedTimer clock;
        clock.start();
        bool rested = false;
        while (!rested && clock.elapsed() < 10000)
            rested = restingFor(300);
        QVERIFY2(rested, "still turning after 10 s");
        QVERIFY(restingFor(1000));
        // A later flick spins again.
        QVERIFY(flickToSpin());
    }

    void spinSwitchedOffLeavesTheCameraStill()
    {
        view->setSpinEnabled(false);
        QVERIFY(!view->spinEnabled());
        // Flicks that would spin leave the camera where the drag put it; the
        // one frame left to draw shows it there.
        for (int i = 0; i < 3; ++i) {
            const SbRotation before = view->getCamera()->orientation.getValue();
            flick();
            QVERIFY(!(view->getCamera()->orientation.getValue() == before));
            waitForFrame();
            QVERIFY(restingFor(500));
        }
        view->setSpinEnabled(true);
        QVERIFY(flickToSpin());
        // Switching it off stops a spin at once.
        view->setSpinEnabled(false);
        QVERIFY(cameraStillFor(300));
    }

    void spinSettingIsReadAtStartUp()
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "TARV", "gyrolux");
        QVERIFY(!settings.contains("view/spin"));
        QVERIFY(view->spinEnabled());
        settings.setValue("view/spin", false);
        settings.sync();
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
        }
        QVERIFY(!window->getViewer()->spinEnabled());
        settings.remove("view/spin");
        settings.sync();
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
        }
        QVERIFY(window->getViewer()->spinEnabled());
    }
};

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
