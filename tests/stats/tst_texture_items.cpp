// The statistics file row and its column rows on their own: the mapping of
// values to colour-bar coordinates, the limits, the colour-bar list, the
// property box, the pick relay and the files the reader must never see.
#include "surface_graph.h"
#include "ColourBarStore.h"
#include "GeometryScene.h"
#include "ViewerWidget.h"
#include "stats_test_util.h"
#include "textureColumn.h"
#include "colour_maps.h"
#include "textureFileItem.h"
#include "zelVertstatsFile.h"
#include "fresh_home.h"

#include <Inventor/nodes/SoComplexity.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTextureCoordinateBinding.h>

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>
#include <sys/stat.h>

namespace {

const float qnan = std::numeric_limits<float>::quiet_NaN();
const float inf = std::numeric_limits<float>::infinity();

QVector<QVariant> twoColumns(const QString& title = "file", const QString& text = QString())
{
    return {title, text};
}

}  // namespace

class TestTextureItems : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    QTemporaryDir bars;
    SoSwitch* columnSwitch = nullptr;
    zelVertstatsFile statistics;

    QString file(const QString& name) const { return files.filePath(name); }

    // A column row on the test's switch, loaded with `values`.
    std::unique_ptr<textureColumn> makeColumn(const std::vector<float>& values,
                                              int vertexCount = -1)
    {
        statistics.close();
        statistics.putDataColumn(values, "values");
        auto column = std::make_unique<textureColumn>(columnSwitch, twoColumns(), nullptr, nullptr,
                                                      ColourBarStore::list());
        column->setVertexCount(vertexCount);
        column->loadTextureColumn(&statistics, "values", 0);
        return column;
    }
    static float t(const textureColumn& column, int i)
    {
        return column.getTextureCoordinates()->point[i][1];
    }
    static bool allDefined(const textureColumn& column)
    {
        const SoMFVec2f& points = column.getTextureCoordinates()->point;
        for (int i = 0; i < points.getNum(); ++i)
            if (!(points[i][1] >= 0.0f && points[i][1] <= 1.0f) ||
                !(points[i][0] > 0.0f && points[i][0] < 1.0f))
                return false;
        return true;
    }
    std::unique_ptr<textureFileItem> loadFileItem(SoSeparator* target, const QString& path)
    {
        auto item = std::make_unique<textureFileItem>(target, twoColumns("Geometry Scene", "Point: 7"),
                                                      nullptr, nullptr);
        QFile f(path);
        item->loadFile(f, textureFileItem::canRead(path));
        return item;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid() && bars.isValid());
        gyroview::init();
        QVERIFY(writeColourBar(bars.filePath("b.png"), Qt::red, Qt::blue));
        QVERIFY(writeColourBar(bars.filePath("A.png"), Qt::black, Qt::white));
        QVERIFY(writeColourBar(bars.filePath("c.PNG"), Qt::green, Qt::white));
        QVERIFY(writeColourBar(bars.filePath("d.png"), Qt::yellow, Qt::white));
        QFile notes(bars.filePath("notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        setTextureDir(bars.path());
    }

    void init()
    {
        columnSwitch = new SoSwitch;
        columnSwitch->ref();
        setTextureDir(bars.path());
    }
    void cleanup() { columnSwitch->unref(); }

    void mapsValuesThroughTheLimits_data()
    {
        QTest::addColumn<float>("lower");
        QTest::addColumn<float>("upper");
        QTest::addColumn<float>("t0");
        QTest::addColumn<float>("t5");
        QTest::addColumn<float>("t10");
        QTest::newRow("column range") << 0.0f << 10.0f << 0.0f << 0.5f << 1.0f;
        QTest::newRow("lower 2") << 2.0f << 10.0f << 0.01f << 0.375f << 1.0f;
        QTest::newRow("reversed") << 10.0f << 0.0f << 1.0f << 0.5f << 0.0f;
        QTest::newRow("upper 4") << 0.0f << 4.0f << 0.0f << 1.0f << 1.0f;
    }
    void mapsValuesThroughTheLimits()
    {
        QFETCH(float, lower);
        QFETCH(float, upper);
        QFETCH(float, t0);
        QFETCH(float, t5);
        QFETCH(float, t10);
        auto column = makeColumn({0, 5, 10});
        QCOMPARE(column->getLowerLimit(), 0.0f);
        QCOMPARE(column->getUpperLimit(), 10.0f);
        column->scaleTexture(lower, upper);
        QCOMPARE(column->getLowerLimit(), lower);
        QCOMPARE(column->getUpperLimit(), upper);
        QCOMPARE(column->getTextureCoordinates()->point.getNum(), 3);
        QCOMPARE(t(*column, 0), t0);
        QCOMPARE(t(*column, 1), t5);
        QCOMPARE(t(*column, 2), t10);
        QVERIFY(allDefined(*column));
    }

    void limitsComeFromTheFiniteValues()
    {
        auto column = makeColumn({3, qnan, -2, 7, inf, -inf});
        QCOMPARE(column->getLowerLimit(), -2.0f);
        QCOMPARE(column->getUpperLimit(), 7.0f);
        QCOMPARE(t(*column, 0), 5.0f / 9.0f);
        QCOMPARE(t(*column, 4), 1.0f);
        QCOMPARE(t(*column, 5), 0.01f);
        // A missing value shows what is underneath, beside the bar.
        const SoMFVec2f& points = column->getTextureCoordinates()->point;
        QVERIFY(points[1][0] != points[0][0]);

        // A missing first value must not become both limits.
        auto late = makeColumn({qnan, 4, 1});
        QCOMPARE(late->getLowerLimit(), 1.0f);
        QCOMPARE(late->getUpperLimit(), 4.0f);
        QCOMPARE(t(*late, 2), 0.0f);
    }

    void undefinedQuotientsGetADefinedCoordinate()
    {
        auto column = makeColumn({5, 6, 4, qnan});
        column->scaleTexture(5, 5);  // 0 / 0 for the value 5
        QCOMPARE(t(*column, 0), 0.01f);
        QCOMPARE(t(*column, 1), 1.0f);
        QCOMPARE(t(*column, 2), 0.01f);
        QVERIFY(std::isfinite(t(*column, 3)));
        column->scaleTexture(qnan, 3);
        QVERIFY(allDefined(*column));
        column->scaleTexture(-inf, inf);
        QVERIFY(allDefined(*column));
        // A column whose values are all missing.
        auto empty = makeColumn({qnan, qnan});
        QCOMPARE(empty->getLowerLimit(), 0.0f);
        QCOMPARE(empty->getUpperLimit(), 0.0f);
        QVERIFY(allDefined(*empty));
    }

    void columnWithoutValues()
    {
        auto column = makeColumn({});
        QCOMPARE(column->getLowerLimit(), 0.0f);
        QCOMPARE(column->getUpperLimit(), 0.0f);
        QCOMPARE(column->getTextureCoordinates()->point.getNum(), 0);
        column->scaleTexture(1, 2);
        QCOMPARE(column->getTextureCoordinates()->point.getNum(), 0);
        column->setPickInfo(0);
        QCOMPARE(column->data(1).toString(), QString());
        QWidget* form = column->createForm();
        QVERIFY(form);
        QCOMPARE(column->getProps()->lowerLimit->text(), QString("1"));
        QCOMPARE(column->getProps()->upperLimit->text(), QString("2"));

        // On a surface, every vertex still gets a coordinate.
        auto onSurface = makeColumn({}, 4);
        QCOMPARE(onSurface->getTextureCoordinates()->point.getNum(), 4);
        QVERIFY(allDefined(*onSurface));
        QCOMPARE(t(*onSurface, 3), 0.01f);
    }

    void everyVertexGetsACoordinate()
    {
        auto fewer = makeColumn({0, 5, 10}, 5);
        QCOMPARE(fewer->getTextureCoordinates()->point.getNum(), 5);
        QCOMPARE(t(*fewer, 2), 1.0f);
        QCOMPARE(t(*fewer, 3), 0.01f);
        QCOMPARE(t(*fewer, 4), 0.01f);
        fewer->scaleTexture(10, 0);
        QCOMPARE(fewer->getTextureCoordinates()->point.getNum(), 5);
        QCOMPARE(t(*fewer, 0), 1.0f);
        QCOMPARE(t(*fewer, 4), 0.01f);

        auto more = makeColumn({0, 5, 10, 2.5f}, 2);
        QCOMPARE(more->getTextureCoordinates()->point.getNum(), 4);
        QCOMPARE(t(*more, 3), 0.25f);
    }

    void missingColumnIndexLeavesTheRowEmpty()
    {
        statistics.close();
        statistics.putDataColumn({1, 2}, "a");
        textureColumn column(columnSwitch, twoColumns(), nullptr, nullptr, ColourBarStore::list());
        QVERIFY(!column.loadTextureColumn(&statistics, "ghost", 3));
        QCOMPARE(column.data(0).toString(), QString("ghost"));
        QVERIFY(column.getValues().empty());
        QVERIFY(!column.loadTextureColumn(nullptr, "none", 0));
        QVERIFY(column.loadTextureColumn(&statistics, "a", 0));
        QCOMPARE(column.getValues().size(), std::size_t(2));
    }

    void pickShowsTheValue()
    {
        auto column = makeColumn({0, 5, 10, 1234567, 0.1f}, 8);
        StdoutCapture capture;
        column->setPickInfo(2);
        const QString at2 = column->data(1).toString();
        column->setPickInfo(3);
        const QString at3 = column->data(1).toString();
        column->setPickInfo(4);
        const QString at4 = column->data(1).toString();
        column->setPickInfo(6);  // a vertex beyond the values
        const QString at6 = column->data(1).toString();
        column->setPickInfo(-1);
        const QString atMinus = column->data(1).toString();
        const QStringList lines = capture.lines();
        QCOMPARE(at2, QString("10"));
        QCOMPARE(at3, QString("1.23457e+06"));
        QCOMPARE(at4, QString("0.1"));
        QCOMPARE(at6, QString());
        QCOMPARE(atMinus, QString());
        QCOMPARE(lines, QStringList(5, "in textureColumn"));
        QCOMPARE(column->data(0).toString(), QString("values"));
    }

    void colourBarListIsSortedAndCaseSensitive()
    {
        StdoutCapture capture;
        textureColumn column(columnSwitch, twoColumns(), nullptr, nullptr, ColourBarStore::list());
        const QStringList lines = capture.lines();
        const QString dir = bars.path();
        const QStringList expected = {dir + "/A.png", dir + "/b.png", dir + "/d.png"};
        QCOMPARE(column.getColourBars(), expected);
        QCOMPARE(lines, QStringList{"USING TEXTUREDIR: " + dir} + expected);
        QCOMPARE(textureDirSetting(), dir);
    }

    void everyColumnOfAFileUsesOneListing()
    {
        const QString path = file("three.vertstats");
        QVERIFY(writeVertstats(path, {"a", "b", "c"}, {{1, 2}, {3, 4}, {5, 6}}));
        StdoutCapture capture;
        auto item = loadFileItem(nullptr, path);
        const QStringList lines = capture.lines();
        QCOMPARE(item->childCount(), 3);

        // Each column still prints the directory and its bars.
        const QString dir = bars.path();
        const QStringList expected = {dir + "/A.png", dir + "/b.png", dir + "/d.png"};
        QStringList perColumn = QStringList{"USING TEXTUREDIR: " + dir} + expected;
        QCOMPARE(lines, perColumn + perColumn + perColumn);
        // One listing: the columns hold the very same list, not equal copies.
        const QStringList first = qobject_cast<textureColumn*>(item->child(0))->getColourBars();
        QCOMPARE(first, expected);
        for (int k = 1; k < 3; ++k)
            QVERIFY(qobject_cast<textureColumn*>(item->child(k))->getColourBars().isSharedWith(first));
        // Two files are two listings.
        auto other = loadFileItem(nullptr, path);
        QVERIFY(!qobject_cast<textureColumn*>(other->child(0))->getColourBars().isSharedWith(first));
    }

    void defaultTextureDirectory()
    {
        removeTextureDirSetting();
        const QString expectedDir = home.path() + "/.config/TARV/textures/";
        QVERIFY(QDir().mkpath(expectedDir));
        QVERIFY(writeColourBar(expectedDir + "grey.png", Qt::black, Qt::white));
        textureColumn column(columnSwitch, twoColumns(), nullptr, nullptr, ColourBarStore::list());
        QCOMPARE(column.getColourBars(), QStringList{expectedDir + "/grey.png"});
        QCOMPARE(textureDirSetting(), expectedDir);
        QVERIFY(QImage(column.getColourBars().at(0)).width() == 8);

        // A missing directory gives an empty list.
        setTextureDir(home.path() + "/nowhere");
        textureColumn none(columnSwitch, twoColumns(), nullptr, nullptr, ColourBarStore::list());
        QVERIFY(none.getColourBars().isEmpty());
    }

    void emptyColourBarList()
    {
        QTemporaryDir emptyDir;
        setTextureDir(emptyDir.path());
        auto column = makeColumn({1, 2});
        QVERIFY(column->getColourBars().isEmpty());
        QVERIFY(column->createForm());
        Ui_textureProps* props = column->getProps();
        QCOMPARE(props->textureCombo->count(), 0);
        QVERIFY(props->imageLabel->pixmap().isNull());
        QCOMPARE(QString(column->getTexture()->filename.getValue().getString()), QString());
        column->newTextureSelected(0);
        column->newTextureSelected(-1);
        column->newTextureSelected(4);
        QVERIFY(props->imageLabel->pixmap().isNull());
        QCOMPARE(QString(column->getTexture()->filename.getValue().getString()), QString());
    }

    void propertyBoxShowsTheColumn()
    {
        auto column = makeColumn({0.1f, 1e6f, 5});
        QCOMPARE(column->getProps(), nullptr);
        QWidget* form = column->createForm();
        QVERIFY(form);
        QCOMPARE(column->createForm(), form);  // shown: the same widget
        QCOMPARE(form->objectName(), QString("textureProps"));
        QCOMPARE(form->windowTitle(), QString("Form"));
        Ui_textureProps* props = column->getProps();
        QVERIFY(props);
        QCOMPARE(props->lowerLimit->text(), QString("0.1"));
        QCOMPARE(props->upperLimit->text(), QString("1e+06"));
        QCOMPARE(props->imageLabel->minimumSize(), QSize(30, 0));
        QCOMPARE(props->imageLabel->maximumSize(), QSize(30, 16777215));
        QCOMPARE(props->imageLabel->sizePolicy().horizontalPolicy(), QSizePolicy::Ignored);
        QCOMPARE(props->imageLabel->backgroundRole(), QPalette::Base);
        QVERIFY(props->imageLabel->hasScaledContents());
        // Wide enough for twelve characters of any number.
        const int twelve = props->upperLimit->fontMetrics().horizontalAdvance("-8.88888e+88");
        QVERIFY(props->upperLimit->minimumWidth() > twelve);
        QCOMPARE(props->lowerLimit->minimumWidth(), props->upperLimit->minimumWidth());
        QCOMPARE(props->lowerLimit->maximumHeight(), 38);
        QVERIFY(props->upperLimit->validator() == nullptr);

        // The directory's bars first, the colour maps after them.
        const QStringList barsList = column->getColourBars();
        QCOMPARE(props->textureCombo->count(),
                 barsList.size() + gyroscene::colour_map_names().size());
        for (int i = 0; i < barsList.size(); ++i)
            QCOMPARE(props->textureCombo->itemText(i), barsList[i]);
        QCOMPARE(props->textureCombo->currentIndex(), 0);
        QCOMPARE(QString(column->getTexture()->filename.getValue().getString()), barsList[0]);
        QCOMPARE(props->imageLabel->pixmap().size(), QSize(8, 64));

        // Choosing a bar changes texture and preview; a rebuild keeps it.
        props->textureCombo->setCurrentIndex(2);
        QCOMPARE(QString(column->getTexture()->filename.getValue().getString()), barsList[2]);
        const QImage preview = props->imageLabel->pixmap().toImage();
        QCOMPARE(preview.pixelColor(0, 63), QColor(Qt::yellow));
        column->destroyForm();
        QCOMPARE(column->getProps(), nullptr);
        QCOMPARE(QString(column->getTexture()->filename.getValue().getString()), barsList[2]);
        QVERIFY(column->createForm() != nullptr);
        QCOMPARE(QString(column->getTexture()->filename.getValue().getString()), barsList[2]);
        QCOMPARE(column->getProps()->textureCombo->currentIndex(), 2);
        QCOMPARE(column->getProps()->imageLabel->pixmap().toImage().pixelColor(0, 63),
                 QColor(Qt::yellow));
        column->destroyForm();
        column->destroyForm();  // a second time does nothing
    }

    void editingALimitRescales()
    {
        auto column = makeColumn({0, 5, 10});
        column->createForm();
        Ui_textureProps* props = column->getProps();

        props->lowerLimit->clear();
        QTest::keyClicks(props->lowerLimit, "2");
        QCOMPARE(column->getLowerLimit(), 0.0f);  // typing alone changes nothing
        QCOMPARE(t(*column, 0), 0.0f);
        QTest::keyClick(props->lowerLimit, Qt::Key_Return);
        QCOMPARE(column->getLowerLimit(), 2.0f);
        QCOMPARE(t(*column, 0), 0.01f);
        QCOMPARE(t(*column, 1), 0.375f);

        props->upperLimit->setText("abc");
        QTest::keyClick(props->upperLimit, Qt::Key_Return);
        QCOMPARE(column->getUpperLimit(), 0.0f);
        QCOMPARE(t(*column, 2), 0.01f);  // (10 - 2) / (0 - 2) < 0

        props->lowerLimit->setText("abc");
        QTest::keyClick(props->lowerLimit, Qt::Key_Return);
        QCOMPARE(column->getLowerLimit(), 0.0f);
        QVERIFY(allDefined(*column));  // 0 / 0 for the value 0

        // The rebuilt box shows the limits as they are now.
        column->destroyForm();
        column->createForm();
        QCOMPARE(column->getProps()->upperLimit->text(), QString("0"));
        // Without a box the slots have nothing to read.
        column->destroyForm();
        column->lowerValueChanged();
        column->upperValueChanged();
        QCOMPARE(column->getLowerLimit(), 0.0f);
    }

    void columnGroupHoldsTheTextureNodes()
    {
        auto column = makeColumn({1, 2});
        QCOMPARE(columnSwitch->getNumChildren(), 1);
        SoGroup* group = column->getGroup();
        QCOMPARE(static_cast<SoNode*>(columnSwitch->getChild(0)), static_cast<SoNode*>(group));
        QVERIFY(!group->isOfType(SoSeparator::getClassTypeId()));
        QCOMPARE(group->getNumChildren(), 4);
        QVERIFY(group->getChild(0)->isOfType(SoComplexity::getClassTypeId()));
        QCOMPARE(static_cast<SoComplexity*>(group->getChild(0))->textureQuality.getValue(), 1.0f);
        QVERIFY(group->getChild(1)->isOfType(SoTexture2::getClassTypeId()));
        auto* texture = static_cast<SoTexture2*>(group->getChild(1));
        QCOMPARE(texture->wrapS.getValue(), 0x2900);
        QCOMPARE(texture->wrapT.getValue(), 0x2900);
        QVERIFY(group->getChild(2) == column->getTextureCoordinates());
        QVERIFY(group->getChild(3)->isOfType(SoTextureCoordinateBinding::getClassTypeId()));
        QCOMPARE(static_cast<SoTextureCoordinateBinding*>(group->getChild(3))->value.getValue(), 3);
        QCOMPARE(column->getTextureCoordinates()->point[0][0], 0.5f);
        QVERIFY(column->havePropForm());
    }

    void fileItemFetchesColumnsByPosition()
    {
        const QString path = file("lh.thick.vertstats");
        QVERIFY(writeVertstats(path, {"a+b", "x[1]", "dup", "dup"},
                               {{1, 2, 3}, {10, 20, 30}, {-1, -2, -3}, {7, 8, 9}}));
        SoSeparator* target = new SoSeparator;
        target->ref();
        target->addChild(new SoGroup);  // stands for the surface nodes
        auto item = loadFileItem(target, path);

        QCOMPARE(item->data(0).toString(), QString("lh"));
        QCOMPARE(item->data(1).toString(), QString("Point: 7"));
        QCOMPARE(item->childCount(), 4);
        const QStringList names = {"a+b", "x[1]", "dup", "dup"};
        const float firsts[] = {1, 10, -1, 7};
        for (int k = 0; k < 4; ++k) {
            auto* column = qobject_cast<textureColumn*>(item->child(k));
            QVERIFY(column);
            QCOMPARE(column->data(0).toString(), names[k]);
            QCOMPARE(column->data(1).toString(), QString("Point: 7"));
            QCOMPARE(column->getValues().front(), firsts[k]);
            QVERIFY(item->getSwitch()->getChild(k) == column->getGroup());
        }
        QCOMPARE(static_cast<SoNode*>(target->getChild(0)), static_cast<SoNode*>(item->getSwitch()));
        QCOMPARE(item->getSwitch()->whichChild.getValue(), SO_SWITCH_NONE);

        // A second file's switch goes in front of the first.
        auto second = loadFileItem(target, path);
        QCOMPARE(static_cast<SoNode*>(target->getChild(0)), static_cast<SoNode*>(second->getSwitch()));
        QCOMPARE(static_cast<SoNode*>(target->getChild(1)), static_cast<SoNode*>(item->getSwitch()));

        // Selecting a column row shows its group.
        item->child(2)->wasSelected();
        QCOMPARE(item->getSwitch()->whichChild.getValue(), 2);
        item->child(0)->wasSelected();
        QCOMPARE(item->getSwitch()->whichChild.getValue(), 0);
        QCOMPARE(second->getSwitch()->whichChild.getValue(), SO_SWITCH_NONE);

        // A picked vertex reaches every column, not the file row.
        StdoutCapture capture;
        item->pickedPointReceived(1);
        item->pickedPointReceived(5);  // beyond the values
        const QStringList lines = capture.lines();
        QCOMPARE(lines.size(), 8);
        item->pickedPointReceived(1);
        QCOMPARE(item->child(0)->data(1).toString(), QString("2"));
        QCOMPARE(item->child(1)->data(1).toString(), QString("20"));
        QCOMPARE(item->child(3)->data(1).toString(), QString("8"));
        QCOMPARE(item->data(1).toString(), QString("Point: 7"));
        item->pickedPointReceived(5);
        QCOMPARE(item->child(0)->data(1).toString(), QString());

        item.reset();
        second.reset();
        target->unref();
    }

    void fileWithoutColumns()
    {
        const QString path = file("headless.vertstats");
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("<header>\n</header>");
        out.close();
        auto item = loadFileItem(nullptr, path);
        QCOMPARE(item->childCount(), 0);
        QCOMPARE(item->getSwitch()->getNumChildren(), 0);

        // An empty old-style file: one column without values.
        const QString empty = file("empty.txt");
        QFile blank(empty);
        QVERIFY(blank.open(QIODevice::WriteOnly));
        blank.close();
        auto emptyItem = loadFileItem(nullptr, empty);
        QCOMPARE(emptyItem->childCount(), 1);
        auto* column = qobject_cast<textureColumn*>(emptyItem->child(0));
        QCOMPARE(column->getLowerLimit(), 0.0f);
        QCOMPARE(column->getUpperLimit(), 0.0f);
        QCOMPARE(column->getTextureCoordinates()->point.getNum(), 0);
    }

    void absurdColumnCountsAreCapped()
    {
        // A name line of spaces is a valid file with a huge number of columns.
        const QString path = file("spaces.vertstats");
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("<header>\n</header>\n" + QByteArray(5000, ' ') + "\n");
        out.close();
        StdoutCapture quiet;
        StderrCapture capture;
        auto item = loadFileItem(nullptr, path);
        const QString err = capture.stop();
        quiet.stop();
        QCOMPARE(item->childCount(), textureFileItem::maxColumns);
        QCOMPARE(item->getSwitch()->getNumChildren(), textureFileItem::maxColumns);
        QVERIFY2(err.contains("5001 columns") && err.contains("first 1024"), qPrintable(err));
    }

    void unreadableFilesNeverReachTheReader()
    {
        const QString dir = files.path();
        const QString fifo = file("pipe.vertstats");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString regular = file("ok.vertstats");
        QVERIFY(writeVertstats(regular, {"a"}, {{1, 2}}));
        const QString locked = file("locked.vertstats");
        QVERIFY(writeVertstats(locked, {"a"}, {{1, 2}}));
        QFile(locked).setPermissions(QFileDevice::WriteOwner);

        QVERIFY(textureFileItem::canRead(regular));
        QVERIFY(!textureFileItem::canRead(file("missing.vertstats")));
        QVERIFY(!textureFileItem::canRead(dir));
        QVERIFY(!textureFileItem::canRead(fifo));  // would block the reader
        QVERIFY(!textureFileItem::canRead(QString()));
        QVERIFY(!textureFileItem::canRead("/dev/zero"));  // would never end
        if (::geteuid() != 0)
            QVERIFY(!textureFileItem::canRead(locked));

        for (const QString& bad : {file("missing.vertstats"), dir, fifo}) {
            StderrCapture capture;
            auto item = loadFileItem(nullptr, bad);
            const QString err = capture.stop();
            // The reason is kept for the panel, which prints it once.
            QCOMPARE(err, QString());
            QCOMPARE(item->loadError(), "ERROR: could not read file " + bad);
            QCOMPARE(item->childCount(), 0);
            QCOMPARE(item->getSwitch()->getNumChildren(), 0);
        }
    }

    void sceneAttachesStatisticsToItsSurface()
    {
        const QString surface = file("square.obj");
        QVERIFY(writeSquare(surface));
        GeometryScene scene(twoColumns(QString(), QString()), nullptr, nullptr);
        QFile surfaceFile(surface);
        QVERIFY(scene.loadGeometry(surfaceFile));
        SoSeparator* separator = scene.getSceneSeparator();
        const int nodes = separator->getNumChildren();
        QCOMPARE(gyroscene::surface_vertex_count(separator), 5);
        QCOMPARE(gyroscene::surface_vertex_count(nullptr), -1);

        // Three rows for five vertices: a warning naming both counts.
        const QString stats = file("short.vertstats");
        QVERIFY(writeVertstats(stats, {"a", "b"}, {{0, 5, 10}, {1, 1, 1}}));
        QFile statsFile(stats);
        StderrCapture capture;
        QVERIFY(scene.loadVertstats(statsFile, textureFileItem::canRead(stats)));
        const QString err = capture.stop();
        QVERIFY2(err.contains("3 rows") && err.contains("5 vertices"), qPrintable(err));
        QCOMPARE(scene.childCount(), 2);
        auto* item = dynamic_cast<textureFileItem*>(scene.child(1));
        QVERIFY(item);
        QCOMPARE(item->data(0).toString(), QString("short"));
        QCOMPARE(separator->getNumChildren(), nodes + 1);
        QVERIFY(separator->getChild(0) == item->getSwitch());
        // Only the column drawn holds texture coordinates, one per vertex.
        auto* column = qobject_cast<textureColumn*>(item->child(0));
        auto* other = qobject_cast<textureColumn*>(item->child(1));
        QCOMPARE(column->getTextureCoordinates()->point.getNum(), 0);
        item->showColumn(1);
        QCOMPARE(other->getTextureCoordinates()->point.getNum(), 5);
        item->showColumn(0);
        QCOMPARE(other->getTextureCoordinates()->point.getNum(), 0);
        QCOMPARE(column->getTextureCoordinates()->point.getNum(), 5);
        QCOMPARE(t(*column, 2), 1.0f);
        QCOMPARE(t(*column, 4), 0.01f);

        // The relay from the scene item to the columns.
        emit scene.localPointPicked(2);
        QCOMPARE(item->child(0)->data(1).toString(), QString("10"));
        QCOMPARE(item->child(1)->data(1).toString(), QString("1"));
        emit scene.localPointPicked(4);
        QCOMPARE(item->child(0)->data(1).toString(), QString());

        // Matching counts: no warning.
        const QString full = file("full.vertstats");
        QVERIFY(writeVertstats(full, {"a"}, {{0, 1, 2, 3, 4}}));
        QFile fullFile(full);
        StderrCapture quiet;
        QVERIFY(scene.loadVertstats(fullFile, textureFileItem::canRead(full)));
        QCOMPARE(quiet.stop(), QString());
        QCOMPARE(scene.childCount(), 3);

        // An unreadable file adds nothing to the tree or the scene.
        QFile missing(file("missing.vertstats"));
        StderrCapture refused;
        QVERIFY(!scene.loadVertstats(missing, textureFileItem::canRead(missing.fileName())));
        QCOMPARE(refused.stop(), QString());
        QCOMPARE(scene.childCount(), 3);
        QCOMPARE(separator->getNumChildren(), nodes + 2);
    }
};

QTEST_MAIN(TestTextureItems)
#include "tst_texture_items.moc"
