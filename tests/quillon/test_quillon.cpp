// Files, values, memory and colours of the quillon layer.
#include "scratch_dir_test.h"
#include "quillon.h"
#include "file_internal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testing::HasSubstr;

namespace {

class QuillonTest : public ScratchDirTest {
protected:

    File open_read(const std::string &name) const
    {
        File f = nullptr;
        EXPECT_EQ(open_file(name.c_str(), READ_FILE, ASCII_FORMAT, &f), OK);
        return f;
    }

};

TEST_F(QuillonTest, AsciiFloatsReadBackBitForBit)
{
    std::mt19937 rng(7);
    std::vector<float> values = {0.0f, -0.0f, 1.0f, 0.1f, 1e-45f, 3.4028235e38f,
                                 -1.17549435e-38f, 123456.789f};
    for (int i = 0; i < 5000; ++i)
        values.push_back(std::bit_cast<float>(std::uint32_t(rng()) & 0x7f7fffffu));
    std::vector<double> reals = {0.1, 1e300, -2.5e-310, 1.0 / 3.0};

    File f;
    ASSERT_EQ(open_file(path("v.txt").c_str(), WRITE_FILE, ASCII_FORMAT, &f), OK);
    for (float &v : values)
        ASSERT_EQ(io_float(f, WRITE_FILE, ASCII_FORMAT, &v), OK);
    for (double &v : reals)
        ASSERT_EQ(io_real(f, WRITE_FILE, ASCII_FORMAT, &v), OK);
    ASSERT_EQ(close_file(f), OK);

    f = open_read(path("v.txt"));
    for (float expected : values) {
        float got;
        ASSERT_EQ(io_float(f, READ_FILE, ASCII_FORMAT, &got), OK);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(got), std::bit_cast<std::uint32_t>(expected));
    }
    for (double expected : reals) {
        double got;
        ASSERT_EQ(io_real(f, READ_FILE, ASCII_FORMAT, &got), OK);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(expected));
    }
    float extra;
    testing::internal::CaptureStderr();
    EXPECT_EQ(io_float(f, READ_FILE, ASCII_FORMAT, &extra), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("end of the file"));
    close_file(f);
}

TEST_F(QuillonTest, AsciiReadingAcceptsAnyNotationAndWhiteSpace)
{
    File f = open_read(write("n.txt", "1\t-0.5\r\n.5   1e-3\n\n2.0E+02 +3 -7 +4\v8"));
    float expected[] = {1.0f, -0.5f, 0.5f, 1e-3f, 200.0f, 3.0f};
    for (float e : expected) {
        float v;
        ASSERT_EQ(io_float(f, READ_FILE, ASCII_FORMAT, &v), OK);
        EXPECT_EQ(v, e);
    }
    int i;
    ASSERT_EQ(io_int(f, READ_FILE, ASCII_FORMAT, &i), OK);
    EXPECT_EQ(i, -7);
    ASSERT_EQ(io_int(f, READ_FILE, ASCII_FORMAT, &i), OK);
    EXPECT_EQ(i, 4);
    ASSERT_EQ(io_int(f, READ_FILE, ASCII_FORMAT, &i), OK);
    EXPECT_EQ(i, 8);
    close_file(f);
}

TEST_F(QuillonTest, AsciiIntegersRefuseFractionsAndJunk)
{
    for (const char *text : {"1.5", "abc", "99999999999", "1e3", "-"}) {
        File f = open_read(write("i.txt", text));
        int v;
        testing::internal::CaptureStderr();
        EXPECT_EQ(io_int(f, READ_FILE, ASCII_FORMAT, &v), ERROR) << text;
        EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("i.txt")) << text;
        close_file(f);
    }
}

