// An ordered forest: top-level nodes, each with ordered children, to any depth.
//
// Positions are node handles, so they stay valid while nodes are added anywhere
// else. Nothing here recurses: copying, destroying and walking a tree nested
// hundreds of thousands of levels deep uses constant stack.
#ifndef ZEL_VERTSTATS_TREE_H
#define ZEL_VERTSTATS_TREE_H

#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

template <typename T>
class zelVertstatsTree {
    struct Node {
        T data;
        Node* parent = nullptr;
        Node* firstChild = nullptr;
        Node* lastChild = nullptr;
        Node* prevSibling = nullptr;
        Node* nextSibling = nullptr;
        std::size_t depth = 0;     // fixed at creation: nodes never move
        std::size_t children = 0;
        explicit Node(T value) : data(std::move(value)) {}
    };

    template <bool Const>
    class basicChildIterator;

    template <bool Const>
    class basicIterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = std::conditional_t<Const, const T*, T*>;
        using reference = std::conditional_t<Const, const T&, T&>;

        basicIterator() = default;
        // A mutable position converts to a read-only one.
        template <bool C = Const, typename = std::enable_if_t<C>>
        basicIterator(const basicIterator<false>& other) : node(other.node) {}

        reference operator*() const { return node->data; }
        pointer operator->() const { return &node->data; }
        // Pre-order step: first child, else next sibling, else the next sibling
        // of the nearest ancestor that has one, else end.
        basicIterator& operator++() {
            node = zelVertstatsTree::preorderNext(node);
            return *this;
        }
        basicIterator operator++(int) {
            basicIterator old = *this;
            ++*this;
            return old;
        }
        friend bool operator==(const basicIterator& a, const basicIterator& b) { return a.node == b.node; }

    private:
        friend class zelVertstatsTree;
        template <bool> friend class basicIterator;
        template <bool> friend class basicChildIterator;
        explicit basicIterator(Node* n) : node(n) {}
        Node* node = nullptr;
    };

    template <bool Const>
    class basicChildIterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = std::conditional_t<Const, const T*, T*>;
        using reference = std::conditional_t<Const, const T&, T&>;

        basicChildIterator() = default;
        reference operator*() const { return node->data; }
        pointer operator->() const { return &node->data; }
        basicChildIterator& operator++() {
            node = node->nextSibling;
            return *this;
        }
        basicChildIterator operator++(int) {
            basicChildIterator old = *this;
            node = node->nextSibling;
            return old;
        }
        friend bool operator==(const basicChildIterator& a, const basicChildIterator& b) { return a.node == b.node; }
        // The same node as a tree position.
        basicIterator<Const> position() const { return basicIterator<Const>(node); }

    private:
        friend class zelVertstatsTree;
        explicit basicChildIterator(Node* n) : node(n) {}
        Node* node = nullptr;
    };

