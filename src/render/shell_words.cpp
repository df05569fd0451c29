#include "shell_words.h"

namespace gyrorender {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

bool split_shell_words(const std::string& line, std::vector<std::string>* words,
                       std::string* error)
{
    words->clear();
    std::string word;
    // A word may be empty ('' or ""), so being inside one is its own state.
    bool inWord = false;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        const char c = line[i];
        if (isBlank(c)) {
            if (inWord) {
                words->push_back(word);
                word.clear();
                inWord = false;
            }
            ++i;
        } else if (c == '#' && !inWord) {
            break;
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string::npos) {
                *error = "unterminated single quote";
                return false;
            }
            word.append(line, i + 1, close - i - 1);
            inWord = true;
            i = close + 1;
        } else if (c == '"') {
            inWord = true;
            ++i;
            bool closed = false;
            while (i < n) {
                const char d = line[i];
                if (d == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (d == '\\' && i + 1 < n &&
                    (line[i + 1] == '$' || line[i + 1] == '`' || line[i + 1] == '"' ||
                     line[i + 1] == '\\')) {
                    word += line[i + 1];
                    i += 2;
                    continue;
                }
                word += d;
                ++i;
            }
            if (!closed) {
                *error = "unterminated double quote";
                return false;
            }
        } else if (c == '\\') {
            if (i + 1 >= n) {
                *error = "backslash at the end of the line";
                return false;
            }
            word += line[i + 1];
            inWord = true;
            i += 2;
        } else {
            word += c;
            inWord = true;
            ++i;
        }
    }
    if (inWord)
        words->push_back(word);
    return true;
}

}  // namespace gyrorender
