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

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <vector>

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

// Positions in pre-order that stay comparable while nodes are added
// anywhere: node k has an entry mark 2k and an exit mark 2k+1 in one list
// (its subtree lies between the two), and the marks carry increasing labels.
// Nodes are only ever added before an exit mark, so a new entry mark goes
// right after its predecessor and the exit mark leaves room on both sides,
// for children and for later siblings; when there is no room, the smallest
// aligned label range around them that is sparse enough is respaced evenly,
// which costs O(log n) amortised per node.
class TourOrder {
public:
    using Mark = std::uint32_t;

    // Labels spread for the marks of `nodes` nodes linked at the end.
    explicit TourOrder(std::size_t nodes) : stride(std::max<std::uint64_t>(1, labelLimit / (2 * nodes + 1))) {
        marks.reserve(2 * nodes);
    }

    // The two unlinked marks of the next node.
    void addNode() {
        if (marks.size() >= none - 1)
            throw std::length_error("header too large");
        marks.push_back({});
        marks.push_back({});
    }

    static Mark entry(std::uint32_t node) { return 2 * node; }
    static Mark exit(std::uint32_t node) { return 2 * node + 1; }

    // Links the mark at the end: the marks of existing nodes, in tour order.
    void linkAtEnd(Mark m) {
        std::uint64_t label = tail == none ? stride : marks[tail].label + stride;
        marks[m] = {label, tail, none};
        if (tail != none)
            marks[tail].next = m;
        tail = m;
    }

    // Links the marks of a new node right before `next`, which always has a
    // mark before it: the node becomes the last child of next's node.
    void linkPairBefore(std::uint32_t node, Mark next) {
        Mark first = entry(node), second = exit(node);
        Mark prev = marks[next].prev;
        marks[first] = {0, prev, second};
        marks[second] = {0, first, next};
        marks[prev].next = first;
        marks[next].prev = second;
        std::uint64_t room = marks[next].label - marks[prev].label;
        if (room >= 3) {
            // Children get at most 2^32 labels: long runs of siblings are
            // then labelled without respacing.
            marks[first].label = marks[prev].label + 1;
            marks[second].label = marks[first].label + std::min((room - 1) / 2, std::uint64_t(1) << 32);
        } else {
            respace(prev, second);
        }
    }

    std::uint64_t label(Mark m) const { return marks[m].label; }

private:
    static constexpr Mark none = std::numeric_limits<Mark>::max();
    static constexpr int labelBits = 62;
    static constexpr std::uint64_t labelLimit = std::uint64_t(1) << labelBits;

    struct Entry {
        std::uint64_t label;
        Mark prev, next;
    };

    // Labels `prev` to `last` anew, the marks after `prev` being unlabelled.
    void respace(Mark prev, Mark last) {
        std::uint64_t at = marks[prev].label;
        Mark first = prev;
        std::size_t count = 1;
        for (Mark k = prev; k != last; k = marks[k].next)
            ++count;
        // A range of 2^bits labels may hold up to 1.45^bits marks: sparse
        // enough that respacing is rare, dense enough for 10^10 marks.
        double capacity = 1;
        for (int bits = 1;; ++bits) {
            capacity *= 1.45;
            std::uint64_t base = at & ~((std::uint64_t(1) << bits) - 1);
            std::uint64_t end = base + (std::uint64_t(1) << bits);
            while (marks[first].prev != none && marks[marks[first].prev].label >= base) {
                first = marks[first].prev;
                ++count;
            }
            while (marks[last].next != none && marks[marks[last].next].label < end) {
                last = marks[last].next;
                ++count;
            }
            if (static_cast<double>(count) <= capacity || bits == labelBits) {
                std::uint64_t gap = (end - base) / count;
                std::uint64_t label = base;
                for (Mark k = first;; k = marks[k].next) {
                    marks[k].label = label;
                    label += gap;
                    if (k == last)
                        break;
                }
                return;
            }
        }
    }

