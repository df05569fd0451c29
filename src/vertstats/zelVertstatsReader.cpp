// Reading statistics files: the whole file into memory, the style, the
// column names and the rows of numbers.
#include "zelVertstatsFile.h"

#include "number_grammar.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace {

// The whole file, or false when it cannot be opened or read (a directory, say).
bool readWholeFile(const char* filename, std::string& text) {
    if (!filename)
        return false;
    std::FILE* f = std::fopen(filename, "rb");
    if (!f)
        return false;
    text.clear();
    struct stat st {};
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        text.resize(static_cast<std::size_t>(st.st_size));
        text.resize(std::fread(text.data(), 1, text.size(), f));
    }
    // Whatever the size said, read on to the end (the file may have grown, or be a pipe).
    char chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string printableToken(std::string_view token) {
    constexpr std::size_t shown = 40;
    std::string out;
    for (std::size_t i = 0; i < token.size() && i < shown; ++i) {
        unsigned char c = static_cast<unsigned char>(token[i]);
        if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    if (token.size() > shown)
        out += "...";
    return out;
}

// Reads numbers from `pos` on, row by row into `columns`, regardless of line
// boundaries; an incomplete last row is dropped. Stops with one message at a
// token that is not a number, leaving why in `stopped`. Returns the number of
// complete rows.
std::int32_t readRows(std::string_view text, std::size_t pos, std::vector<std::vector<float>>& columns,
                      const char* filename, std::string& stopped) {
    const std::size_t ncols = columns.size();
    if (ncols == 0)
        return 0;
    const char* p = text.data() + pos;
    const char* end = text.data() + text.size();
    // Rows are usually lines: room for as many as there are line ends, but
    // never more than the bytes could hold (a number and a space each), so
    // the room stays within twice the file's size whatever the columns.
    const std::size_t lines = static_cast<std::size_t>(std::count(p, end, '\n')) + 1;
    const std::size_t mostRows = static_cast<std::size_t>(end - p) / 2 / ncols + 1;
    for (auto& column : columns)
        column.reserve(std::min(lines, mostRows));
    std::size_t k = 0;
    std::int32_t rows = 0;
    while (true) {
        while (p != end && isSpace(*p))
            ++p;
        if (p == end)
            break;
        float value;
        // The whole token must be the number; nan and inf, which the writer emits, read too.
        const numparse::result r = numparse::parse(p, end, value);
        if (!r.ok() || (r.ptr != end && !isSpace(*r.ptr))) {
            const char* tokenEnd = p;
            while (tokenEnd != end && !isSpace(*tokenEnd))
                ++tokenEnd;
            std::size_t line = 1 + std::count(text.data(), p, '\n');
            stopped = std::string(filename) + ": line " + std::to_string(line) + ": \"" +
                      printableToken(std::string_view(p, tokenEnd - p)) + "\" is not a number; reading stops there";
            break;
        }
        columns[k].push_back(value);
        if (++k == ncols) {
            k = 0;
            if (rows == std::numeric_limits<std::int32_t>::max() - 1) {
                stopped = std::string(filename) + ": more rows than can be counted; reading stops there";
                ++rows;
                break;
            }
            ++rows;
        }
        p = r.ptr;
    }
    for (std::size_t i = 0; i < k; ++i)
        columns[i].pop_back();
    return rows;
}

// Why a line giving `count` columns is refused, or nothing.
std::optional<std::string> tooManyColumns(std::size_t count, const char* filename, const char* where) {
    if (count <= static_cast<std::size_t>(zelVertstatsFile::maxColumns))
        return std::nullopt;
    return std::string(filename) + ": the " + where + " gives " + std::to_string(count) + " columns, more than the " +
           std::to_string(zelVertstatsFile::maxColumns) + " accepted; no columns read";
}

} // namespace

void zelVertstatsFile::failRead(const char* filename) {
    message(std::string("ERROR: could not read file ") + (filename ? filename : ""));
    std::exit(1);
}

