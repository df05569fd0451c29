// Thresholds, symmetric limits and underlays in the real main window under
// X, checked in the drawn pixels: below the threshold the surface shows
// through as it looks without a column, or the underlay's greys; the legend
// marks the threshold; without a threshold nothing changes.
#include "BrainQuarter.h"
#include "GeometryNode.h"
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

#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

bool isBlue(const QColor& c)
{
    return c.blue() > c.red() + 80 && c.blue() > c.green() + 80;
}
bool isGrey(const QColor& c)
{
    return std::abs(c.red() - c.green()) < 12 && std::abs(c.green() - c.blue()) < 12;
}

}  // namespace

class TestThreshold : public WindowTestBase
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
    void setText(QLineEdit* field, const QString& text)
    {
        QVERIFY(field);
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    QWidget* box() const { return window->getResources()->getPropertiesBox(); }
    QImage frame() const { return window->getViewer()->grabFramebuffer(); }
    QColor colourAt(const SbVec3f& point) const
    {
        return averageAt(frame(), project(point) * window->getViewer()->devicePixelRatioF(), 2);
    }
    void saveShot(const QString& name)
    {
        const QString path = QString(ARTEFACT_DIR) + "/" + name + ".png";
        QVERIFY(frame().save(path));
        qInfo("screenshot: %s", qPrintable(path));
    }
    // Points of the ellipsoid that the first view sees, with their heights.
    static SbVec3f onTop() { return SbVec3f(0, 0, 50); }
    static SbVec3f onFlank() { return SbVec3f(40.5f, 0, 34); }
    static SbVec3f eastOf() { return SbVec3f(30, 0, 41.9f); }
    static SbVec3f westOf() { return SbVec3f(-30, 0, 41.9f); }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        barDir = files.path() + "/bars";
        QVERIFY(QDir().mkpath(barDir));
        QVERIFY(writeColourBar(barDir + "/0redblue.png", Qt::red, Qt::blue));
        setTextureDir(barDir);
        QVERIFY(writeEllipsoid(file("lh.obj")));
        // Heights, and each vertex's side: x's sign, as a curvature's would be.
        const std::vector<float> heights = ellipsoidHeights();
        std::vector<float> side;
        const int rings = 40, segments = 80;
        side.push_back(0);
        for (int r = 1; r < rings; ++r)
            for (int s = 0; s < segments; ++s)
                side.push_back(float(std::sin(M_PI * r / rings) * std::cos(2 * M_PI * s / segments)));
        side.push_back(0);
        QCOMPARE(side.size(), heights.size());
        QVERIFY(writeVertstats(file("up.vertstats"), {"height"}, {heights}));
        QVERIFY(writeVertstats(file("curv.vertstats"), {"side"}, {side}));
    }

    void init()
    {
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            QVERIFY(open(file("lh.obj")));
            QVERIFY(open(file("up.vertstats")));
            QVERIFY(open(file("curv.vertstats")));
        }
        showWindow();
    }
    void cleanup() { window.reset(); }

    void withoutThresholdNothingChanges()
    {
        textureColumn* up = column(1);
        clickItem(up);
        QCOMPARE(up->getThreshold(), 0.0f);
        auto* field = box()->findChild<QLineEdit*>("thresholdField");
        QVERIFY(field);
        QCOMPARE(field->text(), QString("0"));
        // The bar's own file and the middle of the bar, as always.
        QCOMPARE(QString(up->getTexture()->filename.getValue().getString()), barDir + "/0redblue.png");
        const SoMFVec2f& points = up->getTextureCoordinates()->point;
        for (int i = 0; i < points.getNum(); ++i)
            QCOMPARE(points[i][0], 0.5f);
        // A threshold and back: the same again.
        setText(field, "20");
        QCOMPARE(up->getThreshold(), 20.0f);
        setText(field, "0");
        QCOMPARE(QString(up->getTexture()->filename.getValue().getString()), barDir + "/0redblue.png");
        for (int i = 0; i < points.getNum(); ++i)
            QCOMPARE(points[i][0], 0.5f);
        // The limits' own fields are where they were, untouched.
        QVERIFY(box()->findChild<QLineEdit*>("lowerLimit")->isVisible());
        QVERIFY(box()->findChild<QLineEdit*>("upperLimit")->isVisible());
    }

    void belowTheThresholdThePlainSurfaceShows()
    {
        const QColor plainFlank = colourAt(onFlank());
        const QColor plainTop = colourAt(onTop());
        QVERIFY2(isGrey(plainFlank), qPrintable(plainFlank.name()));

        textureColumn* up = column(1);
        clickItem(up);
        QVERIFY2(isBlue(colourAt(onFlank())), qPrintable(colourAt(onFlank()).name()));
        // The flank (height 34) is below 40, the top (50) is not.
        setText(box()->findChild<QLineEdit*>("thresholdField"), "40");
        QCOMPARE(up->getThreshold(), 40.0f);
        saveShot("threshold_plain");
        const QColor flank = colourAt(onFlank());
        QVERIFY2(distance(flank, plainFlank) < 24,
                 qPrintable(flank.name() + " against " + plainFlank.name()));
        const QColor top = colourAt(onTop());
        QVERIFY2(isBlue(top), qPrintable(top.name()));
        QVERIFY(distance(top, plainTop) > 100);

        // The legend marks the threshold, on the surface's colour.
        gyroscene::legend_content expected;
        expected.bar = QImage(barDir + "/0redblue.png");
        expected.lower = -50;
        expected.upper = 50;
        expected.name = "height";
        expected.threshold = 40;
        expected.underneath = scene()->getSurface()->surfaceColour();
        const QImage shown = frame();
        const gyroscene::legend_layout layout = gyroscene::layout_legend(expected);
        const QImage drawn = shown.copy(shown.width() - gyroscene::legend_margin - layout.width,
                                        shown.height() - gyroscene::legend_margin - layout.height,
                                        layout.width, layout.height);
        QCOMPARE(drawn.convertToFormat(QImage::Format_RGB32),
                 gyroscene::legend_image(expected).convertToFormat(QImage::Format_RGB32));
        // The band of the bar between -40 and 40 has the surface's colour.
        const QColor band = drawn.pixelColor(layout.bar_left + layout.bar_width / 2,
                                             layout.bar_top + layout.bar_height / 2);
        QCOMPARE(band, expected.underneath);

        // A new surface colour shows through at once.
        scene()->getSurface()->updateColour(QColor(255, 128, 0));
        waitForFrame();
        const QColor orange = colourAt(onFlank());
        QVERIFY2(orange.red() > orange.blue() + 80 && orange.green() > orange.blue() + 30,
                 qPrintable(orange.name()));
        QVERIFY2(isBlue(colourAt(onTop())), qPrintable(colourAt(onTop()).name()));
    }

    void anUnderlayShowsInGreys()
    {
        GeometryNode* surface = scene()->getSurface();
        clickItem(surface);
        auto* combo = box()->findChild<QComboBox*>("underlayCombo");
        QVERIFY(combo);
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(0), QString("None"));
        QCOMPARE(combo->itemText(2), QString("side"));
        combo->setCurrentIndex(2);
        QCOMPARE(surface->underlay(), column(2));

        textureColumn* up = column(1);
        clickItem(up);
        // Everything below the threshold: the underlay everywhere.
        setText(box()->findChild<QLineEdit*>("thresholdField"), "1000");
        saveShot("threshold_underlay");
        const QColor east = colourAt(eastOf()), west = colourAt(westOf());
        QVERIFY2(isGrey(east) && isGrey(west), qPrintable(east.name() + " " + west.name()));
        // Two shades, one on each side.
        QVERIFY2(west.red() > east.red() + 40, qPrintable(east.name() + " " + west.name()));

        // More shades: still grey, the sides still apart.
        clickItem(surface);
        box()->findChild<QSpinBox*>("underlayShades")->setValue(4);
        QCOMPARE(surface->underlayShadeCount(), 4);
        clickItem(up);
        const QColor east4 = colourAt(eastOf()), west4 = colourAt(westOf());
        QVERIFY2(isGrey(east4) && isGrey(west4) && west4.red() > east4.red() + 40,
                 qPrintable(east4.name() + " " + west4.name()));

        // No underlay again: the plain surface.
        clickItem(surface);
        box()->findChild<QComboBox*>("underlayCombo")->setCurrentIndex(0);
        QVERIFY(!surface->underlay());
        const QColor plain = colourAt(eastOf());
        QVERIFY2(distance(plain, colourAt(westOf())) < 40, qPrintable(plain.name()));
    }

    void symmetricLimitsSpanMinusToPlusTheLarger()
    {
        textureColumn* up = column(1);
        clickItem(up);
        Ui_textureProps* props = up->getProps();
        setText(props->lowerLimit, "-10");
        setText(props->upperLimit, "30");
        auto* button = box()->findChild<QPushButton*>("symmetricButton");
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(up->getLowerLimit(), -30.0f);
        QCOMPARE(up->getUpperLimit(), 30.0f);
        QCOMPARE(props->lowerLimit->text(), QString("-30"));
        QCOMPARE(props->upperLimit->text(), QString("30"));
        // The coordinates follow: height 0 is the middle of the bar.
        QCOMPARE(up->getTextureCoordinates()->point[0][1], 1.0f);  // the top, height 50

        // Reversed limits stay reversed.
        setText(props->lowerLimit, "45");
        setText(props->upperLimit, "-5");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(up->getLowerLimit(), 45.0f);
        QCOMPARE(up->getUpperLimit(), -45.0f);
        QCOMPARE(props->lowerLimit->text(), QString("45"));
    }
};

QTEST_MAIN(TestThreshold)
#include "tst_threshold.moc"
