#include "zelVertstatsFile.h"

#include "number_grammar.h"
#include "zelRegex.h"
#include "time_stamp.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace {

using HeaderTree = zelVertstatsFile::HeaderTree;
using It = HeaderTree::iterator;

constexpr float missingValue = std::numeric_limits<float>::quiet_NaN();

[[noreturn]] void failRead(const char* filename) {
    std::cerr << "ERROR: could not read file " << (filename ? filename : "") << std::endl;
    std::exit(1);
}

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

// Lines without their line feed. `atEnd` turns true once a read reaches the end
// of the text, so a text ending in a line feed still yields one more (empty) line.
struct LineReader {
    std::string_view text;
    std::size_t pos = 0;
    bool atEnd = false;

    std::string_view next() {
        std::size_t nl = text.find('\n', pos);
        std::string_view line;
        if (nl == std::string_view::npos) {
            line = text.substr(std::min(pos, text.size()));
            pos = text.size();
            atEnd = true;
        } else {
            line = text.substr(pos, nl - pos);
            pos = nl + 1;
        }
        return line;
    }
};

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
// token that is not a number. Returns the number of complete rows.
std::int32_t readRows(std::string_view text, std::size_t pos, std::vector<std::vector<float>>& columns,
                      const char* filename) {
    const std::size_t ncols = columns.size();
    if (ncols == 0)
        return 0;
    const char* p = text.data() + pos;
    const char* end = text.data() + text.size();
    std::size_t k = 0;
    std::int32_t rows = 0;
    while (true) {
        while (p != end && isSpace(*p))
            ++p;
        if (p == end)
            break;
        const char* tokenEnd = p;
        while (tokenEnd != end && !isSpace(*tokenEnd))
            ++tokenEnd;
        float value;
        // The whole token must be the number; nan and inf, which the writer emits, read too.
        if (!numparse::parse_whole(p, tokenEnd, value)) {
            std::size_t line = 1 + std::count(text.data(), p, '\n');
            std::cerr << filename << ": line " << line << ": \""
                      << printableToken(std::string_view(p, tokenEnd - p))
                      << "\" is not a number; reading stops there" << std::endl;
            break;
        }
        columns[k].push_back(value);
        if (++k == ncols) {
            k = 0;
            if (rows == std::numeric_limits<std::int32_t>::max() - 1) {
                std::cerr << filename << ": more rows than can be counted; reading stops there" << std::endl;
                ++rows;
                break;
            }
            ++rows;
        }
        p = tokenEnd;
    }
    for (std::size_t i = 0; i < k; ++i)
        columns[i].pop_back();
    return rows;
}

bool tooManyColumns(std::size_t count, const char* filename, const char* where) {
    if (count <= static_cast<std::size_t>(zelVertstatsFile::maxColumns))
        return false;
    std::cerr << filename << ": the " << where << " gives " << count << " columns, more than the "
              << zelVertstatsFile::maxColumns << " accepted; no columns read" << std::endl;
    return true;
}

// The header parse. Besides the tree it keeps, for speed on large headers,
// the first node of every name in pre-order (closing tags of enclosing
// elements are resolved by that lookup) and the chain of last children from
// the header node, along which new nodes are known to come last in pre-order.
class HeaderParser {
public:
    explicit HeaderParser(HeaderTree& t) : tree(t) {
        // Nodes of earlier loads lie behind the new header in pre-order.
        for (It n = tree.begin(); n != tree.end(); ++n)
            firstByName.try_emplace(n->name, First{n, false});
        top = tree.insert(tree.begin(), {"header", ""});
        firstByName["header"] = First{top, true};
        current = top;
        spine.push_back(top);
    }

    // True when the closing tag of header was reached, false at the end of the text.
    bool run(LineReader& lines) {
        std::vector<std::string> groups;
        while (!lines.atEnd) {
            std::string_view line = lines.next();
            if (openTag.search(line, groups)) {
                if (!justClosed)
                    store();
                currentName = groups[1];
                appendNode();
                justClosed = false;
            } else if (closeTag.search(line, groups)) {
                const std::string& name = groups[1];
                if (name == "header")
                    return true;
                if (name == currentName) {
                    // A top-level node has no parent to return to: the tag is stray.
                    if (HeaderTree::depth(current) > 0) {
                        store();
                        current = HeaderTree::parent(current);
                        justClosed = true;
                    }
                } else if (std::optional<First> f = findFirst(name); f && HeaderTree::depth(f->node) > 0) {
                    current = HeaderTree::parent(f->node);
                    currentInHeader = f->inHeader;
                }
            } else {
                pendingText += line;
                pendingText += '\n';
            }
        }
        return false;
    }

private:
    struct First {
        It node;
        bool inHeader; // inside the header this parse creates, which precedes older nodes
    };

