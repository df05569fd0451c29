// Reading tag-point files.
#include "keep_test_files.h"
#include "tag_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using testing::HasSubstr;

namespace {

class TagFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("tag_file_test_" + std::to_string(::getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        release();
        keep_test_files(dir);
        fs::remove_all(dir);
    }

    std::string write(const std::string &file, const std::string &text)
    {
        std::string path = (dir / file).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Reads with every output requested; the error text goes to 'errors'.
    // A regular file is also read from memory, which must give the same.
    Status read(const std::string &path)
    {
        release();
        testing::internal::CaptureStderr();
        Status status = input_tag_file(path.c_str(), &n_volumes, &n_points, &positions,
                                       &positions2, &weights, &structure_ids,
                                       &patient_ids, &labels);
        errors = testing::internal::GetCapturedStderr();
        if (fs::is_regular_file(path))
            expect_same_from_memory(path, status);
        return status;
    }

    void expect_same_from_memory(const std::string &path, Status status)
    {
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        int m_volumes = -7, m_points = -7;
        double **m_positions = nullptr, **m_positions2 = nullptr, *m_weights = nullptr;
        int *m_structure_ids = nullptr, *m_patient_ids = nullptr;
        STRING *m_labels = nullptr;
        testing::internal::CaptureStderr();
        Status m_status = input_tag_memory(bytes.data(), bytes.size(), path.c_str(),
                                           &m_volumes, &m_points, &m_positions,
                                           &m_positions2, &m_weights, &m_structure_ids,
                                           &m_patient_ids, &m_labels);
        std::string m_errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m_status, status);
        EXPECT_EQ(m_errors, errors);
        EXPECT_EQ(m_volumes, n_volumes);
        EXPECT_EQ(m_points, n_points);
        EXPECT_EQ(m_positions == nullptr, positions == nullptr);
        EXPECT_EQ(m_positions2 == nullptr, positions2 == nullptr);
        EXPECT_EQ(m_labels == nullptr, labels == nullptr);
        for (int i = 0; i < n_points && i < m_points && m_positions != nullptr; ++i) {
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(std::bit_cast<std::uint64_t>(m_positions[i][k]),
                          std::bit_cast<std::uint64_t>(positions[i][k]));
                if (positions2 != nullptr) {
                    EXPECT_EQ(std::bit_cast<std::uint64_t>(m_positions2[i][k]),
                              std::bit_cast<std::uint64_t>(positions2[i][k]));
                }
            }
            EXPECT_EQ(std::bit_cast<std::uint64_t>(m_weights[i]),
                      std::bit_cast<std::uint64_t>(weights[i]));
            EXPECT_EQ(m_structure_ids[i], structure_ids[i]);
            EXPECT_EQ(m_patient_ids[i], patient_ids[i]);
            EXPECT_STREQ(m_labels[i], labels[i]);
        }
        free_tag_points(m_volumes, m_points, m_positions, m_positions2, m_weights,
                        m_structure_ids, m_patient_ids, m_labels);
    }

    // A malformed file: ERROR, nothing returned, a message with file and line.
    void expect_refused(const std::string &text, int line, const std::string &reason)
    {
        std::string path = write("bad.tag", text);
        ASSERT_EQ(read(path), ERROR) << text;
        EXPECT_THAT(errors, HasSubstr(path)) << text;
        EXPECT_THAT(errors, HasSubstr("line " + std::to_string(line) + ":")) << text;
        EXPECT_THAT(errors, HasSubstr(reason)) << text;
        EXPECT_EQ(n_points, 0);
        EXPECT_EQ(n_volumes, 0);
        EXPECT_EQ(positions, nullptr);
        EXPECT_EQ(positions2, nullptr);
        EXPECT_EQ(weights, nullptr);
        EXPECT_EQ(labels, nullptr);
    }

    void expect_point(int i, double x, double y, double z)
    {
        ASSERT_LT(i, n_points);
        EXPECT_DOUBLE_EQ(positions[i][0], x) << "point " << i;
        EXPECT_DOUBLE_EQ(positions[i][1], y) << "point " << i;
        EXPECT_DOUBLE_EQ(positions[i][2], z) << "point " << i;
    }

    void release()
    {
        free_tag_points(n_volumes, n_points, positions, positions2, weights,
                        structure_ids, patient_ids, labels);
        n_volumes = n_points = -7;
        positions = positions2 = nullptr;
        weights = nullptr;
        structure_ids = patient_ids = nullptr;
        labels = nullptr;
    }

