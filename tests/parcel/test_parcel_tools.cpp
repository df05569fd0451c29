// vsinfo, vsconv and objinfo on parcellations, run as processes; vsconv's
// files read back by nibabel.
#include "parcel_test_util.h"

#include <gmock/gmock.h>

namespace {

using testing::HasSubstr;

class ParcelToolTest : public FormatTest {
protected:
    CommandRun tool(const char *program, const std::string &arguments) const
    {
        return run(std::string(program) + " " + arguments);
    }
    static std::string q(const std::string &file) { return "'" + file + "'"; }
};

// The dump with every region's alpha made opaque, as an annotation keeps it.
std::string opaque(const std::string &dump)
{
    std::istringstream in(dump);
    std::string line, out;
    int regions = -1;
    while (std::getline(in, line)) {
        if (regions < 0) {
            regions = std::stoi(line.substr(8));
        } else if (regions > 0) {
            --regions;
            std::istringstream fields(line);
            std::string key, r, g, b, a;
            fields >> key >> r >> g >> b >> a;
            line = key + " " + r + " " + g + " " + b + " 255" + line.substr(fields.tellg());
        }
        out += line + "\n";
    }
    return out;
}

TEST_F(ParcelToolTest, VsconvTurnsAnnotationsIntoGiftiLabelsAndBack)
{
    std::string annot = path("lh.aparc.annot"), gii = path("lh.aparc.label.gii"),
                again = path("lh.again.annot");
    std::string expected = nibabel("write", "annot", annot, "old");
    CommandRun r = tool(VSCONV_PATH, q(annot) + " " + q(gii));
    ASSERT_EQ(r.status, 0) << r.err;
    // table order gives the keys, names and colours kept exactly
    EXPECT_EQ(nibabel("dump", "gifti-labels", gii), expected);
    r = tool(VSCONV_PATH, q(gii) + " " + q(again));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nibabel("dump", "annot", again), opaque(expected));
}

TEST_F(ParcelToolTest, VsconvKeepsAGiftiLabelFilesTableAndIntentAndItsKeysInAnAnnotation)
{
    std::string gii = path("lh.atlas.label.gii"), copy = path("copy.gii"),
                annot = path("lh.atlas.annot");
    std::string expected = nibabel("write", "gifti-labels", gii);
    CommandRun r = tool(VSCONV_PATH, q(gii) + " " + q(copy));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nibabel("dump", "gifti-labels", copy), expected);
    // keys 0, 3, 7, 12, 40 become table indices (nibabel cannot list the
    // names of so sparse a table, so ours reads it)
    r = tool(VSCONV_PATH, q(gii) + " " + q(annot));
    ASSERT_EQ(r.status, 0) << r.err;
    parcellation parcels;
    ASSERT_EQ(input_freesurfer_annotation(annot.c_str(), &parcels), OK);
    EXPECT_EQ(dump_parcellation(parcels), opaque(expected));
    EXPECT_EQ(run(std::string(NIBABEL_PYTHON) +
                  " -c 'import sys, nibabel; l, c, n = nibabel.freesurfer.read_annot(sys.argv[1]);"
                  " print(len(l), len(c), len(n))' " + q(annot)).out, "90 41 5\n");
}

TEST_F(ParcelToolTest, VsconvRefusesRegionsOfOneColourForAnAnnotationNamingThem)
{
    parcellation parcels;
    parcels.format = GIFTI_LABELS;
    parcels.regions = {{1, "V1", {200, 10, 10, 255}}, {2, "V2", {200, 10, 10, 100}}};
    parcels.vertex_regions = {0, 1, 1};
    std::string gii = path("twins.label.gii"), annot = path("twins.annot");
    ASSERT_EQ(output_gifti_labels(gii.c_str(), parcels), OK);
    CommandRun r = tool(VSCONV_PATH, q(gii) + " " + q(annot));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("regions \"V1\" (key 1) and \"V2\" (key 2) have the same "
                                 "colour 200 10 10"));
    EXPECT_FALSE(std::filesystem::exists(annot));
    // and an annotation is not a statistics file
    std::string ok_annot = path("lh.ok.annot");
    nibabel("write", "annot", ok_annot);
    r = tool(VSCONV_PATH, q(ok_annot) + " " + q(path("out.vertstats")));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("is a parcellation; it converts to an annotation"));
}

TEST_F(ParcelToolTest, VsinfoDescribesRegionsAndObjinfoSaysAGiftiFileHoldsLabels)
{
    std::string gii = path("lh.atlas.label.gii"), label = path("lh.V1.label");
    nibabel("write", "gifti-labels", gii);
    nibabel("write", "label", label);
    CommandRun r = tool(VSINFO_PATH, q(gii));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "format: GIFTI labels\nvertices: 90\nregions: 5\nvertices in no region: 1\n"
                     "key vertices red green blue alpha name\n"
                     "0 14 109 4 12 39 ???\n3 12 168 232 25 188 bankssts\n"
                     "7 23 185 49 52 23 caudal anterior cingulate\n"
                     "12 19 235 158 225 42 cuneus\n40 21 44 238 181 28 entorhinal\n");
    r = tool(VSINFO_PATH, q(label));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("format: FreeSurfer label\nvertices: 89\nregions: 1\n"
                                 "vertices in no region: 64\n"));
    r = tool(OBJINFO_PATH, q(gii));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, HasSubstr("holds GIFTI labels (regions of a surface's vertices), not a "
                                 "surface"));
    r = tool(VSINFO_PATH, q(write("lh.broken.annot", std::string("\0\0\0\5", 4))));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("lh.broken.annot\": 5 vertices do not fit"));
}

} // namespace
