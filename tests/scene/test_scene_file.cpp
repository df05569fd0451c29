// Scene files: what is written reads back equal, paths follow the scene's
// folder, and every malformed file is refused with a message that says why.
#include "message_text.h"
#include "scene_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace gyroscene;

namespace {

scene_state fullScene(const QString& folder)
{
    scene_state scene;
    surface_state surface;
    surface.path = folder + "/lh.obj";
    surface.colour = QColor(10, 200, 30);
    surface.opacity = 0.25f;
    surface.shown = false;
    surface.hemisphere = Hemisphere::Right;
    statistics_state file;
    file.path = folder + "/data/lh.vertstats";
    file.shown = false;
    file.columns.push_back({"thickness", "hot", std::make_pair(4.5f, -1.0f / 3.0f), 0.125f});
    file.columns.push_back({"p value", "", std::nullopt, 0.0f});
    surface.statistics.push_back(file);
    surface.statistics.push_back(statistics_state{"/elsewhere/b.txt", true, {}});
    surface.coloured_file = 0;
    surface.coloured_column = "thickness";
    surface.underlay_file = 1;
    surface.underlay_column = "curv";
    surface.underlay_shades = 5;
    surface.parcellations.push_back({folder + "/lh.aparc.annot", false, 0.5f, true, {0, 3, 34}});
    surface.parcellations.push_back({"/elsewhere/lh.V1.label", true, 1.0f, false, {}});
    scene.surfaces.push_back(surface);
    scene.surfaces.push_back(surface_state{"/other/rh.obj"});
    scene.tags.push_back(tags_state{folder + "/points.tag", 2.5, QColor(1, 2, 3), false});
    scene.pick = {1, 42};
    scene.legend = false;
    scene.legend_surface = 0;
    scene.background = QColor(255, 255, 255);
    scene.hemisphere_offset = false;
    camera_state camera;
    camera.projection = Projection::Orthographic;
    camera.position[0] = 1.5f;
    camera.position[2] = -300.125f;
    camera.orientation[1] = 0.70710677f;
    camera.orientation[3] = 0.70710677f;
    camera.focal_distance = 301.0f;
    camera.height = 180.3f;
    scene.camera = camera;
    scene.view_size = QSize(830, 780);
    return scene;
}

bool fails(const QByteArray& text, QString* error)
{
    scene_state scene;
    return !scene_from_json(text, "/data", &scene, error);
}

}  // namespace

TEST(SceneFile, RoundTripKeepsEveryFieldAndWritesStableText)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("view.gyrolux");
    const scene_state scene = fullScene(dir.path());
    QString error;
    ASSERT_TRUE(write_scene_file(path, scene, &error)) << error.toStdString();
    scene_state read;
    ASSERT_TRUE(read_scene_file(path, &read, &error)) << error.toStdString();
    EXPECT_EQ(read, scene);

    // Saved again, byte for byte the same: scenes diff well.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), scene_to_json(read, dir.path()));

    // The hemispheres' offset is on unless the scene says off; only "off"
    // is written, so scenes from before it read and write as they did.
    scene_state plain;
    const QByteArray text = scene_to_json(plain, dir.path());
    EXPECT_FALSE(text.contains("hemisphereOffset"));
    ASSERT_TRUE(scene_from_json(text, dir.path(), &read, &error));
    EXPECT_TRUE(read.hemisphere_offset);
}

TEST(SceneFile, PathsInsideTheFolderAreRelativeOthersAbsolute)
{
    QTemporaryDir dir;
    const QByteArray text = scene_to_json(fullScene(dir.path()), dir.path());
    EXPECT_TRUE(text.contains("\"path\": \"lh.obj\""));
    EXPECT_TRUE(text.contains("\"path\": \"data/lh.vertstats\""));
    EXPECT_TRUE(text.contains("\"path\": \"/elsewhere/b.txt\""));

    // The folder moved with its scene: files are found in the new place.
    scene_state read;
    QString error;
    ASSERT_TRUE(scene_from_json(text, "/moved/here", &read, &error));
    EXPECT_EQ(read.surfaces[0].path, "/moved/here/lh.obj");
    EXPECT_EQ(read.surfaces[0].statistics[0].path, "/moved/here/data/lh.vertstats");
    EXPECT_EQ(read.surfaces[0].statistics[1].path, "/elsewhere/b.txt");
    EXPECT_EQ(read.surfaces[0].parcellations[0].path, "/moved/here/lh.aparc.annot");
    EXPECT_EQ(read.surfaces[0].parcellations[1].path, "/elsewhere/lh.V1.label");
    EXPECT_EQ(scene_relative_path("/a/b/../c/x.obj", "/a/c"), "x.obj");
    EXPECT_EQ(scene_relative_path("/a/x.obj", "/a/c"), "/a/x.obj");
}

