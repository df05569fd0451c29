// Getting files into the real window: dropped on it, from File > Open
// Recent (kept across starts), the open dialog starting where the last file
// was; the window title, the keys, Help > About, and the program's --help
// and --version.
#include "MainWindow.h"
#include "MessageLog.h"
#include "RecentFiles.h"
#include "ResourceForm.h"
#include "ViewerWidget.h"
#include "app_test_util.h"
#include "dialog_test_util.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

class TestFiles : public WindowTestBase
{
    Q_OBJECT

    QTemporaryDir home;
    QTemporaryDir files;

    QString file(const QString& name) const { return files.filePath(name); }
    void makeWindow()
    {
        window.reset();
        StdoutCapture quiet;
        window.reset(new MainWindow);
    }
    QMenu* menu(int index) const { return window->menuBar()->actions().value(index)->menu(); }
    QMenu* recentMenu() const { return window->getRecentFiles()->menu(); }
    QStringList recentTexts() const
    {
        QStringList texts;
        for (QAction* action : recentMenu()->actions())
            if (!action->isSeparator())
                texts << action->text();
        return texts;
    }
    // Drags the data over the window and drops it; whether it was taken.
    bool drop(QMimeData* data)
    {
        const QPoint at(window->width() / 2, window->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &dropped);
        return dropped.isAccepted();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        QVERIFY(QDir(files.path()).mkdir("sub"));
        QVERIFY(writeSquare(file("lh.first.obj")));
        QVERIFY(writeSquare(file("sub/second.obj"), 3, 0));
        QFile stats(file("values.txt"));
        QVERIFY(stats.open(QIODevice::WriteOnly));
        stats.write("<header>\n<history>\nmade by a test\n</history>\n</header>\na\n1\n2\n3\n4\n5\n");
    }

    void cleanup() { window.reset(); }

