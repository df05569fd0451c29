// The colour-bar legend drawn over the view, in the real main window under
// X: it appears with a column, shows that column's bar, limits and name in
// the view's own pixels, follows every change at once, and View > Colour Bar
// Legend hides and shows it.
#include "BrainQuarter.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "TreeModel.h"
#include "ViewerWidget.h"
#include "legend.h"
#include "stats_test_util.h"
#include "textureColumn.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

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
bool isWhite(const QColor& c)
{
    return c.red() > 220 && c.green() > 220 && c.blue() > 220;
}

// Pixels of `a` that differ from `b` by more than a rounding step.
int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return a.width() * a.height() + 1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += distance(a.pixelColor(x, y), b.pixelColor(x, y)) > 6;
    return n;
}

}  // namespace

class TestLegend : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    QString barDir;

    QString file(const QString& name) const { return files.filePath(name); }
    GeometryScene* scene() const { return static_cast<GeometryScene*>(root()->child(0)); }
    textureColumn* column(int file) const
    {
        return qobject_cast<textureColumn*>(scene()->child(file)->child(0));
    }
    void clickItem(TreeItem* item)
    {
        StdoutCapture quiet;
        clickRow(indexOf(item));
        waitForFrame();
    }
    void setLimit(QLineEdit* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    QImage frame() const { return window->getViewer()->grabFramebuffer(); }
    // Where a legend of this content sits in a frame: the bottom right corner.
    static QRect placeOf(const QImage& frame, const gyroscene::legend_content& content)
    {
        const gyroscene::legend_layout layout = gyroscene::layout_legend(content);
        return QRect(frame.width() - gyroscene::legend_margin - layout.width,
                     frame.height() - gyroscene::legend_margin - layout.height, layout.width,
                     layout.height);
    }
    // How many pixels of the legend drawn in the view differ from the legend
    // of `content`: none when it shows exactly that (numbers and name included).
    int legendDifference(const gyroscene::legend_content& content)
    {
        const QImage shown = frame();
        const QImage expected = gyroscene::legend_image(content).convertToFormat(QImage::Format_RGB32);
        const QImage drawn = shown.copy(placeOf(shown, content)).convertToFormat(QImage::Format_RGB32);
        const int differing = differingPixels(drawn, expected);
        if (differing != 0) {
            drawn.save(QString(ARTEFACT_DIR) + "/legend_drawn.png");
            expected.save(QString(ARTEFACT_DIR) + "/legend_expected.png");
        }
        return differing;
    }
    // The colour of the drawn legend's bar at a fraction of its height from the top.
    QColor barAt(const gyroscene::legend_content& content, double fromTop) const
    {
        const QImage shown = frame();
        const gyroscene::legend_layout layout = gyroscene::layout_legend(content);
        const QPoint corner = placeOf(shown, content).topLeft();
        return shown.pixelColor(corner.x() + layout.bar_left + layout.bar_width / 2,
                                corner.y() + layout.bar_top + int(fromTop * (layout.bar_height - 1)));
    }
    gyroscene::legend_content content(const QString& bar, float lower, float upper, const QString& name)
    {
        gyroscene::legend_content s;
        s.bar = QImage(barDir + "/" + bar);
        s.lower = lower;
        s.upper = upper;
        s.name = name;
        return s;
    }
    // No legend: the corner shows the view's black background.
    bool cornerIsEmpty() const
    {
        const QImage shown = frame();
        const QRect corner(shown.width() - 60, shown.height() - 60, 48, 48);
        for (int y = corner.top(); y <= corner.bottom(); ++y)
            for (int x = corner.left(); x <= corner.right(); ++x)
                if (qGray(shown.pixel(x, y)) > 10)
                    return false;
        return true;
    }
    void saveShot(const QString& name)
    {
        const QString path = QString(ARTEFACT_DIR) + "/" + name + ".png";
        QVERIFY(frame().save(path));
        qInfo("screenshot: %s", qPrintable(path));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        barDir = files.path() + "/bars";
        QVERIFY(QDir().mkpath(barDir));
        QVERIFY(writeColourBar(barDir + "/0redblue.png", Qt::red, Qt::blue));
        QVERIFY(writeColourBar(barDir + "/1greenwhite.png", Qt::green, Qt::white));
        setTextureDir(barDir);
        QVERIFY(writeEllipsoid(file("lh.obj")));
        const std::vector<float> heights = ellipsoidHeights();
        std::vector<float> depths(heights.size());
        for (std::size_t i = 0; i < heights.size(); ++i)
            depths[i] = -2 * heights[i];
        QVERIFY(writeVertstats(file("up.vertstats"), {"height"}, {heights}));
        QVERIFY(writeVertstats(file("down.vertstats"), {"depth"}, {depths}));
    }

    void init()
    {
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            QVERIFY(open(file("lh.obj")));
            QVERIFY(open(file("up.vertstats")));
            QVERIFY(open(file("down.vertstats")));
        }
        showWindow();
    }
    void cleanup() { window.reset(); }

    void legendShowsTheColumnShown()
    {
        // The plain surface has no legend.
        QVERIFY(cornerIsEmpty());
        QVERIFY(!window->getViewer()->getLegend());
        QVERIFY(window->getLegendAction()->isChecked());

        clickItem(column(1));
        saveShot("legend_height");
        QCOMPARE(legendDifference(content("0redblue.png", -50, 50, "height")), 0);
        // The bar's own colours: blue at the top (the upper limit), red below.
        const gyroscene::legend_content height = content("0redblue.png", -50, 50, "height");
        QVERIFY2(isBlue(barAt(height, 0.02)), qPrintable(barAt(height, 0.02).name()));
        QVERIFY2(isRed(barAt(height, 0.98)), qPrintable(barAt(height, 0.98).name()));

        // Another file's column takes the legend over.
        clickItem(column(2));
        QCOMPARE(legendDifference(content("0redblue.png", -100, 100, "depth")), 0);
        // Rows that are no column leave the legend of the column shown.
        clickItem(scene());
        QCOMPARE(legendDifference(content("0redblue.png", -100, 100, "depth")), 0);
    }

    void legendFollowsBarAndLimits()
    {
        textureColumn* up = column(1);
        clickItem(up);
        Ui_textureProps* props = up->getProps();
        props->textureCombo->setCurrentIndex(1);
        QCoreApplication::processEvents();
        const gyroscene::legend_content green = content("1greenwhite.png", -50, 50, "height");
        QCOMPARE(legendDifference(green), 0);
        QVERIFY2(isWhite(barAt(green, 0.02)), qPrintable(barAt(green, 0.02).name()));
        QVERIFY2(isGreen(barAt(green, 0.98)), qPrintable(barAt(green, 0.98).name()));

        setLimit(props->lowerLimit, "-12.5");
        QCOMPARE(legendDifference(content("1greenwhite.png", -12.5f, 50, "height")), 0);
        setLimit(props->upperLimit, "1e+06");
        QCOMPARE(legendDifference(content("1greenwhite.png", -12.5f, 1e6f, "height")), 0);

        // Reversed limits: the larger value stays on top, beside its colour,
        // which is now the bottom of the bar.
        setLimit(props->lowerLimit, "50");
        setLimit(props->upperLimit, "-50");
        const gyroscene::legend_content reversed = content("1greenwhite.png", 50, -50, "height");
        QCOMPARE(legendDifference(reversed), 0);
        saveShot("legend_reversed");
        QVERIFY2(isGreen(barAt(reversed, 0.02)), qPrintable(barAt(reversed, 0.02).name()));
        QVERIFY2(isWhite(barAt(reversed, 0.98)), qPrintable(barAt(reversed, 0.98).name()));
    }

    void viewMenuHidesAndShowsTheLegend()
    {
        clickItem(column(1));
        const gyroscene::legend_content height = content("0redblue.png", -50, 50, "height");
        QCOMPARE(legendDifference(height), 0);
        QAction* action = window->getLegendAction();
        QVERIFY(action->isCheckable());
        QCOMPARE(action->text(), QString("Colour Bar Legend"));
        action->trigger();
        QVERIFY(!action->isChecked());
        QVERIFY(cornerIsEmpty());
        // Changes while hidden are there when it is back.
        setLimit(column(1)->getProps()->lowerLimit, "0");
        action->trigger();
        QCOMPARE(legendDifference(content("0redblue.png", 0, 50, "height")), 0);
    }

    void legendKeepsItsCornerWhenTheViewResizes()
    {
        clickItem(column(1));
        window->resize(1000, 600);
        QTRY_VERIFY(window->getViewer()->width() < 800);
        waitForFrame();
        QCOMPARE(legendDifference(content("0redblue.png", -50, 50, "height")), 0);
    }
};

QTEST_MAIN(TestLegend)
#include "tst_legend.moc"
