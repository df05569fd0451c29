// A FreeSurfer subject as its users see it: the sample subject opened from
// the command line shows its sulci darker than its gyri, an overlay keeps
// its colours at its vertices when the surface under it is switched, both
// inflated hemispheres are drawn apart, and the renderer given the same
// options draws what the viewer shows.
#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "SceneDocument.h"
#include "SurfaceMenu.h"
#include "stats_test_util.h"
#include "textureColumn.h"
#include "view_presets.h"
#include "window_test_base.h"
#include "dialog_test_util.h"
#include "fresh_home.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoNormal.h>

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestSubjectView : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    QString barDir;
    const QString subject = QStringLiteral(SAMPLES_DIR "/subject");

    void openSubject(const QStringList& arguments)
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
        QList<QByteArray> words{"--subject", QFile::encodeName(subject)};
        for (const QString& argument : arguments)
            words << argument.toLocal8Bit();
        window->openCommandLine(words);
    }
    GeometryScene* surface(int i) const { return static_cast<GeometryScene*>(root()->child(i)); }
    SceneDocument* doc() const { return window->document(); }

    // The view aimed from AZIMUTH,ELEVATION at everything, and its next frame.
    QImage aimAndGrab(const char* view)
    {
        BrainQuarter* viewer = window->getViewer();
        const QSize size = viewer->size() * viewer->devicePixelRatioF();
        const auto angles = gyroscene::parse_view_angles(view);
        gyroscene::aim_camera(viewer->getCamera(), gyroscene::scene_box(viewer->getSceneGraph()),
                              float(size.width()) / float(size.height()), *angles);
        return nextFrame();
    }
    QImage nextFrame()
    {
        BrainQuarter* viewer = window->getViewer();
        const quint64 before = viewer->frameCount();
        viewer->update();
        [&] { QTRY_VERIFY(viewer->frameCount() > before); }();
        return viewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    }
    // Vertices that face the camera squarely: on these near-convex surfaces
    // nothing hides them.
    std::vector<int> facing(GeometryScene* scene, int step = 2) const
    {
        const SoNormal* normals = scene->getSurface()->surfaceNodes().normals;
        SbVec3f eye(0.0f, 0.0f, 1.0f);
        window->getViewer()->getCamera()->orientation.getValue().multVec(eye, eye);
        std::vector<int> found;
        for (int i = 0; i < normals->vector.getNum(); i += step)
            if (normals->vector[i].dot(eye) > 0.75f)
                found.push_back(i);
        return found;
    }
    // Where the view draws a vertex, in the grabbed image's pixels.
    QPoint pixelOf(GeometryScene* scene, int vertex) const
    {
        const SbVec3f& p = scene->points()[vertex];
        const qreal ratio = window->getViewer()->devicePixelRatioF();
        return project(SbVec3f(p[0] + scene->viewOffset(), p[1], p[2])) * ratio;
    }
    static void save(const QImage& image, const QString& name)
    {
        image.save(QString(ARTEFACT_DIR) + "/" + name + ".png");
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
        QVERIFY(QFileInfo::exists(subject + "/surf/lh.inflated"));
    }

    void cleanup() { window.reset(); }

    void sulciAreDarkerThanGyri()
    {
        openSubject({"--hemi", "lh"});
        showWindow();
        QCOMPARE(root()->childCount(), 1);
        GeometryScene* lh = surface(0);
        QCOMPARE(QFileInfo(lh->fileName()).fileName(), QString("lh.inflated"));
        const int curvFile = doc()->underlayFile(lh->documentId());
        QVERIFY(curvFile != SceneDocument::none);
        QCOMPARE(doc()->colouringFile(lh->documentId()), SceneDocument::none);
        const textureColumn* curv = lh->statisticsColumn(curvFile, "curv");
        QVERIFY(curv);
        const QImage image = aimAndGrab("180,0");
        save(image, "subject_lateral");

        double sulcal = 0, gyral = 0;
        int nSulcal = 0, nGyral = 0;
        for (int v : facing(lh)) {
            const float c = curv->getValues()[std::size_t(v)];
            const QPoint at = pixelOf(lh, v);
            if (!image.rect().adjusted(2, 2, -2, -2).contains(at))
                continue;
            const int grey = qGray(averageAt(image, at, 1).rgb());
            if (c > 0.03f) {
                sulcal += grey;
                ++nSulcal;
            } else if (c < -0.03f) {
                gyral += grey;
                ++nGyral;
            }
        }
        QVERIFY2(nSulcal > 20 && nGyral > 20, qPrintable(QString("%1 %2").arg(nSulcal).arg(nGyral)));
        sulcal /= nSulcal;
        gyral /= nGyral;
        qInfo("mean grey: sulci %.1f, gyri %.1f", sulcal, gyral);
        QVERIFY2(sulcal + 40 < gyral, qPrintable(QString("%1 %2").arg(sulcal).arg(gyral)));
    }

    void switchingToWhiteKeepsTheOverlayAtItsVertices()
    {
        openSubject({"--hemi", "lh", "--overlay", "thickness"});
        showWindow();
        GeometryScene* lh = surface(0);
        const int id = lh->documentId();
        const int colouring = doc()->colouringFile(id);
        QVERIFY(colouring != SceneDocument::none);
        doc()->setPick(id, 1234);
        const QImage inflated = aimAndGrab("180,0");
        const std::vector<int> before = facing(lh, 3);
        const float inflatedX = lh->points()[1234][0];

        QVERIFY(window->getSurfaceMenu()->switchTo("white"));
        QCOMPARE(QFileInfo(lh->fileName()).fileName(), QString("lh.white"));
        QCOMPARE(QFileInfo(doc()->surface(id)->path).fileName(), QString("lh.white"));
        QCOMPARE(doc()->colouringFile(id), colouring);
        QCOMPARE(doc()->pickedVertex(), 1234);
        QVERIFY(lh->points()[1234][0] != inflatedX);
        QVERIFY(doc()->state().surfaces.at(0).path.endsWith("/lh.white"));
        const QImage white = nextFrame();
        save(inflated, "subject_inflated");
        save(white, "subject_white");

        // The vertices facing the camera on both: the same colour before and
        // after, within lighting's changes of brightness.
        const std::vector<int> after = facing(lh, 3);
        int compared = 0, agreeing = 0;
        QHash<int, QColor> was;
        for (int v : after) {
            const QPoint at = pixelOf(lh, v);
            if (white.rect().adjusted(2, 2, -2, -2).contains(at))
                was.insert(v, averageAt(white, at, 1));
        }
        // Back to inflated for the positions there, the colours kept above.
        QVERIFY(window->getSurfaceMenu()->switchTo("inflated"));
        for (int v : before) {
            if (!was.contains(v))
                continue;
            const QPoint at = pixelOf(lh, v);
            if (!inflated.rect().adjusted(2, 2, -2, -2).contains(at))
                continue;
            const QColor a = averageAt(inflated, at, 1), b = was.value(v);
            ++compared;
            const int turn = std::abs(a.hsvHue() - b.hsvHue());
            agreeing += std::min(turn, 360 - turn) < 25;
        }
        qInfo("%d of %d vertices keep their colour", agreeing, compared);
        QVERIFY(compared > 50);
        QVERIFY(agreeing > compared * 9 / 10);

        // The surface's box offers the same files.
        QWidget* box = lh->getSurface()->createForm();
        auto* choice = box->findChild<QComboBox*>("surfaceCombo");
        QVERIFY(choice);
        QCOMPARE(choice->currentText(), QString("inflated"));
        QCOMPARE(choice->count(), 4);  // white, pial, inflated, sphere: not curv, sulc, ...
        choice->setCurrentIndex(choice->findText("pial"));
        QVERIFY(lh->fileName().endsWith("/lh.pial"));
        QCOMPARE(doc()->colouringFile(id), colouring);
        window->getSurfaceMenu()->switchTo("sphere");
        QCOMPARE(choice->currentText(), QString("sphere"));
    }

    void openSubjectFromTheFileMenu()
    {
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
        }
        QStringList kinds;
        whenDialog<QFileDialog>([&](QFileDialog* folders) {
            folders->setDirectory(subject);
            if (auto* name = folders->findChild<QLineEdit*>("fileNameEdit"))
                name->clear();
            whenDialog<QDialog>([&](QDialog* choice) {
                auto* hemi = choice->findChild<QComboBox*>("hemiCombo");
                auto* surf = choice->findChild<QComboBox*>("surfCombo");
                if (!hemi || !surf)
                    return choice->reject();
                for (int i = 0; i < surf->count(); ++i)
                    kinds << surf->itemText(i);
                hemi->setCurrentIndex(hemi->findData("rh"));
                surf->setCurrentText("white");
                choice->accept();
            });
            static_cast<QDialog*>(folders)->accept();
        });
        {
            StdoutCapture quiet;
            window->getOpenSubjectAction()->trigger();
        }
        QCOMPARE(kinds, QStringList({"inflated", "pial", "sphere", "white"}));
        QCOMPARE(root()->childCount(), 1);
        QVERIFY(surface(0)->fileName().endsWith("/rh.white"));
        QVERIFY(doc()->underlayFile(surface(0)->documentId()) != SceneDocument::none);
    }

    void bothInflatedHemispheresAreDrawnApart()
    {
        openSubject({});
        showWindow();
        QCOMPARE(root()->childCount(), 2);
        QVERIFY(surface(0)->viewOffset() < 0.0f);
        QVERIFY(surface(1)->viewOffset() > 0.0f);
        QVERIFY(window->getSurfaceMenu()->apartAction()->isChecked());

        // Each hemisphere's drawn area alone, from above.
        const auto area = [&](int shown) {
            doc()->setShown(surface(0)->documentId(), shown == 0);
            doc()->setShown(surface(1)->documentId(), shown == 1);
            const QImage image = nextFrame();
            QVector<bool> mask(image.width() * image.height());
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    mask[y * image.width() + x] = qGray(image.pixel(x, y)) > 20;
            return mask;
        };
        const auto overlap = [&] {
            aimAndGrab("0,90");
            const QVector<bool> left = area(0), right = area(1);
            int both = 0, any = 0;
            for (qsizetype i = 0; i < left.size(); ++i) {
                both += left[i] && right[i];
                any += left[i] || right[i];
            }
            doc()->setShown(surface(0)->documentId(), true);
            return std::make_pair(both, any);
        };
        const auto apart = overlap();
        qInfo("apart: %d pixels of both in %d", apart.first, apart.second);
        QVERIFY(apart.second > 10000);
        QCOMPARE(apart.first, 0);

        // A click on the right hemisphere, drawn moved, reports the file's
        // coordinates of the point it hits.
        GeometryScene* rh = surface(1);
        const std::vector<int> seen = facing(rh);
        QVERIFY(!seen.empty());
        const SbVec3f& target = rh->points()[seen[seen.size() / 2]];
        const QPoint at = project(SbVec3f(target[0] + rh->viewOffset(), target[1], target[2]));
        StdoutCapture log;
        QTest::mouseClick(window->getViewer(), Qt::LeftButton, {}, at);
        float foundX = 1e9f;
        for (const QString& line : log.lines())
            if (line.startsWith("Found: "))
                foundX = line.split(' ').at(1).toFloat();
        QVERIFY2(std::abs(foundX - target[0]) < 3.0f,
                 qPrintable(QString("%1 %2").arg(foundX).arg(target[0])));
        QCOMPARE(doc()->pickedSurface(), rh->documentId());

        // Without the offset they pass through each other, as in the files.
        window->getSurfaceMenu()->apartAction()->trigger();
        QVERIFY(!doc()->hemisphereOffset());
        QCOMPARE(surface(0)->viewOffset(), 0.0f);
        QVERIFY(!doc()->state().hemisphere_offset);
        const auto together = overlap();
        QVERIFY(together.first > 1000);
    }

    void theRendererDrawsTheSameSubject()
    {
        openSubject({"--overlay", "thickness", "--threshold", "2.6"});
        showWindow();
        const QImage grabbed = aimAndGrab("30,20");
        BrainQuarter* viewer = window->getViewer();
        const QSize size = viewer->size() * viewer->devicePixelRatioF();

        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        process.setProcessEnvironment(environment);
        const QString out = files.filePath("subject.png");
        process.start(RENDER_PATH,
                      {"--subject", subject, "--overlay", "thickness", "--threshold", "2.6",
                       "--colourbar-dir", barDir, "--view", "30,20", "--legend", "--size",
                       QString("%1x%2").arg(size.width()).arg(size.height()), "--samples", "0",
                       "-o", out});
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        const QImage rendered = QImage(out).convertToFormat(QImage::Format_RGB32);
        save(grabbed, "subject_viewer");
        save(rendered, "subject_renderer");
        QCOMPARE(rendered.size(), size);

        qint64 differing = 0, drawn = 0, total = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QColor a = grabbed.pixelColor(x, y), b = rendered.pixelColor(x, y);
                differing += distance(a, b) > 12;
                drawn += distance(a, Qt::black) > 30;
                ++total;
            }
        qInfo("%lld of %lld pixels differ, %lld drawn", differing, total, drawn);
        QVERIFY2(drawn > total / 10, "the subject fills too little of the view");
        QVERIFY2(differing < total / 200, qPrintable(QString::number(differing)));
    }
};

QTEST_MAIN(TestSubjectView)
#include "tst_subject_view.moc"
