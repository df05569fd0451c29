#include "message_text.h"

namespace gyroscene {

QString message_text(const QString& text)
{
    // The tail holds a file's name, the head where it lives.
    constexpr int head = 80;
    constexpr int tail = 120;
    QString shown;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && !text[end].isSpace())
            ++end;
        const qsizetype length = end - start;
        if (length > longest_message_word) {
            shown += text.mid(start, head);
            shown += QStringLiteral("…(%1 characters)…").arg(length - head - tail);
            shown += text.mid(end - tail, tail);
        } else {
            shown += text.mid(start, length);
        }
        start = end;
        while (start < text.size() && text[start].isSpace())
            shown += text[start++];
    }
    return shown;
}

}  // namespace gyroscene
