// What a selected column puts on the drawn surface must be what the user
// chose, in the real main window under X: the column of the right file, the
// colour bar's own colours whatever the surface colour, the bar and limits
// each column keeps, limit fields that show their whole value, and a preview
// that reads like the surface.
#include "BrainQuarter.h"
#include "ColourBarCombo.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "TreeModel.h"
#include "ViewerWidget.h"
#include "dialog_test_util.h"
#include "stats_test_util.h"
#include "textureColumn.h"
#include "textureFileItem.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoTexture2.h>

#include <QAbstractItemView>
#include <QColorDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

bool isRed(const QColor& c)
{
    return c.red() > c.blue() + 80 && c.red() > c.green() + 80;
}
bool isBlue(const QColor& c)
{
    return c.blue() > c.red() + 80 && c.blue() > c.green() + 80;
}
bool isGreen(const QColor& c)
{
    return c.green() > c.red() + 80 && c.green() > c.blue() + 80;
}

// The left and right ends of the dark text drawn inside a line edit, in
// its own pixels; an empty range when nothing dark is drawn.
std::pair<int, int> inkExtent(QLineEdit* field)
{
    QStyleOptionFrame option;
    option.initFrom(field);
    option.rect = field->rect();
    option.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field);
    const QRect inside =
        field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field);
    const QImage image = field->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    int left = -1, right = -1;
    for (int x = int(inside.left() * ratio); x <= int(inside.right() * ratio); ++x)
        for (int y = int(inside.top() * ratio); y <= int(inside.bottom() * ratio); ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
    return {int(left / ratio), int(right / ratio)};
}

}  // namespace