    bool onSpine(It n) const {
        std::size_t d = HeaderTree::depth(n);
        return currentInHeader && d < spine.size() && spine[d] == n;
    }

    // Top-level nodes keep their entry: the header node's value stays empty and
    // its name "header", whatever stray tags the text holds.
    void store() {
        if (HeaderTree::depth(current) == 0)
            return;
        if (current->name != currentName)
            cacheDirty = true;
        tree.replace(current, {currentName, std::move(pendingText)});
        pendingText.clear();
    }

    void appendNode() {
        bool last = onSpine(current);
        It n = tree.append_child(current, {currentName, ""});
        if (last) {
            spine.resize(HeaderTree::depth(current) + 1);
            spine.push_back(n);
        }
        if (!cacheDirty) {
            auto [entry, inserted] = firstByName.try_emplace(currentName, First{n, currentInHeader});
            First& f = entry->second;
            if (!inserted) {
                if (f.inHeader != currentInHeader) {
                    if (currentInHeader)
                        f = First{n, true};
                } else if (!last && precedes(n, f.node)) {
                    f = First{n, currentInHeader};
                }
            }
        }
        current = n;
    }

    std::optional<First> findFirst(const std::string& name) {
        if (cacheDirty) {
            firstByName.clear();
            bool inHeader = true;
            for (It n = tree.begin(); n != tree.end(); ++n) {
                if (HeaderTree::depth(n) == 0 && n != top)
                    inHeader = false;
                firstByName.try_emplace(n->name, First{n, inHeader});
            }
            cacheDirty = false;
        }
        auto f = firstByName.find(name);
        if (f == firstByName.end())
            return std::nullopt;
        return f->second;
    }

    // Whether `a` comes before `b` in pre-order.
    static bool precedes(It a, It b) {
        std::size_t da = HeaderTree::depth(a), db = HeaderTree::depth(b);
        It x = a, y = b;
        for (; da > db; --da)
            x = HeaderTree::parent(x);
        if (x == b)
            return false;
        for (; db > da; --db)
            y = HeaderTree::parent(y);
        if (y == a)
            return true;
        while (HeaderTree::parent(x) != HeaderTree::parent(y)) {
            x = HeaderTree::parent(x);
            y = HeaderTree::parent(y);
        }
        for (It s = x; s != It(); s = HeaderTree::next_sibling(s))
            if (s == y)
                return true;
        return false;
    }

    HeaderTree& tree;
    zelRegex openTag{"<([a-z]+)>", "i"};
    zelRegex closeTag{"</([a-z]+)>", "i"};
    It top, current;
    bool currentInHeader = true;
    std::string currentName, pendingText;
    bool justClosed = true;
    std::vector<It> spine;
    std::unordered_map<std::string, First> firstByName;
    bool cacheDirty = false;
};

// The first node in pre-order with exactly this name.
It findByName(HeaderTree& tree, const std::string& name) {
    for (It n = tree.begin(); n != tree.end(); ++n)
        if (n->name == name)
            return n;
    return tree.end();
}

It firstChildNamed(HeaderTree& tree, It parent, const std::string& name) {
    for (auto c = tree.children(parent).begin(); c != HeaderTree::child_iterator(); ++c)
        if (c->name == name)
            return c.position();
    return tree.end();
}

} // namespace

zelVertstatsFile::zelVertstatsFile() { initialiseVariables(); }

zelVertstatsFile::zelVertstatsFile(const char* filename, bool loadData) {
    initialiseVariables();
    loadFile(filename, loadData);
}

zelVertstatsFile::zelVertstatsFile(std::string filename, bool loadData) : zelVertstatsFile(filename.c_str(), loadData) {}

void zelVertstatsFile::initialiseVariables() {
    dataHeader = {};
    data = {};
    numRows = 0;
    numColumns = 0;
    headerTree = HeaderTree();
}

void zelVertstatsFile::destroyVariables() {
    dataHeader.clear();
    dataHeader.shrink_to_fit();
    data.clear();
    data.shrink_to_fit();
    numRows = 0;
    numColumns = 0;
    headerTree.clear();
}

void zelVertstatsFile::close() {
    destroyVariables();
    initialiseVariables();
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

void zelVertstatsFile::loadOldStyleFile(const char* filename, bool loadData) {
    std::string text;
    if (!readWholeFile(filename, text))
        failRead(filename);
    std::string_view firstLine = std::string_view(text).substr(0, text.find('\n'));
    // Spaces separate the columns; one in the very first position does not.
    std::size_t count = 1 + std::count(firstLine.begin(), firstLine.end(), ' ');
    if (!firstLine.empty() && firstLine[0] == ' ')
        --count;
    if (tooManyColumns(count, filename, "first line"))
        return;

    std::vector<std::string> names;
    names.reserve(count);
    char name[32];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "%s%i", "Column", static_cast<int>(i));
        names.emplace_back(name);
    }
    std::vector<std::vector<float>> columns(count);
    std::int32_t rows = loadData ? readRows(text, 0, columns, filename) : 0;
    appendColumns(std::move(names), std::move(columns), rows);
}