    fs::path dir;
    std::string errors;
    int n_volumes = 0;
    int n_points = 0;
    double **positions = nullptr;
    double **positions2 = nullptr;
    double *weights = nullptr;
    int *structure_ids = nullptr;
    int *patient_ids = nullptr;
    STRING *labels = nullptr;
};

TEST_F(TagFileTest, OneVolumeWithoutExtrasGetsDefaults)
{
    ASSERT_EQ(read(write("a.tag", "Landmarks of subject 3\n"
                                  "Volumes = 1;\n"
                                  "Points =\n"
                                  " 1 2 3\n"
                                  " -4.5 5e1 +0.25\n"
                                  " 7 8 9;\n")),
              OK)
        << errors;
    EXPECT_EQ(n_volumes, 1);
    ASSERT_EQ(n_points, 3);
    expect_point(0, 1, 2, 3);
    expect_point(1, -4.5, 50, 0.25);
    expect_point(2, 7, 8, 9);
    EXPECT_EQ(positions2, nullptr);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(weights[i], 0.0);
        EXPECT_EQ(structure_ids[i], -1);
        EXPECT_EQ(patient_ids[i], -1);
        EXPECT_STREQ(labels[i], "");
    }
    EXPECT_TRUE(errors.empty()) << errors;
}

TEST_F(TagFileTest, TwoVolumesWithWeightsIdsAndLabels)
{
    ASSERT_EQ(read(write("b.tag", "MNI Tag Point File\n"
                                  "Volumes=2;\n"
                                  "Points =\n"
                                  " 1 2 3 10 20 30 0.5 4 9 \"left eye\"\n"
                                  " 4 5 6 40 50 60 \"nose\"\n"
                                  " 7 8 9 70 80 90 1 -2 3\n"
                                  " 0 0 0 1 1 1\n"
                                  ";\n")),
              OK)
        << errors;
    EXPECT_EQ(n_volumes, 2);
    ASSERT_EQ(n_points, 4);
    expect_point(2, 7, 8, 9);
    ASSERT_NE(positions2, nullptr);
    EXPECT_DOUBLE_EQ(positions2[0][0], 10);
    EXPECT_DOUBLE_EQ(positions2[1][1], 50);
    EXPECT_DOUBLE_EQ(positions2[3][2], 1);
    EXPECT_DOUBLE_EQ(weights[0], 0.5);
    EXPECT_EQ(structure_ids[0], 4);
    EXPECT_EQ(patient_ids[0], 9);
    EXPECT_STREQ(labels[0], "left eye");
    EXPECT_EQ(weights[1], 0.0);
    EXPECT_EQ(structure_ids[1], -1);
    EXPECT_STREQ(labels[1], "nose");
    EXPECT_DOUBLE_EQ(weights[2], 1);
    EXPECT_EQ(structure_ids[2], -2);
    EXPECT_EQ(patient_ids[2], 3);
    EXPECT_STREQ(labels[2], "");
    EXPECT_STREQ(labels[3], "");
}

TEST_F(TagFileTest, LabelsKeepEscapedCharacters)
{
    ASSERT_EQ(read(write("c.tag", "t\nVolumes = 1;\nPoints =\n"
                                  "1 2 3 \"say \\\"hi\\\" \\\\ there\"\n"
                                  "4 5 6 \"tab\\tnl\\n;\";")),
              OK)
        << errors;
    ASSERT_EQ(n_points, 2);
    EXPECT_STREQ(labels[0], "say \"hi\" \\ there");
    EXPECT_STREQ(labels[1], "tab\tnl\n;");
}

TEST_F(TagFileTest, CommentsBlankLinesAndSpreadCoordinates)
{
    ASSERT_EQ(read(write("d.tag", "title with % and Points = in it\n"
                                  "% a comment before the volume count\n"
                                  "\n"
                                  "   Volumes   =   1 ;\n"
                                  "% Volume: brain.mnc\n"
                                  "%\n"
                                  "Points =  1\n"
                                  "  2\n"
                                  "3 \"spread\"\n"
                                  "\t4\t5\t6\t\n"
                                  "   ;   \n")),
              OK)
        << errors;
    ASSERT_EQ(n_points, 2);
    expect_point(0, 1, 2, 3);
    EXPECT_STREQ(labels[0], "spread");
    expect_point(1, 4, 5, 6);
}

