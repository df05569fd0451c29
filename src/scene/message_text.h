// Messages shown to the user name files by path, and a path may be as long
// as the scene file that holds it: each run of text without spaces longer
// than a screen line keeps its head and tail around an ellipsis, so that a
// message stays readable and bounded.
#pragma once

#include <QString>

namespace gyroscene {

// Runs of non-space characters longer than this are shortened.
inline constexpr int longest_message_word = 240;

QString message_text(const QString& text);

}  // namespace gyroscene
