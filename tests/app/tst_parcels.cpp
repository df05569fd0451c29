// Parcellations in the window: opened onto a surface, refused when they do
// not fit it, drawn over the statistics in their regions' colours (filled,
// outlined, a region hidden), named in the pick panel and the status bar,
// and kept in the document.
#include "BrainQuarter.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "PickPanel.h"
#include "RegionStatisticsDialog.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "app_test_util.h"
#include "fresh_home.h"
#include "parcel_files.h"
#include "parcelFileItem.h"
#include "stats_test_util.h"
#include "window_test_base.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QTableWidget>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

bool isBlue(const QColor& c)
{
    return c.blue() > 120 && c.red() < 60 && c.green() < 60;
}

const parcel_colour capColour{0, 200, 0, 255};
const parcel_colour restColour{230, 200, 0, 255};

// A cap around the top of writeEllipsoid's surface, and the rest.
parcellation capAndRest(const std::vector<float>& heights)
{
    parcellation parcels;
    parcels.format = FREESURFER_ANNOTATION;
    parcels.regions = {{0, "cap", capColour}, {1, "rest", restColour}};
    for (float z : heights)
        parcels.vertex_regions.push_back(z > 30 ? 0 : 1);
    return parcels;
}

}  // namespace

class TestParcels : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    QTemporaryDir bars;
    const SbVec3f top{0, 0, 50};

    QString file(const QString& name) const { return files.filePath(name); }
    void makeWindow()
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
    }
    bool openQuietly(const QString& path)
    {
        StdoutCapture quiet;
        return open(path);
    }
    SceneDocument* doc() const { return window->document(); }
    GeometryScene* scene() const { return dynamic_cast<GeometryScene*>(root()->child(0)); }
    parcelFileItem* parcels() const
    {
        for (int i = 0; scene() && i < scene()->childCount(); ++i)
            if (auto* item = qobject_cast<parcelFileItem*>(scene()->child(i)))
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
    QColor colourAt(const SbVec3f& world) const { return averageAt(frame(), project(world), 2); }
    // The top as the bare surface draws it in `colour`, the parcellation hidden.
    QColor surfaceIn(const QColor& colour)
    {
        const int id = parcels()->documentId();
        const int surface = scene()->documentId();
        const std::optional<QColor> before = doc()->surface(surface)->colour;
        doc()->setShown(id, false);
        doc()->setSurfaceColour(surface, colour);
        const QColor seen = colourAt(top);
        doc()->setSurfaceColour(surface, before.value_or(QColor(255, 255, 255)));
        doc()->setShown(id, true);
        return seen;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid() && bars.isValid());
        gyroview::init();
        QVERIFY(writeColourBar(bars.filePath("0redblue.png"), Qt::red, Qt::blue));
        setTextureDir(bars.path());
        QVERIFY(writeEllipsoid(file("lh.obj")));
        QVERIFY(writeSquare(file("square.obj")));
        const std::vector<float> heights = ellipsoidHeights();
        QVERIFY(writeVertstats(file("up.vertstats"), {"height"}, {heights}));
        StdoutCapture quiet;
        QCOMPARE(output_freesurfer_annotation(file("lh.cap.annot").toLocal8Bit().constData(),
                                              capAndRest(heights)),
                 OK);
    }

    void cleanup() { window.reset(); }

    void filledOutlinedAndHiddenRegionsOverTheStatistics()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("lh.cap.annot")));
        showWindow();
        QVERIFY(parcels());
        QCOMPARE(parcels()->data(1).toString(), QString("2 regions"));
        const int id = parcels()->documentId();
        QVERIFY(id >= 0);

        // Filled, the top has the cap's colour as a surface of that colour shows it.
        const QColor green = surfaceIn(QColor(capColour.r, capColour.g, capColour.b));
        const QColor plain = surfaceIn(QColor(255, 255, 255));
        QVERIFY2(distance(colourAt(top), green) < 12,
                 qPrintable(colourAt(top).name() + " " + green.name()));

        // Outlines leave the inside of the cap in the surface's colour.
        doc()->setParcelOutline(id, true);
        QVERIFY2(distance(colourAt(top), plain) < 12, qPrintable(colourAt(top).name()));
        doc()->setParcelOutline(id, false);
        QVERIFY2(distance(colourAt(top), green) < 12, qPrintable(colourAt(top).name()));

        // Over a statistics column: filled covers it, a hidden region and
        // outlines show the column's colour.
        QVERIFY(openQuietly(file("up.vertstats")));
        const int statistics = doc()->statisticsOf(scene()->documentId()).back();
        doc()->chooseColumn(statistics, "height");
        QVERIFY2(distance(colourAt(top), green) < 12, qPrintable(colourAt(top).name()));
        doc()->setRegionShown(id, 0, false);
        QVERIFY2(isBlue(colourAt(top)), qPrintable(colourAt(top).name()));
        doc()->setRegionShown(id, 0, true);
        doc()->setParcelOutline(id, true);
        QVERIFY2(isBlue(colourAt(top)), qPrintable(colourAt(top).name()));
        doc()->setParcelOutline(id, false);
        doc()->setShown(id, false);
        QVERIFY2(isBlue(colourAt(top)), qPrintable(colourAt(top).name()));
        doc()->setShown(id, true);
        QVERIFY(frame().save(QString(ARTEFACT_DIR) + "/parcels_filled.png"));

        // The document holds it all, as a scene stores it.
        doc()->setParcelOpacity(id, 0.5f);
        doc()->setRegionShown(id, 1, false);
        const gyroscene::scene_state state = doc()->state();
        const gyroscene::surface_state& saved = state.surfaces.at(0);
        QCOMPARE(saved.parcellations.size(), std::size_t(1));
        QCOMPARE(saved.parcellations[0].path, file("lh.cap.annot"));
        QCOMPARE(saved.parcellations[0].opacity, 0.5f);
        QCOMPARE(saved.parcellations[0].hidden_regions, std::vector<int>{1});
    }

    void propertyBoxEditsTheDocument()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("lh.cap.annot")));
        showWindow();
        clickRow(indexOf(parcels()));
        QWidget* box = window->getResources()->getPropertyWidget();
        QVERIFY(box);
        auto* list = box->findChild<QListWidget*>("regionList");
        QVERIFY(list);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QString("0  cap"));
        QCOMPARE(list->item(0)->icon().pixmap(14).toImage().pixelColor(7, 7),
                 QColor(capColour.r, capColour.g, capColour.b));
        const int id = parcels()->documentId();
        list->item(0)->setCheckState(Qt::Unchecked);
        QCOMPARE(doc()->parcellation(id)->hidden_regions, std::vector<int>{0});
        box->findChild<QPushButton*>("showNoRegions")->click();
        QCOMPARE(doc()->parcellation(id)->hidden_regions, (std::vector<int>{0, 1}));
        QCOMPARE(list->item(1)->checkState(), Qt::Unchecked);
        box->findChild<QPushButton*>("showAllRegions")->click();
        QVERIFY(doc()->parcellation(id)->hidden_regions.empty());
        QCOMPARE(list->item(0)->checkState(), Qt::Checked);
        box->findChild<QCheckBox*>("parcelOutline")->setChecked(true);
        QVERIFY(doc()->parcellation(id)->outline);
        // The document's change comes back into the box.
        doc()->setParcelOutline(id, false);
        QVERIFY(!box->findChild<QCheckBox*>("parcelOutline")->isChecked());
    }

    void regionStatisticsDialogShowsAndSavesTheFigures()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("lh.cap.annot")));
        QVERIFY(openQuietly(file("up.vertstats")));
        showWindow();
        clickRow(indexOf(parcels()));
        QWidget* box = window->getResources()->getPropertyWidget();
        QVERIFY(box);
        box->findChild<QPushButton*>("regionStatistics")->click();
        auto* dialog = window->findChild<RegionStatisticsDialog*>();
        QVERIFY(dialog);
        QCOMPARE(dialog->columnBox()->count(), 1);
        QCOMPARE(dialog->columnBox()->itemText(0), QString("up: height"));
        // The cap holds the heights above 30, the rest the others.
        const std::vector<float> heights = ellipsoidHeights();
        int cap = 0;
        float lowest = 1e9f;
        for (float z : heights)
            if (z > 30) {
                ++cap;
                lowest = std::min(lowest, z);
            }
        QTableWidget* table = dialog->table();
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 0)->text(), QString("cap"));
        QCOMPARE(table->item(0, 1)->text(), QString::number(cap));
        QCOMPARE(table->item(0, 4)->text().toFloat(), lowest);
        QCOMPARE(table->item(0, 5)->text().toFloat(), 50.0f);
        QCOMPARE(table->item(1, 1)->text(), QString::number(int(heights.size()) - cap));

        QString error;
        QVERIFY2(dialog->saveCsv(file("regions.csv"), &error), qPrintable(error));
        QFile csv(file("regions.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = csv.readAll().split('\n');
        QCOMPARE(lines.value(0), QByteArray("column,key,region,vertices,mean,sd,min,max"));
        QVERIFY2(lines.value(1).startsWith("up: height,0,cap," + QByteArray::number(cap) + ","),
                 lines.value(1).constData());
        // Closing the statistics closes the dialog that reads them.
        QPointer<RegionStatisticsDialog> open(dialog);
        window->getResources()->closeLayer(scene()->child(1));
        QTRY_VERIFY(!open);
    }

    void aParcellationOfAnotherSurfaceIsRefused()
    {
        makeWindow();
        QVERIFY(openQuietly(file("square.obj")));
        FdCapture errors(2);
        QVERIFY(!open(file("lh.cap.annot")));
        const QString said = window->getResources()->lastLoadError();
        QVERIFY2(said.contains(file("lh.cap.annot")) &&
                     said.contains(QString::number(ellipsoidHeights().size())) && said.contains(" 5"),
                 qPrintable(said));
        QCOMPARE(scene()->childCount(), 1);
        QVERIFY(doc()->parcellationsOf(scene()->documentId()).empty());
    }

    void regionNamedInThePickPanelAndUnderTheMouse()
    {
        makeWindow();
        QVERIFY(openQuietly(file("lh.obj")));
        QVERIFY(openQuietly(file("lh.cap.annot")));
        showWindow();
        doc()->setPick(scene()->documentId(), 0);
        QTreeWidget* values = window->getPickPanel()->getValues();
        const QList<QTreeWidgetItem*> rows = values->findItems("lh.cap.annot", Qt::MatchExactly);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]->text(1), QString("cap"));
        QCOMPARE(rows[0]->icon(1).pixmap(12).toImage().pixelColor(6, 6),
                 QColor(capColour.r, capColour.g, capColour.b));

        BrainQuarter* viewer = window->getViewer();
        QVERIFY(viewer->hoverPicking());
        QTest::mouseMove(viewer, project(top));
        QTRY_COMPARE(window->statusBar()->currentMessage(), QString("cap"));
        QTest::mouseMove(viewer, QPoint(3, 3));
        QTRY_COMPARE(window->statusBar()->currentMessage(), QString());
        // Hidden, it is not looked for.
        doc()->setShown(parcels()->documentId(), false);
        QVERIFY(!viewer->hoverPicking());
    }
};

QTEST_MAIN(TestParcels)
#include "tst_parcels.moc"
