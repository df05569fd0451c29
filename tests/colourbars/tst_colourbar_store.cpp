// Installing the colour bars into the texture directory at start-up: what a
// first and a later start print and write, files the user changed or
// removed, and texture directories that are missing or cannot be written.
#include "ColourBarStore.h"
#include "MainWindow.h"
#include "ViewerWidget.h"
#include "output_capture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

namespace {

const QStringList barNames = {"full_saturation", "hotblue", "hotred", "spectral", "sunrise"};

// Builds a main window (which installs the bars) and returns the colour-bar
// lines it printed on standard output.
QStringList startWindow()
{
    OutputCapture capture(STDOUT_FILENO);
    {
        MainWindow window;
    }
    QStringList lines;
    for (const QString& line : QString::fromLocal8Bit(QByteArray::fromStdString(capture.stop())).split('\n')) {
        for (const char* prefix : {"TextureDir: ", "Basename: ", "FILENAME: ", "Created colourbar: "}) {
            if (line.startsWith(prefix)) {
                lines << line;
                break;
            }
        }
    }
    return lines;
}

QStringList basenameLines(const QStringList& names)
{
    QStringList lines;
    for (const QString& name : names)
        lines << "Basename: " + name;
    return lines;
}

QStringList createdLines(const QString& dir, const QString& name, const QString& flags)
{
    return {"Basename: " + name, "FILENAME: :/resources/colourbars/" + name + ".png",
            "Created colourbar: " + dir + "/" + name + ".png " + flags};
}

// Width, height and PNG colour type from the IHDR chunk; {-1, -1, -1} when
// the file is not a PNG.
QList<int> pngHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {-1, -1, -1};
    const QByteArray b = file.read(26);
    if (b.size() < 26 || !b.startsWith("\x89PNG") || b.mid(12, 4) != "IHDR")
        return {-1, -1, -1};
    auto be = [&](int at) {
        return int(uchar(b[at])) << 24 | int(uchar(b[at + 1])) << 16 | int(uchar(b[at + 2])) << 8 |
               int(uchar(b[at + 3]));
    };
    return {be(16), be(20), int(uchar(b[25]))};
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestColourbarStore : public QObject
{
    Q_OBJECT

public:
    explicit TestColourbarStore(const QString& configHome)
        : configHome(configHome)
    {
    }

private slots:
    void init();
    void firstStartInstallsEveryBar();
    void secondStartWritesNothing();
    void deletedBarIsRecreatedAlone();
    void userEditedBarIsKept();
    void missingTextureDirIsCreatedWithParents();
    void unwritableTextureDirReportsFailedSaves();
    void emptyTextureDirFallsBackToDefault();
    void storeNamesTheDirectoryAndItsBars();

private:
    void setTextureDir(const QString& dir);

    QString configHome;
    QString iniPath;
    QString defaultDir;
    QTemporaryDir scratch;
};

void TestColourbarStore::init()
{
    iniPath = configHome + "/TARV/gyrolux.ini";
    defaultDir = configHome + "/TARV/textures/";
    // Clear through QSettings so that its in-process cache agrees with the file.
    QSettings settings(iniPath, QSettings::IniFormat);
    settings.clear();
    settings.sync();
    QDir(defaultDir).removeRecursively();
    QVERIFY(scratch.isValid());
    QDir(scratch.path()).removeRecursively();
    QVERIFY(QDir().mkpath(scratch.path()));
}

void TestColourbarStore::setTextureDir(const QString& dir)
{
    QSettings settings(iniPath, QSettings::IniFormat);
    settings.setValue(ColourBarStore::directoryKey, dir);
    settings.sync();
}

void TestColourbarStore::firstStartInstallsEveryBar()
{
    const QStringList lines = startWindow();

    QStringList expected = {"TextureDir: " + defaultDir};
    for (const QString& name : barNames)
        expected << createdLines(defaultDir, name, "0 1");
    QCOMPARE(lines, expected);
    // The default ends with '/' and one more is added: the doubled slash is harmless.
    QVERIFY(lines.last().contains("/textures//sunrise.png"));

    QCOMPARE(QSettings(iniPath, QSettings::IniFormat).value("textureDir").toString(), defaultDir);

    const QList<QList<int>> headers = {{10, 699, 6}, {9, 746, 2}, {7, 745, 2}, {7, 551, 6}, {10, 699, 6}};
    for (int i = 0; i < barNames.size(); ++i) {
        const QString path = defaultDir + barNames[i] + ".png";
        QCOMPARE(pngHeader(path), headers[i]);
        // The installed file shows the same picture as the built-in one.
        QCOMPARE(QImage(path).convertToFormat(QImage::Format_ARGB32),
                 QImage(":/resources/colourbars/" + barNames[i] + ".png")
                     .convertToFormat(QImage::Format_ARGB32));
    }
}

void TestColourbarStore::secondStartWritesNothing()
{
    startWindow();
    QMap<QString, QDateTime> written;
    for (const QString& name : barNames)
        written[name] = QFileInfo(defaultDir + name + ".png").lastModified();
    const QByteArray iniBefore = contents(iniPath);

    const QStringList lines = startWindow();

    QCOMPARE(lines, QStringList{"TextureDir: " + defaultDir} + basenameLines(barNames));
    for (const QString& name : barNames)
        QCOMPARE(QFileInfo(defaultDir + name + ".png").lastModified(), written[name]);
    QCOMPARE(contents(iniPath), iniBefore);
}

void TestColourbarStore::deletedBarIsRecreatedAlone()
{
    startWindow();
    QVERIFY(QFile::remove(defaultDir + "hotred.png"));

    const QStringList lines = startWindow();

    QStringList expected = {"TextureDir: " + defaultDir, "Basename: full_saturation", "Basename: hotblue"};
    expected << createdLines(defaultDir, "hotred", "0 1") << "Basename: spectral"
             << "Basename: sunrise";
    QCOMPARE(lines, expected);
    QCOMPARE(pngHeader(defaultDir + "hotred.png"), (QList<int>{7, 745, 2}));
}

void TestColourbarStore::userEditedBarIsKept()
{
    startWindow();
    QImage mine(4, 20, QImage::Format_RGB32);
    mine.fill(Qt::green);
    QVERIFY(mine.save(defaultDir + "sunrise.png"));
    const QByteArray edited = contents(defaultDir + "sunrise.png");

    const QStringList lines = startWindow();

    QCOMPARE(lines, QStringList{"TextureDir: " + defaultDir} + basenameLines(barNames));
    QCOMPARE(contents(defaultDir + "sunrise.png"), edited);
}

void TestColourbarStore::missingTextureDirIsCreatedWithParents()
{
    const QString dir = scratch.path() + "/not/yet/there";
    setTextureDir(dir);

    const QStringList lines = startWindow();

    QStringList expected = {"TextureDir: " + dir};
    for (const QString& name : barNames)
        expected << createdLines(dir, name, "0 1");
    QCOMPARE(lines, expected);
    QCOMPARE(QDir(dir).entryList(QDir::Files),
             (QStringList{"full_saturation.png", "hotblue.png", "hotred.png", "spectral.png",
                          "sunrise.png"}));
    QVERIFY(!QDir(defaultDir).exists());
}

void TestColourbarStore::unwritableTextureDirReportsFailedSaves()
{
    // A directory cannot be made below a plain file.
    QFile blocker(scratch.path() + "/plain");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString dir = scratch.path() + "/plain/bars";
    setTextureDir(dir);

    const QStringList lines = startWindow();

    QStringList expected = {"TextureDir: " + dir};
    for (const QString& name : barNames)
        expected << createdLines(dir, name, "0 0");
    QCOMPARE(lines, expected);
}

void TestColourbarStore::emptyTextureDirFallsBackToDefault()
{
    setTextureDir("");

    const QStringList lines = startWindow();

    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.first(), "TextureDir: " + defaultDir);
    QCOMPARE(lines.last(), "Created colourbar: " + defaultDir + "/sunrise.png 0 1");
    QCOMPARE(QSettings(iniPath, QSettings::IniFormat).value("textureDir").toString(), defaultDir);
}

