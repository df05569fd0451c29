// File > Save Screenshot in the real window: the picture is what the view
// draws, at the view's size or drawn again at two and four times it (a
// one-pixel line stays one pixel wide, where an enlargement would widen
// it), chosen in the save dialog, with the colour-bar legend in the corner
// drawn at the picture's scale; a file that cannot be written is said so.
#include "BrainQuarter.h"
#include "MainWindow.h"
#include "MessageLog.h"
#include "ViewerWidget.h"
#include "app_test_util.h"
#include "dialog_test_util.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include "legend.h"

#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoBaseColor.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoDrawStyle.h>
#include <Inventor/nodes/SoImage.h>
#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/nodes/SoLineSet.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QDockWidget>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool isGreen(QColor c)
{
    return c.green() > 150 && c.red() < 90 && c.blue() < 90;
}

// Rows of the line's colour in a column of the picture.
int greenRows(const QImage& image, int x)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y)
        rows += isGreen(image.pixelColor(x, y));
    return rows;
}

}  // namespace

class TestScreenshot : public WindowTestBase
{
    Q_OBJECT

    QTemporaryDir home;
    QTemporaryDir files;

    QString file(const QString& name) const { return files.filePath(name); }
    QSize viewSize() const { return window->getViewer()->size() * window->getViewer()->devicePixelRatio(); }

