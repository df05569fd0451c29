// The property box of a tag file in the real window under X: the spheres'
// radius and colour as drawn, and fitting the radius to the surfaces.
#include "BrainQuarter.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "TreeModel.h"
#include "app_test_util.h"
#include "dialog_test_util.h"
#include "tagFileItem.h"
#include "tagPointItem.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSphere.h>

#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

bool isRed(const QColor& c)
{
    return c.red() > 120 && c.green() < 40 && c.blue() < 40;
}

bool isGreen(const QColor& c)
{
    return c.green() > 120 && c.red() < 40 && c.blue() < 40;
}

bool writeText(const QString& path, const QByteArray& text)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size();
}

// A flat 40 × 30 plate below the origin, so the view frames a known area
// and a sphere at the origin sits in front of it.
bool writePlate(const QString& path)
{
    return writeObj(path, {{-20, -15, -2}, {20, -15, -2}, {20, 15, -2}, {-20, 15, -2}},
                    {{0, 1, 2}, {0, 2, 3}});
}

}  // namespace

class TestTagProps : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;

    QString file(const QString& name) const { return files.filePath(name); }
    bool openQuietly(const QString& path)
    {
        StdoutCapture quiet;
        return open(path);
    }
    tagFileItem* tags() const
    {
        for (int i = 0; i < root()->childCount(); ++i)
            if (auto* item = dynamic_cast<tagFileItem*>(root()->child(i)))
                return item;
        return nullptr;
    }
    QImage frame() const
    {
        BrainQuarter* viewer = window->getViewer();
        viewer->update();
        const quint64 before = viewer->frameCount();
        if (!QTest::qWaitFor([&] { return viewer->frameCount() > before; }, 5000))
            QTest::qFail("no frame drawn within 5 s", __FILE__, __LINE__);
        return viewer->grabFramebuffer();
    }
    // The width in pixels of the run of sphere-coloured pixels through the
    // projected origin.
    int sphereWidth(bool (*colour)(const QColor&)) const
    {
        const QImage image = frame();
        const QPoint centre = project(SbVec3f(0, 0, 0));
        int left = centre.x(), right = centre.x();
        if (!colour(image.pixelColor(centre)))
            return 0;
        while (left > 0 && colour(image.pixelColor(left - 1, centre.y())))
            --left;
        while (right < image.width() - 1 && colour(image.pixelColor(right + 1, centre.y())))
            ++right;
        return right - left + 1;
    }
    QWidget* showTagBox()
    {
        StdoutCapture quiet;
        clickRow(model()->index(tags()->childNumber(), 0));
        waitForFrame();
        return window->getResources()->getPropertiesBox()->findChild<QWidget*>("tagFileProps");
    }
    float drawnRadius(int point = 0) const
    {
        auto* item = dynamic_cast<tagPointItem*>(tags()->child(point));
        return static_cast<SoSphere*>(item->getPointSeparator()->getChild(1))->radius.getValue();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        QVERIFY(writePlate(file("plate.obj")));
        QVERIFY(writeText(file("marks.tag"), "MNI Tag Point File\nVolumes = 1;\nPoints =\n"
                                             " 0 0 0 \"origin\"\n 10 5 0 \"aside\";\n"));
    }

    void init()
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
    }
    void cleanup() { window.reset(); }

    void radiusInTheBoxSizesTheSpheresOnScreen()
    {
        QVERIFY(openQuietly(file("plate.obj")));
        QVERIFY(openQuietly(file("marks.tag")));
        showWindow();
        // Nothing changes unless asked: radius 1, red.
        QCOMPARE(tags()->getRadius(), 1.0);
        QCOMPARE(drawnRadius(), 1.0f);
        const int unit = sphereWidth(isRed);
        QVERIFY2(unit > 8, qPrintable(QString::number(unit)));

        QWidget* box = showTagBox();
        QVERIFY(box);
        auto* radius = box->findChild<QDoubleSpinBox*>("radiusSpinBox");
        QVERIFY(radius);
        QCOMPARE(radius->value(), 1.0);
        radius->selectAll();
        QTest::keyClicks(radius, "2.5");
        QTest::keyClick(radius, Qt::Key_Return);
        QCOMPARE(tags()->getRadius(), 2.5);
        QCOMPARE(drawnRadius(1), 2.5f);
        const int larger = sphereWidth(isRed);
        QVERIFY(frame().save(QString(ARTEFACT_DIR) + "/tagprops_radius.png"));
        QVERIFY2(std::abs(double(larger) / unit - 2.5) < 0.25,
                 qPrintable(QString("%1 vs %2").arg(larger).arg(unit)));

        // The box shows the radius again when it is built anew.
        QVERIFY(showTagBox());
        QCOMPARE(showTagBox()->findChild<QDoubleSpinBox*>("radiusSpinBox")->value(), 2.5);
    }

    void colourButtonRecoloursTheSpheres()
    {
        QVERIFY(openQuietly(file("plate.obj")));
        QVERIFY(openQuietly(file("marks.tag")));
        showWindow();
        QWidget* box = showTagBox();
        QVERIFY(box);
        auto* button = box->findChild<QPushButton*>("colourButton");
        QVERIFY(button);
        QCOMPARE(button->text(), QString("#ff0000"));
        bool sawRed = false;
        whenDialog<QColorDialog>([&sawRed](QColorDialog* dialog) {
            sawRed = dialog->currentColor() == QColor(255, 0, 0);
            dialog->setCurrentColor(QColor(0, 255, 0));
            dialog->accept();
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(sawRed);
        QCOMPARE(button->text(), QString("#00ff00"));
        QCOMPARE(tags()->getColour(), QColor(0, 255, 0));
        QCOMPARE(sphereWidth(isRed), 0);
        QVERIFY(sphereWidth(isGreen) > 8);
    }

    void fitToSurfaceTakesOnePercentOfTheDiagonal()
    {
        QVERIFY(openQuietly(file("marks.tag")));
        // No surface yet: nothing to fit to.
        QVERIFY(!tags()->fitToSurfaces());
        QCOMPARE(tags()->getRadius(), 1.0);

        QVERIFY(openQuietly(file("plate.obj")));
        showWindow();
        const int unit = sphereWidth(isRed);
        QWidget* box = showTagBox();
        QVERIFY(box);
        QTest::mouseClick(box->findChild<QPushButton*>("fitButton"), Qt::LeftButton);
        const double diagonal = std::sqrt(40.0 * 40.0 + 30.0 * 30.0);  // the plate is flat
        QVERIFY(std::abs(tags()->getRadius() - 0.01 * diagonal) < 1e-5);
        QVERIFY(std::abs(box->findChild<QDoubleSpinBox*>("radiusSpinBox")->value() - 0.5) < 1e-3);
        QCOMPARE(drawnRadius(), 0.5f);
        const int fitted = sphereWidth(isRed);
        QVERIFY2(std::abs(double(fitted) / unit - 0.5) < 0.15,
                 qPrintable(QString("%1 vs %2").arg(fitted).arg(unit)));
    }
};

QTEST_MAIN(TestTagProps)
#include "tst_tagprops.moc"