void zelVertstatsFile::loadNewStyleFile(const char* filename, bool loadData) {
    std::string text;
    if (!readWholeFile(filename, text))
        failRead(filename);
    LineReader lines{text};
    for (;;) {
        if (lines.atEnd)
            return; // no "<header>" line: nothing to read
        if (lines.next().find("<header>") != std::string_view::npos)
            break;
    }
    if (!HeaderParser(headerTree).run(lines))
        return; // the header never closes: keep what it held, no columns
    if (lines.atEnd)
        return;

    std::string_view nameLine = lines.next();
    std::size_t count = 1 + std::count(nameLine.begin(), nameLine.end(), ' ');
    if (tooManyColumns(count, filename, "column-name line"))
        return;
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
    std::int32_t rows = loadData ? readRows(text, lines.pos, columns, filename) : 0;
    appendColumns(std::move(names), std::move(columns), rows);
}

std::vector<std::string> zelVertstatsFile::getDataHeader() const { return dataHeader; }

std::vector<float> zelVertstatsFile::getDataColumn(std::int32_t index) const {
    if (index < 0 || index >= numColumns)
        throw InvalidColumnError();
    return data[static_cast<std::size_t>(index)];
}

std::vector<float> zelVertstatsFile::getDataColumn(std::string name) const {
    if (numColumns == 0)
        throw InvalidColumnError();
    std::string pattern = "^" + zelRegex("\\.", "g").replace(name, "\\.") + "$";
    std::optional<zelRegex> re;
    try {
        re.emplace(pattern);
    } catch (const zelRegex::CompileError&) {
        // A name that is not a valid pattern designates no column.
        throw InvalidColumnError();
    }
    int found = -1;
    for (int k = 0; k < numColumns; ++k)
        if (re->search(dataHeader[static_cast<std::size_t>(k)]))
            found = k;
    if (found < 0)
        throw InvalidColumnError();
    return data[static_cast<std::size_t>(found)];
}

std::vector<std::vector<float>> zelVertstatsFile::getAllColumns() const { return data; }

zelVertstatsFile::HeaderIterator zelVertstatsFile::getHeaderIterator(std::string path) {
    if (zelRegex(":", "g").search(path)) {
        if (headerTree.empty())
            throw HeaderNotFoundError();
        It node = headerTree.begin();
        for (const std::string& name : zelRegex(":", "g").split(path)) {
            // An empty name (at either end or between two ":") names no node.
            if (name.empty())
                throw HeaderNotFoundError();
            node = firstChildNamed(headerTree, node, name);
            if (node == headerTree.end())
                throw HeaderNotFoundError();
        }
        return node;
    }
    It node = findByName(headerTree, path);
    if (node == headerTree.end())
        throw HeaderNotFoundError();
    return node;
}

std::string zelVertstatsFile::getHeaderValue(std::string path) {
    try {
        return getHeaderIterator(std::move(path))->value;
    } catch (const HeaderNotFoundError&) {
        return std::string();
    }
}

void zelVertstatsFile::writeHeaderEntry(HeaderIterator position, std::ofstream& out) {
    if (position == headerTree.end())
        return;
    // Depth-first without recursion: open a node, descend, and on the way back
    // close every node whose children are done.
    It n = position;
    for (;;) {
        out << '<' << n->name << ">\n" << n->value;
        if (HeaderTree::number_of_children(n) > 0) {
            n = headerTree.children(n).begin().position();
            continue;
        }
        for (;;) {
            out << "</" << n->name << ">\n";
            if (n == position)
                return;
            It next = HeaderTree::next_sibling(n);
            if (next != headerTree.end()) {
                n = next;
                break;
            }
            n = HeaderTree::parent(n);
        }
    }
}