    void fileMenuKeysAndHelp()
    {
        makeWindow();
        const QList<QAction*> menus = window->menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(menus[2]->text(), QString("&Help"));
        const QList<QAction*> actions = menu(0)->actions();
        QCOMPARE(actions.first()->text(), QString("&Open File"));
        QCOMPARE(actions.first()->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(actions.last()->text(), QString("&Quit"));
        QCOMPARE(actions.last()->shortcut(), QKeySequence("Ctrl+Q"));
        QVERIFY(actions[1]->menu() == recentMenu());
        QCOMPARE(actions[1]->text(), QString("Open &Recent"));

        // The key opens the dialog.
        showWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QString caption;
        whenDialog<QFileDialog>([&](QFileDialog* dialog) {
            caption = dialog->windowTitle();
            dialog->reject();
        });
        QTest::keyClick(window->getViewer(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(caption, QString("Open File"));

        QString title, text;
        whenDialog<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            box->accept();
        });
        menu(2)->actions().last()->trigger();
        QCOMPARE(title, QString("About gyrolux"));
        QVERIFY2(text.contains("<b>gyrolux</b> " GYROLUX_VERSION), qPrintable(text));
        QCOMPARE(QCoreApplication::applicationVersion(), QString(GYROLUX_VERSION));
    }

    void droppedFilesOpenAsFromTheCommandLine()
    {
        makeWindow();
        auto* text = new QMimeData;
        text->setText("not a file");
        QVERIFY(!drop(text));
        auto* web = new QMimeData;
        web->setUrls({QUrl("https://example.org/brain.obj")});
        QVERIFY(!drop(web));

        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(file("lh.first.obj")), QUrl::fromLocalFile(file("values.txt"))});
        StdoutCapture capture;
        QVERIFY(drop(data));
        QTRY_COMPARE(root()->childCount(), 1);
        QTRY_COMPARE(root()->child(0)->childCount(), 2);  // the surface and its statistics
        const QStringList lines = capture.lines();
        QCOMPARE(lines.filter("Loading ").size(), 2);
        QCOMPARE(lines.filter("Loading ").value(0), "Loading " + file("lh.first.obj"));
        QCOMPARE(lines.filter("Loading ").value(1), "Loading " + file("values.txt"));
        QCOMPARE(window->windowTitle(), QString("lh.first.obj - gyrolux"));
        delete text;
        delete web;
        delete data;
    }

    void recentFilesSurviveARestart()
    {
        makeWindow();
        window->getRecentFiles()->clear();
        QVERIFY(!recentMenu()->isEnabled());
        {
            StdoutCapture quiet;
            QVERIFY(open(file("lh.first.obj")));
            QVERIFY(open(file("values.txt")));
            QVERIFY(open(file("sub/second.obj")));
            QVERIFY(!open(file("missing.obj")));  // failed: not remembered
        }
        // The last opened surface names the window.
        QCOMPARE(window->windowTitle(), QString("second.obj - gyrolux"));
        const QStringList expected = {"&1 " + file("sub/second.obj"), "&2 " + file("values.txt"),
                                      "&3 " + file("lh.first.obj"), "&Clear List"};

        makeWindow();
        QCOMPARE(recentTexts(), expected);
        QVERIFY(recentMenu()->isEnabled());
        // Choosing one opens it, and puts it first.
        StdoutCapture quiet;
        recentMenu()->actions()[2]->trigger();
        quiet.stop();
        QCOMPARE(root()->childCount(), 1);
        QCOMPARE(window->windowTitle(), QString("lh.first.obj - gyrolux"));
        QCOMPARE(window->getRecentFiles()->files().first(), file("lh.first.obj"));

        // Ten at most, the oldest going first.
        for (int i = 0; i < 12; ++i)
            window->getRecentFiles()->add(file(QString("n%1.obj").arg(i)));
        QStringList kept = window->getRecentFiles()->files();
        QCOMPARE(kept.size(), RecentFiles::maximum);
        QCOMPARE(kept.first(), file("n11.obj"));
        QCOMPARE(kept.last(), file("n2.obj"));
        QCOMPARE(recentTexts().value(9), "1&0 " + file("n2.obj"));

        // One that has gone is said so and dropped, and adds no row.
        recentMenu()->actions()[0]->trigger();
        QCOMPARE(root()->childCount(), 1);
        QVERIFY(!window->getRecentFiles()->files().contains(file("n11.obj")));
        QCOMPARE(window->getMessageLog()->count(), 1);

        window->getRecentFiles()->clear();
        makeWindow();
        QCOMPARE(recentTexts(), QStringList{"&Clear List"});
    }

    void theOpenDialogStartsWhereTheLastFileWas()
    {
        makeWindow();
        {
            StdoutCapture quiet;
            QVERIFY(open(file("sub/second.obj")));
        }
        makeWindow();
        QString directory;
        whenDialog<QFileDialog>([&](QFileDialog* dialog) {
            directory = dialog->directory().absolutePath();
            dialog->reject();
        });
        window->openFileFromDialog();
        QCOMPARE(directory, QDir(file("sub")).absolutePath());
    }

    void helpAndVersionNeedNoDisplay()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", "xcb");
        auto run = [&](const QStringList& arguments, QByteArray* out, QByteArray* err) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(GYROLUX_EXE, arguments);
            if (!process.waitForFinished(30000))
                return -1;
            *out = process.readAllStandardOutput();
            *err = process.readAllStandardError();
            return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        };
        QByteArray out, err;
        QCOMPARE(run({"--version"}, &out, &err), 0);
        QCOMPARE(out, QByteArray("gyrolux " GYROLUX_VERSION "\n"));
        QCOMPARE(err, QByteArray());
        QCOMPARE(run({"brain.obj", "--help"}, &out, &err), 0);
        QVERIFY2(out.startsWith("Usage: gyrolux [FILE]... [OPTION]...\n"), out.constData());
        // The renderer's figure options, from the table both programs share.
        for (const char* option : {"--version", "--stats", "--limits LOW HIGH", "--scene FILE"})
            QVERIFY2(out.contains(option), option);
        QVERIFY(!out.contains("--output"));
        QCOMPARE(err, QByteArray());
        // A malformed option is a usage error before any window.
        QCOMPARE(run({"brain.obj", "--limits", "1", "x"}, &out, &err), 2);
        QCOMPARE(err, QByteArray("gyrolux: --limits needs two numbers, not \"1 x\"\n"));
        // After "--" it is a file name: the viewer starts, and without a
        // display it cannot.
        QVERIFY(run({"--", "--help"}, &out, &err) != 0);
        QVERIFY(!out.startsWith("Usage"));
    }
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