TEST_F(QuillonTest, AsciiValuesBeyondTheRangeBecomeInfinityOrZero)
{
    File f = open_read(write("r.txt", "1e39 -1e39 1e-50 -1e-50 1e999 2.5e-400 +-5"));
    float v;
    ASSERT_EQ(io_float(f, READ_FILE, ASCII_FORMAT, &v), OK);
    EXPECT_EQ(v, std::numeric_limits<float>::infinity());
    ASSERT_EQ(io_float(f, READ_FILE, ASCII_FORMAT, &v), OK);
    EXPECT_EQ(v, -std::numeric_limits<float>::infinity());
    ASSERT_EQ(io_float(f, READ_FILE, ASCII_FORMAT, &v), OK);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(v), 0u);
    ASSERT_EQ(io_float(f, READ_FILE, ASCII_FORMAT, &v), OK);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(v), 0x80000000u);
    double d;
    ASSERT_EQ(io_real(f, READ_FILE, ASCII_FORMAT, &d), OK);
    EXPECT_EQ(d, std::numeric_limits<double>::infinity());
    ASSERT_EQ(io_real(f, READ_FILE, ASCII_FORMAT, &d), OK);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(d), 0u);
    // a second sign is not part of any number
    testing::internal::CaptureStderr();
    EXPECT_EQ(io_real(f, READ_FILE, ASCII_FORMAT, &d), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("found '+'"));
    close_file(f);
}

TEST_F(QuillonTest, NumbersSplitAcrossTheBufferEdgeReadWhole)
{
    // values of every length placed so that some straddle each 1 MiB refill
    std::string text;
    std::vector<double> written;
    std::mt19937 rng(3);
    while (text.size() < (std::size_t(5) << 20)) {
        double v = std::uniform_real_distribution<double>(-1e6, 1e6)(rng);
        written.push_back(v);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", v);
        text += buf;
        text += (rng() % 7 == 0) ? "\n" : " ";
    }
    File f = open_read(write("big.txt", text));
    for (double expected : written) {
        double v;
        ASSERT_EQ(io_real(f, READ_FILE, ASCII_FORMAT, &v), OK);
        ASSERT_EQ(v, expected);
    }
    char ch;
    EXPECT_EQ(input_nonwhite_character(f, &ch), ERROR);
    close_file(f);
}

