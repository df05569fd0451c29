// Drives a real BrainQuarter under X: picking log lines and signal, examiner
// navigation, and what the drawn frame looks like.

#include "BrainQuarter.h"
#include "app_test_util.h"

#include <Inventor/SbViewVolume.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoRenderManager.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoEventCallback.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoNormal.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <cmath>
#include <iostream>
#include <memory>
#include <numbers>
#include <vector>

namespace {

struct Mesh {
    std::vector<SbVec3f> points;
    std::vector<SbVec3f> normals;
    std::vector<int32_t> indices;  // triangles, each ended by -1
};

// A surface node group laid out like the application's: material, normals,
// coordinates and an indexed face set, fields filled in bulk.
SoSeparator* makeSurface(const Mesh& mesh, SoIndexedFaceSet** faceSetOut)
{
    auto* sep = new SoSeparator;
    auto* material = new SoMaterial;
    material->diffuseColor.setValue(0.8f, 0.8f, 0.8f);
    sep->addChild(material);
    if (!mesh.normals.empty()) {
        auto* binding = new SoNormalBinding;
        binding->value = SoNormalBinding::PER_VERTEX_INDEXED;
        sep->addChild(binding);
        auto* normals = new SoNormal;
        normals->vector.setValues(0, static_cast<int>(mesh.normals.size()), mesh.normals.data());
        sep->addChild(normals);
    }
    auto* coords = new SoCoordinate3;
    coords->point.setValues(0, static_cast<int>(mesh.points.size()), mesh.points.data());
    sep->addChild(coords);
    auto* faces = new SoIndexedFaceSet;
    faces->coordIndex.setValues(0, static_cast<int>(mesh.indices.size()), mesh.indices.data());
    sep->addChild(faces);
    if (faceSetOut)
        *faceSetOut = faces;
    return sep;
}

// A square in the plane z = 40.9 spanning x 10..14, y -5..-1, cut into two
// triangles whose first vertices are 1 (lower right) and 3 (upper left).
Mesh makeSquare()
{
    Mesh m;
    m.points = {SbVec3f(10, -5, 40.9f), SbVec3f(14, -5, 40.9f), SbVec3f(14, -1, 40.9f), SbVec3f(10, -1, 40.9f)};
    m.indices = {1, 2, 0, -1, 3, 0, 2, -1};
    return m;
}

// A coarse UV sphere with outward normals and counter-clockwise faces seen
// from outside; coarse enough that flat shading would show facet edges.
Mesh makeSphere(int rings, int segments, float radius)
{
    Mesh m;
    const double pi = std::numbers::pi;
    for (int i = 0; i <= rings; ++i) {
        const double theta = pi * i / rings;
        for (int j = 0; j < segments; ++j) {
            const double phi = 2.0 * pi * j / segments;
            const SbVec3f n(float(std::sin(theta) * std::cos(phi)), float(std::cos(theta)),
                            float(std::sin(theta) * std::sin(phi)));
            m.points.push_back(n * radius);
            m.normals.push_back(n);
        }
    }
    auto at = [segments](int i, int j) { return i * segments + (j % segments); };
    auto addTriangle = [&m](int a, int b, int c) {
        const SbVec3f& pa = m.points[a];
        const SbVec3f normal = (m.points[b] - pa).cross(m.points[c] - pa);
        const SbVec3f centre = (pa + m.points[b] + m.points[c]) / 3.0f;
        if (normal.dot(centre) < 0)
            std::swap(b, c);
        m.indices.insert(m.indices.end(), {a, b, c, -1});
    };
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            if (i > 0)
                addTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1));
            if (i < rings - 1)
                addTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1));
        }
    }
    return m;
}

int grey(QRgb c)
{
    return qGray(c);
}

}  // namespace