TEST_F(TagFileTest, WindowsLineEnds)
{
    ASSERT_EQ(read(write("e.tag", "MNI Tag Point File\r\nVolumes = 1;\r\n% c\r\n"
                                  "Points =\r\n 1 2 3 \"a\"\r\n 4 5 6 1 2 3\r\n 7 8 9;\r\n")),
              OK)
        << errors;
    ASSERT_EQ(n_points, 3);
    EXPECT_STREQ(labels[0], "a");
    EXPECT_EQ(patient_ids[1], 3);
    expect_point(2, 7, 8, 9);
}

TEST_F(TagFileTest, EmptyPointList)
{
    for (const char *list : {"Points =\n;\n", "Points = ;", "Points=;\n\n"}) {
        ASSERT_EQ(read(write("f.tag", std::string("t\nVolumes = 2;\n") + list)), OK)
            << list << errors;
        EXPECT_EQ(n_volumes, 2);
        EXPECT_EQ(n_points, 0);
        EXPECT_EQ(positions, nullptr);
        EXPECT_EQ(positions2, nullptr);
        EXPECT_EQ(labels, nullptr);
    }
}

TEST_F(TagFileTest, ValuesTooSmallForADoubleBecomeZero)
{
    ASSERT_EQ(read(write("h.tag", "t\nVolumes = 1;\nPoints =\n"
                                  "1e-999 -2.5e-400 3 4e-330 1 2 \"tiny weight\";\n")),
              OK)
        << errors;
    ASSERT_EQ(n_points, 1);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(positions[0][0]), 0u);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(positions[0][1]), 0x8000000000000000u);
    EXPECT_EQ(positions[0][2], 3.0);
    EXPECT_EQ(weights[0], 0.0);
    EXPECT_STREQ(labels[0], "tiny weight");
}

