// What the loaders share when they hand a file to one of the readers: the
// file's name as the reader needs it, a collector of the reader's messages,
// so the user sees the reader's own reason, and the record of one message.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>

class QFile;

// One thing the user is told about a file: why it was not opened, or what
// its reader found odd while still opening it.
struct LoadMessage {
    enum class Kind { Error, Warning };
    Kind kind = Kind::Error;
    QString file;
    QString text;
};

// The name in the file system's own encoding: Latin-1 would turn any other
// non-ASCII name into one that does not exist.
QByteArray readerFileName(const QString& fileName);
QByteArray readerFileName(const QFile& file);

// While one exists, every message the volume I/O layer prints through
// print_error is kept here as well. Nested collectors pass their text on to
// the enclosing one.
class ReaderMessages
{
public:
    // Now: each message also goes on at once to where it would have gone
    // without the collector (standard error), so that output is unchanged.
    // Held: messages go nowhere else until echoHeld().
    enum class Echo { Now, Held };

    explicit ReaderMessages(Echo echo = Echo::Now);
    ~ReaderMessages();
    ReaderMessages(const ReaderMessages&) = delete;
    ReaderMessages& operator=(const ReaderMessages&) = delete;

    // One message line, without its line feed, from a reader that reports
    // line by line rather than through print_error.
    void add(const std::string& line);
    void add(const QString& line);

    // Everything received so far, one entry per non-empty line.
    QStringList lines() const;
    // The lines joined by "; ", or `fallback` when there were none.
    QString reason(const QString& fallback) const;
    // Sends held messages on, as Echo::Now would have done.
    void echoHeld();

private:
    static void receive(const char* text);
    void take(const QByteArray& text);
    void pass(const QByteArray& text) const;

    Echo echo;
    QByteArray received;
    QByteArray held;
    ReaderMessages* outer;
    void (*previousFunction)(const char*);
};
