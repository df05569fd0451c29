// A subject folder's files by hemisphere: what exists is listed, each
// missing file named once, and names and paths told apart.
#include "subject_files.h"

#include "scratch_dir_test.h"

#include <filesystem>

using gyroscene::Hemisphere;
using gyroscene::resolve_subject;
using gyroscene::subject_files;
using gyroscene::subject_request;

class SubjectFiles : public ScratchDirTest {
protected:
    void SetUp() override
    {
        ScratchDirTest::SetUp();
        std::filesystem::create_directories(dir / "surf");
        std::filesystem::create_directories(dir / "label");
        for (const char* name : {"surf/lh.inflated", "surf/rh.inflated", "surf/lh.curv",
                                 "surf/lh.thickness", "surf/rh.thickness",
                                 "label/lh.aparc.annot", "label/extra.annot"})
            write(name, "x");
    }
    subject_request request(const char* hemi) const
    {
        subject_request r;
        r.dir = QString::fromStdString(dir.string());
        r.hemi = hemi;
        return r;
    }
    QString in(const char* name) const { return QString::fromStdString(path(name)); }
};

TEST_F(SubjectFiles, BothHemispheresListWhatExistsAndNameWhatIsMissing)
{
    subject_request r = request("both");
    r.overlays = {"thickness"};
    r.annotations = {"aparc"};
    subject_files files;
    ASSERT_FALSE(resolve_subject(r, &files));
    ASSERT_EQ(files.hemispheres.size(), 2u);
    const auto& lh = files.hemispheres[0];
    const auto& rh = files.hemispheres[1];
    EXPECT_EQ(lh.side, Hemisphere::Left);
    EXPECT_EQ(lh.surface, in("surf/lh.inflated"));
    EXPECT_EQ(lh.curv, in("surf/lh.curv"));
    EXPECT_EQ(lh.statistics, QStringList{in("surf/lh.thickness")});
    EXPECT_EQ(lh.labels, QStringList{in("label/lh.aparc.annot")});
    EXPECT_EQ(rh.side, Hemisphere::Right);
    EXPECT_TRUE(rh.curv.isEmpty());
    EXPECT_EQ(rh.statistics, QStringList{in("surf/rh.thickness")});
    EXPECT_TRUE(rh.labels.isEmpty());
    EXPECT_EQ(files.missing,
              (QStringList{"Subject: no curvature file " + in("surf/rh.curv"),
                           "Subject: no parcellation " + in("label/rh.aparc.annot")}));
}

TEST_F(SubjectFiles, AMissingSurfaceDropsItsHemisphereOnly)
{
    subject_request r = request("both");
    r.surface = "white";
    write("surf/rh.white", "x");
    subject_files files;
    ASSERT_FALSE(resolve_subject(r, &files));
    ASSERT_EQ(files.hemispheres.size(), 1u);
    EXPECT_EQ(files.hemispheres[0].side, Hemisphere::Right);
    EXPECT_EQ(files.missing.first(), "Subject: no surface " + in("surf/lh.white"));

    r.dir = in("nowhere");
    ASSERT_FALSE(resolve_subject(r, &files));
    EXPECT_TRUE(files.hemispheres.empty());
    EXPECT_EQ(files.missing, QStringList{"Subject: no folder " + in("nowhere")});
}

TEST_F(SubjectFiles, PathsInsteadOfNamesOnlyWithOneHemisphere)
{
    subject_request r = request("lh");
    r.overlays = {in("surf/lh.thickness")};
    r.annotations = {in("label/extra.annot")};
    subject_files files;
    ASSERT_FALSE(resolve_subject(r, &files));
    ASSERT_EQ(files.hemispheres.size(), 1u);
    EXPECT_EQ(files.hemispheres[0].statistics, QStringList{in("surf/lh.thickness")});
    EXPECT_EQ(files.hemispheres[0].labels, QStringList{in("label/extra.annot")});
    EXPECT_TRUE(files.missing.isEmpty());

    r.hemi = "both";
    const auto both = resolve_subject(r, &files);
    ASSERT_TRUE(both);
    EXPECT_TRUE(both->contains("single --hemi")) << both->toStdString();
    r.hemi = "left";
    EXPECT_EQ(resolve_subject(r, &files).value_or(""), "--hemi is lh, rh or both, not \"left\"");
    r = request("lh");
    r.surface = "";
    EXPECT_TRUE(resolve_subject(r, &files));
}