class TestColumnColours : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    QTemporaryDir bars;
    QString barDir;

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
    GeometryScene* scene(int row) const { return static_cast<GeometryScene*>(root()->child(row)); }
    textureColumn* column(int file, int index) const
    {
        return qobject_cast<textureColumn*>(scene(0)->child(file)->child(index));
    }
    void clickRow(const QModelIndex& index)
    {
        StdoutCapture quiet;
        WindowTestBase::clickRow(index);
        // The new box is laid out before anything looks at it.
        waitForFrame();
    }
    void clickItem(TreeItem* item) { clickRow(indexOf(item)); }
    QImage frame() const { return window->getViewer()->grabFramebuffer(); }
    // The colour drawn around the top of the surface (height 50), which the
    // first view faces.
    QColor topColour() const
    {
        return averageAt(frame(), project(SbVec3f(0, 0, 50)) * window->getViewer()->devicePixelRatioF(), 4);
    }
    void setLimit(QLineEdit* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    // A surface with two statistics files: "up" holds each vertex's height,
    // "down" its negative.
    void openSurfaceAndTwoFiles()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("up.vertstats")));
        QVERIFY(openQuietly(file("down.vertstats")));
        showWindow();
    }
    void saveShot(const QString& name)
    {
        waitForFrame();
        const QString path = QString(ARTEFACT_DIR) + "/" + name + ".png";
        QVERIFY(window->grab().toImage().save(path));
        qInfo("screenshot: %s", qPrintable(path));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid() && bars.isValid());
        gyroview::init();
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        // A deep directory, so that the full paths are wider than the box.
        barDir = bars.path() + "/a-rather-long-directory/holding-the-colour-bars-of-this-test";
        QVERIFY(QDir().mkpath(barDir));
        QVERIFY(writeColourBar(barDir + "/0redblue.png", Qt::red, Qt::blue));
        QVERIFY(writeColourBar(barDir + "/1greenwhite.png", Qt::green, Qt::white));
        QVERIFY(writeColourBar(barDir + "/hotred.png", Qt::black, Qt::red));
        setTextureDir(barDir);
        QVERIFY(writeEllipsoid(file("lh.obj")));
        const std::vector<float> heights = ellipsoidHeights();
        std::vector<float> depths(heights.size());
        for (std::size_t i = 0; i < heights.size(); ++i)
            depths[i] = -heights[i];
        QVERIFY(writeVertstats(file("up.vertstats"), {"height"}, {heights}));
        QVERIFY(writeVertstats(file("down.vertstats"), {"depth"}, {depths}));
    }

    void cleanup() { window.reset(); }

    void selectedColumnOfAnyFileIsTheOneShown()
    {
        openSurfaceAndTwoFiles();
        saveShot("columns_plain");
        // The top is high in "up" (blue end of the bar), low in "down" (red end).
        clickItem(column(1, 0));
        saveShot("columns_first_file");
        QVERIFY2(isBlue(topColour()), qPrintable(topColour().name()));

        clickItem(column(2, 0));
        QCOMPARE(column(2, 0)->getProps()->lowerLimit->text(), QString("-50"));
        saveShot("columns_second_file");
        QVERIFY2(isRed(topColour()), qPrintable(topColour().name()));

        // And back: the first file's column again.
        clickItem(column(1, 0));
        QVERIFY2(isBlue(topColour()), qPrintable(topColour().name()));
    }

    void surfaceColourLeavesTheColumnsColours()
    {
        openSurfaceAndTwoFiles();
        auto* surface = scene(0)->getSurface();
        const SbColor initial = surface->getMaterial()->diffuseColor[0];
        clickItem(surface);
        auto* button = window->getResources()->getPropertiesBox()->findChild<QPushButton*>(
            "colourButton");
        QVERIFY(button);

        // The dialog starts from the surface's colour, first the default.
        QColor started;
        whenDialog<QColorDialog>([&started](QColorDialog* dialog) {
            started = dialog->currentColor();
            dialog->setCurrentColor(QColor(255, 128, 0));
            dialog->accept();
        });
        {
            StdoutCapture quiet;
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QCOMPARE(started, QColor::fromRgbF(initial[0], initial[1], initial[2]));
        // Without a column the surface shows its colour.
        const QColor orange = topColour();
        QVERIFY2(orange.red() > orange.blue() + 80 && orange.green() > orange.blue() + 30,
                 qPrintable(orange.name()));

        // A column shows the bar's colours, not the bar tinted orange.
        clickItem(column(1, 0));
        saveShot("columns_orange_surface");
        const QColor shown = topColour();
        QVERIFY2(isBlue(shown) && shown.blue() > 150, qPrintable(shown.name()));
        // Lit and shaded: a flank facing away from the light is darker than
        // the top in the same colour.
        setLimit(column(1, 0)->getProps()->lowerLimit, "1000");
        setLimit(column(1, 0)->getProps()->upperLimit, "2000");
        const qreal ratio = window->getViewer()->devicePixelRatioF();
        const QColor top = topColour();
        const QColor flank = averageAt(frame(), project(SbVec3f(40.5f, 0, 34)) * ratio, 2);
        QVERIFY2(isRed(top) && isRed(flank) && flank.red() < top.red() - 20,
                 qPrintable(top.name() + " " + flank.name()));

        // The surface row again: the button shows the colour, the dialog
        // starts from it.
        clickItem(surface);
        button = window->getResources()->getPropertiesBox()->findChild<QPushButton*>(
            "colourButton");
        QCOMPARE(button->text(), QString("#ff8000"));
        QCOMPARE(button->palette().color(QPalette::Button), QColor(255, 128, 0));
        whenDialog<QColorDialog>([&started](QColorDialog* dialog) {
            started = dialog->currentColor();
            dialog->reject();
        });
        {
            StdoutCapture quiet;
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QCOMPARE(started, QColor(255, 128, 0));
        QCOMPARE(button->text(), QString("#ff8000"));
        QVERIFY2(isRed(topColour()), qPrintable(topColour().name()));
    }

    void eachColumnKeepsItsBarAndLimits()
    {
        openSurfaceAndTwoFiles();
        textureColumn* up = column(1, 0);
        clickItem(up);
        Ui_textureProps* props = up->getProps();
        QCOMPARE(props->textureCombo->currentIndex(), 0);
        // Everything below the range: the bottom of the bar.
        setLimit(props->lowerLimit, "1000");
        setLimit(props->upperLimit, "2000");
        QVERIFY2(isRed(topColour()), qPrintable(topColour().name()));
        props->textureCombo->setCurrentIndex(1);
        saveShot("columns_bar_chosen");
        QVERIFY2(isGreen(topColour()), qPrintable(topColour().name()));

        // Another column and the file row, then the column again.
        clickItem(column(2, 0));
        QCOMPARE(column(2, 0)->getProps()->textureCombo->currentIndex(), 0);
        clickItem(scene(0)->child(1));
        clickItem(up);
        props = up->getProps();
        QVERIFY(props);
        saveShot("columns_bar_kept");
        QCOMPARE(props->textureCombo->currentIndex(), 1);
        QCOMPARE(QString(up->getTexture()->filename.getValue().getString()),
                 barDir + "/1greenwhite.png");
        QCOMPARE(props->lowerLimit->text(), QString("1000"));
        QCOMPARE(props->upperLimit->text(), QString("2000"));
        QVERIFY2(isGreen(topColour()), qPrintable(topColour().name()));
        const QImage preview = props->imageLabel->grab().toImage();
        const QColor previewBottom = preview.pixelColor(preview.width() / 2, preview.height() - 3);
        QVERIFY2(isGreen(previewBottom), qPrintable(previewBottom.name()));

        // The entries stay full paths (ours and the built-in bars installed
        // beside them); each says so in its tooltip.
        QComboBox* combo = props->textureCombo;
        QVERIFY(combo->findText(barDir + "/hotred.png") >= 0);
        // The directory's bars, then the colour maps by name.
        const int bars = int(ColourBarStore::list().bars.size());
        QCOMPARE(QFileInfo(combo->itemText(bars)).completeBaseName(), QString("viridis"));
        for (int i = 0; i < combo->count(); ++i) {
            QCOMPARE(combo->itemText(i).startsWith(barDir + "/"), i < bars);
            QCOMPARE(combo->itemData(i, Qt::ToolTipRole).toString(), combo->itemText(i));
        }

        // Closed, the box cuts the path from the left: the bar's name shows.
        auto* barBox = qobject_cast<ColourBarCombo*>(combo);
        QVERIFY(barBox);
        combo->setCurrentIndex(combo->findText(barDir + "/hotred.png"));
        const QFontMetrics metrics(combo->font());
        QVERIFY(metrics.horizontalAdvance(combo->currentText()) > combo->width());
        const QString closed = barBox->displayedText();
        QVERIFY2(closed.startsWith(QChar(0x2026)) && closed.endsWith("/hotred.png"),
                 qPrintable(closed));
        QVERIFY(!combo->itemIcon(combo->currentIndex()).isNull());

        // Open, the list is as wide as its longest entry.
        combo->showPopup();
        QTRY_VERIFY(combo->view()->isVisible());
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(combo->itemText(i)));
        QVERIFY2(combo->view()->viewport()->width() >= widest + combo->iconSize().width(),
                 qPrintable(QString("%1 < %2").arg(combo->view()->viewport()->width()).arg(widest)));
        const QString listShot = QString(ARTEFACT_DIR) + "/columns_bar_list.png";
        QVERIFY(combo->view()->window()->grab().toImage().save(listShot));
        qInfo("screenshot: %s", qPrintable(listShot));
        combo->hidePopup();
    }

    void limitFieldsShowTheWholeValue()
    {
        QVERIFY(writeVertstats(file("small.vertstats"), {"small"},
                               {{-0.999933f, 0.5f, -1234567.0f, 0.25f, 1e-30f}}));
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        {
            StderrCapture rowCount;  // five rows on a larger surface
            QVERIFY(openQuietly(file("small.vertstats")));
        }
        showWindow();
        textureColumn* small = column(1, 0);
        clickItem(small);
        Ui_textureProps* props = small->getProps();
        waitForFrame();

        const QFontMetrics metrics(props->lowerLimit->font());
        for (const QString& text : {QString("-0.999933"), QString("-1.23457e+06"),
                                    QString("-1.23457e-38")}) {
            props->lowerLimit->setText(text);
            props->lowerLimit->setCursorPosition(text.size());
            QCoreApplication::processEvents();
            const auto [left, right] = inkExtent(props->lowerLimit);
            const int drawn = right - left + 1;
            QVERIFY2(left >= 0 && drawn >= metrics.tightBoundingRect(text).width() - 2,
                     qPrintable(QString("%1: %2 of %3 pixels")
                                    .arg(text)
                                    .arg(drawn)
                                    .arg(metrics.tightBoundingRect(text).width())));
        }

        // What is used is what the field shows after editing.
        setLimit(props->upperLimit, "abc");
        QCOMPARE(small->getUpperLimit(), 0.0f);
        QCOMPARE(props->upperLimit->text(), QString("0"));
        setLimit(props->lowerLimit, "-0.99993312");
        QCOMPARE(props->lowerLimit->text(), QString("-0.999933"));
        QCOMPARE(small->getLowerLimit(), -0.99993312f);
    }

    void reversedLimitsReadLikeTheSurface()
    {
        openSurfaceAndTwoFiles();
        textureColumn* up = column(1, 0);
        clickItem(up);
        Ui_textureProps* props = up->getProps();
        const auto previewAt = [&](double fraction) {
            const QImage image = props->imageLabel->grab().toImage();
            return image.pixelColor(image.width() / 2, int(fraction * (image.height() - 1)));
        };
        QVERIFY2(isBlue(topColour()), qPrintable(topColour().name()));
        QVERIFY(isBlue(previewAt(0.02)) && isRed(previewAt(0.98)));

        // The top field below the bottom one: the top colour goes to -50.
        // The fields stay where they are, so what they show is the map.
        const int upperY = props->upperLimit->y();
        setLimit(props->lowerLimit, "50");
        setLimit(props->upperLimit, "-50");
        QCOMPARE(up->getLowerLimit(), 50.0f);
        QCOMPARE(up->getUpperLimit(), -50.0f);
        const QColor top = topColour();
        QVERIFY2(isRed(top), qPrintable(top.name()));
        QCOMPARE(props->upperLimit->y(), upperY);
        QVERIFY(props->upperLimit->y() < props->lowerLimit->y());
        QVERIFY2(isBlue(previewAt(0.02)) && isRed(previewAt(0.98)), qPrintable(previewAt(0.02).name()));
        saveShot("columns_reversed");

        // A normal pair typed into the same two fields is read as normal:
        // nothing of the reversed pair stays behind.
        setLimit(props->upperLimit, "100");
        setLimit(props->lowerLimit, "-100");
        QCOMPARE(up->getUpperLimit(), 100.0f);
        QCOMPARE(up->getLowerLimit(), -100.0f);
        QVERIFY2(isBlue(topColour()), qPrintable(topColour().name()));

        // The rebuilt box reads the same.
        setLimit(props->upperLimit, "-50");
        setLimit(props->lowerLimit, "50");
        clickItem(scene(0)->child(1));
        clickItem(up);
        props = up->getProps();
        QTRY_VERIFY(props->upperLimit->y() < props->lowerLimit->y());
        QCOMPARE(props->upperLimit->text(), QString("-50"));
        QVERIFY2(isRed(topColour()), qPrintable(topColour().name()));
    }
};

QTEST_MAIN(TestColumnColours)
#include "tst_column_colours.moc"
