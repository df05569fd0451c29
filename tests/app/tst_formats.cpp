// Surfaces and per-vertex data of other programs opened in the real window:
// FreeSurfer files known by their magic numbers, GIFTI files by their
// arrays, row titles from the whole file name, and the sample's GIFTI data
// colouring the surface exactly as the equivalent statistics file does.
#include "MainWindow.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "TreeItem.h"
#include "parcel_files.h"
#include "vertex_data.h"
#include "app_test_util.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include <zlib.h>

class TestFormats : public WindowTestBase
{
    Q_OBJECT

    QTemporaryDir home;
    QString sample(const QString& name) const { return QString(SAMPLES_DIR) + "/" + name; }
    int pointsOf(int surface) const
    {
        return window->getResources()->pointCount(root()->child(surface)->documentId());
    }

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
            waitForFrame();
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

    // "lh.blob" (curv) and "lh.blob.mgh" on one surface have rows told
    // apart, the single frame named as the curv column is; data of another
    // vertex count is refused naming both counts, and leaves no row.
    // Curvature goes underneath in greys and thickness colours the surface
    // as they open; a statistics file opened afterwards changes neither.
    void freeSurferDataIsDrawnAsItOpens()
    {
        bool opened = true;
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            for (const char* name : {"subject/surf/lh.white", "subject/surf/lh.curv",
                                     "subject/surf/lh.thickness", "subject/surf/lh.sulc"})
                opened = open(sample(name)) && opened;
        }
        QVERIFY(opened);
        const SceneDocument* doc = window->getResources()->document();
        const int surface = doc->surfaces().front();
        const std::vector<int> files = doc->statisticsOf(surface);
        QCOMPARE(int(files.size()), 3);
        QCOMPARE(doc->underlayFile(surface), files[0]);
        QCOMPARE(doc->colouringFile(surface), files[1]);
        QCOMPARE(doc->colouringColumn(surface), QString("thickness"));
    }

    void otherProgramsDataIsTitledApartAndCounted()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString surface = dir.filePath("lh.white");
        QVERIFY(QFile::copy(sample("lh.brain"), surface));
        window.reset(new MainWindow);
        {
            StdoutCapture quiet;
            QVERIFY(open(surface));
        }
        const int vertices = pointsOf(0);
        QVERIFY(vertices > 10);
        auto curv = [](const QString& path, int count) {
            QByteArray bytes("\xff\xff\xff", 3);
            auto big = [&bytes](quint32 v) {
                for (int shift = 24; shift >= 0; shift -= 8)
                    bytes += char((v >> shift) & 0xff);
            };
            big(quint32(count));
            big(0);
            big(1);
            for (int i = 0; i < count; ++i) {
                float f = float(i);
                quint32 bits;
                std::memcpy(&bits, &f, 4);
                big(bits);
            }
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        auto mgh = [](const QString& path, int count) {
            vertex_column column{"x", std::vector<float>(std::size_t(count), 1.5f)};
            return output_mgh_data(QFile::encodeName(path).constData(), {column}, false) == OK;
        };
        QVERIFY(curv(dir.filePath("lh.blob"), vertices));
        QVERIFY(mgh(dir.filePath("lh.blob.mgh"), vertices));
        QVERIFY(mgh(dir.filePath("lh.more.mgh"), vertices + 3));
        QVERIFY(curv(dir.filePath("lh.fewer"), vertices - 1));
        QString moreError, fewerError;
        {
            StdoutCapture quiet;
            StderrCapture errors;
            QVERIFY(open(dir.filePath("lh.blob")));
            QVERIFY(open(dir.filePath("lh.blob.mgh")));
            QVERIFY(!open(dir.filePath("lh.more.mgh")));
            moreError = window->getResources()->lastLoadError();
            QVERIFY(!open(dir.filePath("lh.fewer")));
            fewerError = window->getResources()->lastLoadError();
        }
        TreeItem* scene = root()->child(0);
        QCOMPARE(scene->childCount(), 3);
        QCOMPARE(scene->child(1)->data(0).toString(), QString("lh.blob"));
        QCOMPARE(scene->child(2)->data(0).toString(), QString("lh.blob.mgh"));
        QCOMPARE(scene->child(1)->child(0)->data(0).toString(), QString("blob"));
        QCOMPARE(scene->child(2)->child(0)->data(0).toString(), QString("blob"));
        QCOMPARE(moreError, QString("ERROR: could not read file %1: it has %2 values but the surface "
                                    "has %3 vertices")
                                .arg(dir.filePath("lh.more.mgh"))
                                .arg(vertices + 3)
                                .arg(vertices));
        QVERIFY2(fewerError.endsWith(QString(": it has %1 values but the surface has %2 vertices")
                                         .arg(vertices - 1)
                                         .arg(vertices)),
                 qPrintable(fewerError));
        QCOMPARE(int(window->getResources()->document()->statisticsOf(scene->documentId()).size()), 2);
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

    // A compressed label GIFTI, by any name, opens as the parcellation it is.
    void compressedLabelGiftiIsAParcellation()
    {
        parcellation parcels;
        QVERIFY(input_parcellation(QFile::encodeName(sample("subject/label/rh.aparc.annot")).constData(),
                                   -1, &parcels) == OK);
        const QString plain = home.filePath("rh.aparc.label.gii");
        QVERIFY(output_gifti_labels(QFile::encodeName(plain).constData(), parcels) == OK);
        QFile in(plain);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        const QString packed = home.filePath("rh.aparc.gz");
        gzFile out = gzopen(QFile::encodeName(packed).constData(), "wb");
        QVERIFY(out && gzwrite(out, bytes.constData(), unsigned(bytes.size())) == int(bytes.size()));
        gzclose(out);
        {
            StdoutCapture quiet;
            StderrCapture warnings;
            window.reset(new MainWindow);
            QVERIFY(open(sample("subject/surf/rh.white")));
            QVERIFY(open(packed));
        }
        const int surface = window->document()->surfaces().at(0);
        QCOMPARE(window->document()->parcellationsOf(surface).size(), std::size_t(1));
        QVERIFY(window->document()->statisticsOf(surface).empty());
    }

    // One CIFTI-2 file of both hemispheres opens on each, with its part.
    void ciftiFileOpensOnEachHemisphere()
    {
        const QString cifti = home.filePath("index.dscalar.nii");
        const QString command = QString("%1 %2 hemispheres 10242 '%3'")
                                    .arg(NIBABEL_PYTHON, CIFTI_HELPER, cifti);
        QCOMPARE(std::system(command.toLocal8Bit().constData()), 0);
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            QVERIFY(open(sample("subject/surf/lh.white")));
            QVERIFY(open(sample("subject/surf/rh.white")));
            QVERIFY(open(cifti));
        }
        const SceneDocument* doc = window->document();
        for (int side = 0; side < 2; ++side) {
            const int surface = doc->surfaces().at(std::size_t(side));
            QCOMPARE(doc->statisticsOf(surface).size(), std::size_t(1));
            const int file = doc->statisticsOf(surface).front();
            QCOMPARE(doc->colouringFile(surface), file);
            const auto values = doc->store().statistics(file)->column("index");
            QVERIFY(values && values->size() == 10242);
            QCOMPARE(values->at(5), side == 0 ? 5.0f : -5.0f);
            QVERIFY(std::isnan(values->at(0)));
        }
    }
};

QTEST_MAIN(TestFormats)
#include "tst_formats.moc"