int zelVertstatsFile::determineFileType(const char* filename) {
    std::FILE* f = filename ? std::fopen(filename, "rb") : nullptr;
    if (!f)
        failRead(filename);
    // Scans the first line in pieces, so a huge first line costs no memory.
    static constexpr std::string_view tag = "<header>";
    std::string window;
    char chunk[1 << 16];
    int type = 0;
    bool lineDone = false;
    std::size_t n;
    while (!lineDone && (n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        std::string_view piece(chunk, n);
        std::size_t nl = piece.find('\n');
        if (nl != std::string_view::npos) {
            piece = piece.substr(0, nl);
            lineDone = true;
        }
        window.append(piece);
        if (window.find(tag) != std::string::npos) {
            type = 1;
            break;
        }
        if (window.size() >= tag.size())
            window.erase(0, window.size() - (tag.size() - 1));
    }
    bool failed = std::ferror(f);
    std::fclose(f);
    if (failed)
        failRead(filename);
    return type;
}

void zelVertstatsFile::loadFile(const char* filename, bool loadData) {
    if (determineFileType(filename) == 1)
        loadNewStyleFile(filename, loadData);
    else
        loadOldStyleFile(filename, loadData);
}

void zelVertstatsFile::appendColumns(std::vector<std::string> names, std::vector<std::vector<float>> columns,
                                     std::int32_t rows) {
    // Every column keeps numRows values: the shorter side is padded with NaN,
    // which reads back as "no value" rather than leaving columns short.
    std::int32_t target = std::max(numRows, rows);
    if (columns.empty())
        target = numRows;
    for (auto& c : data)
        c.resize(static_cast<std::size_t>(target), missingValue);
    for (auto& c : columns)
        c.resize(static_cast<std::size_t>(target), missingValue);
    numRows = target;
    for (std::size_t i = 0; i < names.size(); ++i) {
        dataHeader.push_back(std::move(names[i]));
        data.push_back(std::move(columns[i]));
    }
    numColumns = static_cast<std::int32_t>(dataHeader.size());
}

void zelVertstatsFile::loadFromString(std::string_view text, bool loadData, const char* name) {
    if (name == nullptr)
        name = "";
    std::string_view firstLine = text.substr(0, text.find('\n'));
    if (firstLine.find("<header>") != std::string_view::npos)
        loadNewStyleText(text, loadData, name);
    else
        loadOldStyleText(text, loadData, name);
}

void zelVertstatsFile::loadOldStyleFile(const char* filename, bool loadData) {
    std::string text;
    if (!readWholeFile(filename, text))
        failRead(filename);
    loadOldStyleText(text, loadData, filename);
}

void zelVertstatsFile::loadNewStyleFile(const char* filename, bool loadData) {
    std::string text;
    if (!readWholeFile(filename, text))
        failRead(filename);
    loadNewStyleText(text, loadData, filename);
}

void zelVertstatsFile::loadOldStyleText(std::string_view text, bool loadData, const char* name) {
    std::string_view firstLine = text.substr(0, text.find('\n'));
    // Spaces separate the columns; one in the very first position does not.
    std::size_t count = 1 + std::count(firstLine.begin(), firstLine.end(), ' ');
    if (!firstLine.empty() && firstLine[0] == ' ')
        --count;
    if (std::optional<std::string> refused = tooManyColumns(count, name, "first line")) {
        message(*refused);
        return;
    }

    std::vector<std::string> names;
    names.reserve(count);
    char columnName[32];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(columnName, sizeof columnName, "%s%i", "Column", static_cast<int>(i));
        names.emplace_back(columnName);
    }
    std::vector<std::vector<float>> columns(count);
    std::string stopped;
    std::int32_t rows = loadData ? readRows(text, 0, columns, name, stopped) : 0;
    if (!stopped.empty())
        message(stopped);
    appendColumns(std::move(names), std::move(columns), rows);
}

void zelVertstatsFile::loadNewStyleText(std::string_view text, bool loadData, const char* name) {
    std::size_t pos = readHeader(headerTree, text);
    if (pos == std::string_view::npos)
        return;

    std::size_t lineEnd = text.find('\n', pos);
    std::string_view nameLine = text.substr(pos, lineEnd == std::string_view::npos ? lineEnd : lineEnd - pos);
    std::size_t rowsFrom = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
    std::size_t count = 1 + std::count(nameLine.begin(), nameLine.end(), ' ');
    if (std::optional<std::string> refused = tooManyColumns(count, name, "column-name line")) {
        message(*refused);
        return;
    }
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t start = 0;;) {
        std::size_t space = nameLine.find(' ', start);
        names.emplace_back(nameLine.substr(start, space == std::string_view::npos ? space : space - start));
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    std::vector<std::vector<float>> columns(count);
    std::string stopped;
    std::int32_t rows = loadData ? readRows(text, rowsFrom, columns, name, stopped) : 0;
    if (!stopped.empty())
        message(stopped);
    appendColumns(std::move(names), std::move(columns), rows);
}