public:
    using value_type = T;
    using iterator = basicIterator<false>;
    using const_iterator = basicIterator<true>;
    using child_iterator = basicChildIterator<false>;
    using const_child_iterator = basicChildIterator<true>;

    template <bool Const>
    struct childRange {
        basicChildIterator<Const> first, last;
        basicChildIterator<Const> begin() const { return first; }
        basicChildIterator<Const> end() const { return last; }
    };

    zelVertstatsTree() = default;
    zelVertstatsTree(const zelVertstatsTree& other) { copyFrom(other); }
    zelVertstatsTree(zelVertstatsTree&& other) noexcept
        : topFirst(std::exchange(other.topFirst, nullptr)), topLast(std::exchange(other.topLast, nullptr)),
          topCount(std::exchange(other.topCount, 0)), nodeCount(std::exchange(other.nodeCount, 0)) {}
    zelVertstatsTree& operator=(const zelVertstatsTree& other) {
        if (this != &other) {
            zelVertstatsTree copy(other);
            swap(copy);
        }
        return *this;
    }
    zelVertstatsTree& operator=(zelVertstatsTree&& other) noexcept {
        if (this != &other) {
            clear();
            swap(other);
        }
        return *this;
    }
    ~zelVertstatsTree() { clear(); }

    void swap(zelVertstatsTree& other) noexcept {
        std::swap(topFirst, other.topFirst);
        std::swap(topLast, other.topLast);
        std::swap(topCount, other.topCount);
        std::swap(nodeCount, other.nodeCount);
    }

    iterator begin() { return iterator(topFirst); }
    iterator end() { return iterator(nullptr); }
    const_iterator begin() const { return const_iterator(topFirst); }
    const_iterator end() const { return const_iterator(nullptr); }

    bool empty() const { return topFirst == nullptr; }
    std::size_t size() const { return nodeCount; }

    // The new node becomes the previous sibling of `position`; at end() it
    // becomes the last top-level node (so the only one of an empty tree).
    iterator insert(iterator position, T value) {
        Node* n = new Node(std::move(value));
        Node* next = position.node;
        if (next == nullptr) {
            linkAfter(n, nullptr, topLast);
            return iterator(n);
        }
        n->parent = next->parent;
        n->depth = next->depth;
        n->nextSibling = next;
        n->prevSibling = next->prevSibling;
        if (next->prevSibling)
            next->prevSibling->nextSibling = n;
        else if (next->parent)
            next->parent->firstChild = n;
        else
            topFirst = n;
        next->prevSibling = n;
        if (n->parent)
            ++n->parent->children;
        else
            ++topCount;
        ++nodeCount;
        return iterator(n);
    }

    // The new node becomes the last child of `position` (which must not be end()).
    iterator append_child(iterator position, T value) {
        Node* n = new Node(std::move(value));
        linkAfter(n, position.node, position.node->lastChild);
        return iterator(n);
    }

    // Overwrites the entry; the children stay.
    void replace(iterator position, T value) { position.node->data = std::move(value); }

    // end() for a top-level node.
    template <bool C>
    static basicIterator<C> parent(basicIterator<C> position) { return basicIterator<C>(position.node->parent); }
    template <bool C>
    static basicIterator<C> next_sibling(basicIterator<C> position) {
        return basicIterator<C>(position.node->nextSibling);
    }
    template <bool C>
    static std::size_t number_of_children(basicIterator<C> position) { return position.node->children; }
    // Number of ancestors: 0 for a top-level node.
    template <bool C>
    static std::size_t depth(basicIterator<C> position) { return position.node->depth; }

    childRange<false> children(iterator position) {
        return {child_iterator(position.node->firstChild), child_iterator(nullptr)};
    }
    childRange<true> children(const_iterator position) const {
        return {const_child_iterator(position.node->firstChild), const_child_iterator(nullptr)};
    }

    void clear() {
        // Unlinks leaves bottom-up through the parent links instead of recursing.
        Node* n = topFirst;
        while (n) {
            if (n->firstChild) {
                n = n->firstChild;
                continue;
            }
            Node* next = n->nextSibling ? n->nextSibling : n->parent;
            if (n->parent)
                n->parent->firstChild = n->nextSibling;
            delete n;
            n = next;
        }
        topFirst = topLast = nullptr;
        topCount = nodeCount = 0;
    }

private:
    static Node* preorderNext(Node* n) {
        if (n->firstChild)
            return n->firstChild;
        while (n) {
            if (n->nextSibling)
                return n->nextSibling;
            n = n->parent;
        }
        return nullptr;
    }

    // Links `n` as the sibling after `prev` under `parent` (nullptr: top level).
    void linkAfter(Node* n, Node* parent, Node* prev) {
        n->parent = parent;
        n->depth = parent ? parent->depth + 1 : 0;
        n->prevSibling = prev;
        Node*& first = parent ? parent->firstChild : topFirst;
        Node*& last = parent ? parent->lastChild : topLast;
        n->nextSibling = prev ? prev->nextSibling : first;
        if (prev)
            prev->nextSibling = n;
        else
            first = n;
        if (n->nextSibling)
            n->nextSibling->prevSibling = n;
        else
            last = n;
        if (parent)
            ++parent->children;
        else
            ++topCount;
        ++nodeCount;
    }

    void copyFrom(const zelVertstatsTree& other) {
        // Walks the source in pre-order, keeping the copy of the current source
        // node's parent alongside.
        const Node* src = other.topFirst;
        Node* dstParent = nullptr;
        while (src) {
            Node* n = new Node(src->data);
            linkAfter(n, dstParent, dstParent ? dstParent->lastChild : topLast);
            if (src->firstChild) {
                src = src->firstChild;
                dstParent = n;
                continue;
            }
            while (src && !src->nextSibling) {
                src = src->parent;
                if (src)
                    dstParent = dstParent->parent;
            }
            if (src)
                src = src->nextSibling;
        }
    }

    Node* topFirst = nullptr;
    Node* topLast = nullptr;
    std::size_t topCount = 0;
    std::size_t nodeCount = 0;
};

#endif