    // An ellipsoid with a thin unlit green line drawn across its top, from
    // side to side through the middle of the view.
    void showSurfaceWithLine()
    {
        window.reset();
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            QVERIFY(open(file("surface.obj")));
        }
        showWindow();
        auto* line = new SoSeparator;
        auto* model = new SoLightModel;
        model->model = SoLightModel::BASE_COLOR;
        line->addChild(model);
        auto* colour = new SoBaseColor;
        colour->rgb.setValue(0, 1, 0);
        line->addChild(colour);
        auto* style = new SoDrawStyle;
        style->lineWidth = 1;
        line->addChild(style);
        auto* coordinates = new SoCoordinate3;
        const SbVec3f ends[] = {{-40, 0.3f, 60}, {40, 0.3f, 60}};
        coordinates->point.setValues(0, 2, ends);
        line->addChild(coordinates);
        line->addChild(new SoLineSet);
        window->getViewer()->getRootSeparator()->addChild(line);
        waitForFrame();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        QVERIFY(writeEllipsoid(file("surface.obj")));
    }

    void cleanup() { window.reset(); }

    void theActionIsInTheFileMenu()
    {
        window.reset(new MainWindow);
        QMenu* fileMenu = window->menuBar()->actions().first()->menu();
        QAction* save = nullptr;
        for (QAction* action : fileMenu->actions())
            if (action->text() == "Save &Screenshot...")
                save = action;
        QVERIFY(save);
        QCOMPARE(save->shortcut(), QKeySequence("Ctrl+Shift+S"));

        window.reset();
        showSurfaceWithLine();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QString caption;
        whenDialog<QFileDialog>([&](QFileDialog* dialog) {
            caption = dialog->windowTitle();
            dialog->reject();
        });
        QTest::keyClick(window->getViewer(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(caption, QString("Save Screenshot"));
    }

    void atTheViewsSizeItIsWhatTheViewShows()
    {
        showSurfaceWithLine();
        const QImage onScreen = window->getViewer()->grabFramebuffer();
        QVERIFY(window->saveScreenshot(file("one.png"), 1));
        const QImage saved(file("one.png"));
        QCOMPARE(saved.size(), viewSize());
        QCOMPARE(onScreen.size(), saved.size());
        // Pixel for pixel the frame on screen.
        int differing = 0;
        for (int y = 0; y < saved.height(); ++y)
            for (int x = 0; x < saved.width(); ++x)
                differing += distance(saved.pixelColor(x, y), onScreen.pixelColor(x, y)) > 6;
        QVERIFY2(differing < saved.width() * saved.height() / 1000, qPrintable(QString::number(differing)));
        QCOMPARE(greenRows(saved, saved.width() / 2), 1);
    }

    void largerScalesAreDrawnAgainNotEnlarged()
    {
        showSurfaceWithLine();
        QVERIFY(window->saveScreenshot(file("x1.png"), 1));
        const QImage one(file("x1.png"));
        const QSize size = viewSize();
        for (int scale : {2, 4}) {
            const QString name = file(QString("x%1.png").arg(scale));
            QVERIFY(window->saveScreenshot(name, scale));
            const QImage big(name);
            QCOMPARE(big.size(), size * scale);
            // The line is as thin as on screen: one row, where an
            // enlargement of the small picture has `scale` rows.
            for (int x : {big.width() / 2, big.width() / 2 + 7})
                QCOMPARE(greenRows(big, x), 1);
            const QImage enlarged = one.scaled(big.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
            QCOMPARE(greenRows(enlarged, enlarged.width() / 2), scale);
            // Yet the same picture: the surface fills the same place.
            const QPoint middle(big.width() / 2, big.height() / 3);
            QVERIFY(distance(averageAt(big, middle, 3 * scale), averageAt(enlarged, middle, 3 * scale)) < 30);
            const QPoint corner(5 * scale, 5 * scale);
            QCOMPARE(big.pixelColor(corner), enlarged.pixelColor(corner));
        }
        const QString path = QString(ARTEFACT_DIR) + "/screenshot_x2.png";
        QVERIFY(QFile::copy(file("x2.png"), path) || QFile::exists(path));
        qInfo("screenshot: %s", qPrintable(path));
        // The view on screen is as it was.
        QCOMPARE(window->getViewer()->grabFramebuffer().size(), size);
    }

    void theLegendScalesWithThePicture()
    {
        showSurfaceWithLine();
        // A column shown: its legend in the bottom right corner.
        QFile stats(file("heights.txt"));
        QVERIFY(stats.open(QIODevice::WriteOnly));
        QByteArray text = "<header>\n<history>\nmade by a test\n</history>\n</header>\nheight\n";
        for (float z : ellipsoidHeights())
            text += QByteArray::number(z) + "\n";
        stats.write(text);
        stats.close();
        {
            StdoutCapture quiet;
            QVERIFY(open(file("heights.txt")));
            clickRow(model()->index(0, 0, model()->index(1, 0, model()->index(0, 0))));
            waitForFrame();
        }
        SoSeparator* legend = window->getViewer()->getLegend();
        QVERIFY(legend);
        SoSearchAction search;
        search.setType(SoImage::getClassTypeId());
        search.apply(legend);
        QVERIFY(search.getPath());
        SbVec2s legendSize;
        int components = 0;
        static_cast<SoImage*>(search.getPath()->getTail())->image.getValue(legendSize, components);
        QVERIFY(legendSize[0] > 20 && legendSize[1] > 20);

        QVERIFY(window->saveScreenshot(file("legend1.png"), 1));
        QVERIFY(window->saveScreenshot(file("legend4.png"), 4));
        const QImage one(file("legend1.png")), four(file("legend4.png"));
        QCOMPARE(four.size(), one.size() * 4);
        auto corner = [&](const QImage& image, int scale) {
            const int w = legendSize[0] * scale, h = legendSize[1] * scale;
            return image.copy(image.width() - gyroscene::legend_margin - w,
                              image.height() - gyroscene::legend_margin - h, w, h);
        };
        // The same legend in the corner of both, four times as large in the
        // larger picture: drawn again at that size, it shrinks back to the
        // small one.
        const QImage small = corner(one, 1), large = corner(four, 4);
        const QImage shrunk = large.scaled(small.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        int alike = 0;
        for (int y = 0; y < small.height(); ++y)
            for (int x = 0; x < small.width(); ++x)
                alike += distance(QColor(small.pixel(x, y)), QColor(shrunk.pixel(x, y))) < 60;
        QVERIFY2(alike > small.width() * small.height() * 9 / 10, qPrintable(QString::number(alike)));
        // Its frame, four pixels wide, and its panel inside, not the view.
        QCOMPARE(QColor(large.pixel(1, 1)), QColor(96, 96, 96));
        QCOMPARE(QColor(large.pixel(12, 12)), QColor(38, 38, 38));
        int lit = 0;
        for (int y = 0; y < small.height(); ++y)
            for (int x = 0; x < small.width(); ++x)
                lit += QColor(small.pixel(x, y)).lightness() > 40;
        QVERIFY2(lit > small.width() * small.height() / 4, qPrintable(QString::number(lit)));
        const QString path = QString(ARTEFACT_DIR) + "/screenshot_legend_x4.png";
        QVERIFY(four.save(path));
        qInfo("screenshot: %s", qPrintable(path));
    }

    void theDialogChoosesTheScaleAndRemembersIt()
    {
        showSurfaceWithLine();
        QStringList filters;
        whenDialog<QFileDialog>([&](QFileDialog* dialog) {
            filters = dialog->nameFilters();
            dialog->selectNameFilter(filters.value(1));
            dialog->setDirectory(files.path());
            if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
                name->setText("chosen");
            static_cast<QDialog*>(dialog)->accept();
        });
        window->saveScreenshotFromDialog();
        const QSize size = viewSize();
        QCOMPARE(filters.size(), 3);
        QVERIFY2(filters[0].contains(QString("%1 x %2").arg(size.width()).arg(size.height())),
                 qPrintable(filters[0]));
        QVERIFY2(filters[2].contains(QString("%1 x %2").arg(4 * size.width()).arg(4 * size.height())),
                 qPrintable(filters[2]));
        // No suffix typed: a PNG all the same.
        QCOMPARE(QImage(file("chosen.png")).size(), size * 2);

        QString selected, directory;
        whenDialog<QFileDialog>([&](QFileDialog* dialog) {
            selected = dialog->selectedNameFilter();
            directory = dialog->directory().absolutePath();
            dialog->reject();
        });
        window->saveScreenshotFromDialog();
        QCOMPARE(selected, filters[1]);
        QCOMPARE(directory, QDir(files.path()).absolutePath());
    }

    void anUnwritablePathIsReported()
    {
        showSurfaceWithLine();
        const QString path = file("no/such/dir/shot.png");
        StderrCapture errors;
        QVERIFY(!window->saveScreenshot(path, 2));
        const QString said = errors.stop();
        QVERIFY2(said.startsWith("Cannot save the screenshot " + path), qPrintable(said));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(window->getMessageLog()->count(), 1);
        QVERIFY(window->getMessagesDock()->isVisible());
        // Far beyond what GL can draw.
        QVERIFY(window->getViewer()->renderImage(1000).isNull());
        QVERIFY(window->getViewer()->renderImage(0).isNull());
    }
};

QTEST_MAIN(TestScreenshot)
#include "tst_screenshot.moc"
