// What the user is told when opening files goes wrong, in the real window:
// every problem reaches the message log and the status bar's count while
// standard output and standard error stay as they were; a failed surface is
// marked and never takes statistics; colour bars survive an unwritable
// texture directory.
#include "GeometryNode.h"
#include "SceneDocument.h"
#include "GeometryScene.h"
#include "ViewerWidget.h"
#include "stats_test_util.h"
#include "textureColumn.h"
#include "textureFileItem.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <QDockWidget>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

bool writeText(const QString& path, const QByteArray& text)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size();
}

// The rows of the message log as the user sees them: file, then message.
QList<QStringList> logRows(QWidget* window)
{
    QList<QStringList> rows;
    auto* list = window->findChild<QTreeWidget*>("messageList");
    if (!list)
        return rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows.append({list->topLevelItem(i)->text(0), list->topLevelItem(i)->text(1)});
    return rows;
}

QString problemsText(QWidget* window)
{
    auto* button = window->findChild<QPushButton*>("problemsButton");
    return button && button->isVisibleTo(window) ? button->text() : QString();
}

bool logShown(QWidget* window)
{
    auto* dock = window->findChild<QDockWidget*>("messagesDock");
    return dock && dock->isVisible() && !dock->visibleRegion().isEmpty();
}

}  // namespace

