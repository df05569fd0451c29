// Drives the real main window under X: start-up, opening files, the tree
// and the scene it builds, picking on surfaces, the property box.
#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "KeysHelp.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "TreeModel.h"
#include "ViewerWidget.h"
#include "app_test_util.h"
#include "dialog_test_util.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <Inventor/SbViewVolume.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoEventCallback.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QColorDialog>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QAbstractItemView>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <functional>
#include <memory>

class TestMainWindow : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;

    // Builds a fresh window; its start-up lines are dropped.
    MainWindow* makeWindow()
    {
        window.reset();
        StdoutCapture quiet;
        window.reset(new MainWindow);
        return window.get();
    }
    QString file(const QString& name) const { return files.filePath(name); }
    QWidget* shownForm() const
    {
        QGroupBox* box = window->getResources()->getPropertiesBox();
        return box->findChild<QWidget*>("geometryProps");
    }

private slots:
    void initTestCase()
    {
        // Never the user's settings: a fresh home for this run.
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        // Qt's own dialogs, which the test can reach and answer.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }

    void cleanup() { window.reset(); }

    // A first window takes about two thirds of the screen; the size and
    // the docks the user leaves are there at the next start.
    void layoutFitsTheScreenAndIsKept()
    {
        QSettings(QSettings::IniFormat, QSettings::UserScope, "TARV", "gyrolux").remove("window");
        makeWindow();
        const QSize available = window->screen()->availableGeometry().size();
        QVERIFY2(window->width() >= available.width() * 2 / 3 - 1 &&
                     window->height() >= available.height() * 2 / 3 - 1,
                 qPrintable(QString("%1x%2").arg(window->width()).arg(window->height())));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // The resources keep most of the right-hand side's height.
        QVERIFY(window->getResourcesDock()->height() > window->getPickDock()->height());

        window->resize(900, 640);
        window->getPickDock()->close();
        QTRY_COMPARE(window->size(), QSize(900, 640));
        QVERIFY(window->close());
        makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->size(), QSize(900, 640));
        QVERIFY(!window->getPickDock()->isVisible());
        QVERIFY(window->getResourcesDock()->isVisible());
        QVERIFY(!window->getMessagesDock()->isVisible());
        QSettings(QSettings::IniFormat, QSettings::UserScope, "TARV", "gyrolux").remove("window");
    }

    // Help > Keys and Mouse lists what the view reacts to, the seek on S
    // among them; README's table lists the same.
    void keysAndMouseAreListedInHelpAndReadme()
    {
        makeWindow();
        QMenu* help = window->menuBar()->actions().last()->menu();
        QAction* keys = nullptr;
        for (QAction* action : help->actions())
            if (action->text() == "&Keys and Mouse")
                keys = action;
        QVERIFY(keys);
        keys->trigger();
        auto* box = window->findChild<QMessageBox*>("keysHelp");
        QVERIFY(box);
        QFile readme(SOURCE_DIR "/README.md");
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(readme.readAll());
        QStringList keyNames;
        for (const KeyHelpEntry& entry : keyHelpEntries()) {
            keyNames << entry.keys;
            QVERIFY2(box->text().contains(entry.keys.toHtmlEscaped()), qPrintable(entry.keys));
            const QString row = "| " + entry.keys + " | " + entry.action + " |";
            QVERIFY2(text.contains(row), qPrintable(row));
        }
        for (const char* key : {"S", "Esc", "Home, Ctrl+R", "Wheel", "Left click"})
            QVERIFY2(keyNames.contains(QString(key)), key);
        box->close();
    }

    void startUpLogAndEmptyTree()
    {
        window.reset();
        StdoutCapture capture;
        window.reset(new MainWindow);
        const QStringList lines = capture.lines();

        QVERIFY(lines.size() >= 2);
        QVERIFY(lines[0].startsWith("SETTINGS PATH: "));
        QVERIFY(lines[1].startsWith("SETTINGS PATH: "));
        QVERIFY(lines[0].endsWith("/TARV/gyrolux.conf"));
        QVERIFY(lines[1].endsWith("/TARV/gyrolux.ini"));
        QVERIFY2(lines[1].startsWith("SETTINGS PATH: " + home.path()), qPrintable(lines[1]));
        // Anything after them comes from installing the colour bars.
        const QStringList colourBarLines = {"TextureDir: ", "Basename: ", "FILENAME: ",
                                            "Created colourbar: "};
        for (int i = 2; i < lines.size(); ++i) {
            bool known = false;
            for (const QString& prefix : colourBarLines)
                known = known || lines[i].startsWith(prefix);
            QVERIFY2(known, qPrintable(lines[i]));
        }

        QCOMPARE(model()->rowCount(QModelIndex()), 0);
        QCOMPARE(model()->columnCount(QModelIndex()), 2);
        QCOMPARE(model()->headerData(0, Qt::Horizontal).toString(), QString("Title"));
        QCOMPARE(model()->headerData(1, Qt::Horizontal).toString(), QString("Description"));
        QVERIFY(!window->getResources()->hasGeometry());

        SoSeparator* sceneRoot = window->getViewer()->getRootSeparator();
        QCOMPARE(sceneRoot->getNumChildren(), 2);
        QVERIFY(sceneRoot->getChild(0)->isOfType(SoPerspectiveCamera::getClassTypeId()));
        QVERIFY(sceneRoot->getChild(1)->isOfType(SoEventCallback::getClassTypeId()));

        QVERIFY(window->centralWidget() == window->getViewer());
        auto* dock = window->findChild<QDockWidget*>();
        QVERIFY(dock);
        QCOMPARE(dock->windowTitle(), QString("Resources"));
        QVERIFY(dock->widget() == window->getResources());
        QCOMPARE(window->dockWidgetArea(dock), Qt::RightDockWidgetArea);
        QCOMPARE(window->getResources()->getPropertiesBox()->title(), QString("Properties"));

        // File first, opening first and quitting last; then View and Help.
        const QList<QAction*> menus = window->menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(menus[0]->text(), QString("&File"));
        QCOMPARE(menus[1]->text(), QString("&View"));
        QCOMPARE(menus[2]->text(), QString("&Help"));
        const QList<QAction*> actions = menus[0]->menu()->actions();
        QCOMPARE(actions.first()->text(), QString("&Open File"));
        QCOMPARE(actions.last()->text(), QString("&Quit"));
        QStringList texts;
        for (const QAction* action : actions)
            texts << action->text();
        QVERIFY2(texts.contains("&Close"), qPrintable(texts.join(", ")));
        QCOMPARE(window->getViewer()->minimumSizeHint(), QSize(640, 480));
    }

    void surfacesHangUnderTheRootInOrder()
    {
        QVERIFY(writeSquare(file("a.obj")));
        QVERIFY(writeSquare(file("b.pial.obj"), 4, 0));
        makeWindow();
        StdoutCapture capture;
        const bool first = open(file("a.obj"));
        auto* sceneA = window->getResources()->getLastGeometry();
        const bool second = open(file("b.pial.obj"));
        auto* sceneB = window->getResources()->getLastGeometry();
        const QStringList lines = capture.lines();
        QVERIFY(first && second);

        QCOMPARE(lines, QStringList({QString("ID: %1").arg(sceneA->getSurface()->getID()),
                                     "Grunkle",
                                     QString("ID: %1").arg(sceneB->getSurface()->getID()),
                                     "Grunkle"}));

        SoSeparator* sceneRoot = window->getViewer()->getRootSeparator();
        QCOMPARE(sceneRoot->getNumChildren(), 4);
        QVERIFY(sceneRoot->getChild(0)->isOfType(SoPerspectiveCamera::getClassTypeId()));
        QVERIFY(sceneRoot->getChild(1)->isOfType(SoEventCallback::getClassTypeId()));
        QVERIFY(sceneRoot->getChild(2) == sceneA->getSceneSeparator());
        QVERIFY(sceneRoot->getChild(3) == sceneB->getSceneSeparator());
        QCOMPARE(sceneA->getSceneSeparator()->getNumChildren(), 6);

        QCOMPARE(model()->rowCount(QModelIndex()), 2);
        const QModelIndex rowA = model()->index(0, 0), rowB = model()->index(1, 0);
        QCOMPARE(model()->data(rowA, Qt::DisplayRole).toString(), QString("Geometry Scene"));
        QCOMPARE(model()->data(rowB, Qt::DisplayRole).toString(), QString("Geometry Scene"));
        QVERIFY(!model()->data(model()->index(0, 1), Qt::DisplayRole).isValid());
        QCOMPARE(model()->rowCount(rowA), 1);
        QCOMPARE(model()->data(model()->index(0, 0, rowA), Qt::DisplayRole).toString(), QString("a"));
        QCOMPARE(model()->data(model()->index(0, 0, rowB), Qt::DisplayRole).toString(), QString("b"));
        QCOMPARE(model()->parent(model()->index(0, 0, rowB)), rowB);
        QVERIFY(window->getResources()->getLastGeometry() == model()->getItem(rowB));
        QVERIFY(window->getResources()->hasGeometry());
    }

    void dispatchBySuffix()
    {
        QVERIFY(writeSquare(file("brain.OBJ")));
        QVERIFY(writeSquare(file("surface.tar.obj")));
        QVERIFY(writeSquare(file("nosuffix")));
        QVERIFY(writeSquare(file("trailing.")));
        makeWindow();
        StdoutCapture capture;
        const bool upper = open(file("brain.OBJ"));
        const bool none = open(file("nosuffix"));
        const bool dot = open(file("trailing."));
        const bool stats = open(file("stats.vertstats"));  // no surface yet
        const int rowsBefore = model()->rowCount(QModelIndex());
        const bool tarObj = open(file("surface.tar.obj"));
        const QStringList lines = capture.lines();

        QVERIFY(!upper && !none && !dot && !stats);
        QCOMPARE(rowsBefore, 0);
        QVERIFY(tarObj);
        QCOMPARE(model()->rowCount(QModelIndex()), 1);
        QCOMPARE(model()->data(model()->index(0, 0, model()->index(0, 0)), Qt::DisplayRole)
                     .toString(),
                 QString("surface"));
        QCOMPARE(lines.size(), 2);  // only the surface's ID and refresh
        // Each refusal is told; the last one stays in the status bar.
        QCOMPARE(window->statusBar()->currentMessage(),
                 "Cannot attach statistics file " + file("stats.vertstats") +
                     ": open a surface first");
    }

    void commandLineArgumentsAreLoggedAndDispatched()
    {
        QVERIFY(writeSquare(file("brain.OBJ")));
        QVERIFY(writeSquare(file("surface.tar.obj")));
        QProcess gyrolux;
        gyrolux.setWorkingDirectory(files.path());
        gyrolux.start(GYROLUX_EXE, {"brain.OBJ", "surface.tar.obj", "nosuffix"});
        QVERIFY(gyrolux.waitForStarted());
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        while (!out.contains("Loading nosuffix\n") && timer.elapsed() < 30000) {
            gyrolux.waitForReadyRead(200);
            out += gyrolux.readAllStandardOutput();
        }
        gyrolux.kill();
        gyrolux.waitForFinished();
        QStringList lines = QString::fromLocal8Bit(out).split('\n', Qt::SkipEmptyParts);
        const int first = int(lines.indexOf("Loading brain.OBJ"));
        QVERIFY2(first >= 2, qPrintable(lines.join('\n')));
        lines = lines.mid(first);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[1], QString("Loading surface.tar.obj"));
        QVERIFY(lines[2].startsWith("ID: "));
        QCOMPARE(lines[3], QString("Grunkle"));
        QCOMPARE(lines[4], QString("Loading nosuffix"));
    }

    void unreadableSurfaceIsReportedAndKeepsItsRows()
    {
        makeWindow();
        QFile::remove(file("missing.obj"));
        StdoutCapture out;
        StderrCapture err;
        const bool loaded = open(file("missing.obj"));
        const QString errors = err.stop();
        const QStringList lines = out.lines();

        QVERIFY(!loaded);
        const QStringList errorLines = errors.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(errorLines.size() >= 2, qPrintable(errors));
        // The reader's own lines come first; ours is the last, names the file
        // and gives the reader's reason.
        const QStringList readerLines = errorLines.mid(0, errorLines.size() - 1);
        QVERIFY2(readerLines.join(' ').contains("could not open file"), qPrintable(errors));
        QCOMPARE(errorLines.last(), "Cannot load surface file " + file("missing.obj") + ": " +
                                        readerLines.join("; "));
        QCOMPARE(window->statusBar()->currentMessage(), errorLines.last());
        QCOMPARE(lines, QStringList({"Grunkle"}));

        // Rows, an empty separator and the pick connection all stay.
        QCOMPARE(model()->rowCount(QModelIndex()), 1);
        const QModelIndex scene = model()->index(0, 0);
        QCOMPARE(model()->data(model()->index(0, 0, scene), Qt::DisplayRole).toString(),
                 QString("missing"));
        SoSeparator* sceneRoot = window->getViewer()->getRootSeparator();
        QCOMPARE(sceneRoot->getNumChildren(), 3);
        QCOMPARE(static_cast<SoSeparator*>(sceneRoot->getChild(2))->getNumChildren(), 0);
        // The failed surface is marked and takes no statistics files.
        QVERIFY(model()->index(0, 1).data().toString().startsWith("Failed: "));
        QVERIFY(window->getResources()->getLastGeometry() == nullptr);
        QVERIFY(!window->getResources()->hasGeometry());

        // A later good file loads and clears the failure.
        QVERIFY(writeSquare(file("good.obj")));
        StdoutCapture quiet;
        QVERIFY(open(file("good.obj")));
        quiet.stop();
        QCOMPARE(window->getResources()->lastLoadError(), QString());
    }

    void leftClickPicksTheVertexOfTheHitSurface()
    {
        QVERIFY(writeSquare(file("left.obj")));
        QVERIFY(writeSquare(file("right.obj"), 4, 0));
        makeWindow();
        {
            StdoutCapture quiet;
            open(file("left.obj"));
            open(file("right.obj"));
        }
        showWindow();
        auto* left = static_cast<GeometryScene*>(root()->child(0));
        auto* right = static_cast<GeometryScene*>(root()->child(1));
        QSignalSpy leftSpy(left, &TreeItem::localPointPicked);
        QSignalSpy rightSpy(right, &TreeItem::localPointPicked);
        BrainQuarter* viewer = window->getViewer();

        StdoutCapture capture;
        QTest::mouseClick(viewer, Qt::LeftButton, {}, project(SbVec3f(0, 0, 0)));
        QStringList lines = capture.lines();
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[0], QString("Woooohooo!"));
        QCOMPARE(lines[1], QString("On geometry ..."));
        QVERIFY(lines[2].startsWith("Found: "));
        QVERIFY(lines[3].startsWith("Texture: "));
        QCOMPARE(lines[4], QString("Index: 4"));
        QCOMPARE(lines[5], QString("ID: %1").arg(left->getSurface()->getID()));
        QCOMPARE(lines[6], QString("Grunkle"));
        QCOMPARE(lines[7], QString("Woooohooo!"));
        QCOMPARE(left->data(1).toString(), QString("Point: 4"));
        QVERIFY(right->data(1).isValid());
        QCOMPARE(right->data(1).toString(), QString());
        QCOMPARE(leftSpy.count(), 1);
        QCOMPARE(leftSpy.at(0).at(0).toInt(), 4);
        QCOMPARE(rightSpy.count(), 0);
        QCOMPARE(model()->data(model()->index(0, 1), Qt::DisplayRole).toString(),
                 QString("Point: 4"));

        // The other surface: the rows swap.
        StdoutCapture second;
        QTest::mouseClick(viewer, Qt::LeftButton, {}, project(SbVec3f(4, 0, 0)));
        lines = second.lines();
        QCOMPARE(lines.value(4), QString("Index: 4"));
        QCOMPARE(lines.value(5), QString("ID: %1").arg(right->getSurface()->getID()));
        QCOMPARE(right->data(1).toString(), QString("Point: 4"));
        QCOMPARE(left->data(1).toString(), QString());

        // Near a corner of the left square, inside triangle 3 0 4.
        StdoutCapture corner;
        QTest::mouseClick(viewer, Qt::LeftButton, {}, project(SbVec3f(-0.9f, -0.5f, 0)));
        lines = corner.lines();
        QCOMPARE(lines.value(4), QString("Index: 3"));
        QCOMPARE(left->data(1).toString(), QString("Point: 3"));
    }

    void missesAndOtherButtonsOnlyLogTheEvent()
    {
        QVERIFY(writeSquare(file("only.obj")));
        makeWindow();
        {
            StdoutCapture quiet;
            open(file("only.obj"));
        }
        showWindow();
        BrainQuarter* viewer = window->getViewer();
        auto* scene = static_cast<GeometryScene*>(root()->child(0));
        {
            StdoutCapture quiet;
            QTest::mouseClick(viewer, Qt::LeftButton, {}, project(SbVec3f(0, 0, 0)));
        }
        QCOMPARE(scene->data(1).toString(), QString("Point: 4"));

        StdoutCapture capture;
        QTest::mouseClick(viewer, Qt::LeftButton, {}, QPoint(3, 3));  // background
        QTest::mouseClick(viewer, Qt::RightButton, {}, project(SbVec3f(0, 0, 0)));
        QTest::mouseClick(viewer, Qt::MiddleButton, {}, project(SbVec3f(0, 0, 0)));
        const QStringList lines = capture.lines();
        QCOMPARE(lines, QStringList(6, "Woooohooo!"));
        QCOMPARE(scene->data(1).toString(), QString("Point: 4"));
    }

    void leftDragRotatesTheCamera()
    {
        QVERIFY(writeSquare(file("turn.obj")));
        makeWindow();
        {
            StdoutCapture quiet;
            open(file("turn.obj"));
        }
        showWindow();
        BrainQuarter* viewer = window->getViewer();
        const SbRotation before = viewer->getCamera()->orientation.getValue();
        const QPoint start = project(SbVec3f(0, 0, 0));
        StdoutCapture quiet;
        QTest::mousePress(viewer, Qt::LeftButton, {}, start);
        for (int step = 1; step <= 10; ++step) {
            QTest::mouseMove(viewer, start + QPoint(step * 15, step * 5));
            QTest::qWait(20);
        }
        QTest::mouseRelease(viewer, Qt::LeftButton, {}, start + QPoint(150, 50));
        waitForFrame();
        quiet.stop();
        const SbRotation after = viewer->getCamera()->orientation.getValue();
        QVERIFY(!after.equals(before, 1e-3f));
    }

    void propertyFormSwapsAndIsRebuiltOnEveryClick()
    {
        QVERIFY(writeSquare(file("first.obj")));
        QVERIFY(writeSquare(file("second.obj"), 4, 0));
        makeWindow();
        {
            StdoutCapture quiet;
            open(file("first.obj"));
            open(file("second.obj"));
        }
        showWindow();
        ResourceForm* panel = window->getResources();
        const QModelIndex firstScene = model()->index(0, 0);
        const QModelIndex firstSurface = model()->index(0, 0, firstScene);
        const QModelIndex secondSurface = model()->index(0, 1, model()->index(1, 0));
        auto* firstNode = static_cast<GeometryNode*>(model()->getItem(firstSurface));

        // The surface row shows its box; its scene stays the target.
        StdoutCapture quiet;
        clickRow(firstSurface);
        QPointer<QWidget> form = shownForm();
        QVERIFY(form);
        QVERIFY(panel->getLastGeometry() == model()->getItem(model()->index(1, 0)));
        auto* spin = form->findChild<QDoubleSpinBox*>("transparencySpinBox");
        QVERIFY(spin);
        QCOMPARE(spin->minimum(), 0.0);
        QCOMPARE(spin->maximum(), 1.0);
        QCOMPARE(spin->singleStep(), 0.05);
        QCOMPARE(spin->decimals(), 2);
        QCOMPARE(spin->value(), 0.0);
        QCOMPARE(form->findChild<QPushButton*>("colourButton")->text(), QString("set colour"));
        spin->setValue(0.5);
        QCOMPARE(firstNode->getMaterial()->transparency[0], 0.5f);

        // The same row again: a fresh box showing the current value.
        clickRow(firstSurface);
        QVERIFY(form.isNull());
        form = shownForm();
        QVERIFY(form);
        QCOMPARE(form->findChild<QDoubleSpinBox*>("transparencySpinBox")->value(), 0.5);
        QCOMPARE(panel->getPropertiesBox()->findChildren<QDoubleSpinBox*>().size(), 1);

        // Another surface's row (clicked on its description) replaces it.
        clickRow(secondSurface);
        QVERIFY(form.isNull());
        form = shownForm();
        QVERIFY(form);
        QCOMPARE(form->findChild<QDoubleSpinBox*>("transparencySpinBox")->value(), 0.0);

        // A scene row has no box: the box empties, the scene becomes the target.
        clickRow(firstScene);
        QVERIFY(form.isNull());
        QVERIFY(shownForm() == nullptr);
        QVERIFY(panel->getLastGeometry() == model()->getItem(firstScene));
        const QStringList lines = quiet.lines();
        QVERIFY(!lines.contains("Grunkle"));
        QCOMPARE(lines, QStringList({"Eeeek 0", "Eeeek 0", "Eeeek 1"}));
    }

    void transparencyAndColourReachTheMaterialAndThePicture()
    {
        QVERIFY(writeSquare(file("paint.obj")));
        makeWindow();
        {
            StdoutCapture quiet;
            open(file("paint.obj"));
        }
        showWindow();
        BrainQuarter* viewer = window->getViewer();
        auto* node = static_cast<GeometryNode*>(root()->child(0)->child(0));
        const QPoint centre = project(SbVec3f(0, 0, 0)) * viewer->devicePixelRatioF();
        const QPoint corner(4, 4);
        const QImage plain = viewer->grabFramebuffer();
        const QColor background = averageAt(plain, corner, 2);
        const QColor grey = averageAt(plain, centre);
        QVERIFY2(distance(grey, background) > 60, "the surface is not drawn");

        StdoutCapture quiet;
        clickRow(model()->index(0, 0, model()->index(0, 0)));
        QWidget* form = shownForm();
        QVERIFY(form);
        auto* button = form->findChild<QPushButton*>("colourButton");

        // Cancelling the dialog changes nothing.
        whenDialog<QColorDialog>([](QColorDialog* dialog) { dialog->reject(); });
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(button->text(), QString("set colour"));
        const SbColor defaultDiffuse = node->getMaterial()->diffuseColor[0];

        // The dialog starts from the surface's own colour.
        bool sawDefault = false;
        whenDialog<QColorDialog>([&sawDefault, defaultDiffuse](QColorDialog* dialog) {
            sawDefault = dialog->currentColor() ==
                         QColor::fromRgbF(defaultDiffuse[0], defaultDiffuse[1], defaultDiffuse[2]);
            dialog->setCurrentColor(QColor(255, 128, 0));
            dialog->accept();
        });
        QTest::mouseClick(button, Qt::LeftButton);
        quiet.stop();
        QVERIFY(sawDefault);
        QVERIFY(node->getMaterial()->diffuseColor[0] != defaultDiffuse);
        QCOMPARE(button->text(), QString("#ff8000"));
        QCOMPARE(button->palette().color(QPalette::Button), QColor(255, 128, 0));
        QVERIFY(button->autoFillBackground());
        const SbColor diffuse = node->getMaterial()->diffuseColor[0];
        QCOMPARE(diffuse[0], 1.0f);
        QVERIFY(std::abs(diffuse[1] - 128.0f / 255.0f) < 1e-6f);
        QCOMPARE(diffuse[2], 0.0f);

        const QColor orange = averageAt(viewer->grabFramebuffer(), centre);
        QVERIFY2(orange.red() > orange.blue() + 60 && orange.red() > orange.green(),
                 qPrintable(orange.name()));

        // Nearly clear: the picture moves toward the background.
        form->findChild<QDoubleSpinBox*>("transparencySpinBox")->setValue(0.9);
        QCOMPARE(node->getMaterial()->transparency[0], 0.9f);
        const QColor faded = averageAt(viewer->grabFramebuffer(), centre);
        QVERIFY2(distance(faded, background) < distance(orange, background) - 40,
                 qPrintable(faded.name() + " " + orange.name() + " " + background.name()));

        // The rebuilt box keeps the transparency and the button colour.
        StdoutCapture again;
        clickRow(model()->index(0, 0, model()->index(0, 0)));
        again.stop();
        form = shownForm();
        QCOMPARE(form->findChild<QDoubleSpinBox*>("transparencySpinBox")->value(), 0.9);
        QCOMPARE(form->findChild<QPushButton*>("colourButton")->text(), QString("#ff8000"));
    }

    void openDialogFiltersAndLoadsTheChosenFile()
    {
        QVERIFY(writeSquare(file("chosen.obj")));
        makeWindow();
        QVERIFY(writeSquare(file("lh.white")));
        QStringList filters, shown;
        QString selected;
        whenDialog<QFileDialog>([&](QFileDialog* dialog) {
            filters = dialog->nameFilters();
            selected = dialog->selectedNameFilter();
            dialog->setDirectory(files.path());
            // FreeSurfer's names have no suffix, yet are listed at once.
            auto* list = dialog->findChild<QAbstractItemView*>("listView");
            if (list)
                (void)QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) >= 2; }, 5000);
            for (int row = 0; list && row < list->model()->rowCount(list->rootIndex()); ++row)
                shown << list->model()->index(row, 0, list->rootIndex()).data().toString();
            dialog->reject();
        });
        window->openFileFromDialog();
        // the first entry as it always was, then other programs' files and all files
        QCOMPARE(filters,
                 QStringList({"Files (*.obj *.txt *.vertstats *.tag)",
                              "GIFTI, MGH and FreeSurfer files (*.gii *.gii.gz *.mgh *.mgz lh.* rh.*)",
                              "gyrolux scenes (*.gyrolux)", "All files (*)"}));
        QCOMPARE(selected, QString("All files (*)"));
        QVERIFY2(shown.contains("lh.white") && shown.contains("chosen.obj"), qPrintable(shown.join(", ")));
        QCOMPARE(model()->rowCount(QModelIndex()), 0);  // cancelled: nothing

        QString caption;
        whenDialog<QFileDialog>([&](QFileDialog* dialog) {
            caption = dialog->windowTitle();
            // Typed into the name field, as a user would.
            dialog->setDirectory(files.path());
            if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
                name->setText("chosen.obj");
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides it
        });
        StdoutCapture quiet;
        window->openFileFromDialog();
        quiet.stop();
        QCOMPARE(caption, QString("Open File"));
        QCOMPARE(model()->rowCount(QModelIndex()), 1);
        QCOMPARE(model()->data(model()->index(0, 0, model()->index(0, 0)), Qt::DisplayRole)
                     .toString(),
                 QString("chosen"));
    }

    void expandingARowWidensTheTitleColumn()
    {
        QVERIFY(writeEllipsoid(file("a_rather_long_surface_name.obj")));
        makeWindow();
        {
            StdoutCapture quiet;
            QVERIFY(open(file("a_rather_long_surface_name.obj")));
        }
        showWindow();
        QTreeView* tree = window->getResources()->getTreeView();
        const QModelIndex scene = model()->index(0, 0);
        const QModelIndex surface = model()->index(0, 0, scene);
        const int needed = tree->indentation() +
                           tree->fontMetrics().horizontalAdvance(surface.data().toString());
        QVERIFY(tree->columnWidth(0) < needed);
        tree->expand(scene);
        QVERIFY2(tree->columnWidth(0) >= needed,
                 qPrintable(QString("%1 < %2").arg(tree->columnWidth(0)).arg(needed)));
    }

    void screenshotWithASurface()
    {
        QVERIFY(writeEllipsoid(file("lh.obj")));
        makeWindow();
        {
            StdoutCapture quiet;
            QVERIFY(open(file("lh.obj")));
        }
        showWindow();
        // Picked at the middle, with the surface's box shown.
        StdoutCapture quiet;
        BrainQuarter* viewer = window->getViewer();
        QTest::mouseClick(viewer, Qt::LeftButton, {}, QPoint(viewer->width() / 2, viewer->height() / 2));
        clickRow(model()->index(0, 0, model()->index(0, 0)));
        quiet.stop();
        QVERIFY(root()->child(0)->data(1).toString().startsWith("Point: "));
        QVERIFY(shownForm());
        waitForFrame();
        const QImage shot = window->grab().toImage();
        const QString path = QString(ARTEFACT_DIR) + "/mainwindow_surface.png";
        QVERIFY(shot.save(path));
        qInfo("screenshot: %s", qPrintable(path));
        // The view is opaque: its black background, not the window's grey,
        // is what the window shows around the surface.
        const QPoint corner = viewer->mapTo(window.get(), QPoint(4, 4));
        QVERIFY2(QColor(shot.pixel(corner)).lightness() < 20,
                 qPrintable(QColor(shot.pixel(corner)).name()));
        // The middle of the view is the surface, not the background.
        const QImage frame = viewer->grabFramebuffer();
        const QPoint middle(frame.width() / 2, frame.height() / 2);
        QVERIFY(distance(averageAt(frame, middle), averageAt(frame, QPoint(4, 4), 2)) > 60);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
