// The new-style header: nested tags and text lines, read into the header tree.
//
// Every line is an opening tag (searched for first), a closing tag, or text.
// The parse holds these invariants:
// - Text lines gather until they are stored, with the name last opened, into
//   the current node: a stored node takes that name, so misnested tags rename
//   nodes; top-level nodes (the header node, nodes of earlier loads) are
//   never renamed nor given text.
// - An opening tag appends a child to the current node, which it becomes.
// - A closing tag of the name last opened closes the current node; any other
//   name moves to the parent of the first node of that name in pre-order over
//   the whole tree (the new header first, then nodes of earlier loads); a
//   name no node has, or only a top-level node has, changes nothing.
// - "</header>" ends the header wherever it stands.
#include "zelVertstatsFile.h"

#include "zelRegex.h"

#include <optional>
#include <string_view>
#include <unordered_map>

namespace {

using HeaderTree = zelVertstatsFile::HeaderTree;
using It = HeaderTree::iterator;

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

} // namespace

std::size_t zelVertstatsFile::readHeader(HeaderTree& tree, std::string_view text) {
    LineReader lines{text};
    for (;;) {
        if (lines.atEnd)
            return std::string_view::npos; // no "<header>" line: nothing to read
        if (lines.next().find("<header>") != std::string_view::npos)
            break;
    }
    if (!HeaderParser(tree).run(lines))
        return std::string_view::npos; // the header never closes: keep what it held, no columns
    return lines.atEnd ? std::string_view::npos : lines.pos;
}
