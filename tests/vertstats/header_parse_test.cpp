// Misnested and stray tags: the files written after reading them stay byte
// for byte what they were, and huge headers of them read in linear time.
#include "zelVertstatsFile.h"

#include "header_soup.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

class HeaderParseTest : public ::testing::Test {
protected:
    TempDir tmp;

    // What writeFile gives, followed by the entries of top-level nodes
    // behind the first one, which writeFile leaves out.
    std::string written(zelVertstatsFile& f) {
        std::string out = tmp.path("out.vertstats");
        testing::internal::CaptureStdout();
        bool ok = f.writeFile(out, false);
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(ok);
        std::string bytes = TempDir::read(out);
        if (f.getHeaderTree().empty())
            return bytes;
        std::string rest = tmp.path("rest");
        {
            std::ofstream stream(rest, std::ios::binary);
            using Tree = zelVertstatsFile::HeaderTree;
            for (auto n = Tree::next_sibling(f.getHeaderIterator("header")); n != zelVertstatsFile::HeaderIterator();
                 n = Tree::next_sibling(n))
                f.writeHeaderEntry(n, stream);
        }
        return bytes + TempDir::read(rest);
    }

    void load(zelVertstatsFile& f, const std::string& name, const std::string& text) {
        testing::internal::CaptureStderr();
        f.loadFile(tmp.write(name, text).c_str(), true);
        testing::internal::GetCapturedStderr();
    }
};

TEST_F(HeaderParseTest, StrayClosingTagsRenameTheEnclosingNodeAsBefore) {
    std::string text = strayClosingTags(2000, true);
    ASSERT_EQ(text.size(), 57816u);
    zelVertstatsFile f;
    load(f, "stray", text);
    EXPECT_EQ(fnv1a(written(f)), 0x34e62390b62176d6ull);
}

// Every third file is read into an object holding an earlier file, whose
// nodes closing tags may then resolve to.
TEST_F(HeaderParseTest, TagSoupsWriteTheSameBytesAsBefore) {
    const std::vector<std::pair<int, std::uint64_t>> expected = {
        {1, 0xf43f9ba9c3b62f30ull},  {2, 0x761bc4b502cd61cfull},  {3, 0xbcc62a4ffa3ecf45ull},
        {4, 0x37fe276832971df3ull},  {5, 0x024800621c82fb21ull},  {6, 0xf9b461ea872797bdull},
        {7, 0xb5a692af1db0ca1dull},  {8, 0x14d201c2aa0726f5ull},  {9, 0xd886a53cdecc55c8ull},
        {10, 0xb231f1666488cdf0ull}, {11, 0x61d998e758e48953ull}, {12, 0x3810f979cb3eed97ull},
        {13, 0x7fe2a81cdd6fec6eull}, {14, 0x38d708fc7aeed5e3ull}, {15, 0xf23cf92ab8637b6bull},
        {16, 0x356999e503f4a378ull}, {17, 0xd12e3e1a613ff1f4ull}, {18, 0xab1182e858ce10f8ull},
        {19, 0xa03f437b3bafb6e8ull}, {20, 0xdd721bfbf84bed40ull}, {21, 0x40f8dca2215acacdull},
        {22, 0xd7978b7e959b84deull}, {23, 0xd825b2687d39e1e7ull}, {24, 0x86e20804fa4f072aull},
    };
    for (auto [seed, checksum] : expected) {
        zelVertstatsFile f;
        if (seed % 3 == 0)
            load(f, "older", tagSoup(seed + 100, 50));
        load(f, "soup", tagSoup(seed, 30 + 10 * seed));
        EXPECT_EQ(fnv1a(written(f)), checksum) << "seed " << seed;
    }
}

// About 6 MB: the parser that rebuilt its name lookup after every rename took
// an hour here, so the test's time-out catches a return of that.
TEST_F(HeaderParseTest, MegabytesOfStrayClosingTags) {
    constexpr std::size_t repeats = 350000;
    zelVertstatsFile f;
    load(f, "huge", strayClosingTags(repeats, false));
    EXPECT_EQ(f.getHeaderTree().size(), 3 + 2 * repeats);
    std::string expected = "<header>\n<b>\n<a>\n</a>\n";
    for (std::size_t i = 0; i < repeats; ++i)
        expected += "<b>\n</b>\n<c>\n</c>\n";
    expected += "</b>\n</header>\nA\n1\n";
    EXPECT_TRUE(written(f) == expected);
}

} // namespace
