// The collector of reader messages: standard error sees exactly what it
// would see without it, held messages wait, nested collectors pass their
// text outwards, and the routing is restored afterwards.
#include "ReaderMessages.h"
#include "app_test_util.h"
#include "quillon.h"

#include <QtTest>

class TestReaderMessages : public QObject
{
    Q_OBJECT

private slots:
    void echoedMessagesReachStandardErrorUnchanged()
    {
        StderrCapture errors;
        QStringList lines;
        QString reason;
        {
            ReaderMessages messages;
            print_error("Error reading \"%s\", line %d: %s\n", "a.tag", 3, "no number");
            print_error("half a line, ");
            print_error("and the rest\n");
            messages.add(std::string("a statistics line"));
            messages.add(QString::fromUtf8("H\u00f6he: \u8111"));
            lines = messages.lines();
            reason = messages.reason("unused");
        }
        print_error("after the collector\n");
        const QString text = errors.stop();
        QCOMPARE(text, QString::fromUtf8("Error reading \"a.tag\", line 3: no number\n"
                                         "half a line, and the rest\n"
                                         "a statistics line\n"
                                         "H\u00f6he: \u8111\n"
                                         "after the collector\n"));
        QCOMPARE(lines, (QStringList{"Error reading \"a.tag\", line 3: no number",
                                     "half a line, and the rest", "a statistics line",
                                     QString::fromUtf8("H\u00f6he: \u8111")}));
        QCOMPARE(reason, lines.join("; "));
    }

    void heldMessagesWaitForEchoHeld()
    {
        StderrCapture errors;
        QString reason, echoed;
        {
            ReaderMessages messages(ReaderMessages::Echo::Held);
            print_error("kept back\n");
            messages.add(std::string("and this"));
            reason = messages.reason("fallback");
            StderrCapture inner;
            messages.echoHeld();
            messages.echoHeld();  // once only
            echoed = inner.stop();
        }
        QCOMPARE(errors.stop(), QString());
        QCOMPARE(reason, QString("kept back; and this"));
        QCOMPARE(echoed, QString("kept back\nand this\n"));
    }

    void silentReaderGivesTheFallback()
    {
        ReaderMessages messages;
        QCOMPARE(messages.lines(), QStringList());
        QCOMPARE(messages.reason("not a readable file"), QString("not a readable file"));
    }

    void nestedCollectorsPassTextOutwards()
    {
        StderrCapture errors;
        QStringList outerLines, innerLines;
        {
            ReaderMessages outer(ReaderMessages::Echo::Held);
            {
                ReaderMessages inner;
                print_error("from the model file\n");
                inner.add(std::string("one more"));
                innerLines = inner.lines();
            }
            print_error("from the outer file\n");
            outerLines = outer.lines();
        }
        QCOMPARE(errors.stop(), QString());
        QCOMPARE(innerLines, (QStringList{"from the model file", "one more"}));
        QCOMPARE(outerLines,
                 (QStringList{"from the model file", "one more", "from the outer file"}));
    }

    void routingOfOthersIsKept()
    {
        static QByteArray routed;
        routed.clear();
        const print_error_function mine = [](const char* text) { routed += text; };
        const print_error_function previous = set_print_error_function(mine);
        QStringList lines;
        {
            ReaderMessages messages;
            print_error("to whoever routed\n");
            lines = messages.lines();
        }
        QVERIFY(set_print_error_function(previous) == mine);
        QCOMPARE(lines, QStringList{"to whoever routed"});
        QCOMPARE(routed, QByteArray("to whoever routed\n"));
    }

    void fileNamesKeepTheirLetters()
    {
        const QString name = QString::fromUtf8("/tmp/Gehirn-\u00c4\u00d6\u00fc-\u8111/lh.obj");
        QCOMPARE(readerFileName(name), name.toUtf8());
        const QFile file(name);
        QCOMPARE(readerFileName(file), name.toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestReaderMessages)
#include "tst_readermessages.moc"