class TestBrainQuarter : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<BrainQuarter> view;
    SoIndexedFaceSet* faceSet = nullptr;

    // Shows a fresh view holding the given surface, fitted to it, with one
    // frame drawn.
    void showWith(const Mesh& mesh)
    {
        view = std::make_unique<BrainQuarter>();
        view->resize(640, 480);
        view->getRootSeparator()->addChild(makeSurface(mesh, &faceSet));
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->viewAll();
        waitForFrame();
    }

    void waitForFrame()
    {
        const quint64 before = view->frameCount();
        view->update();
        QTRY_VERIFY_WITH_TIMEOUT(view->frameCount() > before, 5000);
    }

    // Where a world point lands in the widget, in Qt's top-left coordinates.
    QPoint project(const SbVec3f& world) const
    {
        const SbViewportRegion& vp = view->getSoRenderManager()->getViewportRegion();
        const SbViewVolume volume =
            static_cast<SoCamera*>(view->getCamera())->getViewVolume(vp.getViewportAspectRatio());
        SbVec3f screen;
        volume.projectToScreen(world, screen);
        return QPoint(int(screen[0] * view->width()), int((1.0f - screen[1]) * view->height()));
    }

    void sendMouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint pos)
    {
        QMouseEvent event(type, QPointF(pos), QPointF(view->mapToGlobal(pos)), button, held, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &event);
    }

