// The document behind the window: its own rules (which file colours a
// surface, what closing a file takes with it), then one wiring path each:
// the tree, a property box, the pick panel, the View menu and the legend
// follow a change made through the document; a changed scene asks before
// the window closes.
#include "BrainQuarter.h"
#include "GeometryScene.h"
#include "PickPanel.h"
#include "ResourceForm.h"
#include "TreeModel.h"
#include "SceneDocument.h"
#include "ViewMenu.h"
#include "MessageLog.h"
#include "app_test_util.h"
#include "dialog_test_util.h"
#include "scene_file.h"
#include "fresh_home.h"
#include "stats_test_util.h"
#include "textureColumn.h"
#include "window_test_base.h"

#include <QAbstractButton>
#include <QAction>
#include <QFont>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using gyroscene::Hemisphere;

class TestDocument : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;

    QString file(const QString& name) const { return files.filePath(name); }
    SceneDocument* doc() const { return window->document(); }

    void openSample()
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
        QVERIFY(open(file("lh.obj")));
        QVERIFY(open(file("lh.vertstats")));
        QVERIFY(open(file("points.tag")));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        QVERIFY(writeEllipsoid(file("lh.obj")));
        const std::vector<float> heights = ellipsoidHeights();
        QVERIFY(writeVertstats(file("lh.vertstats"), {"height", "same"}, {heights, heights}));
        QFile tags(file("points.tag"));
        QVERIFY(tags.open(QIODevice::WriteOnly));
        tags.write("MNI Tag Point File\nVolumes = 1;\n\nPoints =\n 0 0 50 \"top\";\n");
    }

    void cleanup() { window.reset(); }

    void storeEntriesLeaveWithTheirFiles()
    {
        SceneDocument d;
        const int surface = d.addSurface("/s.obj");
        const int a = d.addStatistics(surface, "/a.txt");
        const int b = d.addStatistics(surface, "/b.txt");
        // What a file holds leaves the store with it; whoever still holds a
        // share (a row being torn down) keeps it valid.
        const int parcels = d.addParcellation(surface, "/p.annot");
        auto columns = std::make_shared<gyroscene::StoredStatistics>();
        columns->names << "y";
        columns->columns.push_back(std::make_shared<const std::vector<float>>(3, 1.5f));
        d.store().putStatistics(a, columns);
        d.store().putStatistics(b, columns);
        d.store().putParcellation(parcels, std::make_shared<const parcellation>());
        const std::shared_ptr<const std::vector<float>> held = d.store().statistics(a)->column("y");
        QVERIFY(held && !d.store().statistics(a)->column("x"));
        d.remove(a);
        QVERIFY(!d.store().statistics(a) && d.store().statistics(b));
        QCOMPARE(held->at(2), 1.5f);
        d.remove(surface);
        QVERIFY(!d.store().statistics(b) && !d.store().parcellationOf(parcels));
    }

    void colouringPassesBetweenFilesAndLeavesWithThem()
    {
        SceneDocument d;
        const int surface = d.addSurface("/s.obj");
        const int a = d.addStatistics(surface, "/a.txt");
        const int b = d.addStatistics(surface, "/b.txt");
        QSignalSpy colouring(&d, &SceneDocument::colouringChanged);
        d.chooseColumn(a, "x");
        d.chooseColumn(b, "y");
        QCOMPARE(d.colouringFile(surface), b);
        QCOMPARE(colouring.count(), 2);
        // Hidden, b hands the colouring to a's last choice; shown, takes it back.
        d.setShown(b, false);
        QCOMPARE(d.colouringFile(surface), a);
        QCOMPARE(d.colouringColumn(surface), QString("x"));
        d.setShown(b, true);
        QCOMPARE(d.colouringFile(surface), b);
        // A hidden file only remembers a choice.
        d.setShown(a, false);
        d.chooseColumn(a, "z");
        QCOMPARE(d.colouringFile(surface), b);

        d.setUnderlay(surface, b, "y", 3);
        d.setPick(surface, 7);
        gyroscene::scene_state state = d.state();
        QCOMPARE(state.surfaces[0].coloured_file, 1);
        QCOMPARE(state.surfaces[0].underlay_file, 1);
        QCOMPARE(state.pick.vertex, 7);
        // Closing b takes its colouring and underlay with it.
        d.remove(b);
        QCOMPARE(d.colouringFile(surface), SceneDocument::none);
        QCOMPARE(d.underlayFile(surface), SceneDocument::none);
        d.remove(surface);
        QCOMPARE(d.pickedSurface(), SceneDocument::none);
        QVERIFY(d.state().surfaces.empty());
        QVERIFY(d.isModified());
    }

    void treeFollowsTheDocument()
    {
        openSample();
        const int tags = doc()->tagFiles().at(0);
        const QModelIndex row = indexOf(root()->child(1));
        QCOMPARE(model()->data(row, Qt::CheckStateRole).toInt(), int(Qt::Checked));
        doc()->setShown(tags, false);
        QCOMPARE(model()->data(row, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    }

    void propertyBoxFollowsTheDocument()
    {
        openSample();
        showWindow();
        auto* column = qobject_cast<textureColumn*>(root()->child(0)->child(1)->child(0));
        {
            StdoutCapture quiet;
            clickRow(indexOf(column));
        }
        QVERIFY(column->getProps());
        const int file = doc()->statisticsOf(doc()->surfaces().at(0)).at(0);
        doc()->setColumnLimits(file, "height", -5.0f, 12.5f);
        QCOMPARE(column->getProps()->upperLimit->text(), QString("12.5"));
        QCOMPARE(column->getProps()->lowerLimit->text(), QString("-5"));
        // And the box's edits reach the document.
        column->getProps()->upperLimit->setText("20");
        emit column->getProps()->upperLimit->editingFinished();
        QCOMPARE(doc()->column(file, "height").limits->second, 20.0f);
    }

    void pickPanelAndRowsFollowTheDocument()
    {
        openSample();
        showWindow();
        const int surface = doc()->surfaces().at(0);
        {
            StdoutCapture quiet;
            doc()->setPick(surface, 5);
        }
        QCOMPARE(window->getPickPanel()->shownVertex(), 5);
        QCOMPARE(root()->child(0)->data(1).toString(), QString("Point: 5"));
        QVERIFY(!root()->child(0)->child(1)->child(0)->data(1).toString().isEmpty());
    }

    void viewMenuFollowsTheDocument()
    {
        openSample();
        const int surface = doc()->surfaces().at(0);
        QCOMPARE(window->getViewMenu()->hemisphere(surface), Hemisphere::Left);
        doc()->setHemisphere(surface, Hemisphere::Right);
        QCOMPARE(window->getViewMenu()->hemisphere(surface), Hemisphere::Right);
        emit window->viewMenu()->aboutToShow();
        QVERIFY(window->getViewMenu()->hemisphereMenu()->actions().at(2)->isChecked());
    }

    void legendFollowsTheDocument()
    {
        openSample();
        doc()->setLegendShown(false);
        QVERIFY(!window->getLegendAction()->isChecked());
        QVERIFY(!window->getViewer()->legendEnabled());
        window->getLegendAction()->setChecked(true);
        QVERIFY(doc()->legendShown());
    }

    void changedSceneAsksBeforeClosing()
    {
        openSample();
        showWindow();
        // Never saved as a scene: closes without a question.
        QVERIFY(doc()->isModified());
        QVERIFY(window->maybeSaveScene());

        QVERIFY(window->saveScene(file("s.gyrolux")));
        QVERIFY(!window->windowTitle().contains('*') || !window->isWindowModified());
        doc()->setSurfaceOpacity(doc()->surfaces().at(0), 0.5f);
        QVERIFY(window->isWindowModified());
        whenDialog<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Cancel)->click(); });
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        whenDialog<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Save)->click(); });
        QVERIFY(window->close());
        gyroscene::scene_state saved;
        QString error;
        QVERIFY(gyroscene::read_scene_file(file("s.gyrolux"), &saved, &error));
        QCOMPARE(saved.surfaces.at(0).opacity, 0.5f);
    }

    void rendererCommandLineOpensTheSameFigure()
    {
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
        }
        StdoutCapture log;
        window->openCommandLine({QFile::encodeName(file("lh.obj")), "--stats",
                                 QFile::encodeName(file("lh.vertstats")), "--column", "1",
                                 "--limits", "-1", "2", "--threshold", "0.5", "--opacity", "0.75"});
        int loading = 0;
        for (const QString& line : log.lines())
            loading += line.startsWith("Loading ");
        // "Loading" for the file arguments only, not for option values.
        QCOMPARE(loading, 1);
        const int surface = doc()->surfaces().at(0);
        const int stats = doc()->colouringFile(surface);
        QVERIFY(stats != SceneDocument::none);
        QCOMPARE(doc()->colouringColumn(surface), QString("same"));
        const gyroscene::column_state look = doc()->column(stats, "same");
        QCOMPARE(*look.limits, std::make_pair(-1.0f, 2.0f));
        QCOMPARE(look.threshold, 0.5f);
        QCOMPARE(doc()->surface(surface)->opacity, 0.75f);
    }

    // One target: the surface clicked last gets the next statistics file,
    // its row is bold, and when it closes the newest surface left takes over.
    void targetSurfaceIsTheDocumentsAndShown()
    {
        openSample();
        QVERIFY(open(file("lh.obj")));
        ResourceForm* panel = window->getResources();
        const std::vector<int> surfaces = doc()->surfaces();
        QCOMPARE(doc()->currentSurface(), surfaces.at(1));
        const auto bold = [&](int surface) {
            return indexOf(panel->sceneItem(surfaces.at(surface))).data(Qt::FontRole).value<QFont>().bold();
        };
        QVERIFY(!bold(0) && bold(1));
        panel->setLastGeometry(panel->sceneItem(surfaces.at(0)));
        QCOMPARE(doc()->currentSurface(), surfaces.at(0));
        QVERIFY(bold(0) && !bold(1));
        QVERIFY(open(file("lh.vertstats")));
        QCOMPARE(doc()->statisticsOf(surfaces.at(0)).size(), std::size_t(2));
        panel->closeLayer(panel->sceneItem(surfaces.at(0)));
        QCOMPARE(doc()->currentSurface(), surfaces.at(1));
        QCOMPARE(panel->lastSurface(), surfaces.at(1));
    }

    void unreadableSceneKeepsWhatIsOpen()
    {
        openSample();
        QFile bad(file("bad.gyrolux"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("{\"format\": \"gyrolux-scene\", \"version\": 99}");
        bad.close();
        {
            StderrCapture quiet;
            QVERIFY(!open(file("bad.gyrolux")));
        }
        QCOMPARE(doc()->surfaces().size(), std::size_t(1));
        QVERIFY(window->getMessageLog()->count() > 0);
    }
};

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