    std::uint64_t stride;
    std::vector<Entry> marks;
    Mark tail = none;
};

// The header parse. Closing tags of names other than the last opened one are
// resolved to the first node of that name in pre-order; nodes are renamed
// and added throughout, so for every name a heap of the nodes that carried
// it, first in pre-order on top, is kept, and entries of nodes renamed since
// are dropped when they reach the top.
class HeaderParser {
public:
    explicit HeaderParser(HeaderTree& t) : tree(t), order(tree.size() + 1) {
        // Nodes of earlier loads lie behind the new header in pre-order.
        tree.insert(tree.begin(), {"header", ""});
        std::vector<Id> open; // ancestors of the node visited, awaiting their exit mark
        for (It n = tree.begin(); n != tree.end(); ++n) {
            std::size_t depth = HeaderTree::depth(n);
            for (; open.size() > depth; open.pop_back())
                order.linkAtEnd(TourOrder::exit(open.back()));
            Id id = newNode(n, depth > 0 ? open.back() : none);
            order.linkAtEnd(TourOrder::entry(id));
            carriedName(id, n->name);
            open.push_back(id);
        }
        for (; !open.empty(); open.pop_back())
            order.linkAtEnd(TourOrder::exit(open.back()));
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
                    if (nodes[current].parent != none) {
                        store();
                        current = nodes[current].parent;
                        justClosed = true;
                    }
                } else if (Id f = firstNamed(name); f != none && nodes[f].parent != none) {
                    current = nodes[f].parent;
                }
            } else {
                pendingText += line;
                pendingText += '\n';
            }
        }
        return false;
    }

private:
    using Id = std::uint32_t;
    static constexpr Id none = std::numeric_limits<Id>::max();

    struct Node {
        It position;
        Id parent;
    };

    // Its marks still unlinked, so not yet in the heap of its name.
    Id newNode(It position, Id parent) {
        if (nodes.size() >= none / 2)
            throw std::length_error("header too large");
        Id id = static_cast<Id>(nodes.size());
        nodes.push_back({position, parent});
        order.addNode();
        return id;
    }

    bool earlier(Id a, Id b) const { return order.label(TourOrder::entry(a)) < order.label(TourOrder::entry(b)); }

    void carriedName(Id id, const std::string& name) {
        std::vector<Id>& heap = byName[name];
        heap.push_back(id);
        std::push_heap(heap.begin(), heap.end(), [this](Id a, Id b) { return earlier(b, a); });
    }

    Id firstNamed(const std::string& name) {
        auto found = byName.find(name);
        if (found == byName.end())
            return none;
        std::vector<Id>& heap = found->second;
        while (!heap.empty() && nodes[heap.front()].position->name != name) {
            std::pop_heap(heap.begin(), heap.end(), [this](Id a, Id b) { return earlier(b, a); });
            heap.pop_back();
        }
        return heap.empty() ? none : heap.front();
    }

    // Top-level nodes keep their entry: the header node's value stays empty and
    // its name "header", whatever stray tags the text holds.
    void store() {
        It position = nodes[current].position;
        if (HeaderTree::depth(position) == 0)
            return;
        bool renamed = position->name != currentName;
        tree.replace(position, {currentName, std::move(pendingText)});
        pendingText.clear();
        if (renamed)
            carriedName(current, currentName);
    }

    void appendNode() {
        It n = tree.append_child(nodes[current].position, {currentName, ""});
        Id id = newNode(n, current);
        order.linkPairBefore(id, TourOrder::exit(current));
        carriedName(id, currentName);
        current = id;
    }

    HeaderTree& tree;
    TourOrder order;
    std::vector<Node> nodes;
    std::unordered_map<std::string, std::vector<Id>> byName;
    zelRegex openTag{"<([a-z]+)>", "i"};
    zelRegex closeTag{"</([a-z]+)>", "i"};
    Id current = 0; // the header node is the first in pre-order
    std::string currentName, pendingText;
    bool justClosed = true;
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
