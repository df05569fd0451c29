// The demo's sample data, opened as `./run-demo brain` opens it: the surface, its
// statistics and the landmarks must all load, and colouring by a column
// must show the colour bar on the surface.
#include "BrainQuarter.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "TreeModel.h"
#include "ViewMenu.h"
#include "ViewerWidget.h"
#include "app_test_util.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <Inventor/SoPickedPoint.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <cmath>
#include <memory>

class TestDemo : public WindowTestBase
{
    Q_OBJECT

    QTemporaryDir home;
    bool openSample(const QString& name) { return open(QString(SAMPLES_DIR) + "/" + name); }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home));
        gyroview::init();
    }

    void samplesLoadAndColourTheSurface()
    {
        StderrCapture errors;
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            QVERIFY(openSample("brain.obj"));
            QVERIFY(openSample("brain.vertstats"));
            QVERIFY(openSample("landmarks.tag"));
        }
        QCOMPARE(errors.stop(), QString());

        // Surface row with its surface and statistics; the landmarks' row.
        QCOMPARE(root()->childCount(), 2);
        auto* scene = static_cast<GeometryScene*>(root()->child(0));
        QCOMPARE(scene->childCount(), 2);
        TreeItem* stats = scene->child(1);
        QCOMPARE(stats->data(0).toString(), QString("brain"));
        QStringList columns;
        for (int i = 0; i < stats->childCount(); ++i)
            columns << stats->child(i)->data(0).toString();
        QCOMPARE(columns, (QStringList{"smooth", "blob", "noise"}));
        QCOMPARE(root()->child(1)->data(0).toString(), QString("landmarks"));
        QCOMPARE(root()->child(1)->childCount(), 4);

        showWindow();
        BrainQuarter* viewer = window->getViewer();

        // Before a column is chosen the surface is one plain colour.
        const QImage plain = viewer->grabFramebuffer();

        const QModelIndex blob =
            model()->index(1, 0, model()->index(1, 0, model()->index(0, 0)));
        QCOMPARE(blob.data().toString(), QString("blob"));
        {
            StdoutCapture quiet;
            clickRow(blob);
            waitForFrame();
        }
        const QImage coloured = viewer->grabFramebuffer();

        // Count strongly coloured pixels: before, only the small red
        // landmarks; after, the bar's hues over much of the surface.
        auto saturated = [](const QImage& image) {
            int n = 0;
            for (int y = 0; y < image.height(); y += 4)
                for (int x = 0; x < image.width(); x += 4)
                    if (image.pixelColor(x, y).hsvSaturation() > 150 &&
                        image.pixelColor(x, y).value() > 80)
                        ++n;
            return n;
        };
        QVERIFY2(saturated(plain) < 100, qPrintable(QString::number(saturated(plain))));
        QVERIFY2(saturated(coloured) > 500, qPrintable(QString::number(saturated(coloured))));

        const QString path = QString(ARTEFACT_DIR) + "/demo.png";
        QVERIFY(window->grab().toImage().save(path));
        qInfo("screenshot: %s", qPrintable(path));

        // The sample is a left hemisphere in the usual coordinates: from
        // lateral the middle of the view is its outer side (x below the
        // middle of its box), from medial its inner side.
        auto middleX = [&](gyroscene::View view) {
            window->getViewMenu()->viewAction(view)->trigger();
            SoRayPickAction pick(SbViewportRegion(viewer->width(), viewer->height()));
            pick.setPoint(SbVec2s(short(viewer->width() / 2), short(viewer->height() / 2)));
            pick.apply(viewer->getSceneGraph());
            const SoPickedPoint* hit = pick.getPickedPoint();
            return hit ? hit->getPoint()[0] : std::nanf("");
        };
        const SbBox3f box = gyroscene::scene_box(scene->getSceneSeparator());
        const float middle = box.getCenter()[0];
        QVERIFY(box.getMax()[0] < 0.0f);
        QVERIFY2(middleX(gyroscene::View::Lateral) < middle - 20, qPrintable(QString::number(middle)));
        QVERIFY(middleX(gyroscene::View::Medial) > middle + 10);
        // The picture for the README: the lateral side, made by the program.
        window->getViewMenu()->viewAction(gyroscene::View::Lateral)->trigger();
        const QString lateral = QString(ARTEFACT_DIR) + "/demo_lateral.png";
        QVERIFY(window->saveScreenshot(lateral, 1));
        qInfo("screenshot: %s", qPrintable(lateral));
    }
};

QTEST_MAIN(TestDemo)
#include "tst_demo.moc"