class TestLoadProblems : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;

    QString file(const QString& name) const { return files.filePath(name); }
    void makeWindow()
    {
        window.reset();
        StdoutCapture quiet;
        window.reset(new MainWindow);
    }
    void screenshot(const QString& name)
    {
        waitForFrame();
        const QString path = QString(ARTEFACT_DIR) + "/" + name;
        QVERIFY(window->grab().toImage().save(path));
        qInfo("screenshot: %s", qPrintable(path));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
    }

    void cleanup() { window.reset(); }

    // Unknown suffixes, a capitalised one included, and statistics without
    // a surface: each says what happened and what would work.
    void filesThatAreNotOpenedSayWhy()
    {
        QVERIFY(writeSquare(file("brain.OBJ")));
        QVERIFY(writeText(file("mesh.ply"), "ply\n"));
        QVERIFY(writeVertstats(file("early.vertstats"), {"a"}, {{1, 2, 3, 4, 5}}));
        makeWindow();
        showWindow();
        QVERIFY(!logShown(window.get()));

        StdoutCapture out;
        StderrCapture err;
        bool any = false;
        for (const char* name : {"brain.OBJ", "mesh.ply", "early.vertstats"})
            any = open(file(name)) || any;
        const QStringList errors = err.lines();
        const QStringList lines = out.lines();
        QVERIFY(!any);

        const QString unknown = ": gyrolux opens .obj, .vertstats, .txt, .csv and .tag files, "
                                "FreeSurfer surfaces, curv, .annot and .label files, .mgh, .mgz "
                                "and .gii files, and .gyrolux scenes";
        const QStringList expected = {
            "Cannot open " + file("brain.OBJ") + unknown +
                " (in lower case: rename it to end in .obj)",
            "Cannot open " + file("mesh.ply") + unknown,
            "Cannot attach statistics file " + file("early.vertstats") + ": open a surface first"};
        // Standard output gains nothing; the same lines the user reads go to
        // standard error, like every other load failure.
        QCOMPARE(lines, QStringList());
        QCOMPARE(errors, expected);
        QCOMPARE(logRows(window.get()),
                 (QList<QStringList>{{"brain.OBJ", expected[0]},
                                     {"mesh.ply", expected[1]},
                                     {"early.vertstats", expected[2]}}));
        QCOMPARE(window->statusBar()->currentMessage(), expected[2]);
        QCOMPARE(problemsText(window.get()), QString("3 problems"));
        QTRY_VERIFY(logShown(window.get()));
        QCOMPARE(model()->rowCount(QModelIndex()), 0);

        // The choice of reader still goes by the exact suffix.
        QVERIFY(writeSquare(file("brain.obj")));
        StdoutCapture quiet;
        const bool surface = open(file("brain.obj"));
        const bool statistics = open(file("early.vertstats"));
        quiet.stop();
        QVERIFY(surface && statistics);
        QCOMPARE(logRows(window.get()).size(), 3);
    }

    // A landmark or statistics file that could not be read leaves no row:
    // its message stays in the log.
    void unreadFilesLeaveNoRows()
    {
        QVERIFY(writeSquare(file("square.obj")));
        QVERIFY(writeText(file("bad.tag"), "MNI Tag Point File\nVolumes = 7;\n"));
        QVERIFY(writeText(file("alpha.vertstats"), "<header>\n</header>\nx y\nalpha 3\n1 2\n"));
        makeWindow();
        StdoutCapture quiet;
        StderrCapture errors;
        const bool surface = open(file("square.obj"));
        const bool tags = open(file("bad.tag"));
        const bool statistics = open(file("alpha.vertstats"));
        errors.stop();
        quiet.stop();
        QVERIFY(surface && !tags && !statistics);
        QCOMPARE(model()->rowCount(QModelIndex()), 1);
        QCOMPARE(root()->child(0)->childCount(), 1);
        QCOMPARE(window->getResources()->document()->tagFiles().size(), std::size_t(0));
        const QList<QStringList> rows = logRows(window.get());
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0][0], QString("bad.tag"));
        QCOMPARE(rows[1], QStringList({"alpha.vertstats", file("alpha.vertstats") +
                                       ": line 4: \"alpha\" is not a number; reading stops there"}));
        QCOMPARE(rows[2], QStringList({"alpha.vertstats", "ERROR: could not read file " +
                                       file("alpha.vertstats") + ": no rows of values"}));
    }

    // A start with three bad files shows all three, not only the last.
    void threeBadFilesOnTheCommandLineAreAllShown()
    {
        QVERIFY(writeText(file("broken.obj"), "Z no surface here\n"));
        QVERIFY(writeText(file("broken.tag"), "MNI Tag Point File\nVolumes = 7;\n"));
        QVERIFY(writeText(file("scan.ply"), "ply\n"));
        makeWindow();
        StdoutCapture out;
        StderrCapture err;
        window->openCommandLine({QFile::encodeName(file("broken.obj")),
                                 QFile::encodeName(file("broken.tag")),
                                 QFile::encodeName(file("scan.ply"))});
        const QStringList errors = err.lines();
        const QStringList lines = out.lines();
        QCOMPARE(lines.filter("Loading ").size(), 3);

        const QList<QStringList> rows = logRows(window.get());
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0][0], QString("broken.obj"));
        QVERIFY2(rows[0][1].startsWith("Cannot load surface file " + file("broken.obj") + ": "),
                 qPrintable(rows[0][1]));
        QCOMPARE(rows[1][0], QString("broken.tag"));
        QVERIFY2(rows[1][1].contains(file("broken.tag")), qPrintable(rows[1][1]));
        QCOMPARE(rows[2][0], QString("scan.ply"));
        // Each message is also the last line standard error got for its file.
        for (const QStringList& row : rows)
            QVERIFY2(errors.contains(row[1]), qPrintable(row[1]));
        QCOMPARE(problemsText(window.get()), QString("3 problems"));

        showWindow();
        QTRY_VERIFY(logShown(window.get()));
        screenshot("loadproblems_three_bad_files.png");

        // The count opens the log again after the user closed it.
        auto* dock = window->findChild<QDockWidget*>("messagesDock");
        dock->close();
        QTRY_VERIFY(!logShown(window.get()));
        QTest::mouseClick(window->findChild<QPushButton*>("problemsButton"), Qt::LeftButton);
        QTRY_VERIFY(logShown(window.get()));
    }

    // What the statistics reader finds odd in a file it still reads: a
    // names line without a header block, a row count that is not the
    // surface's, more columns than are shown.
    void statisticsWarningsReachTheLog()
    {
        QVERIFY(writeSquare(file("square.obj")));
        QVERIFY(writeText(file("names.txt"), "thickness area\n1 2\n3 4\n"));
        QByteArray wide = "<header>\n</header>\n";
        for (int i = 0; i < 1030; ++i)
            wide += (i ? " c" : "c") + QByteArray::number(i);
        wide += "\n";
        for (int r = 0; r < 5; ++r) {
            for (int i = 0; i < 1030; ++i)
                wide += (i ? " " : "") + QByteArray::number(r);
            wide += "\n";
        }
        QVERIFY(writeText(file("wide.vertstats"), wide));
        makeWindow();
        StdoutCapture out;
        StderrCapture err;
        const bool surface = open(file("square.obj"));
        err.stop();
        StderrCapture warnings;
        const bool names = open(file("names.txt"));
        const bool wideLoaded = open(file("wide.vertstats"));
        const QStringList errors = warnings.lines();
        out.stop();
        // A names line with nothing after it that reads: no rows, no file.
        QVERIFY(surface && !names && wideLoaded);

        const QStringList expected = {
            file("names.txt") + ": line 1: \"thickness\" is not a number; reading stops there",
            "ERROR: could not read file " + file("names.txt") + ": no rows of values",
            "Warning: wide has 1030 columns; only the first 1024 are shown"};
        QCOMPARE(errors, expected);
        QCOMPARE(logRows(window.get()),
                 (QList<QStringList>{{"names.txt", expected[0]},
                                     {"names.txt", expected[1]},
                                     {"wide.vertstats", expected[2]}}));
        QCOMPARE(problemsText(window.get()), QString("3 problems"));
        QCOMPARE(root()->child(0)->childCount(), 2);
        // The failure stays in the status bar: the warnings of the file
        // loaded after it leave it alone.
        QCOMPARE(window->statusBar()->currentMessage(), expected[1]);
    }

    // A surface that did not load is marked and never takes statistics,
    // not even after a click on its row.
    void failedSurfaceIsMarkedAndNeverATarget()
    {
        QVERIFY(writeSquare(file("good.obj")));
        QVERIFY(writeText(file("bad.obj"), "Z no surface here\n"));
        QVERIFY(writeVertstats(file("s.vertstats"), {"a"}, {{1, 2, 3, 4, 5}}));
        makeWindow();
        QList<bool> results;
        {
            StdoutCapture out;
            StderrCapture err;
            for (const char* name : {"bad.obj", "s.vertstats", "good.obj", "bad.obj", "s.vertstats"})
                results.append(open(file(name)));
        }
        // The first statistics file finds no surface to attach to.
        QCOMPARE(results, (QList<bool>{false, false, true, false, true}));

        auto* firstBad = dynamic_cast<GeometryScene*>(root()->child(0));
        auto* good = dynamic_cast<GeometryScene*>(root()->child(1));
        auto* secondBad = dynamic_cast<GeometryScene*>(root()->child(2));
        QVERIFY(firstBad && good && secondBad);
        QCOMPARE(firstBad->childCount(), 1);
        QCOMPARE(secondBad->childCount(), 1);
        QCOMPARE(good->childCount(), 2);
        QVERIFY(dynamic_cast<textureFileItem*>(good->child(1)));
        // Title as before; the description says it failed and why.
        QCOMPARE(secondBad->data(0).toString(), QString("Geometry Scene"));
        const QString why = secondBad->getSurface()->loadError();
        QVERIFY(!why.isEmpty());
        QCOMPARE(secondBad->data(1).toString(), "Failed: " + why);
        QCOMPARE(logRows(window.get()).size(), 3);

        // Neither a click on the failed row nor a pick elsewhere changes that.
        showWindow();
        bool third = false;
        {
            StdoutCapture quiet;
            clickRow(indexOf(secondBad));
            BrainQuarter* viewer = window->getViewer();
            QTest::mouseClick(viewer, Qt::LeftButton, {},
                              QPoint(viewer->width() / 2, viewer->height() / 2));
            third = open(file("s.vertstats"));
        }
        QVERIFY(third);
        QCOMPARE(secondBad->childCount(), 1);
        QCOMPARE(good->childCount(), 3);
        QCOMPARE(secondBad->data(1).toString(), "Failed: " + why);
        screenshot("loadproblems_failed_surface.png");
    }

    // With a texture directory that cannot be made, the built-in bars still
    // colour the surface, and the user is told once.
    void unwritableTextureDirectoryFallsBackToBuiltInBars()
    {
        // A settings directory under a plain file: nothing can be created
        // there, even by root.
        QVERIFY(writeText(file("not-a-directory"), "x"));
        const QString blocked = file("not-a-directory") + "/config";
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocked);
        struct Restore {
            QString path;
            ~Restore() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path); }
        } restore{home.path() + "/.config"};

        window.reset();
        QStringList startLines;
        {
            StdoutCapture out;
            window.reset(new MainWindow);
            startLines = out.lines();
        }
        // The start-up log is as before: every bar fails to be written.
        QCOMPARE(startLines.filter(QRegularExpression(" 0 0$")).size(), 5);
        QCOMPARE(logRows(window.get()).size(), 1);
        QVERIFY2(logRows(window.get())[0][1].contains("cannot be written"),
                 qPrintable(logRows(window.get())[0][1]));

        QVERIFY(writeEllipsoid(file("ellipsoid.obj"), 20, 40));
        std::vector<float> heights{50};
        for (int r = 1; r < 20; ++r)
            for (int s = 0; s < 40; ++s)
                heights.push_back(float(50 * std::cos(M_PI * r / 20)));
        heights.push_back(-50);
        QVERIFY(writeVertstats(file("height.vertstats"), {"height"}, {heights}));
        QVERIFY(writeVertstats(file("again.vertstats"), {"again"}, {heights}));
        QList<bool> results;
        {
            StdoutCapture quiet;
            for (const char* name : {"ellipsoid.obj", "height.vertstats", "again.vertstats"})
                results.append(open(file(name)));
        }
        QCOMPARE(results, (QList<bool>{true, true, true}));
        QCOMPARE(logRows(window.get()).size(), 1);  // told once
        auto* column = qobject_cast<textureColumn*>(root()->child(0)->child(1)->child(0));
        QVERIFY(column);
        QStringList names;
        for (const QString& bar : column->getColourBars())
            names.append(QFileInfo(bar).fileName());
        QCOMPARE(names, (QStringList{"full_saturation.png", "hotblue.png", "hotred.png",
                                     "spectral.png", "sunrise.png"}));
        for (const QString& bar : column->getColourBars())
            QVERIFY2(!QImage(bar).isNull(), qPrintable(bar));

        showWindow();
        const qreal ratio = window->getViewer()->devicePixelRatioF();
        const QPoint side = project(SbVec3f(0, -50, 20)) * ratio;
        const QColor grey = averageAt(window->getViewer()->grabFramebuffer(), side, 3);
        {
            StdoutCapture quiet;
            clickRow(indexOf(column));
        }
        const QColor coloured = averageAt(window->getViewer()->grabFramebuffer(), side, 3);
        QVERIFY2(distance(coloured, grey) > 60,
                 qPrintable(grey.name() + " " + coloured.name()));
        screenshot("loadproblems_builtin_bars.png");
    }
};

QTEST_MAIN(TestLoadProblems)
#include "tst_loadproblems.moc"
