// Surfaces and per-vertex data of other programs opened in the real window:
// FreeSurfer files known by their magic numbers, GIFTI files by their
// arrays, row titles from the whole file name, and the sample's GIFTI data
// colouring the surface exactly as the equivalent statistics file does.
#include "MainWindow.h"
#include "app_test_util.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

class TestFormats : public WindowTestBase
{
    Q_OBJECT

    QTemporaryDir home;
    QString sample(const QString& name) const { return QString(SAMPLES_DIR) + "/" + name; }

    // The sample surface from its FreeSurfer file, coloured by the "blob"
    // column of 'data'; the frame drawn.
    QImage colouredBy(const QString& data, QStringList* titles)
    {
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            if (!open(sample("lh.brain")) || !open(sample(data)))
                return {};
        }
        TreeItem* scene = root()->child(0);
        *titles = {scene->child(0)->data(0).toString(), scene->child(1)->data(0).toString()};
        showWindow();
        const QModelIndex blob = model()->index(1, 0, model()->index(1, 0, model()->index(0, 0)));
        if (blob.data().toString() != "blob")
            return {};
        {
            StdoutCapture quiet;
            clickRow(blob);
            QTest::qWait(200);
        }
        return window->getViewer()->grabFramebuffer();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home));
        gyroview::init();
    }

    void giftiDataColoursTheSurfaceAsTheStatisticsFileDoes()
    {
        QStringList statsTitles, giftiTitles;
        const QImage fromStats = colouredBy("brain.vertstats", &statsTitles);
        const QImage fromGifti = colouredBy("brain.func.gii", &giftiTitles);
        QVERIFY(!fromStats.isNull());
        QVERIFY(!fromGifti.isNull());
        QCOMPARE(statsTitles, (QStringList{"lh.brain", "brain"}));
        QCOMPARE(giftiTitles, (QStringList{"lh.brain", "brain.func"}));
        QCOMPARE(fromGifti.size(), fromStats.size());
        int differing = 0, coloured = 0;
        for (int y = 0; y < fromStats.height(); ++y)
            for (int x = 0; x < fromStats.width(); ++x) {
                differing += fromStats.pixel(x, y) != fromGifti.pixel(x, y);
                const QColor c = fromGifti.pixelColor(x, y);
                coloured += c.hsvSaturation() > 150 && c.value() > 80;
            }
        QCOMPARE(differing, 0);
        // and the colours are there to compare
        QVERIFY2(coloured > 5000, qPrintable(QString::number(coloured)));
        const QString path = QString(ARTEFACT_DIR) + "/formats_gifti.png";
        QVERIFY(window->grab().toImage().save(path));
        qInfo("screenshot: %s", qPrintable(path));
    }

    void badFilesAreRefusedWithTheReadersReason()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        auto write = [&dir](const QString& name, const QByteArray& bytes) {
            QFile f(dir.path() + "/" + name);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        };
        // a quadrangle surface: the curv magic number, not a curv file's size
        QVERIFY(write("lh.quad", QByteArray("\xff\xff\xff\0\0\x04\0\0\x01", 9) + QByteArray(36, '\x01')));
        QVERIFY(write("broken.surf.gii", "not xml"));
        window.reset(new MainWindow);
        bool quadOpened, brokenOpened, sampleOpened;
        QString quadMessage, brokenMessage, errorText;
        {
            StdoutCapture quiet;
            StderrCapture errors;
            quadOpened = open(dir.path() + "/lh.quad");
            quadMessage = window->statusBar()->currentMessage();
            brokenOpened = open(dir.path() + "/broken.surf.gii");
            brokenMessage = window->statusBar()->currentMessage();
            // the viewer goes on: the sample opens after the failures
            sampleOpened = open(sample("lh.brain")) && open(sample("brain.func.gii"));
            errorText = errors.stop();
        }
        QVERIFY(!quadOpened);
        QVERIFY2(quadMessage.contains("quadrangle surface"), qPrintable(quadMessage));
        QCOMPARE(root()->child(0)->child(0)->data(0).toString(), QString("lh.quad"));
        QVERIFY(!brokenOpened);
        QVERIFY2(brokenMessage.contains("not an XML file"), qPrintable(brokenMessage));
        QCOMPARE(root()->child(1)->child(0)->data(0).toString(), QString("broken.surf"));
        QVERIFY(sampleOpened);
        QVERIFY2(errorText.contains("lh.quad"), qPrintable(errorText));
    }
};

QTEST_MAIN(TestFormats)
#include "tst_formats.moc"
