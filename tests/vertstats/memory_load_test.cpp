// loadFromString against loadFile on the same bytes: the same columns,
// header and messages, into a new object and into one that holds a file.
#include "zelVertstatsFile.h"

#include "header_soup.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_view_literals;

// Everything a reader leaves in the object, floats by their bits.
std::string snapshot(const zelVertstatsFile& f) {
    std::string s = std::to_string(f.getNumColumns()) + "x" + std::to_string(f.getNumRows()) + "\n";
    for (const std::string& name : f.getDataHeader())
        s += "[" + name + "]";
    s += "\n";
    for (const std::vector<float>& column : f.getAllColumns()) {
        for (float v : column) {
            std::uint32_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            char hex[12];
            std::snprintf(hex, sizeof hex, "%08x ", bits);
            s += hex;
        }
        s += "\n";
    }
    auto tree = f.getHeaderTree();
    for (auto n = tree.begin(); n != tree.end(); ++n)
        s += std::to_string(decltype(tree)::depth(n)) + "<" + n->name + ">" + n->value + "|";
    return s;
}

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(rng());
    return bytes;
}

class MemoryLoadTest : public ::testing::Test {
protected:
    TempDir tmp;

    struct Read {
        std::string state, messages;
    };

    Read fromFile(const std::string& earlier, const std::string& text, bool loadData) {
        zelVertstatsFile f;
        if (!earlier.empty())
            f.loadFile(tmp.write("earlier", earlier).c_str(), true);
        std::string path = tmp.write("f.vertstats", text);
        testing::internal::CaptureStderr();
        f.loadFile(path.c_str(), loadData);
        std::string messages = testing::internal::GetCapturedStderr();
        return {snapshot(f), messages};
    }

    Read fromMemory(const std::string& earlier, const std::string& text, bool loadData) {
        zelVertstatsFile f;
        if (!earlier.empty())
            f.loadFromString(earlier, true, tmp.path("earlier").c_str());
        testing::internal::CaptureStderr();
        f.loadFromString(text, loadData, tmp.path("f.vertstats").c_str());
        std::string messages = testing::internal::GetCapturedStderr();
        return {snapshot(f), messages};
    }
};

TEST_F(MemoryLoadTest, SameResultsAndMessagesAsTheFileReader) {
    std::string wide;
    for (int i = 0; i <= zelVertstatsFile::maxColumns; ++i)
        wide += "1 ";
    const std::vector<std::string> texts = {
        "<header>\n<history>\nfirst run\n</history>\n</header>\nA B\n0.5 1\n2 3.25\n",
        "0.5 1\n2 3.25",
        "",
        "1 2\r\n3 4\r\n",
        " 1 2 3 \n4 5 6 7 8\n",
        "<header>\n</header>\nA B\n1 2\n3 x\xff\n4 5\n",
        "x <header> y\n<a>\nt\n</a>\n</header>\nA\nnan -inf 1e39 1e-50",
        "junk\n<header>\n<a>\n</a>\n</header>\nA\n1\n",
        "<header>",
        "<header>\n</header>\n",
        "<header>\n</header>",
        std::string("a\0b <header>\n<q>\n\0\n</q>\n</header>\nA\n7\n"sv),
        tagSoup(5, 120),
        strayClosingTags(50, true),
        randomBytes(1 << 16, 1),
        "<header>\n" + randomBytes(1 << 16, 2),
        wide,
        "<header>\n</header>\n" + wide + "\n1\n",
    };
    const std::string earlier = "<header>\n<a>\n<q>\n</q>\n</a>\n</header>\nZ\n9\n8\n";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (const std::string& before : {std::string(), earlier}) {
            for (bool loadData : {true, false}) {
                Read file = fromFile(before, texts[i], loadData);
                Read memory = fromMemory(before, texts[i], loadData);
                EXPECT_TRUE(file.state == memory.state)
                    << "text " << i << (before.empty() ? "" : " after another file") << ", loadData " << loadData;
                EXPECT_EQ(file.messages, memory.messages) << "text " << i;
            }
        }
    }
}

TEST_F(MemoryLoadTest, NameMayBeNull) {
    zelVertstatsFile f;
    testing::internal::CaptureStderr();
    f.loadFromString("<header>\n</header>\nA\n1\nq\n", true, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), ": line 5: \"q\" is not a number; reading stops there\n");
    EXPECT_EQ(f.getDataColumn("A"), std::vector<float>{1});
}

} // namespace
