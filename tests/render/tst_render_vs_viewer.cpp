// The renderer draws what the viewer draws: the same surface, column, bar,
// legend and landmarks, seen from the same direction at the same size, grabbed
// from the viewer under X and rendered off screen with no display, agree
// pixel for pixel within a small tolerance (both without multisampling,
// both with Mesa's software GL).
#include "BrainQuarter.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "stats_test_util.h"
#include "textureColumn.h"
#include "view_presets.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestRenderVsViewer : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    QString barDir;

    QString file(const QString& name) const { return files.filePath(name); }

    // The renderer's image of the same files, as a separate process with no
    // display to find.
    QImage render(const QStringList& arguments, QSize size)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        process.setProcessEnvironment(environment);
        const QString out = file("rendered.png");
        process.start(RENDER_PATH, arguments + QStringList{"--size",
                                                           QString("%1x%2").arg(size.width()).arg(size.height()),
                                                           "--samples", "0", "-o", out});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            qWarning("renderer: %s", process.readAllStandardError().constData());
            return QImage();
        }
        return QImage(out).convertToFormat(QImage::Format_RGB32);
    }

    static void save(const QImage& image, const QString& name)
    {
        const QString path = QString(ARTEFACT_DIR) + "/" + name + ".png";
        if (image.save(path))
            qInfo("image: %s", qPrintable(path));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        barDir = files.filePath("bars");
        QVERIFY(QDir().mkpath(barDir));
        QVERIFY(writeColourBar(barDir + "/bluered.png", Qt::blue, Qt::red));
        setTextureDir(barDir);
        QVERIFY(writeEllipsoid(file("lh.obj")));
        QVERIFY(writeVertstats(file("lh.vertstats"), {"height"}, {ellipsoidHeights()}));
        QFile tags(file("points.tag"));
        QVERIFY(tags.open(QIODevice::WriteOnly));
        tags.write("MNI Tag Point File\nVolumes = 1;\n\nPoints =\n"
                   " 0 0 50 \"top\"\n 55 0 0 \"side\"\n 0 70 0 \"front\";\n");
    }

    void cleanup() { window.reset(); }

    void sameFilesSameViewSamePixels()
    {
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            QVERIFY(open(file("lh.obj")));
            QVERIFY(open(file("lh.vertstats")));
            QVERIFY(open(file("points.tag")));
        }
        showWindow();
        auto* scene = static_cast<GeometryScene*>(root()->child(0));
        auto* column = qobject_cast<textureColumn*>(scene->child(1)->child(0));
        QVERIFY(column);
        {
            StdoutCapture quiet;
            clickRow(indexOf(column));
        }

        BrainQuarter* viewer = window->getViewer();
        const QSize size = viewer->size() * viewer->devicePixelRatioF();
        const auto angles = gyroscene::parse_view_angles("30,20");
        QVERIFY(angles);
        gyroscene::aim_camera(viewer->getCamera(), gyroscene::scene_box(viewer->getSceneGraph()),
                              float(size.width()) / float(size.height()), *angles);
        waitForFrame();
        const QImage grabbed = viewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(grabbed.size(), size);

        const QImage rendered =
            render({file("lh.obj"), "--stats", file("lh.vertstats"), "--tags", file("points.tag"),
                    "--colourbar-dir", barDir, "--view", "30,20", "--legend"},
                   size);
        save(grabbed, "viewer");
        save(rendered, "renderer");
        QCOMPARE(rendered.size(), size);

        // Pixels that differ by more than a rounding step, and how many show
        // the surface at all (so agreeing on a black frame proves nothing).
        qint64 differing = 0, drawn = 0, total = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QColor a = grabbed.pixelColor(x, y), b = rendered.pixelColor(x, y);
                if (distance(a, b) > 12)
                    ++differing;
                if (distance(a, Qt::black) > 30)
                    ++drawn;
                ++total;
            }
        qInfo("%lld of %lld pixels differ, %lld drawn", differing, total, drawn);
        QVERIFY2(drawn > total / 10, "the surface fills too little of the view");
        QVERIFY2(differing < total / 200, qPrintable(QString::number(differing)));
    }
};

QTEST_MAIN(TestRenderVsViewer)
#include "tst_render_vs_viewer.moc"
