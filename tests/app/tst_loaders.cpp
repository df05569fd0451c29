// The three loaders in the real window: file names outside ASCII reach every
// reader, and a file a reader refuses is reported with the reader's own
// reason while its lines still reach standard error.
#include "surface_graph.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "ViewerWidget.h"
#include "object_io.h"
#include "stats_test_util.h"
#include "tagFileItem.h"
#include "textureColumn.h"
#include "textureFileItem.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <Inventor/nodes/SoSeparator.h>

#include <QDir>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

const int rings = 20;
const int segments = 40;

bool writeText(const QString& path, const QByteArray& text)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size();
}

}  // namespace

class TestLoaders : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    QString dir;

    QString file(const QString& name) const { return dir + "/" + name; }
    bool openQuietly(const QString& path)
    {
        StdoutCapture quiet;
        return open(path);
    }
    QImage frame() const { return window->getViewer()->grabFramebuffer(); }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        dir = files.path() + QString::fromUtf8("/Gehirn-\u00c4\u00d6\u00fc-\u8111");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(QFileInfo(dir).isDir());
    }

    void init()
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
    }

    void cleanup() { window.reset(); }

    void everyKindOpensFromANonAsciiDirectory()
    {
        QVERIFY(writeEllipsoid(file("hirn.obj"), rings, segments));
        const std::vector<float> heights = ellipsoidHeights(rings, segments);
        QVERIFY(writeVertstats(file(QString::fromUtf8("h\u00f6he.vertstats")), {"height"}, {heights}));
        // A sphere just in front of the top of the surface, facing the camera.
        QVERIFY(writeText(file("punkte.tag"),
                          "MNI Tag Point File\nVolumes = 1;\nPoints =\n 0 0 52 \"top\";\n"));

        StderrCapture errors;
        const bool surface = openQuietly(file("hirn.obj"));
        const bool statistics = openQuietly(file(QString::fromUtf8("h\u00f6he.vertstats")));
        const bool tags = openQuietly(file("punkte.tag"));
        const QString errorText = errors.stop();
        QVERIFY(surface);
        QVERIFY(statistics);
        QVERIFY(tags);
        QCOMPARE(errorText, QString());
        QCOMPARE(window->statusBar()->currentMessage(), QString());

        auto* scene = dynamic_cast<GeometryScene*>(root()->child(0));
        QVERIFY(scene);
        QCOMPARE(scene->getSurface()->data(0).toString(), QString("hirn"));
        QCOMPARE(gyroscene::surface_vertex_count(scene->getSceneSeparator()),
                 int(heights.size()));
        auto* stats = dynamic_cast<textureFileItem*>(scene->child(1));
        QVERIFY(stats);
        QCOMPARE(stats->data(0).toString(), QString::fromUtf8("h\u00f6he"));
        auto* column = qobject_cast<textureColumn*>(stats->child(0));
        QVERIFY(column);
        QCOMPARE(column->getValues().size(), heights.size());
        auto* landmarks = dynamic_cast<tagFileItem*>(root()->child(1));
        QVERIFY(landmarks);
        QCOMPARE(landmarks->childCount(), 1);

        // All three are drawn: the landmark's red sphere in front of the
        // plain grey surface, then the column's colours on the surface.
        showWindow();
        BrainQuarter* viewer = window->getViewer();
        const qreal ratio = viewer->devicePixelRatioF();
        const QPoint top = project(SbVec3f(0, 0, 52)) * ratio;
        const QPoint side = project(SbVec3f(0, -50, 20)) * ratio;
        const QImage plain = frame();
        const QColor background = averageAt(plain, QPoint(4, 4), 2);
        const QColor sphere = averageAt(plain, top, 1);
        QVERIFY2(sphere.red() > 120 && sphere.green() < 40 && sphere.blue() < 40,
                 qPrintable(sphere.name()));
        const QColor grey = averageAt(plain, side, 3);
        QVERIFY2(distance(grey, background) > 60, qPrintable(grey.name()));
        QVERIFY2(std::abs(grey.red() - grey.blue()) < 20, qPrintable(grey.name()));

        {
            StdoutCapture quiet;
            clickRow(indexOf(column));
        }
        QVERIFY(column->getProps());
        const QColor coloured = averageAt(frame(), side, 3);
        QVERIFY2(distance(coloured, grey) > 60, qPrintable(coloured.name()));
        waitForFrame();

        const QString shot = QString(ARTEFACT_DIR) + "/loaders_non_ascii_directory.png";
        QVERIFY(window->grab().toImage().save(shot));
        qInfo("screenshot: %s", qPrintable(shot));
    }

    void refusedSurfaceShowsTheReadersReason()
    {
        const QString path = file(QString::fromUtf8("kaputt-\u00fc.obj"));
        QVERIFY(writeText(path, "Z no surface here\n"));
        // What the reader prints on its own for this file.
        QStringList readerLines;
        {
            StderrCapture alone;
            File_formats format;
            int count = 0;
            object_struct** objects = nullptr;
            const Status status =
                input_graphics_file(QFile::encodeName(path).constData(), &format, &count, &objects);
            if (count > 0)
                delete_object_list(count, objects);
            readerLines = alone.lines();
            QCOMPARE(status, ERROR);
        }
        QVERIFY(!readerLines.isEmpty());

        StdoutCapture out;
        StderrCapture errors;
        const bool loaded = open(path);
        const QStringList errorLines = errors.lines();
        out.stop();

        QVERIFY(!loaded);
        const QString ours = "Cannot load surface file " + path + ": " + readerLines.join("; ");
        QCOMPARE(errorLines, readerLines + QStringList{ours});
        QCOMPARE(window->statusBar()->currentMessage(), ours);
        QCOMPARE(window->getResources()->lastLoadError(), ours);
        // The rows stay, titled with the file's base name.
        auto* scene = dynamic_cast<GeometryScene*>(root()->child(0));
        QVERIFY(scene);
        QCOMPARE(scene->getSurface()->data(0).toString(), QString::fromUtf8("kaputt-\u00fc"));
        QCOMPARE(scene->getSceneSeparator()->getNumChildren(), 0);
    }
};

QTEST_MAIN(TestLoaders)
#include "tst_loaders.moc"
