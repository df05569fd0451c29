#include "ReaderMessages.h"

#include "quillon.h"

#include <QFile>

#include <cstdio>

namespace {

// The innermost collector; print_error's routing is one plain function.
ReaderMessages* active = nullptr;

}  // namespace

QByteArray readerFileName(const QString& fileName)
{
    return QFile::encodeName(fileName);
}

QByteArray readerFileName(const QFile& file)
{
    return readerFileName(file.fileName());
}

ReaderMessages::ReaderMessages(Echo echo) : echo(echo), outer(active)
{
    active = this;
    previousFunction = set_print_error_function(&ReaderMessages::receive);
}

ReaderMessages::~ReaderMessages()
{
    set_print_error_function(previousFunction);
    active = outer;
}

void ReaderMessages::receive(const char* text)
{
    if (active)
        active->take(QByteArray(text));
}

void ReaderMessages::add(const std::string& line)
{
    take(QByteArray(line.data(), static_cast<qsizetype>(line.size())) + '\n');
}

void ReaderMessages::add(const QString& line)
{
    take(line.toLocal8Bit() + '\n');
}

void ReaderMessages::take(const QByteArray& text)
{
    received += text;
    if (echo == Echo::Now)
        pass(text);
    else
        held += text;
}

void ReaderMessages::pass(const QByteArray& text) const
{
    if (outer) {
        outer->take(text);
    } else if (previousFunction) {
        previousFunction(text.constData());
    } else {
        // As print_error itself writes when nothing is routed.
        std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
        std::fflush(stderr);
    }
}

void ReaderMessages::echoHeld()
{
    if (held.isEmpty())
        return;
    const QByteArray text = held;
    held.clear();
    pass(text);
}

QStringList ReaderMessages::lines() const
{
    return QString::fromLocal8Bit(received).split('\n', Qt::SkipEmptyParts);
}

QString ReaderMessages::reason(const QString& fallback) const
{
    const QStringList all = lines();
    return all.isEmpty() ? fallback : all.join("; ");
}