TEST_F(QuillonTest, BinaryValuesAreRawLittleEndianBytes)
{
    File f;
    ASSERT_EQ(open_file(path("b.bin").c_str(), WRITE_FILE, BINARY_FORMAT, &f), OK);
    int i = 0x01020304;
    float x = 1.0f;
    double d = -2.0;
    int flag = 5; // any non-zero flag is stored as 1
    STRING s = create_string("ab");
    EXPECT_EQ(io_int(f, WRITE_FILE, BINARY_FORMAT, &i), OK);
    EXPECT_EQ(io_float(f, WRITE_FILE, BINARY_FORMAT, &x), OK);
    EXPECT_EQ(io_real(f, WRITE_FILE, BINARY_FORMAT, &d), OK);
    EXPECT_EQ(io_boolean(f, WRITE_FILE, BINARY_FORMAT, &flag), OK);
    EXPECT_EQ(io_quoted_string(f, WRITE_FILE, BINARY_FORMAT, &s), OK);
    EXPECT_EQ(io_newline(f, WRITE_FILE, BINARY_FORMAT), OK);
    ASSERT_EQ(close_file(f), OK);
    delete_string(s);

    std::ifstream in(path("b.bin"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string expected("\x04\x03\x02\x01"
                               "\x00\x00\x80\x3f"
                               "\x00\x00\x00\x00\x00\x00\x00\xc0"
                               "\x01\x00\x00\x00"
                               "\x02\x00\x00\x00"
                               "ab",
                               26);
    EXPECT_EQ(bytes, expected);

    f = open_read(path("b.bin"));
    EXPECT_EQ(io_int(f, READ_FILE, BINARY_FORMAT, &i), OK);
    EXPECT_EQ(io_float(f, READ_FILE, BINARY_FORMAT, &x), OK);
    EXPECT_EQ(io_real(f, READ_FILE, BINARY_FORMAT, &d), OK);
    EXPECT_EQ(io_boolean(f, READ_FILE, BINARY_FORMAT, &flag), OK);
    EXPECT_EQ(io_quoted_string(f, READ_FILE, BINARY_FORMAT, &s), OK);
    EXPECT_EQ(i, 0x01020304);
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(d, -2.0);
    EXPECT_EQ(flag, 1);
    EXPECT_STREQ(s, "ab");
    EXPECT_EQ(file_bytes_remaining(f), 0u);
    delete_string(s);
    close_file(f);
}

TEST_F(QuillonTest, QuotedStrings)
{
    File f = open_read(write("q.txt", "  \"two words\" \"\" \"unterminated"));
    STRING s = nullptr;
    ASSERT_EQ(io_quoted_string(f, READ_FILE, ASCII_FORMAT, &s), OK);
    EXPECT_STREQ(s, "two words");
    delete_string(s);
    ASSERT_EQ(io_quoted_string(f, READ_FILE, ASCII_FORMAT, &s), OK);
    EXPECT_STREQ(s, "");
    delete_string(s);
    testing::internal::CaptureStderr();
    EXPECT_EQ(io_quoted_string(f, READ_FILE, ASCII_FORMAT, &s), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("closing quote"));
    EXPECT_EQ(s, nullptr);
    close_file(f);

    // a binary length beyond the file is refused before anything is reserved
    f = open_read(write("q.bin", std::string("\xff\xff\xff\x7f" "abc", 7)));
    testing::internal::CaptureStderr();
    EXPECT_EQ(io_quoted_string(f, READ_FILE, BINARY_FORMAT, &s), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("q.bin"));
    close_file(f);

    // a double quote cannot be carried by the ASCII form
    ASSERT_EQ(open_file(path("w.txt").c_str(), WRITE_FILE, ASCII_FORMAT, &f), OK);
    s = create_string("say \"hi\"");
    testing::internal::CaptureStderr();
    EXPECT_EQ(io_quoted_string(f, WRITE_FILE, ASCII_FORMAT, &s), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("double quote"));
    delete_string(s);
    close_file(f);
}

TEST_F(QuillonTest, ArraysRefuseCountsTheFileCannotHold)
{
    File f = open_read(write("a.txt", "1 2 3"));
    int *array = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(io_ints(f, READ_FILE, ASCII_FORMAT, 4, &array), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("a.txt"));
    EXPECT_EQ(array, nullptr);
    ASSERT_EQ(io_ints(f, READ_FILE, ASCII_FORMAT, 3, &array), OK);
    EXPECT_THAT(std::vector<int>(array, array + 3), testing::ElementsAre(1, 2, 3));
    free_array(array, "test_quillon", __LINE__);
    close_file(f);

    f = open_read(write("a.bin", std::string(100, '\0')));
    EXPECT_TRUE(file_can_hold(f, BINARY_FORMAT, 25, 4));
    EXPECT_FALSE(file_can_hold(f, BINARY_FORMAT, 26, 4));
    EXPECT_FALSE(file_can_hold(f, BINARY_FORMAT, 2000000000, 12));
    testing::internal::CaptureStderr();
    EXPECT_EQ(io_ints(f, READ_FILE, BINARY_FORMAT, INT_MAX, &array), ERROR);
    EXPECT_EQ(io_ints(f, READ_FILE, BINARY_FORMAT, -1, &array), ERROR);
    testing::internal::GetCapturedStderr();
    close_file(f);
}

TEST_F(QuillonTest, UnsignedCharsStayInByteRange)
{
    File f = open_read(write("u.txt", "0 255 256"));
    unsigned char *bytes = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(io_unsigned_chars(f, READ_FILE, ASCII_FORMAT, 3, &bytes), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("256"));
    free_array(bytes, "test_quillon", __LINE__);
    close_file(f);
}

TEST_F(QuillonTest, DefaultSuffixRule)
{
    write("only.obj", "x");
    write("both", "bare");
    write("both.obj", "suffixed");
    File f = nullptr;
    ASSERT_EQ(open_file_with_default_suffix(path("only").c_str(), "obj", READ_FILE,
                                            BINARY_FORMAT, &f), OK);
    EXPECT_EQ(std::string(file_name(f)), path("only.obj"));
    close_file(f);
    ASSERT_EQ(open_file_with_default_suffix(path("both").c_str(), "obj", READ_FILE,
                                            BINARY_FORMAT, &f), OK);
    EXPECT_EQ(std::string(file_name(f)), path("both"));
    close_file(f);
    // a name with a suffix is taken as it is
    testing::internal::CaptureStderr();
    EXPECT_EQ(open_file_with_default_suffix(path("only.txt").c_str(), "obj", READ_FILE,
                                            BINARY_FORMAT, &f), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("only.txt"));
    EXPECT_EQ(f, nullptr);
}

TEST_F(QuillonTest, DirectoriesAndMissingFilesAreRefusedWithTheirName)
{
    File f = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(open_file(dir.c_str(), READ_FILE, ASCII_FORMAT, &f), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                testing::AllOf(HasSubstr(dir.string()), HasSubstr("directory")));
    EXPECT_EQ(f, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(open_file(path("absent").c_str(), READ_FILE, ASCII_FORMAT, &f), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("absent"));
}

// Opening a small file many times (as model objects naming one file do)
// must not cost a full-size buffer each time.
TEST_F(QuillonTest, ReadBufferIsSizedToTheFile)
{
    File f = open_read(write("small.txt", "1 2 3"));
    ASSERT_NE(f, nullptr);
    EXPECT_LE(f->capacity, std::size_t(4096));
    int v = 0;
    for (int expected : {1, 2, 3}) {
        ASSERT_EQ(io_int(f, READ_FILE, ASCII_FORMAT, &v), OK);
        EXPECT_EQ(v, expected);
    }
    close_file(f);

    std::string middle;
    while (middle.size() < 100000)
        middle += std::to_string(middle.size()) + "\n";
    f = open_read(write("middle.txt", middle));
    EXPECT_EQ(f->capacity, middle.size());
    close_file(f);

    f = open_read(write("large.txt", std::string(std::size_t(3) << 20, ' ')));
    EXPECT_EQ(f->capacity, std::size_t(1) << 20);
    close_file(f);

    // no size to go by
    f = open_read("/dev/zero");
    EXPECT_EQ(f->capacity, std::size_t(1) << 20);
    close_file(f);
}

TEST_F(QuillonTest, FileGrownAfterOpeningIsReadWhole)
{
    std::string name = write("grows.txt", "0");
    File f = open_read(name);
    ASSERT_NE(f, nullptr);
    const std::size_t capacity = f->capacity;
    std::string more;
    int n = 1;
    while (more.size() < 3 * capacity)
        more += " " + std::to_string(n++);
    std::ofstream(name, std::ios::app) << more;
    for (int expected = 0; expected < n; ++expected) {
        int v = -1;
        ASSERT_EQ(io_int(f, READ_FILE, ASCII_FORMAT, &v), OK);
        ASSERT_EQ(v, expected);
    }
    char ch;
    EXPECT_EQ(input_nonwhite_character(f, &ch), ERROR);
    close_file(f);
}

TEST_F(QuillonTest, WriteFailureIsReportedByClose)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    File f;
    ASSERT_EQ(open_file("/dev/full", WRITE_FILE, ASCII_FORMAT, &f), OK);
    int v = 1;
    EXPECT_EQ(io_int(f, WRITE_FILE, ASCII_FORMAT, &v), OK); // still buffered
    testing::internal::CaptureStderr();
    EXPECT_EQ(close_file(f), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("/dev/full"));
}

TEST_F(QuillonTest, CharactersAndNonWhite)
{
    File f = open_read(write("c.txt", " \n\tPq"));
    char ch;
    ASSERT_EQ(input_nonwhite_character(f, &ch), OK);
    EXPECT_EQ(ch, 'P');
    ASSERT_EQ(input_character(f, &ch), OK);
    EXPECT_EQ(ch, 'q');
    EXPECT_EQ(input_character(f, &ch), ERROR);
    close_file(f);
}

TEST(QuillonStrings, DirectoriesAndAbsoluteNames)
{
    auto check = [](STRING s, const char *expected) {
        EXPECT_STREQ(s, expected);
        delete_string(s);
    };
    check(extract_directory("a/b/c.obj"), "a/b");
    check(extract_directory("c.obj"), "");
    check(extract_directory("/c.obj"), "/");
    check(get_absolute_filename("m.obj", "a/b"), "a/b/m.obj");
    check(get_absolute_filename("m.obj", "/"), "/m.obj");
    check(get_absolute_filename("/x/m.obj", "a/b"), "/x/m.obj");
    check(get_absolute_filename("m.obj", ""), "m.obj");
    check(create_string(nullptr), "");
}

TEST(QuillonMemory, AllocationFailuresAreReportedNotFatal)
{
    testing::internal::CaptureStderr();
    void *p = alloc_memory_1d(SIZE_MAX / 2, 4, "test_quillon", __LINE__);
    EXPECT_EQ(p, nullptr);
    p = alloc_memory_1d(std::size_t(1) << 62, 1, "test_quillon", __LINE__);
    EXPECT_EQ(p, nullptr);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("test_quillon"));
}

TEST(QuillonMemory, SetArraySizeKeepsElements)
{
    int *a = nullptr;
    ASSERT_EQ(grow_array(a, 0, 3, 4, "test_quillon", __LINE__), OK);
    for (int i = 0; i < 3; ++i)
        a[i] = i + 10;
    ASSERT_EQ(grow_array(a, 3, 4, 4, "test_quillon", __LINE__), OK);
    a[3] = 13;
    ASSERT_EQ(grow_array(a, 4, 100, 4, "test_quillon", __LINE__), OK);
    a[99] = 1;
    EXPECT_THAT(std::vector<int>(a, a + 4), testing::ElementsAre(10, 11, 12, 13));
    ASSERT_EQ(grow_array(a, 100, 2, 4, "test_quillon", __LINE__), OK);
    EXPECT_THAT(std::vector<int>(a, a + 2), testing::ElementsAre(10, 11));
    ASSERT_EQ(grow_array(a, 2, 0, 4, "test_quillon", __LINE__), OK);
    EXPECT_EQ(a, nullptr);

    // an exactly allocated array grown in chunks gets room for the new size
    ASSERT_EQ(alloc_array(a, 17, "test_quillon", __LINE__), OK);
    ASSERT_EQ(grow_array(a, 17, 100, 1000, "test_quillon", __LINE__), OK);
    a[99] = 5; // the address sanitizer build checks this write
    EXPECT_EQ(a[99], 5);
    free_array(a, "test_quillon", __LINE__);
}

TEST(QuillonColours, PackingAndUnitConversions)
{
    Colour c = make_rgba_Colour(1, 2, 3, 4);
    EXPECT_EQ(c, 0x01020304u);
    EXPECT_EQ(get_Colour_r(c), 1);
    EXPECT_EQ(get_Colour_g(c), 2);
    EXPECT_EQ(get_Colour_b(c), 3);
    EXPECT_EQ(get_Colour_a(c), 4);
    EXPECT_EQ(get_Colour_a(make_Colour(9, 9, 9)), 255);
    EXPECT_EQ(make_Colour_0_1(1.0, 0.0, 0.5), make_rgba_Colour(255, 0, 128, 255));
    EXPECT_EQ(make_rgba_Colour_0_1(2.0, -1.0, 0.2, 0.0), make_rgba_Colour(255, 0, 51, 0));
    for (int v = 0; v < 256; ++v) {
        Colour k = make_rgba_Colour(v, 255 - v, v, v);
        EXPECT_EQ(make_rgba_Colour_0_1(float(get_Colour_r_0_1(k)), float(get_Colour_g_0_1(k)),
                                       float(get_Colour_b_0_1(k)), float(get_Colour_a_0_1(k))),
                  k);
    }
}

} // namespace