TEST(SceneFile, MalformedScenesSayWhatIsWrong)
{
    QString error;
    EXPECT_TRUE(fails("{\n  \"format\": \"gyrolux-scene\",\n  \"version\": 1,,\n}", &error));
    EXPECT_TRUE(error.contains("line 3, column 16")) << error.toStdString();

    EXPECT_TRUE(fails("[1, 2]", &error));
    EXPECT_TRUE(error.contains("not a gyrolux scene"));
    EXPECT_TRUE(fails(R"({"format": "other", "version": 1})", &error));
    EXPECT_TRUE(error.contains("not a gyrolux scene"));
    EXPECT_TRUE(fails(R"({"format": "gyrolux-scene", "version": 7})", &error));
    EXPECT_TRUE(error.contains("version 7")) << error.toStdString();

    const QByteArray head = R"({"format": "gyrolux-scene", "version": 1, )";
    EXPECT_TRUE(fails(head + R"("surfaces": [{"path": "a.obj", "opacity": "half"}]})", &error));
    EXPECT_EQ(error, "surfaces[0].opacity should be a number");
    EXPECT_TRUE(fails(head + R"("surfaces": [{"opacity": 1}]})", &error));
    EXPECT_EQ(error, "surfaces[0].path is missing");
    EXPECT_TRUE(fails(head + R"("surfaces": [{"path": "a", "statistics": [{"path": "s",
        "columns": [{"name": "t", "limits": [1]}]}]}]})",
                      &error));
    EXPECT_EQ(error, "surfaces[0].statistics[0].columns[0].limits should be a list of 2 numbers");
    EXPECT_TRUE(fails(head + R"("surfaces": [{"path": "a", "colouredBy": {"file": 0, "column": "t"}}]})",
                      &error));
    EXPECT_TRUE(error.contains("the surface has none")) << error.toStdString();
    EXPECT_TRUE(fails(head + R"("surfaces": [{"path": "a", "parcellations": [{"path": "p",
        "hiddenRegions": [2, -1]}]}]})",
                      &error));
    EXPECT_EQ(error, "surfaces[0].parcellations[0].hiddenRegions[1] should be a region's index, 0 or more");
    EXPECT_TRUE(fails(head + R"("surfaces": [{"path": "a", "parcellations": [{"path": "p",
        "opacity": 2}]}]})",
                      &error));
    EXPECT_EQ(error, "surfaces[0].parcellations[0].opacity should be from 0 to 1");
    // Found by fuzzing: a choice without its file would be dropped on saving.
    EXPECT_TRUE(fails(head + R"("surfaces": [{"path": "a", "colouredBy": {"column": "t"}}]})", &error));
    EXPECT_EQ(error, "surfaces[0].colouredBy.file is missing");
    EXPECT_TRUE(fails(head + R"("viewSize": [830, 8e22]})", &error));
    EXPECT_EQ(error, "viewSize should be two whole numbers from 1 to 16384");
    EXPECT_TRUE(fails(head + R"("tags": [{"path": "t.tag", "colour": "no colour"}]})", &error));
    EXPECT_TRUE(error.startsWith("tags[0].colour is no colour"));
    EXPECT_TRUE(fails(head + R"("camera": {"position": [0, 0]}})", &error));
    EXPECT_EQ(error, "camera.position should be a list of 3 numbers");
}

TEST(SceneFile, ScenesWithoutParcellationsReadAsBefore)
{
    // Written before surfaces had parcellations: no key, none read, none written.
    const QByteArray old = R"({"format": "gyrolux-scene", "version": 1,
        "surfaces": [{"path": "a.obj", "statistics": []}]})";
    scene_state read;
    QString error;
    ASSERT_TRUE(scene_from_json(old, "/data", &read, &error)) << error.toStdString();
    ASSERT_EQ(read.surfaces.size(), 1u);
    EXPECT_TRUE(read.surfaces[0].parcellations.empty());
    EXPECT_FALSE(scene_to_json(read, "/data").contains("parcellations"));
}

TEST(SceneFile, UnreadableFilesNameTheFile)
{
    QTemporaryDir dir;
    scene_state scene;
    QString error;
    EXPECT_FALSE(read_scene_file(dir.filePath("missing.gyrolux"), &scene, &error));
    EXPECT_TRUE(error.contains("missing.gyrolux: no such file")) << error.toStdString();
    const QString path = dir.filePath("big.gyrolux");
    QFile big(path);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(scene_file_limit + 1));
    big.close();
    EXPECT_FALSE(read_scene_file(path, &scene, &error));
    EXPECT_TRUE(error.contains("too large")) << error.toStdString();
}

// Every file a scene names is read and built, so their number is bounded;
// the caller may raise the bound.
TEST(SceneFile, ScenesNamingTooManyFilesAreRefusedUnlessTheLimitIsRaised)
{
    QTemporaryDir dir;
    scene_state many = fullScene(dir.path());
    // 2 surfaces, the first with 2 statistics files and 2 parcellations; 1 tag file.
    EXPECT_EQ(scene_file_count(many), 7);
    const QString path = dir.filePath("many.gyrolux");
    QString error;
    ASSERT_TRUE(write_scene_file(path, many, &error)) << error.toStdString();
    scene_state read;
    EXPECT_TRUE(read_scene_file(path, &read, &error, 7)) << error.toStdString();
    EXPECT_FALSE(read_scene_file(path, &read, &error, 6));
    EXPECT_TRUE(error.contains("many.gyrolux: it names 7 files, more than the 6"))
        << error.toStdString();
    EXPECT_TRUE(read.surfaces.empty());
}

// A path as long as a scene file may hold is shown by its ends only.
TEST(MessageText, LongWordsKeepTheirEndsAndShortOnesStay)
{
    const QString path = "/data/" + QString(8 << 20, 'x') + "/lh.pial";
    const QString shown = message_text("cannot read surface " + path + ": no such file");
    EXPECT_LT(shown.size(), 2 * longest_message_word);
    EXPECT_TRUE(shown.startsWith("cannot read surface /data/xx"));
    EXPECT_TRUE(shown.endsWith("xx/lh.pial: no such file"));
    EXPECT_EQ(message_text("a  short\tmessage"), "a  short\tmessage");
}
