// The tokens of tag-point files: characters with line counting, words,
// number tokens and the messages that name the file and line. Shared by the
// parts of the tag reader; not part of the layer's interface.
#pragma once

#include "file_internal.h"

#include <cstdio>

namespace tag_tokens {

// Longest number token accepted; anything longer is not a number we write.
constexpr std::size_t max_token = 63;

struct tag_reader {
    const char *name = nullptr;
    File file = nullptr;   // opened quietly: read failures are ours to report
    int line = 1;
};

// The next byte after fetching more; EOF at the end or after a failure.
int peek_after_refill(tag_reader *r);

inline int peek(tag_reader *r)
{
    File f = r->file;
    if (f->pos < f->end)
        return static_cast<unsigned char>(f->bytes[f->pos]);
    return peek_after_refill(r);
}

inline int get(tag_reader *r)
{
    int c = peek(r);
    if (c != EOF) {
        ++r->file->pos;
        if (c == '\n')
            ++r->line;
    }
    return c;
}

inline bool is_blank(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

inline bool ends_token(int c)
{
    return c == EOF || c == '\n' || c == ';' || c == '"' || c == '=' || is_blank(c);
}

void skip_blanks(tag_reader *r);
// Blanks and line ends.
void skip_space(tag_reader *r);
void skip_line(tag_reader *r);

// "Error reading tag file "<name>", line <n>: <text>", or the read failure
// that cut the file short.
void tag_error(const tag_reader *r, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

// A word of letters (the header keywords).
void read_word(tag_reader *r, char *word, std::size_t capacity);
// Reads up to the next white space, ';', '"' or '='. A token too long to be
// a number is cut at max_token characters (and then fails to parse);
// 'token' holds max_token + 1 bytes.
void read_token(tag_reader *r, char *token);
// What to quote in a message when a number was expected: the token, or the
// character that stopped it ('spare' holds two bytes).
const char *shown_token(tag_reader *r, const char *token, char *spare);

// A finite number: the whole token.
bool parse_real(const char *token, double *value);
// A number with an integral value within the range of int.
bool parse_id(const char *token, int *value);

} // namespace tag_tokens
