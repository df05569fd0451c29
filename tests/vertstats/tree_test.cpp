#include "zelVertstatsTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Tree = zelVertstatsTree<std::string>;

std::vector<std::string> preorder(const Tree& t) {
    std::vector<std::string> out;
    for (auto it = t.begin(); it != t.end(); ++it)
        out.push_back(*it + "@" + std::to_string(Tree::depth(it)));
    return out;
}

TEST(HeaderTree, InsertAtBeginMakesNewFirstTopLevelNode) {
    Tree t;
    EXPECT_TRUE(t.begin() == t.end());
    t.insert(t.begin(), "first");
    t.insert(t.begin(), "second");
    EXPECT_EQ(*t.begin(), "second");
    EXPECT_EQ(preorder(t), (std::vector<std::string>{"second@0", "first@0"}));
    EXPECT_TRUE(Tree::parent(t.begin()) == t.end());
}

TEST(HeaderTree, PreorderVisitsNodeBeforeChildrenAndChildrenInOrder) {
    Tree t;
    auto a = t.insert(t.begin(), "a");
    auto b = t.append_child(a, "b");
    t.append_child(b, "c");
    t.append_child(a, "d");
    t.insert(t.end(), "e");
    auto x = t.insert(b, "x"); // previous sibling of b
    EXPECT_EQ(preorder(t), (std::vector<std::string>{"a@0", "x@1", "b@1", "c@2", "d@1", "e@0"}));
    EXPECT_EQ(Tree::number_of_children(a), 3u);
    EXPECT_TRUE(Tree::parent(x) == a);
    std::vector<std::string> kids;
    for (auto& k : t.children(a))
        kids.push_back(k);
    EXPECT_EQ(kids, (std::vector<std::string>{"x", "b", "d"}));
    EXPECT_EQ(t.size(), 6u);
}

TEST(HeaderTree, PositionsSurviveInsertionsElsewhereAndReplaceKeepsChildren) {
    Tree t;
    auto a = t.insert(t.begin(), "a");
    auto b = t.append_child(a, "b");
    for (int i = 0; i < 1000; ++i)
        t.append_child(a, "n" + std::to_string(i));
    t.insert(t.begin(), "front");
    EXPECT_EQ(*b, "b");
    t.replace(a, "A");
    EXPECT_EQ(Tree::number_of_children(a), 1001u);
    EXPECT_EQ(*t.children(a).begin(), "b");
    EXPECT_EQ(*a, "A");
}

TEST(HeaderTree, CopyIsDeepAndOrdered) {
    Tree t;
    auto a = t.insert(t.begin(), "a");
    auto b = t.append_child(a, "b");
    t.append_child(b, "c");
    t.insert(t.end(), "d");
    t.append_child(t.insert(t.end(), "e"), "f");
    Tree copy(t);
    EXPECT_EQ(preorder(copy), preorder(t));
    t.replace(b, "changed");
    EXPECT_EQ(preorder(copy)[1], "b@1");
    Tree assigned;
    assigned.insert(assigned.begin(), "old");
    assigned = copy;
    EXPECT_EQ(preorder(assigned), preorder(copy));
    copy.clear();
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(assigned.size(), 6u);
}

// A chain far deeper than any recursion could follow: copy, walk and destroy it.
TEST(HeaderTree, VeryDeepChainIsCopiedWalkedAndDestroyed) {
    constexpr std::size_t depth = 300000;
    Tree t;
    auto n = t.insert(t.begin(), "root");
    for (std::size_t i = 1; i < depth; ++i)
        n = t.append_child(n, "n");
    EXPECT_EQ(Tree::depth(n), depth - 1);
    Tree copy(t);
    std::size_t count = 0, deepest = 0;
    for (auto it = copy.begin(); it != copy.end(); ++it, ++count)
        deepest = std::max(deepest, Tree::depth(it));
    EXPECT_EQ(count, depth);
    EXPECT_EQ(deepest, depth - 1);
}

} // namespace
