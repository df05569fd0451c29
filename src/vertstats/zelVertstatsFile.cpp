#include "zelVertstatsFile.h"

#include "zelRegex.h"
#include "time_stamp.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <utility>

namespace {

using HeaderTree = zelVertstatsFile::HeaderTree;
using It = HeaderTree::iterator;

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

// The process-wide sink; empty means standard error.
zelVertstatsFile::MessageSink& currentSink() {
    static zelVertstatsFile::MessageSink sink;
    return sink;
}

} // namespace

zelVertstatsFile::MessageSink zelVertstatsFile::setMessageSink(MessageSink sink) {
    return std::exchange(currentSink(), std::move(sink));
}

void zelVertstatsFile::message(const std::string& line) {
    if (const MessageSink& sink = currentSink()) {
        sink(line);
        return;
    }
    std::cerr << line << std::endl;
}

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

std::vector<std::string> zelVertstatsFile::getDataHeader() const { return dataHeader; }

std::vector<float> zelVertstatsFile::getDataColumn(std::int32_t index) const {
    if (index < 0 || index >= numColumns)
        throw InvalidColumnError();
    return data[static_cast<std::size_t>(index)];
}

std::vector<std::vector<float>> zelVertstatsFile::takeAllColumns() {
    std::vector<std::vector<float>> columns = std::move(data);
    data.assign(columns.size(), {});
    numRows = 0;
    return columns;
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

void zelVertstatsFile::writeHeaderEntry(HeaderIterator position, std::ostream& out) {
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
    write(out, oldStyle);
    out.close();
    // A full disk shows up here; report it rather than claim the file is written.
    return !out.fail();
}

bool zelVertstatsFile::write(std::ostream& out, bool oldStyle) {
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
    // A small table needs no megabyte: at most 14 bytes a value ("-1.23457e+38 ").
    const std::size_t values = static_cast<std::size_t>(numRows) * static_cast<std::size_t>(numColumns);
    buffer.reserve(std::min(flushAt, values * 14) + 4096);
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
        message("ERROR: all columns of data must be of the same size.");
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