TEST_F(TagFileTest, OutputsTheCallerDoesNotWantMayBeNull)
{
    std::string path = write("g.tag", "t\nVolumes = 2;\nPoints =\n1 2 3 4 5 6 \"x\";\n");
    int count = 0;
    double **first = nullptr;
    ASSERT_EQ(input_tag_file(path.c_str(), nullptr, &count, &first, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
              OK);
    ASSERT_EQ(count, 1);
    EXPECT_DOUBLE_EQ(first[0][2], 3);
    free_tag_points(2, count, first, nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(TagFileTest, MalformedHeaderIsRefused)
{
    expect_refused("", 1, "empty");
    expect_refused("title only\n", 2, "no 'Points ='");
    expect_refused("t\nVolumes = 1;\n% comment\n1 2 3;\n", 4, "unexpected '1'");
    expect_refused("t\nVolumes = 1;\nPonts =\n1 2 3;\n", 3, "unexpected 'Ponts'");
    expect_refused("t\nPoints =\n1 2 3;\n", 2, "before 'Volumes ='");
    expect_refused("t\nVolumes = 3;\nPoints =\n;\n", 2, "1 or 2, not 3");
    expect_refused("t\nVolumes = one;\nPoints =\n;\n", 2, "1 or 2, not one");
    expect_refused("t\nVolumes 1;\nPoints =\n;\n", 2, "expected '=' after 'Volumes'");
    expect_refused("t\nVolumes = 1\nPoints =\n;\n", 3, "expected ';'");
    expect_refused("t\nVolumes = 1;\nVolumes = 1;\nPoints =\n;\n", 3, "twice");
}

TEST_F(TagFileTest, MalformedPointsAreRefused)
{
    const std::string head = "t\nVolumes = 1;\nPoints =\n";
    expect_refused(head + "1 2 3\n4 5\n", 6, "point 2 is cut short: 2 of its 3");
    expect_refused(head + "1 2;\n", 4, "point 1 is cut short");
    expect_refused("t\nVolumes = 2;\nPoints =\n1 2 3 4 5;\n", 4, "5 of its 6");
    expect_refused(head + "1 2 3\n4 five 6;\n", 5, "point 2: expected a number for y, found five");
    expect_refused("t\nVolumes = 2;\nPoints =\n1 2 3 4 5 z;\n", 4,
                   "expected a number for z of the second volume, found z");
    expect_refused(head + "1 2 \"a\";\n", 4, "expected a number for z, found \"");
    expect_refused(head + "1 2 nan;\n", 4, "found nan");
    expect_refused(head + "1 2 1e999;\n", 4, "found 1e999");
    expect_refused(head + "1 2 -1e999;\n", 4, "found -1e999");
    expect_refused(head + "1 +-5 3;\n", 4, "expected a number for y, found +-5");
    expect_refused(head + "1 ++5 3;\n", 4, "found ++5");
    expect_refused(head + "1 2 3 -+1 1 2;", 4, "the weight -+1 is not a number");
    expect_refused(head + "1 2 3 1 +-1 2;", 4, "the structure id +-1 is not an integer");
    expect_refused(head + "1 2 3\n4 5 6\n", 6, "not ended by ';'");
    expect_refused(head + "1 2 3 0.5\n;", 4, "must be given together (found 1");
    expect_refused(head + "1 2 3 0.5 1 \"a\";", 4, "found 2");
    expect_refused(head + "1 2 3 w 1 2;", 4, "the weight w is not a number");
    expect_refused(head + "1 2 3 1 1.5 2;", 4, "the structure id 1.5 is not an integer");
    expect_refused(head + "1 2 3 1 2 3e10;", 4, "the patient id 3e10 is not an integer");
    expect_refused(head + "1 2 3 \"open\n4 5 6;\n", 4, "no closing '\"'");
    expect_refused(head + "1 2 3 \"x\\\n4 5 6;\n", 4, "lone backslash");
    expect_refused(head + "1 2 3 1 2 3 4 5 6\n;", 4, "unexpected 4 after point 1");
    expect_refused(head + "1 2 3 \"a\" 4 5 6;", 4, "unexpected 4 after point 1");
}

TEST_F(TagFileTest, UnreadableFilesAreRefused)
{
    std::string missing = (dir / "nowhere.tag").string();
    ASSERT_EQ(read(missing), ERROR);
    EXPECT_THAT(errors, HasSubstr(missing));
    EXPECT_THAT(errors, HasSubstr("No such file"));
    EXPECT_EQ(positions, nullptr);

    ASSERT_EQ(read(dir.string()), ERROR);
    EXPECT_THAT(errors, HasSubstr(dir.string()));
    EXPECT_THAT(errors, HasSubstr("directory"));

    ASSERT_EQ(read(""), ERROR);
    EXPECT_THAT(errors, HasSubstr("no file name"));
}

TEST_F(TagFileTest, MemoryWithoutBytesOrName)
{
    // a name is only for messages
    const std::string text = "t\nVolumes = 1;\nPoints =\n1 2 x;\n";
    testing::internal::CaptureStderr();
    EXPECT_EQ(input_tag_memory(text.data(), text.size(), nullptr, &n_volumes, &n_points,
                               &positions, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error reading tag file \"\", line 4: point 1: expected a number for z, "
              "found x\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(input_tag_memory(nullptr, 10, "none.tag", &n_volumes, &n_points, &positions,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("none.tag"));
    EXPECT_EQ(positions, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(input_tag_memory(nullptr, 0, "empty.tag", &n_volumes, &n_points, &positions,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error reading tag file \"empty.tag\", line 1: the file is empty\n");
    EXPECT_EQ(n_points, 0);
}

TEST_F(TagFileTest, ManyThousandPointsAreReadQuickly)
{
    const int count = 200000;
    std::string text = "big\nVolumes = 2;\n% generated\nPoints =\n";
    text.reserve(static_cast<std::size_t>(count) * 80);
    char line[128];
    for (int i = 0; i < count; ++i) {
        double x = i * 0.125 - 1000.0;
        std::snprintf(line, sizeof line, " %.3f %.3f %d %.3f %.3f %d 1 %d %d \"p%d\"\n", x,
                      -x, i % 97, x + 1, -x - 1, i % 89, i % 5, i, i);
        text += line;
    }
    text += ";\n";
    std::string path = write("big.tag", text);

    auto start = std::chrono::steady_clock::now();
    Status status = read(path);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(status, OK) << errors;
    ASSERT_EQ(n_points, count);
    expect_point(count - 1, (count - 1) * 0.125 - 1000.0, -((count - 1) * 0.125 - 1000.0),
                 (count - 1) % 97);
    EXPECT_DOUBLE_EQ(positions2[12345][2], 12345 % 89);
    EXPECT_EQ(patient_ids[count - 1], count - 1);
    EXPECT_STREQ(labels[4321], "p4321");
    // Reported, not asserted: machines differ.
    std::printf("[ timing ] %d points, %.1f MB, read in %.1f ms (%.0f MB/s)\n", count,
                text.size() / 1e6, seconds * 1e3, text.size() / 1e6 / seconds);
}

} // namespace
