// The tokens of tag-point files.
#include "tag_tokens.h"

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "number_grammar.h"

int tag_tokens::peek_after_refill(tag_reader *r)
{
    File f = r->file;
    while (f->pos == f->end)
        if (!quillon_internal::refill(f))
            return EOF;
    return static_cast<unsigned char>(f->bytes[f->pos]);
}

void tag_tokens::skip_blanks(tag_reader *r)
{
    while (is_blank(peek(r)))
        get(r);
}

void tag_tokens::skip_space(tag_reader *r)
{
    for (int c = peek(r); is_blank(c) || c == '\n'; c = peek(r))
        get(r);
}

void tag_tokens::skip_line(tag_reader *r)
{
    for (int c = get(r); c != EOF && c != '\n'; c = get(r)) {
    }
}

void tag_tokens::tag_error(const tag_reader *r, const char *format, ...)
{
    // A failed read shows up as an early end of file; say what really failed.
    if (r->file->failed) {
        print_error("Error reading tag file \"%s\": %s\n", r->name,
                    std::strerror(r->file->error));
        return;
    }
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    print_error("Error reading tag file \"%s\", line %d: %s\n", r->name, r->line,
                text);
}

void tag_tokens::read_word(tag_reader *r, char *word, std::size_t capacity)
{
    std::size_t n = 0;
    for (int c = peek(r); (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
         c = peek(r)) {
        get(r);
        if (n + 1 < capacity)
            word[n++] = static_cast<char>(c);
    }
    word[n] = '\0';
}

void tag_tokens::read_token(tag_reader *r, char *token)
{
    std::size_t n = 0;
    // a token holds no line end, so the line count stays as it is
    for (int c = peek(r); !ends_token(c); c = peek(r)) {
        ++r->file->pos;
        if (n < max_token)
            token[n++] = static_cast<char>(c);
    }
    token[n] = '\0';
}

const char *tag_tokens::shown_token(tag_reader *r, const char *token, char *spare)
{
    if (token[0] != '\0')
        return token;
    int c = peek(r);
    if (c == EOF)
        return "the end of the file";
    if (c == '\n')
        return "the end of the line";
    spare[0] = static_cast<char>(c);
    spare[1] = '\0';
    return spare;
}

// Coordinates and weights must be finite: a tag point at infinity is
// not a place.
bool tag_tokens::parse_real(const char *token, double *value)
{
    return numparse::parse_whole(token, token + std::strlen(token), *value) &&
           std::isfinite(*value);
}

bool tag_tokens::parse_id(const char *token, int *value)
{
    double real;
    if (!parse_real(token, &real) || real != std::floor(real) ||
        real < static_cast<double>(INT_MIN) || real > static_cast<double>(INT_MAX))
        return false;
    *value = static_cast<int>(real);
    return true;
}