bool zelVertstatsFile::writeFile(std::string filename, bool oldStyle) {
    std::ofstream out(filename, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    if (!oldStyle) {
        if (headerTree.empty())
            out << "<header>\n</header>\n";
        else
            writeHeaderEntry(headerTree.begin(), out);
        std::cout << "wrote header entry" << std::endl;
        std::cout << "numColumns: " << numColumns << std::endl;
        for (int k = 0; k < numColumns; ++k) {
            if (k > 0)
                out << ' ';
            out << dataHeader[static_cast<std::size_t>(k)];
        }
        out << '\n';
    }

    // Formats rows into a buffer written in large pieces; to_chars gives the
    // %g notation with 6 significant digits, whatever the C locale.
    std::string buffer;
    constexpr std::size_t flushAt = 1 << 20;
    buffer.reserve(flushAt + 4096);
    char number[64];
    for (int r = 0; r < numRows && out; ++r) {
        for (int k = 0; k < numColumns; ++k) {
            if (k > 0)
                buffer += ' ';
            double v = data[static_cast<std::size_t>(k)][static_cast<std::size_t>(r)];
            auto res = std::to_chars(number, number + sizeof number, v, std::chars_format::general, 6);
            buffer.append(number, res.ptr);
        }
        buffer += '\n';
        if (buffer.size() >= flushAt) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out.close();
    // A full disk shows up here; report it rather than claim the file is written.
    return !out.fail();
}

void zelVertstatsFile::putHeader(zelVertstatsHeaderEntry entry, std::string parentName) {
    if (!entry.value.ends_with('\n')) {
        std::cout << "no newline" << std::endl;
        entry.value += '\n';
    }
    It parent = findByName(headerTree, parentName);
    if (parent == headerTree.end()) {
        if (parentName == "header") {
            parent = headerTree.insert(headerTree.begin(), {"header", ""});
        } else {
            It header = findByName(headerTree, "header");
            if (header == headerTree.end())
                header = headerTree.insert(headerTree.begin(), {"header", ""});
            parent = headerTree.append_child(header, {parentName, ""});
        }
    }
    headerTree.append_child(parent, std::move(entry));
}

void zelVertstatsFile::putHeader(HeaderTree tree) { headerTree = std::move(tree); }

void zelVertstatsFile::addToHeader(std::string name, std::string value) {
    std::vector<std::string> path;
    if (zelRegex(":", "g").search(name))
        path = zelRegex(":", "g").split(name);
    try {
        It node = getHeaderIterator(name);
        // A node found through a path keeps its own tag name: the whole path
        // would not read back as a tag, nor be found by that path again.
        std::string ownName = path.empty() ? name : path.back();
        headerTree.replace(node, {ownName, node->value + "\n" + value});
        return;
    } catch (const HeaderNotFoundError&) {
    }

    bool usablePath = !path.empty() && std::none_of(path.begin(), path.end(), [](auto& p) { return p.empty(); });
    if (usablePath) {
        // Creates what the path lacks, so the entry is found by the same path.
        if (headerTree.empty())
            headerTree.insert(headerTree.begin(), {"header", ""});
        It node = headerTree.begin();
        for (std::size_t i = 0; i < path.size(); ++i) {
            It child = firstChildNamed(headerTree, node, path[i]);
            if (child == headerTree.end())
                child = headerTree.append_child(node, {path[i], i + 1 == path.size() ? value : ""});
            node = child;
        }
        return;
    }
    It header;
    try {
        header = getHeaderIterator("header");
    } catch (const HeaderNotFoundError&) {
        header = headerTree.insert(headerTree.begin(), {"header", ""});
    }
    headerTree.append_child(header, {name, value});
}

void zelVertstatsFile::addToHistory(std::string text) { addToHeader("history", std::move(text)); }

void zelVertstatsFile::addToHistory(int argc, const char* const argv[]) {
    char* stamp = time_stamp(argc, argv);
    std::string text = stamp ? stamp : "";
    std::free(stamp);
    addToHeader("history", text);
}

void zelVertstatsFile::putDataColumn(std::vector<float> column, std::string name) {
    bool fits = column.size() <= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    if (fits && numRows == 0) {
        numRows = static_cast<std::int32_t>(column.size());
        // Columns put while there were no rows take NaN, so none is shorter than numRows.
        for (auto& c : data)
            c.resize(column.size(), missingValue);
    } else if (!fits || column.size() != static_cast<std::size_t>(numRows)) {
        std::cerr << "ERROR: all columns of data must be of the same size." << std::endl;
        std::exit(1);
    }
    data.push_back(std::move(column));
    dataHeader.push_back(std::move(name));
    numColumns = static_cast<std::int32_t>(dataHeader.size());
}

void zelVertstatsFile::printHeaderStructure() const {
    // Beyond this depth the indentation stops growing and the depth is shown
    // as a number: a deeply nested header would otherwise print gigabytes.
    constexpr std::size_t maxIndentLevels = 100;
    std::string out;
    for (auto n = headerTree.begin(); n != headerTree.end(); ++n) {
        std::size_t d = HeaderTree::depth(n);
        out.append(2 * std::min(d, maxIndentLevels), ' ');
        if (d > maxIndentLevels)
            out += "(depth " + std::to_string(d) + ") ";
        out += n->name;
        out += '\n';
        if (out.size() >= (1 << 20)) {
            std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
            out.clear();
        }
    }
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    std::cout.flush();
}
