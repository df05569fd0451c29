// One line of a batch list split into arguments as a POSIX shell splits a
// command: blanks separate words; single quotes keep everything up to the
// next one; double quotes keep everything but a backslash before $ ` " \;
// an unquoted backslash keeps the next character; an unquoted # at the
// start of a word begins a comment. Nothing is expanded.
#pragma once

#include <string>
#include <vector>

namespace gyrorender {

// False, with `error` saying why, for an unterminated quote or a trailing
// backslash; `words` then holds what came before.
bool split_shell_words(const std::string& line, std::vector<std::string>* words,
                       std::string* error);

}  // namespace gyrorender