void TestColourbarStore::storeNamesTheDirectoryAndItsBars()
{
    QCOMPARE(ColourBarStore::defaultDirectory(), defaultDir);
    // Blank counts as missing, and the default is written back.
    setTextureDir("  ");
    QCOMPARE(ColourBarStore::directory(), defaultDir);
    QCOMPARE(QSettings(iniPath, QSettings::IniFormat).value("textureDir").toString(), defaultDir);

    // Only PNG files, compared case-sensitively, by name with case ignored.
    const QString dir = scratch.path() + "/bars";
    setTextureDir(dir);
    QCOMPARE(ColourBarStore::list().bars, QStringList());
    startWindow();
    for (const char* extra : {"Zebra.png", "alpha.png", "upper.PNG", "notes.txt"}) {
        QFile file(dir + "/" + extra);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const ColourBarList list = ColourBarStore::list();
    QCOMPARE(list.directory, dir);
    QStringList expected;
    for (const QString& name : QStringList{"alpha"} + barNames + QStringList{"Zebra"})
        expected << dir + "/" + name + ".png";
    QCOMPARE(list.bars, expected);
}

int main(int argc, char** argv)
{
    // Never the real settings: every store lives in a fresh directory.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QByteArray homePath = QFile::encodeName(home.path());
    const QByteArray configHome = homePath + "/.config";
    setenv("HOME", homePath.constData(), 1);
    setenv("XDG_CONFIG_HOME", configHome.constData(), 1);

    QApplication app(argc, argv);
    gyroview::init();
    TestColourbarStore test(QFile::decodeName(configHome));
    return QTest::qExec(&test, argc, argv);
}

#include "tst_colourbar_store.moc"
