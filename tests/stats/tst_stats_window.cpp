// Statistics files in the real main window under X: which surface they
// attach to, refused and unreadable files, the pick reaching every column,
// and the colours a selected column puts on the drawn surface.
#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "TreeModel.h"
#include "ViewerWidget.h"
#include "stats_test_util.h"
#include "window_test_base.h"
#include "textureColumn.h"
#include "textureFileItem.h"
#include "fresh_home.h"

#include <Inventor/SbViewVolume.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTexture2.h>

#include <QGroupBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <cmath>
#include <memory>

class TestStatsWindow : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    QTemporaryDir bars;

    void makeWindow()
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
    }
    QString file(const QString& name) const { return files.filePath(name); }
    bool openQuietly(const QString& path)
    {
        StdoutCapture quiet;
        return open(path);
    }
    ResourceForm* panel() const { return window->getResources(); }
    GeometryScene* scene(int row) const { return static_cast<GeometryScene*>(root()->child(row)); }
    // Clicks a row without its log lines.
    void clickRow(const QModelIndex& index)
    {
        StdoutCapture quiet;
        WindowTestBase::clickRow(index);
    }
    QWidget* shownForm() const
    {
        return panel()->getPropertiesBox()->findChild<QWidget*>("textureProps");
    }
    QImage frame() const { return window->getViewer()->grabFramebuffer(); }
    QPoint middle() const
    {
        BrainQuarter* viewer = window->getViewer();
        return QPoint(viewer->width() / 2, viewer->height() / 2) * viewer->devicePixelRatioF();
    }
    // Types a limit into the property box and leaves the field with Return.
    void setLimit(QLineEdit* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid() && bars.isValid());
        gyroview::init();
        // Sorted first in the list, so a freshly built box shows it.
        QVERIFY(writeColourBar(bars.filePath("0redblue.png"), Qt::red, Qt::blue));
        QVERIFY(writeColourBar(bars.filePath("1greenwhite.png"), Qt::green, Qt::white));
        setTextureDir(bars.path());
        QVERIFY(writeSquare(file("a.obj")));
        QVERIFY(writeSquare(file("b.obj"), 4, 0));
        QVERIFY(writeVertstats(file("s.vertstats"), {"thick", "area"},
                               {{0, 5, 10, 2.5f, 7}, {1, 2, 3, 4, 1e6f}}));
    }

    void cleanup() { window.reset(); }

    void statisticsBeforeAnySurfaceAreRefused()
    {
        makeWindow();
        {
            StdoutCapture out;
            StderrCapture err;
            QVERIFY(!open(file("s.vertstats")));
            QCOMPARE(out.stop(), QString());
            QCOMPARE(err.stop(), "Cannot attach statistics file " + file("s.vertstats") +
                                     ": open a surface first\n");
        }
        QCOMPARE(root()->childCount(), 0);
        QCOMPARE(window->statusBar()->currentMessage(),
                 "Cannot attach statistics file " + file("s.vertstats") + ": open a surface first");
        QVERIFY(openQuietly(file("a.obj")));
        QVERIFY(openQuietly(file("s.vertstats")));
        QCOMPARE(scene(0)->childCount(), 2);
        QCOMPARE(scene(0)->child(1)->data(0).toString(), QString("s"));
        QCOMPARE(model()->rowCount(indexOf(scene(0)->child(1))), 2);
    }

    void unreadableStatisticsKeepTheViewerRunning()
    {
        makeWindow();
        QVERIFY(openQuietly(file("a.obj")));
        SoSeparator* separator = scene(0)->getSceneSeparator();
        const int nodes = separator->getNumChildren();
        QVERIFY(QDir().mkpath(file("folder.vertstats")));
        for (const QString& bad : {file("missing.vertstats"), file("folder.vertstats")}) {
            StderrCapture err;
            StdoutCapture out;
            QVERIFY(!open(bad));
            out.stop();
            QCOMPARE(err.stop(), "ERROR: could not read file " + bad + "\n");
            QCOMPARE(window->statusBar()->currentMessage(), "ERROR: could not read file " + bad);
            QCOMPARE(scene(0)->childCount(), 1);
            QCOMPARE(separator->getNumChildren(), nodes);
        }
        // Still working: a readable file attaches as usual.
        QVERIFY(openQuietly(file("s.vertstats")));
        QCOMPARE(scene(0)->childCount(), 2);
    }

    void statisticsGoToTheTargetSurface()
    {
        makeWindow();
        showWindow();
        QVERIFY(openQuietly(file("a.obj")));
        QVERIFY(openQuietly(file("b.obj")));
        GeometryScene* a = scene(0);
        GeometryScene* b = scene(1);
        QVERIFY(openQuietly(file("s.vertstats")));  // S1
        QCOMPARE(a->childCount(), 1);
        QCOMPARE(b->childCount(), 2);

        clickRow(indexOf(a));
        QVERIFY(panel()->getLastGeometry() == a);
        QVERIFY(openQuietly(file("s.vertstats")));  // S2
        QCOMPARE(a->childCount(), 2);

        clickRow(indexOf(b->child(0)));  // B's surface row
        QVERIFY(panel()->getLastGeometry() == a);
        clickRow(indexOf(b->child(1)->child(0)));  // a column of S1
        QVERIFY(panel()->getLastGeometry() == a);
        QVERIFY(openQuietly(file("s.vertstats")));  // S3
        QCOMPARE(a->childCount(), 3);
        QCOMPARE(b->childCount(), 2);

        // Rows in load order, switches in reverse order in front of the surface.
        auto* s2 = dynamic_cast<textureFileItem*>(a->child(1));
        auto* s3 = dynamic_cast<textureFileItem*>(a->child(2));
        QVERIFY(s2 && s3);
        SoSeparator* separator = a->getSceneSeparator();
        QVERIFY(separator->getChild(0) == s3->getSwitch());
        QVERIFY(separator->getChild(1) == s2->getSwitch());
    }

    void pickReachesEveryColumn()
    {
        makeWindow();
        QVERIFY(openQuietly(file("a.obj")));
        QVERIFY(openQuietly(file("s.vertstats")));
        showWindow();
        TreeItem* stats = scene(0)->child(1);

        StdoutCapture capture;
        QTest::mouseClick(window->getViewer(), Qt::LeftButton, {}, project(SbVec3f(0, 0, 0)));
        const QStringList lines = capture.lines();
        QCOMPARE(lines.count("in textureColumn"), 2);
        QCOMPARE(scene(0)->data(1).toString(), QString("Point: 4"));
        QCOMPARE(stats->child(0)->data(1).toString(), QString("7"));
        QCOMPARE(stats->child(1)->data(1).toString(), QString("1e+06"));
        QCOMPARE(stats->data(1).toString(), QString());  // the file row keeps its text
        QCOMPARE(model()->data(model()->index(1, 1, indexOf(stats)), Qt::DisplayRole).toString(),
                 QString("1e+06"));

        // A file loaded after the pick starts with the scene's text.
        QVERIFY(openQuietly(file("s.vertstats")));
        TreeItem* later = scene(0)->child(2);
        QCOMPARE(later->data(1).toString(), QString("Point: 4"));
        QCOMPARE(later->child(0)->data(0).toString(), QString("thick"));

        // A pick beyond a short file's values shows nothing.
        QVERIFY(writeVertstats(file("short.vertstats"), {"x"}, {{1, 2}}));
        {
            StderrCapture warning;
            QVERIFY(openQuietly(file("short.vertstats")));
            QVERIFY(warning.stop().contains("2 rows"));
        }
        StdoutCapture again;
        QTest::mouseClick(window->getViewer(), Qt::LeftButton, {}, project(SbVec3f(0, 0, 0)));
        again.stop();
        QCOMPARE(scene(0)->child(3)->child(0)->data(1).toString(), QString());
        QCOMPARE(later->child(0)->data(1).toString(), QString("7"));
    }

    void selectedColumnColoursTheSurface()
    {
        QVERIFY(writeEllipsoid(file("lh.obj")));
        const std::vector<float> heights = ellipsoidHeights();
        QVERIFY(writeVertstats(file("lh.vertstats"), {"height"}, {heights}));
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("lh.vertstats")));
        showWindow();
        auto* column = qobject_cast<textureColumn*>(scene(0)->child(1)->child(0));
        QVERIFY(column);
        QCOMPARE(column->getValues().size(), heights.size());
        const QColor background = averageAt(frame(), QPoint(4, 4), 2);
        const QColor plain = averageAt(frame(), middle());
        QVERIFY2(distance(plain, background) > 60, "the surface is not drawn");
        QVERIFY2(std::abs(plain.red() - plain.blue()) < 20, qPrintable(plain.name()));

        clickRow(indexOf(column));
        QWidget* form = shownForm();
        QVERIFY(form);
        Ui_textureProps* props = column->getProps();
        QVERIFY(props);
        QCOMPARE(props->textureCombo->itemText(0), bars.path() + "/0redblue.png");
        QCOMPARE(props->upperLimit->text(), QString("50"));
        QCOMPARE(props->lowerLimit->text(), QString("-50"));
        QVERIFY(!props->imageLabel->pixmap().isNull());

        // Everything below the range: the bottom of the bar, red.
        setLimit(props->lowerLimit, "1000");
        setLimit(props->upperLimit, "2000");
        QCOMPARE(column->getLowerLimit(), 1000.0f);
        const QColor low = averageAt(frame(), middle());
        QVERIFY2(low.red() > low.blue() + 80 && low.green() < 40, qPrintable(low.name()));

        // Everything above: the top of the bar, blue.
        setLimit(props->lowerLimit, "-2000");
        setLimit(props->upperLimit, "-1000");
        const QColor high = averageAt(frame(), middle());
        QVERIFY2(high.blue() > high.red() + 80 && high.green() < 40, qPrintable(high.name()));

        // Another colour bar: green at the bottom.
        setLimit(props->lowerLimit, "1000");
        setLimit(props->upperLimit, "2000");
        props->textureCombo->setCurrentIndex(1);
        const QColor green = averageAt(frame(), middle());
        QVERIFY2(green.green() > green.red() + 80 && green.green() > green.blue() + 80,
                 qPrintable(green.name()));

        // Back to the column's range: a mix of the bar, not the plain grey.
        setLimit(props->lowerLimit, "-50");
        setLimit(props->upperLimit, "50");
        props->textureCombo->setCurrentIndex(0);
        const QColor mixed = averageAt(frame(), middle());
        QVERIFY2(mixed.green() < 40 && distance(mixed, plain) > 60, qPrintable(mixed.name()));

        // Clicking the file row keeps the column shown; the rebuilt box of
        // the column shows the bar chosen last.
        props->textureCombo->setCurrentIndex(1);
        clickRow(indexOf(scene(0)->child(1)));
        QVERIFY(column->getProps() == nullptr);
        clickRow(indexOf(column));
        QCOMPARE(column->getProps()->textureCombo->currentIndex(), 1);
        QCOMPARE(QString(column->getTexture()->filename.getValue().getString()),
                 bars.path() + "/1greenwhite.png");
        QCOMPARE(column->getProps()->lowerLimit->text(), QString("-50"));
    }

    void screenshotOfAColouredSurface()
    {
        QVERIFY(writeEllipsoid(file("shot.obj")));
        const std::vector<float> heights = ellipsoidHeights();
        std::vector<float> pattern(heights.size());
        for (std::size_t i = 0; i < pattern.size(); ++i)
            pattern[i] = std::sin(float(i % 80) * 0.157f) * heights[i];
        QVERIFY(writeVertstats(file("shot.vertstats"), {"height", "pattern"}, {heights, pattern}));
        makeWindow();
        QVERIFY(openQuietly(file("shot.obj")));
        QVERIFY(openQuietly(file("shot.vertstats")));
        showWindow();
        auto* column = qobject_cast<textureColumn*>(scene(0)->child(1)->child(1));
        QVERIFY(column);
        clickRow(indexOf(column));
        Ui_textureProps* props = column->getProps();
        QVERIFY(props);
        // The installed spectral bar when there is one, else ours.
        for (int i = 0; i < props->textureCombo->count(); ++i)
            if (props->textureCombo->itemText(i).endsWith("/spectral.png"))
                props->textureCombo->setCurrentIndex(i);
        waitForFrame();
        const QImage shot = window->grab().toImage();
        const QString path = QString(ARTEFACT_DIR) + "/stats_window_column.png";
        QVERIFY(shot.save(path));
        qInfo("screenshot: %s (%s)", qPrintable(path),
              qPrintable(props->textureCombo->currentText()));
        const QColor centre = averageAt(frame(), middle());
        QVERIFY(std::abs(centre.red() - centre.blue()) > 20 ||
                std::abs(centre.green() - centre.blue()) > 20);
    }
};

QTEST_MAIN(TestStatsWindow)
#include "tst_stats_window.moc"
