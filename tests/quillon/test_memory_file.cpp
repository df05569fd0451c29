// Files read from memory behave as files holding the same bytes.
#include "scratch_dir_test.h"
#include "quillon.h"
#include "file_internal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <sstream>
#include <string>

using testing::HasSubstr;

namespace {

class MemoryFileTest : public ScratchDirTest {
protected:
    // Reads one fixed mix of values again and again and writes down all
    // that a caller can see: statuses, values, bytes left and messages.
    static std::string transcript(File f, File_formats form)
    {
        std::ostringstream out;
        testing::internal::CaptureStderr();
        for (int round = 0; round < 3; ++round) {
            int i = 0;
            float x = 0;
            double d = 0;
            STRING s = nullptr;
            int *ints = nullptr;
            unsigned char *bytes = nullptr;
            char ch = 0;
            out << io_int(f, READ_FILE, form, &i) << ' ' << i << ' ';
            out << io_float(f, READ_FILE, form, &x) << ' ' << std::bit_cast<std::uint32_t>(x)
                << ' ';
            out << io_real(f, READ_FILE, form, &d) << ' ' << std::bit_cast<std::uint64_t>(d)
                << ' ';
            out << io_quoted_string(f, READ_FILE, form, &s) << " [" << (s ? s : "-") << "] ";
            Status status = io_ints(f, READ_FILE, form, 3, &ints);
            out << status << ' ';
            if (status == OK)
                out << ints[0] << ',' << ints[1] << ',' << ints[2] << ' ';
            status = io_unsigned_chars(f, READ_FILE, form, 2, &bytes);
            out << status << ' ';
            if (status == OK)
                out << int(bytes[0]) << ',' << int(bytes[1]) << ' ';
            out << input_nonwhite_character(f, &ch) << ' ' << int(ch) << ' ';
            out << file_bytes_remaining(f) << ' '
                << file_can_hold(f, form, 3, 4) << '\n';
            delete_string(s);
            free_array(ints, "test", __LINE__);
            free_array(bytes, "test", __LINE__);
        }
        out << testing::internal::GetCapturedStderr();
        return out.str();
    }

    // Every prefix of 'bytes', read from a file and from memory.
    void expect_same_for_every_prefix(const std::string &bytes, File_formats form)
    {
        for (std::size_t n = 0; n <= bytes.size(); ++n) {
            std::string prefix = bytes.substr(0, n);
            std::string name = write("v.dat", prefix);
            File from_file = nullptr, from_memory = nullptr;
            ASSERT_EQ(open_file(name.c_str(), READ_FILE, form, &from_file), OK);
            ASSERT_EQ(open_memory_file(prefix.data(), prefix.size(), name.c_str(), form,
                                       &from_memory),
                      OK);
            std::string expected = transcript(from_file, form);
            std::string got = transcript(from_memory, form);
            ASSERT_EQ(got, expected) << n << " bytes";
            EXPECT_EQ(close_file(from_file), OK);
            EXPECT_EQ(close_file(from_memory), OK);
        }
    }
};

TEST_F(MemoryFileTest, AsciiReadsMatchTheFile)
{
    const std::string good = "5 1.5 -2.25e3 \"hello world\" 1 2 3 7 255 ; "
                             "-6 1e39 1e-400 \"\" 4 +5 6 0 1 x "
                             "7 .5 3 \"q\" 1 2 3 4 5 z";
    expect_same_for_every_prefix(good, ASCII_FORMAT);
    // faults on the way: a fraction for an integer, a byte out of range,
    // an unclosed quote
    expect_same_for_every_prefix("1.5 x 2 \"a\" 1 2 3 256 1 ; 3 4 5 \"open", ASCII_FORMAT);
}

TEST_F(MemoryFileTest, BinaryReadsMatchTheFile)
{
    std::string name = path("w.bin");
    File f;
    ASSERT_EQ(open_file(name.c_str(), WRITE_FILE, BINARY_FORMAT, &f), OK);
    for (int round = 0; round < 3; ++round) {
        int i = 40 + round;
        float x = 0.5f * round;
        double d = -1e300 * round;
        STRING s = create_string(round == 1 ? "" : "label");
        int ints[] = {1, -2, 3};
        int *ip = ints;
        unsigned char bytes[] = {0, 200};
        unsigned char *bp = bytes;
        ASSERT_EQ(io_int(f, WRITE_FILE, BINARY_FORMAT, &i), OK);
        ASSERT_EQ(io_float(f, WRITE_FILE, BINARY_FORMAT, &x), OK);
        ASSERT_EQ(io_real(f, WRITE_FILE, BINARY_FORMAT, &d), OK);
        ASSERT_EQ(io_quoted_string(f, WRITE_FILE, BINARY_FORMAT, &s), OK);
        ASSERT_EQ(io_ints(f, WRITE_FILE, BINARY_FORMAT, 3, &ip), OK);
        ASSERT_EQ(io_unsigned_chars(f, WRITE_FILE, BINARY_FORMAT, 2, &bp), OK);
        ASSERT_EQ(output_character(f, 'k'), OK);
        delete_string(s);
    }
    ASSERT_EQ(close_file(f), OK);
    expect_same_for_every_prefix(slurp(name), BINARY_FORMAT);
}

TEST_F(MemoryFileTest, BytesAreReadInPlace)
{
    const std::string text = "12 \"in place\"";
    File f = nullptr;
    ASSERT_EQ(open_memory_file(text.data(), text.size(), "m.txt", ASCII_FORMAT, &f), OK);
    EXPECT_EQ(f->capacity, 0u);
    EXPECT_EQ(f->buffer, nullptr);
    EXPECT_STREQ(file_name(f), "m.txt");
    EXPECT_EQ(file_bytes_remaining(f), text.size());
    std::uint64_t device = 0, inode = 0;
    EXPECT_FALSE(file_identity(f, &device, &inode));
    int i = 0;
    ASSERT_EQ(io_int(f, READ_FILE, ASCII_FORMAT, &i), OK);
    EXPECT_EQ(i, 12);
    EXPECT_EQ(file_bytes_remaining(f), text.size() - 2);
    STRING s = nullptr;
    ASSERT_EQ(io_quoted_string(f, READ_FILE, ASCII_FORMAT, &s), OK);
    EXPECT_STREQ(s, "in place");
    delete_string(s);
    EXPECT_EQ(file_bytes_remaining(f), 0u);
    EXPECT_EQ(close_file(f), OK);
}

TEST_F(MemoryFileTest, MissingBytesOrNames)
{
    File f = nullptr;
    ASSERT_EQ(open_memory_file(nullptr, 0, nullptr, ASCII_FORMAT, &f), OK);
    EXPECT_STREQ(file_name(f), "");
    char ch;
    EXPECT_EQ(input_character(f, &ch), ERROR);
    EXPECT_EQ(close_file(f), OK);

    testing::internal::CaptureStderr();
    EXPECT_EQ(open_memory_file(nullptr, 4, "gone.txt", ASCII_FORMAT, &f), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("gone.txt"));
    EXPECT_EQ(f, nullptr);
}

} // namespace
