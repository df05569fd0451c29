// Small files that ask for much: arrays without rows, a value per column
// for millions of columns, millions of frames. Each is refused with a clear
// message, in time and memory far below what building the columns cost.
// The bounds are loose on purpose: a fault exceeds them many times over.
#include "scratch_dir_test.h"

#include "vertex_data.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <string>

namespace {

std::string messages;
void collect(const char *text) { messages += text; }

std::string base64(const std::string &bytes)
{
    static const char digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t v = std::uint32_t(std::uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size())
            v |= std::uint32_t(std::uint8_t(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size())
            v |= std::uint8_t(bytes[i + 2]);
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? digits[v & 63] : '=';
    }
    return out;
}

std::string deflated(const std::string &bytes)
{
    uLongf n = compressBound(uLong(bytes.size()));
    std::string out(n, '\0');
    compress2(reinterpret_cast<Bytef *>(out.data()), &n,
              reinterpret_cast<const Bytef *>(bytes.data()), uLong(bytes.size()), 9);
    out.resize(n);
    return out;
}

std::string gifti_array(const std::string &attributes, const std::string &data)
{
    return "<?xml version=\"1.0\"?>\n<GIFTI Version=\"1.0\" NumberOfDataArrays=\"1\">"
           "<DataArray Intent=\"NIFTI_INTENT_NONE\" ArrayIndexingOrder=\"RowMajorOrder\" " +
           attributes + "><Data>" + data + "</Data></DataArray></GIFTI>\n";
}

std::string be32(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

long peak_rss_kib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class FormatLimitTest : public ScratchDirTest {
protected:
    void SetUp() override
    {
        ScratchDirTest::SetUp();
        messages.clear();
        previous = set_print_error_function(collect);
    }
    void TearDown() override
    {
        set_print_error_function(previous);
        ScratchDirTest::TearDown();
    }

    // Refused, naming the file and the reason, within the bounds.
    void expect_refused_cheaply(const std::string &file, const std::string &reason)
    {
        SCOPED_TRACE(file);
        messages.clear();
        const long rss_before = peak_rss_kib();
        const auto start = std::chrono::steady_clock::now();
        vertex_data data;
        EXPECT_EQ(input_vertex_data(file.c_str(), &data), ERROR);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_TRUE(data.columns.empty());
        EXPECT_NE(messages.find("\"" + file + "\""), std::string::npos) << messages;
        EXPECT_NE(messages.find(reason), std::string::npos) << messages;
        EXPECT_LT(seconds, 5.0);
        EXPECT_LT(peak_rss_kib() - rss_before, 300L * 1024);
    }

    print_error_function previous = nullptr;
};

TEST_F(FormatLimitTest, GiftiArraysWithoutRowsOrWithTooManyColumnsAreRefused)
{
    for (const char *columns : {"1000000", "100000000"}) {
        expect_refused_cheaply(
            write(std::string("no_rows_") + columns + ".func.gii",
                  gifti_array(std::string("DataType=\"NIFTI_TYPE_FLOAT32\" Dimensionality=\"2\" "
                                          "Dim0=\"0\" Dim1=\"") + columns +
                                  "\" Encoding=\"ASCII\" Endian=\"LittleEndian\"",
                              "")),
            "data array 0 holds no values");
    }
    // one row of ten million bytes: 13 KB compressed
    const std::string zeros(10000000, '\0');
    std::string wide = gifti_array("DataType=\"NIFTI_TYPE_UINT8\" Dimensionality=\"2\" Dim0=\"1\" "
                                   "Dim1=\"10000000\" Encoding=\"GZipBase64Binary\" "
                                   "Endian=\"LittleEndian\"",
                                   base64(deflated(zeros)));
    ASSERT_LT(wide.size(), 20000u);
    expect_refused_cheaply(write("wide.func.gii", wide), "more than 100000 columns");
    // one array more than a file may have columns: each one value
    std::string arrays;
    for (int i = 0; i <= 100000; ++i)
        arrays += "<DataArray DataType=\"uint8\" Dimensionality=\"1\" Dim0=\"1\" "
                  "Encoding=\"ASCII\"><Data>1</Data></DataArray>";
    expect_refused_cheaply(write("arrays.func.gii",
                                 "<GIFTI Version=\"1.0\" NumberOfDataArrays=\"100001\">" +
                                     arrays + "</GIFTI>"),
                           "100001 data arrays, more than the 100000");
}

TEST_F(FormatLimitTest, MghFilesWithTooManyFramesAreRefused)
{
    std::string header = be32(1) + be32(1) + be32(1) + be32(1) + be32(10000000) + be32(3) + be32(0);
    header.resize(284, '\0');
    const std::string file = path("frames.mgz");
    gzFile f = gzopen(file.c_str(), "wb9");
    ASSERT_NE(f, nullptr);
    gzwrite(f, header.data(), unsigned(header.size()));
    const std::string zeros(40000000, '\0');
    gzwrite(f, zeros.data(), unsigned(zeros.size()));
    gzclose(f);
    expect_refused_cheaply(file, "10000000 frames, more than the 100000 columns");
}

TEST_F(FormatLimitTest, UnknownSpellingsAreRefusedAndColumnMajorAsciiWarns)
{
    const std::string array = "DataType=\"NIFTI_TYPE_FLOAT32\" Dimensionality=\"2\" Dim0=\"3\" "
                              "Dim1=\"2\" Encoding=\"ASCII\"";
    vertex_data data;
    EXPECT_EQ(input_vertex_data(write("middle.func.gii",
                                      gifti_array(array + " Endian=\"middle\"", "1 2 3 4 5 6"))
                                    .c_str(),
                                &data),
              ERROR);
    EXPECT_NE(messages.find("data array 0 has an unknown Endian \"middle\""), std::string::npos)
        << messages;
    messages.clear();
    std::string text = gifti_array(array, "1 2 3 4 5 6");
    text.replace(text.find("RowMajorOrder"), 13, "ColumnMajorOrder");
    ASSERT_EQ(input_vertex_data(write("columns.func.gii", text).c_str(), &data), OK) << messages;
    // the standard's order: column by column
    ASSERT_EQ(data.columns.size(), 2u);
    EXPECT_EQ(data.columns[0].values, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(data.columns[1].values, (std::vector<float>{4, 5, 6}));
    EXPECT_NE(messages.find("data array 0 is ASCII text in column-major order"),
              std::string::npos) << messages;
}

} // namespace
