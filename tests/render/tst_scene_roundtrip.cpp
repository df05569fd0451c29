// A scene made by hand in the viewer, saved, opened by a fresh viewer and
// drawn by gyrolux-render --scene shows the same picture all three times.
#include "BrainQuarter.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "SceneDocument.h"
#include "fresh_home.h"
#include "parcel_files.h"
#include "stats_test_util.h"
#include "textureColumn.h"
#include "view_presets.h"
#include "window_test_base.h"

#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestSceneRoundTrip : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;

    QString file(const QString& name) const { return files.filePath(name); }

    // A frame drawn after everything asked so far.
    QImage grab()
    {
        BrainQuarter* viewer = window->getViewer();
        const int frames = viewer->frameCount();
        viewer->update();
        [&] { QTRY_VERIFY(viewer->frameCount() > frames); }();
        return viewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    }

    static void save(const QImage& image, const QString& name)
    {
        const QString path = QString(ARTEFACT_DIR) + "/" + name + ".png";
        if (image.save(path))
            qInfo("image: %s", qPrintable(path));
    }

    // Pixels differing by more than a rounding step; how many are drawn.
    static qint64 differing(const QImage& a, const QImage& b, qint64* drawn)
    {
        qint64 count = 0;
        *drawn = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                if (distance(a.pixelColor(x, y), b.pixelColor(x, y)) > 12)
                    ++count;
                if (distance(a.pixelColor(x, y), Qt::black) > 30)
                    ++*drawn;
            }
        return count;
    }

    // gyrolux-render --scene without a display; null when it failed.
    QImage renderScene(const QString& scene, const QString& name)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        process.setProcessEnvironment(environment);
        const QString out = file(name + ".png");
        process.start(RENDER_PATH, {"--scene", scene, "--colourbar-dir", files.filePath("bars"),
                                    "--samples", "0", "-o", out});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            qWarning("renderer: %s", process.readAllStandardError().constData());
            return QImage();
        }
        const QImage rendered = QImage(out).convertToFormat(QImage::Format_RGB32);
        save(rendered, name);
        return rendered;
    }

    static void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        const QString bars = files.filePath("bars");
        QVERIFY(QDir().mkpath(bars));
        QVERIFY(writeColourBar(bars + "/bluered.png", Qt::blue, Qt::red));
        QVERIFY(writeColourBar(bars + "/greens.png", Qt::darkGreen, Qt::green));
        setTextureDir(bars);
        QVERIFY(writeEllipsoid(file("lh.obj")));
        std::vector<float> heights = ellipsoidHeights();
        std::vector<float> negated;
        for (float h : heights)
            negated.push_back(-h);
        QVERIFY(writeVertstats(file("lh.vertstats"), {"height", "depth"}, {heights, negated}));
        QVERIFY(writeEllipsoid(file("rh.obj")));
        // A cap over the top and the rest, in colours of their own.
        parcellation parcels;
        parcels.format = FREESURFER_ANNOTATION;
        parcels.regions = {{0, "cap", {20, 200, 60, 255}}, {1, "rest", {200, 160, 40, 255}}};
        for (float h : heights)
            parcels.vertex_regions.push_back(h > 30 ? 0 : 1);
        {
            StdoutCapture quiet;
            QCOMPARE(output_freesurfer_annotation(file("lh.cap.annot").toLocal8Bit().constData(), parcels),
                     OK);
        }
        QFile tags(file("points.tag"));
        QVERIFY(tags.open(QIODevice::WriteOnly));
        tags.write("MNI Tag Point File\nVolumes = 1;\n\nPoints =\n"
                   " 0 0 50 \"top\"\n 55 0 0 \"side\"\n 0 70 0 \"front\";\n");
    }

    void cleanup() { window.reset(); }

    void savedSceneOpensAndRendersTheSamePicture()
    {
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            QVERIFY(open(file("lh.obj")));
            QVERIFY(open(file("lh.vertstats")));
            QVERIFY(open(file("points.tag")));
        }
        showWindow();
        BrainQuarter* viewer = window->getViewer();
        viewer->setSpinEnabled(false);

        // As a user: the second column, its limits and threshold typed in.
        auto* scene = static_cast<GeometryScene*>(root()->child(0));
        auto* column = qobject_cast<textureColumn*>(scene->child(1)->child(1));
        QVERIFY(column);
        {
            StdoutCapture quiet;
            clickRow(indexOf(column));
        }
        QVERIFY(column->getProps());
        typeInto(column->getProps()->upperLimit, "30");
        typeInto(column->getProps()->lowerLimit, "-30");
        typeInto(window->getResources()->getPropertyWidget()->findChild<QLineEdit*>("thresholdField"),
                 "10");
        column->getProps()->textureCombo->setCurrentIndex(1);
        QCOMPARE(column->getUpperLimit(), 30.0f);
        QCOMPARE(column->getThreshold(), 10.0f);
        // The landmarks' box unticked, the view turned from the side.
        TreeItem* tags = root()->child(1);
        QVERIFY(model()->setData(indexOf(tags), Qt::Unchecked, Qt::CheckStateRole));
        QTest::keyClick(viewer, Qt::Key_1, Qt::ControlModifier);
        const QPoint middle(viewer->width() / 2, viewer->height() / 2);
        QTest::mousePress(viewer, Qt::LeftButton, {}, middle);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(viewer, middle + QPoint(6 * step, 3 * step));
        QTest::mouseRelease(viewer, Qt::LeftButton, {}, middle + QPoint(60, 30));
        const QImage made = grab();

        const QString path = file("view.gyrolux");
        QVERIFY(window->saveScene(path));
        QVERIFY(!window->document()->isModified());
        QVERIFY(window->windowTitle().startsWith("view.gyrolux"));

        // A fresh viewer opens the scene as File > Open would.
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
        }
        showWindow();
        {
            StdoutCapture quiet;
            QVERIFY(open(path));
        }
        QVERIFY(!window->document()->isModified());
        QCOMPARE(window->document()->state().tags.at(0).shown, false);
        const QImage opened = grab();
        save(made, "scene_made");
        save(opened, "scene_opened");
        QCOMPARE(opened.size(), made.size());
        qint64 drawn = 0;
        const qint64 reopened = differing(made, opened, &drawn);
        qInfo("reopened: %lld pixels differ, %lld drawn", reopened, drawn);
        QVERIFY2(drawn > made.width() * made.height() / 10, "too little of the surface shows");
        QVERIFY2(reopened < made.width() * made.height() / 1000, qPrintable(QString::number(reopened)));

        // The renderer draws the scene at its size, through its camera.
        const QImage rendered = renderScene(path, "scene_rendered");
        QCOMPARE(rendered.size(), made.size());
        const qint64 byRenderer = differing(opened, rendered, &drawn);
        qInfo("renderer: %lld pixels differ", byRenderer);
        QVERIFY2(byRenderer < made.width() * made.height() / 200,
                 qPrintable(QString::number(byRenderer)));
    }

    void hemispheresApartWithParcelsAndUnderlayRenderAlike()
    {
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            QVERIFY(open(file("lh.obj")));
            QVERIFY(open(file("lh.vertstats")));
            QVERIFY(open(file("lh.cap.annot")));
            QVERIFY(open(file("rh.obj")));
        }
        showWindow();
        window->getViewer()->setSpinEnabled(false);
        SceneDocument* doc = window->document();
        const std::vector<int> surfaces = doc->surfaces();
        QCOMPARE(surfaces.size(), std::size_t(2));
        const int statistics = doc->statisticsOf(surfaces[0]).at(0);
        doc->chooseColumn(statistics, "height");
        doc->setColumnThreshold(statistics, "height", 20.0f);
        doc->setUnderlay(surfaces[0], statistics, "depth", 2);
        doc->setParcelOutline(doc->parcellationsOf(surfaces[0]).at(0), true);
        QVERIFY(doc->viewOffset(surfaces[0]) < 0.0f && doc->viewOffset(surfaces[1]) > 0.0f);
        // From the side, where the threshold's band shows the underlay.
        BrainQuarter* viewer = window->getViewer();
        const auto angles = gyroscene::parse_view_angles("30,10");
        QVERIFY(angles);
        gyroscene::aim_camera(viewer->getCamera(), gyroscene::scene_box(viewer->getSceneGraph()),
                              float(viewer->width()) / float(viewer->height()), *angles);
        const QImage made = grab();
        const QString path = file("apart.gyrolux");
        QVERIFY(window->saveScene(path));

        const QImage rendered = renderScene(path, "apart_rendered");
        save(made, "apart_viewer");
        QCOMPARE(rendered.size(), made.size());
        qint64 drawn = 0;
        const qint64 byRenderer = differing(made, rendered, &drawn);
        qInfo("apart: %lld of %lld surface pixels differ", byRenderer, drawn);
        QVERIFY2(drawn > made.width() * made.height() / 10, "too little of the surfaces shows");
        QVERIFY2(byRenderer < drawn / 200, qPrintable(QString::number(byRenderer)));
    }
};

QTEST_MAIN(TestSceneRoundTrip)
#include "tst_scene_roundtrip.moc"