private slots:
    void initTestCase() { gyroview::init(); }
    void cleanup() { view.reset(); }

    void rootHoldsCameraThenEventCallback()
    {
        BrainQuarter bq;
        SoSeparator* root = bq.getRootSeparator();
        QVERIFY(root);
        QCOMPARE(root->getNumChildren(), 2);
        QVERIFY(root->getChild(0)->isOfType(SoPerspectiveCamera::getClassTypeId()));
        QVERIFY(root->getChild(1)->isOfType(SoEventCallback::getClassTypeId()));
        QCOMPARE(bq.getSceneGraph(), static_cast<SoNode*>(root));
        QCOMPARE(static_cast<SoNode*>(bq.getCamera()), root->getChild(0));
        QCOMPARE(bq.navigationModeFile(), QUrl(QStringLiteral("coin:///scxml/navigation/examiner.xml")));
        QCOMPARE(bq.minimumSizeHint(), QSize(640, 480));
        bq.resize(200, 100);
        QCOMPARE(bq.minimumSizeHint(), QSize(640, 480));
    }

    void navigationFileErrors()
    {
        BrainQuarter bq;
        QVERIFY(!bq.setNavigationModeFile(QUrl(QStringLiteral("coin:///scxml/navigation/no-such-mode.xml"))));
        QVERIFY(!bq.setNavigationModeFile(QUrl(QStringLiteral("http://example.org/examiner.xml"))));
        // A failed load keeps the examiner that was there.
        QCOMPARE(bq.navigationModeFile(), QUrl(QStringLiteral("coin:///scxml/navigation/examiner.xml")));
    }

    void leftPressOnSurfacePicksFirstVertexOfTriangle_data()
    {
        QTest::addColumn<float>("wx");
        QTest::addColumn<float>("wy");
        QTest::addColumn<int>("index");
        QTest::newRow("lower right, beside vertex 2") << 13.6f << -1.6f << 1;
        QTest::newRow("upper left, beside vertex 0") << 10.4f << -4.3f << 3;
        QTest::newRow("negative y truncates toward zero") << 12.7f << -3.2f << 1;
    }

    void leftPressOnSurfacePicksFirstVertexOfTriangle()
    {
        QFETCH(float, wx);
        QFETCH(float, wy);
        QFETCH(int, index);
        showWith(makeSquare());
        QSignalSpy spy(view.get(), &BrainQuarter::pointPicked);
        const QPoint pos = project(SbVec3f(wx, wy, 40.9f));

        QStringList pressLines;
        {
            StdoutCapture out;
            QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, pos);
            pressLines = out.lines();
        }
        QCOMPARE(pressLines.size(), 6);
        QCOMPARE(pressLines[0], QStringLiteral("Woooohooo!"));
        QCOMPARE(pressLines[1], QStringLiteral("On geometry ..."));
        QVERIFY(pressLines[2].startsWith(QStringLiteral("Found: ")));
        QVERIFY(pressLines[3].startsWith(QStringLiteral("Texture: ")));
        QCOMPARE(pressLines[4], QStringLiteral("Index: %1").arg(index));
        QCOMPARE(pressLines[5], QStringLiteral("ID: %1").arg(quint64(faceSet->getNodeId())));

        const QStringList found = pressLines[2].mid(7).split(QLatin1Char(' '));
        QCOMPARE(found.size(), 3);
        const double fx = found[0].toDouble(), fy = found[1].toDouble(), fz = found[2].toDouble();
        // The hit lies within a pixel or so of the aimed point.
        QVERIFY2(std::abs(fx - wx) < 0.05 && std::abs(fy - wy) < 0.05, qPrintable(pressLines[2]));
        QVERIFY(std::abs(fz - 40.9) < 1e-3);
        QCOMPARE(pressLines[3].mid(9).split(QLatin1Char(' ')).size(), 4);

        QCOMPARE(spy.count(), 1);
        const QList<QVariant> args = spy.takeFirst();
        QCOMPARE(args[0].toInt(), index);
        QCOMPARE(args[1].toInt(), int(faceSet->getNodeId()));
        QCOMPARE(args[2].toInt(), int(std::trunc(fx)));
        QCOMPARE(args[3].toInt(), int(std::trunc(fy)));
        QCOMPARE(args[4].toInt(), 40);
        if (QByteArray(QTest::currentDataTag()).startsWith("negative")) {
            QCOMPARE(args[2].toInt(), 12);
            QCOMPARE(args[3].toInt(), -3);
        }

        QStringList releaseLines;
        {
            StdoutCapture out;
            QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, pos);
            releaseLines = out.lines();
        }
        QCOMPARE(releaseLines, QStringList{QStringLiteral("Woooohooo!")});
        QCOMPARE(spy.count(), 0);
    }

    void otherPressesPrintOnlyTheCallbackLine_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("onSurface");
        QTest::newRow("left on background") << int(Qt::LeftButton) << false;
        QTest::newRow("right on surface") << int(Qt::RightButton) << true;
        QTest::newRow("middle on surface") << int(Qt::MiddleButton) << true;
        QTest::newRow("right on background") << int(Qt::RightButton) << false;
    }

    void otherPressesPrintOnlyTheCallbackLine()
    {
        QFETCH(int, button);
        QFETCH(bool, onSurface);
        showWith(makeSquare());
        QSignalSpy spy(view.get(), &BrainQuarter::pointPicked);
        const QPoint pos = onSurface ? project(SbVec3f(12, -3, 40.9f)) : QPoint(5, 5);
        const SbVec3f cameraBefore = view->getCamera()->position.getValue();
        const auto b = Qt::MouseButton(button);
        QStringList pressLines, releaseLines;
        {
            StdoutCapture out;
            QTest::mousePress(view.get(), b, Qt::NoModifier, pos);
            pressLines = out.lines();
        }
        {
            StdoutCapture out;
            QTest::mouseRelease(view.get(), b, Qt::NoModifier, pos);
            releaseLines = out.lines();
        }
        QCOMPARE(pressLines, QStringList{QStringLiteral("Woooohooo!")});
        QCOMPARE(releaseLines, QStringList{QStringLiteral("Woooohooo!")});
        QCOMPARE(spy.count(), 0);
        // Clicking in place neither picks nor moves the camera.
        QVERIFY(view->getCamera()->position.getValue() == cameraBefore);
    }

    void leftDragPicksOnceAndRotates()
    {
        showWith(makeSquare());
        QSignalSpy spy(view.get(), &BrainQuarter::pointPicked);
        const SbRotation before = view->getCamera()->orientation.getValue();
        QPoint pos = project(SbVec3f(12, -3, 40.9f));
        StdoutCapture out;
        sendMouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, pos);
        for (int i = 0; i < 10; ++i) {
            pos += QPoint(8, 3);
            QTest::qWait(20);
            sendMouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, pos);
        }
        // Rest before letting go, so the release starts no spin.
        QTest::qWait(150);
        sendMouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, pos);
        QTest::qWait(150);
        sendMouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, pos);
        const QStringList lines = out.lines();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(lines.count(QStringLiteral("Woooohooo!")), 2);
        const SbRotation after = view->getCamera()->orientation.getValue();
        SbVec3f axis;
        float angle = 0;
        (before.inverse() * after).getValue(axis, angle);
        QVERIFY2(std::abs(angle) > 0.05f, qPrintable(QString::number(angle)));
    }

    void wheelDolliesTowardAndAway()
    {
        showWith(makeSquare());
        SoCamera* camera = view->getCamera();
        const SbVec3f centre(12, -3, 40.9f);
        const float start = (camera->position.getValue() - centre).length();
        const QPoint pos(320, 240);
        auto wheel = [&](int delta) {
            QWheelEvent event(QPointF(pos), QPointF(view->mapToGlobal(pos)), QPoint(), QPoint(0, delta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view.get(), &event);
        };
        StdoutCapture out;
        wheel(120);
        const float in = (camera->position.getValue() - centre).length();
        wheel(-120);
        wheel(-120);
        const float outDist = (camera->position.getValue() - centre).length();
        const QStringList lines = out.lines();
        QVERIFY2(in < start, qPrintable(QStringLiteral("%1 -> %2").arg(start).arg(in)));
        QVERIFY2(outDist > in, qPrintable(QStringLiteral("%1 -> %2").arg(in).arg(outDist)));
        // The wheel's button events reach the scene as well: press and release per step.
        QCOMPARE(lines.count(QStringLiteral("Woooohooo!")), 6);
    }

    // A resize draws nothing itself: the first frame on the screen took
    // exactly one draw of the scene.
    void firstFrameShownAfterOneDraw()
    {
        view = std::make_unique<BrainQuarter>();
        view->resize(640, 480);
        view->getRootSeparator()->addChild(makeSurface(makeSphere(10, 20, 5.0f), &faceSet));
        quint64 drawsAtFirstSwap = 0;
        connect(view.get(), &QOpenGLWidget::frameSwapped, view.get(), [&] {
            if (drawsAtFirstSwap == 0)
                drawsAtFirstSwap = view->frameCount();
        });
        view->show();
        QTRY_VERIFY_WITH_TIMEOUT(drawsAtFirstSwap > 0, 5000);
        QCOMPARE(drawsAtFirstSwap, quint64(1));
        view->viewAll();
        // Resized while shown, the view is drawn again once and shows the surface.
        const quint64 before = view->frameCount();
        view->resize(600, 400);
        QTRY_VERIFY_WITH_TIMEOUT(view->frameCount() > before, 5000);
        const QImage frame = view->grabFramebuffer();
        QCOMPARE(frame.size(), QSize(600, 400) * view->devicePixelRatio());
        QVERIFY(frame.pixel(frame.width() / 2, frame.height() / 2) != frame.pixel(1, 1));
    }

    void frameShowsSmoothLitSurface()
    {
        showWith(makeSphere(10, 20, 5.0f));
        const QImage frame = view->grabFramebuffer();
        QVERIFY(frame.save(QStringLiteral(ARTEFACT_DIR "/brainquarter-sphere.png")));
        const int cx = frame.width() / 2, cy = frame.height() / 2;
        const int centre = grey(frame.pixel(cx, cy));
        QVERIFY2(centre > 150, qPrintable(QString::number(centre)));
        QVERIFY(grey(frame.pixel(2, 2)) < 10);

        // The sphere's radius on screen: walk out from the centre to the background.
        int radius = 0;
        while (cx + radius < frame.width() && grey(frame.pixel(cx + radius, cy)) > 10)
            ++radius;
        QVERIFY2(radius > 40, qPrintable(QString::number(radius)));

        // Lit everywhere on the disc (no dark blotches) and without facet steps.
        int darkest = 255, steepest = 0;
        const int inner = int(radius * 0.85);
        for (int y = cy - inner; y <= cy + inner; ++y) {
            for (int x = cx - inner; x < cx + inner; ++x) {
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > inner * inner)
                    continue;
                darkest = std::min(darkest, grey(frame.pixel(x, y)));
                steepest = std::max(steepest, std::abs(grey(frame.pixel(x + 1, y)) - grey(frame.pixel(x, y))));
            }
        }
        QVERIFY2(darkest > 60, qPrintable(QString::number(darkest)));
        QVERIFY2(steepest < 12, qPrintable(QString::number(steepest)));

        // The headlight turns with the camera: after a drag the side now facing
        // the viewer is as bright as the front was.
        const SbRotation before = view->getCamera()->orientation.getValue();
        QPoint pos(cx - 120, cy);
        sendMouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, pos);
        for (int i = 0; i < 12; ++i) {
            pos += QPoint(20, 0);
            QTest::qWait(20);
            sendMouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, pos);
        }
        QTest::qWait(150);
        sendMouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, pos);
        QTest::qWait(150);
        sendMouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, pos);
        waitForFrame();
        SbVec3f axis;
        float angle = 0;
        (before.inverse() * view->getCamera()->orientation.getValue()).getValue(axis, angle);
        // Far enough round that a light fixed in the world would dim the centre.
        QVERIFY2(std::abs(angle) > 0.5f, qPrintable(QString::number(angle)));
        const QImage turned = view->grabFramebuffer();
        QVERIFY2(std::abs(grey(turned.pixel(cx, cy)) - centre) < 10,
                 qPrintable(QStringLiteral("%1 vs %2").arg(grey(turned.pixel(cx, cy))).arg(centre)));
    }

    void spinAfterFastReleaseIsCappedAtDisplayRate()
    {
        showWith(makeSphere(10, 20, 5.0f));
        // A rate well below what this small scene can draw, so the cap shows.
        const double rate = 20.0;
        view->setMaxFrameRate(rate);
        QCOMPARE(view->maxFrameRate(), rate);
        QPoint pos(320, 240);
        sendMouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, pos);
        for (int i = 0; i < 6; ++i) {
            pos += QPoint(25, 0);
            QTest::qWait(10);
            sendMouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, pos);
        }
        sendMouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, pos);

        const SbRotation start = view->getCamera()->orientation.getValue();
        const quint64 framesBefore = view->frameCount();
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(600);
        const double seconds = clock.elapsed() / 1000.0;
        const quint64 frames = view->frameCount() - framesBefore;
        const SbRotation end = view->getCamera()->orientation.getValue();
        qInfo("spin: %llu frames in %.2f s", static_cast<unsigned long long>(frames), seconds);
        // It keeps turning on its own...
        QVERIFY(!(start == end));
        QVERIFY(frames >= 3);
        // ...but never faster than the cap (with slack for timer jitter).
        QVERIFY2(frames <= quint64(seconds * rate * 1.2) + 2, qPrintable(QString::number(frames)));

        // A press stops the spin.
        sendMouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, pos);
        sendMouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, pos);
        QTest::qWait(100);
        const SbRotation stopped = view->getCamera()->orientation.getValue();
        QTest::qWait(200);
        QVERIFY(view->getCamera()->orientation.getValue() == stopped);
    }

    void reparentingKeepsDrawing()
    {
        showWith(makeSphere(10, 20, 5.0f));
        const int before = grey(view->grabFramebuffer().pixel(320, 240));
        // A new parent gives the widget a new GL context; Coin's caches for the
        // old one must be let go and the new one given its own.
        QWidget holder;
        auto* layout = new QVBoxLayout(&holder);
        layout->setContentsMargins(0, 0, 0, 0);
        holder.resize(640, 480);
        layout->addWidget(view.get());
        holder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&holder));
        waitForFrame();
        const QImage frame = view->grabFramebuffer();
        QVERIFY(std::abs(grey(frame.pixel(frame.width() / 2, frame.height() / 2)) - before) < 10);
        view->setParent(nullptr);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        waitForFrame();
        QVERIFY(grey(view->grabFramebuffer().pixel(view->width() / 2, view->height() / 2)) > 100);
    }

    void frameRightAfterCameraMoveIsNotClipped()
    {
        // A thin disc facing the camera gets tight near and far planes; seen
        // from 60 degrees round, planes left over from before would cut it.
        Mesh disc = makeSphere(10, 20, 5.0f);
        for (SbVec3f& p : disc.points)
            p[2] *= 0.1f;
        showWith(disc);
        SoCamera* camera = view->getCamera();
        const SbVec3f focus = camera->position.getValue() +
                              SbVec3f(0, 0, -1) * camera->focalDistance.getValue();
        const SbRotation turn(SbVec3f(0, 1, 0), float(std::numbers::pi / 3));
        SbVec3f dir;
        turn.multVec(SbVec3f(0, 0, -1), dir);
        camera->orientation = turn;
        camera->position = focus - dir * camera->focalDistance.getValue();

        const QImage immediate = view->grabFramebuffer();
        waitForFrame();
        const QImage settled = view->grabFramebuffer();
        int lit = 0, differ = 0;
        for (int y = 0; y < settled.height(); ++y) {
            for (int x = 0; x < settled.width(); ++x) {
                lit += grey(settled.pixel(x, y)) > 10;
                differ += std::abs(grey(settled.pixel(x, y)) - grey(immediate.pixel(x, y))) > 10;
            }
        }
        QVERIFY(lit > 5000);
        QVERIFY2(differ < lit / 100, qPrintable(QStringLiteral("%1 of %2 lit pixels differ").arg(differ).arg(lit)));
    }

    void screenshotArtefact()
    {
        showWith(makeSphere(24, 48, 5.0f));
        const QImage frame = view->grabFramebuffer();
        QVERIFY(frame.save(QStringLiteral(ARTEFACT_DIR "/brainquarter.png")));
    }
};

QTEST_MAIN(TestBrainQuarter)
#include "tst_brainquarter.moc"
