// CIFTI-2 files as nibabel writes them: every map name, label, colour,
// series step, brain model and value read as nibabel reads them; the
// surfaces' values spread over their vertices; and every kind of bad file
// refused with a message naming it.
#include "cifti_file.h"

#include "scratch_dir_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>

namespace {

class CiftiTest : public ScratchDirTest {
protected:
    // nibabel writes the file and prints its reading of it.
    std::string nibabel(const std::string &kind, const std::string &file) const
    {
        const std::string command = std::string(NIBABEL_PYTHON) + " " + CIFTI_HELPER + " " + kind +
                                    " '" + file + "'";
        std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
        std::string out;
        char buffer[4096];
        std::size_t n = 0;
        while (pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
            out.append(buffer, n);
        return out;
    }

    // Our reading in the helper's form.
    static std::string dump(const cifti_file &file)
    {
        std::ostringstream out;
        char number[32];
        const auto g = [&](double v) {
            std::snprintf(number, sizeof number, "%.9g", v);
            return std::string(number);
        };
        const cifti_axis &rows = file.rows;
        if (rows.kind == CIFTI_SERIES_AXIS) {
            out << "rows series " << file.n_rows << "\n";
            out << "series " << g(rows.series_start) << " " << g(rows.series_step) << " "
                << rows.series_unit << "\n";
        } else {
            out << "rows " << (rows.kind == CIFTI_LABELS_AXIS ? "labels" : "scalars") << " "
                << file.n_rows << "\n";
            for (const cifti_map &map : rows.maps)
                out << "row " << map.name << "\n";
        }
        for (std::size_t m = 0; m < rows.maps.size(); ++m)
            for (const cifti_label &label : rows.maps[m].labels)
                out << "label " << m << " " << label.key << " " << g(label.rgba[0]) << " "
                    << g(label.rgba[1]) << " " << g(label.rgba[2]) << " " << g(label.rgba[3])
                    << " " << label.name << "\n";
        for (const cifti_brain_model &model : file.columns.models) {
            out << "model " << model.structure << " " << (model.surface ? "surface" : "voxels")
                << " " << model.offset << " " << model.count << " " << model.surface_vertices
                << "\n";
            if (model.surface) {
                out << "vertices";
                for (int v : model.vertices)
                    out << " " << v;
                out << "\n";
            }
        }
        for (long long r = 0; r < file.n_rows; ++r) {
            out << "values";
            for (long long c = 0; c < file.n_columns; ++c)
                out << " " << g(file.values[std::size_t(r * file.n_columns + c)]);
            out << "\n";
        }
        return out.str();
    }

    // A copy of `from` with `bytes` written over it at `at`.
    std::string patched(const std::string &from, const std::string &name, std::size_t at,
                        const std::string &bytes) const
    {
        std::string content = slurp(from);
        content.replace(at, bytes.size(), bytes);
        return write(name, content);
    }
};

TEST_F(CiftiTest, ReadsWhatNibabelWritesInEveryKindAndByteOrder)
{
    for (const std::string kind : {"dscalar", "dtseries", "dlabel", "bigendian"}) {
        SCOPED_TRACE(kind);
        const std::string file = path(kind + (kind == "dlabel" ? ".dlabel.nii" : ".dscalar.nii"));
        const std::string expected = nibabel(kind, file);
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(is_cifti_file(file.c_str()));
        cifti_file read;
        ASSERT_EQ(input_cifti_file(file.c_str(), &read), OK);
        EXPECT_EQ(dump(read), expected);
    }
}

// The left cortex leaves vertices 2, 5 and 8 out (the medial wall): they
// have no value, the others theirs.
TEST_F(CiftiTest, SurfaceColumnsSpreadOverTheVerticesWithGapsAsNaN)
{
    const std::string file = path("maps.dscalar.nii");
    nibabel("dscalar", file);
    cifti_file read;
    ASSERT_EQ(input_cifti_file(file.c_str(), &read), OK);
    EXPECT_EQ(cifti_surface_structures(read),
              (std::vector<std::string>{"CIFTI_STRUCTURE_CORTEX_LEFT",
                                        "CIFTI_STRUCTURE_CORTEX_RIGHT"}));
    const cifti_brain_model *left = cifti_surface_model(read, "CortexLeft");
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(cifti_surface_model(read, "left"), left);
    EXPECT_EQ(cifti_surface_model(read, "CerebellumLeft"), nullptr);
    const auto columns = cifti_surface_columns(read, *left);
    ASSERT_EQ(columns.size(), 2u);
    ASSERT_EQ(columns[1].size(), 10u);
    const int vertices[] = {0, 1, 3, 4, 6, 7, 9};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(columns[1][std::size_t(vertices[i])], read.values[std::size_t(read.n_columns + i)]);
    for (int gap : {2, 5, 8})
        EXPECT_TRUE(std::isnan(columns[0][std::size_t(gap)]));
    EXPECT_EQ(cifti_row_name(read, 1), "myelin map");

    const std::string series = path("frames.dtseries.nii");
    nibabel("dtseries", series);
    ASSERT_EQ(input_cifti_file(series.c_str(), &read), OK);
    EXPECT_EQ(cifti_row_name(read, 2), "1.94s");
}

TEST_F(CiftiTest, BadFilesAreRefusedNamingTheFile)
{
    const std::string good = path("good.dscalar.nii");
    nibabel("dscalar", good);
    const std::string content = slurp(good);
    std::string nifti1(348, '\0');
    nifti1[0] = '\x5c', nifti1[1] = '\x01';  // sizeof_hdr 348
    const std::int64_t huge = std::int64_t(1) << 40, large = std::int64_t(1) << 24;
    const std::string huge_bytes(reinterpret_cast<const char *>(&huge), 8);
    const std::string large_bytes(reinterpret_cast<const char *>(&large), 8);
    const std::int64_t past = std::int64_t(content.size()) + 4;
    const std::string past_bytes(reinterpret_cast<const char *>(&past), 8);
    const std::size_t xml = content.find("<VertexIndices>0 1 3");
    ASSERT_NE(xml, std::string::npos);
    const struct {
        std::string file;
        std::string why;
    } cases[] = {
        {write("one.nii", nifti1 + std::string(400, '\0')), "a NIfTI-1 header"},
        {write("short.dscalar.nii", content.substr(0, content.size() - 3)), "does not fit"},
        {write("text.dscalar.nii", "not a CIFTI file at all, but long enough to be read as a header" +
                                       std::string(600, ' ')),
         "no NIfTI-2 header"},
        {patched(good, "huge.dscalar.nii", 16 + 8 * 6, huge_bytes), "more than 2^31"},
        {patched(good, "large.dscalar.nii", 16 + 8 * 5, large_bytes), "does not fit"},
        {patched(good, "offset.dscalar.nii", 168, past_bytes), "does not fit"},
        {patched(good, "vertex.dscalar.nii", xml, "<VertexIndices>0 1 30"), "beyond the surface"},
        {patched(good, "dconn.dscalar.nii", content.find("CIFTI_INDEX_TYPE_SCALARS"),
                 "CIFTI_INDEX_TYPE_PARCELS"),
         "parcellated"},
        {patched(good, "noext.dscalar.nii", 540, std::string(1, '\0')), "no header extension"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        cifti_file read;
        testing::internal::CaptureStderr();
        EXPECT_EQ(input_cifti_file(c.file.c_str(), &read), ERROR);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.file), std::string::npos) << err;
        EXPECT_NE(err.find(c.why), std::string::npos) << c.why << " not in " << err;
        EXPECT_TRUE(read.values.empty());
    }
}

} // namespace
