// Which hemisphere a surface is, the named views and azimuth/elevation,
// and the camera that shows them.
#include "view_presets.h"

#include <Inventor/SbViewVolume.h>
#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace gyroscene;

namespace {

void start_coin()
{
    SoDB::init();
}

void expect_near(const SbVec3f &a, const SbVec3f &b, const char *what)
{
    EXPECT_LT((a - b).length(), 1e-5f) << what << ": (" << a[0] << ", " << a[1] << ", "
                                        << a[2] << ") against (" << b[0] << ", " << b[1]
                                        << ", " << b[2] << ")";
}

std::vector<SbVec3f> box_corners(const SbBox3f &box)
{
    std::vector<SbVec3f> corners;
    for (int i = 0; i < 8; ++i)
        corners.emplace_back(i & 1 ? box.getMax()[0] : box.getMin()[0],
                             i & 2 ? box.getMax()[1] : box.getMin()[1],
                             i & 4 ? box.getMax()[2] : box.getMin()[2]);
    return corners;
}

} // namespace

TEST(Hemisphere, FromFileNames)
{
    struct Case {
        const char *name;
        Hemisphere expected;
    };
    const Case cases[] = {
        {"lh.pial", Hemisphere::Left},
        {"rh.white", Hemisphere::Right},
        {"/subjects/rh.bert/surf/lh.pial", Hemisphere::Left}, // directories do not count
        {"brain_L.obj", Hemisphere::Left},
        {"brain_R.obj", Hemisphere::Right},
        {"brain-l.obj", Hemisphere::Left},
        {"sub-01_hemi-R_pial.surf.gii", Hemisphere::Right},
        {"Conte69.L.midthickness.32k_fs_LR.surf.gii", Hemisphere::Left},
        {"Left-white.obj", Hemisphere::Left},
        {"RIGHT.obj", Hemisphere::Right},
        {"lh_white.obj", Hemisphere::Left},
        {"brain.obj", Hemisphere::Unknown},
        {"leftover.obj", Hemisphere::Unknown},  // a word that only starts like a side
        {"lhx.obj", Hemisphere::Unknown},
        {"world.obj", Hemisphere::Unknown},
        {"lh_and_rh.obj", Hemisphere::Unknown}, // both sides: no answer
        {"left_L_rh.obj", Hemisphere::Unknown},
        {"", Hemisphere::Unknown},
        {"/", Hemisphere::Unknown},
    };
    for (const Case &c : cases)
        EXPECT_EQ(hemisphere_from_file_name(c.name), c.expected) << c.name;
}

TEST(Hemisphere, FromStructureLabels)
{
    EXPECT_EQ(hemisphere_from_structure("CortexLeft"), Hemisphere::Left);
    EXPECT_EQ(hemisphere_from_structure("CortexRight"), Hemisphere::Right);
    EXPECT_EQ(hemisphere_from_structure("cortex_left"), Hemisphere::Left);
    EXPECT_EQ(hemisphere_from_structure("CerebellumRight"), Hemisphere::Right);
    EXPECT_EQ(hemisphere_from_structure("CortexRightAndLeft"), Hemisphere::Unknown);
    EXPECT_EQ(hemisphere_from_structure("Cerebellum"), Hemisphere::Unknown);
    EXPECT_EQ(hemisphere_from_structure(""), Hemisphere::Unknown);
}

TEST(Hemisphere, FromTheSignOfTheMeanX)
{
    const std::vector<SbVec3f> left = {{-40, 0, 0}, {10, 5, 5}, {-5, -5, 0}};
    const std::vector<SbVec3f> right = {{40, 0, 0}, {-10, 5, 5}};
    const std::vector<SbVec3f> centred = {{-3, 0, 0}, {3, 1, 1}};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<SbVec3f> broken = {{nan, 0, 0}, {-3, 0, 0}};
    EXPECT_EQ(hemisphere_from_points(left.data(), int(left.size())), Hemisphere::Left);
    EXPECT_EQ(hemisphere_from_points(right.data(), int(right.size())), Hemisphere::Right);
    EXPECT_EQ(hemisphere_from_points(centred.data(), int(centred.size())), Hemisphere::Unknown);
    EXPECT_EQ(hemisphere_from_points(broken.data(), int(broken.size())), Hemisphere::Unknown);
    EXPECT_EQ(hemisphere_from_points(nullptr, 0), Hemisphere::Unknown);
    EXPECT_EQ(hemisphere_from_points(left.data(), 0), Hemisphere::Unknown);
}

TEST(Hemisphere, TheNameComesFirstThenTheLabelThenThePoints)
{
    const std::vector<SbVec3f> right = {{40, 0, 0}};
    const int n = int(right.size());
    EXPECT_EQ(guess_hemisphere("lh.pial", "CortexRight", right.data(), n), Hemisphere::Left);
    EXPECT_EQ(guess_hemisphere("pial.surf.gii", "CortexLeft", right.data(), n), Hemisphere::Left);
    EXPECT_EQ(guess_hemisphere("pial.surf.gii", "", right.data(), n), Hemisphere::Right);
    EXPECT_EQ(guess_hemisphere("lh_and_rh.obj", "CortexRightAndLeft", right.data(), n),
              Hemisphere::Right);
    EXPECT_EQ(guess_hemisphere("pial.obj", "", nullptr, 0), Hemisphere::Unknown);
    // A side the user chose beats every guess.
    EXPECT_EQ(gyroscene::surface_hemisphere(Hemisphere::Right, "lh.pial", "", nullptr, 0),
              Hemisphere::Right);
    EXPECT_EQ(gyroscene::surface_hemisphere(Hemisphere::Unknown, "lh.pial", "", nullptr, 0),
              Hemisphere::Left);
    EXPECT_STREQ(hemisphere_name(Hemisphere::Left), "left");
    EXPECT_STREQ(hemisphere_name(Hemisphere::Right), "right");
    EXPECT_STREQ(hemisphere_name(Hemisphere::Unknown), "unknown");
}

TEST(Views, NamedViewsLookFromTheUsualSides)
{
    struct Case {
        View view;
        Hemisphere hemisphere;
        SbVec3f eye, up;
    };
    const Case cases[] = {
        {View::Lateral, Hemisphere::Left, {-1, 0, 0}, {0, 0, 1}},
        {View::Medial, Hemisphere::Left, {1, 0, 0}, {0, 0, 1}},
        {View::Lateral, Hemisphere::Right, {1, 0, 0}, {0, 0, 1}},
        {View::Medial, Hemisphere::Right, {-1, 0, 0}, {0, 0, 1}},
        {View::Lateral, Hemisphere::Unknown, {-1, 0, 0}, {0, 0, 1}},
        {View::Dorsal, Hemisphere::Left, {0, 0, 1}, {0, 1, 0}},
        {View::Ventral, Hemisphere::Right, {0, 0, -1}, {0, 1, 0}},
        {View::Anterior, Hemisphere::Left, {0, 1, 0}, {0, 0, 1}},
        {View::Posterior, Hemisphere::Right, {0, -1, 0}, {0, 0, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(view_name(c.view)) + " " + hemisphere_name(c.hemisphere));
        const ViewAngles angles = view_angles(c.view, c.hemisphere);
        expect_near(eye_direction(angles), c.eye, "eye");
        expect_near(image_up(angles), c.up, "up");
    }
    for (View view : {View::Lateral, View::Medial, View::Dorsal, View::Ventral, View::Anterior,
                      View::Posterior})
        EXPECT_EQ(view_from_name(view_name(view)), view);
    EXPECT_FALSE(view_from_name("Lateral"));
    EXPECT_FALSE(view_from_name("top"));
    EXPECT_FALSE(view_from_name(""));
}

TEST(Views, AzimuthAndElevation)
{
    const auto level = parse_view_angles("0,0");
    ASSERT_TRUE(level);
    expect_near(eye_direction(*level), {1, 0, 0}, "0,0 from the right");
    expect_near(eye_direction(*parse_view_angles("90,0")), {0, 1, 0}, "90,0 from the front");
    expect_near(eye_direction(*parse_view_angles("0,90")), {0, 0, 1}, "0,90 from above");
    expect_near(eye_direction(*parse_view_angles("-90,0")), {0, -1, 0}, "from behind");
    const float h = std::sqrt(0.5f);
    expect_near(eye_direction(*parse_view_angles("45,0")), {h, h, 0}, "45,0");
    expect_near(eye_direction(*parse_view_angles("180,45")), {-h, 0, h}, "180,45");

    const auto odd = parse_view_angles("-45.5,-12.25");
    ASSERT_TRUE(odd);
    EXPECT_DOUBLE_EQ(odd->azimuth, -45.5);
    EXPECT_DOUBLE_EQ(odd->elevation, -12.25);
    EXPECT_TRUE(parse_view_angles("720,-90"));
    for (const char *bad : {"", ",", "90", "90,", ",0", "a,b", "0,91", "0,-90.5", "nan,0",
                            "0,inf", "1,2,3", " 1,2", "1 ,2", "1,2 ", "+1,2", "1e999,0"})
        EXPECT_FALSE(parse_view_angles(bad)) << '"' << bad << '"';
}

TEST(Views, TheCameraLooksFromTheEyeWithUpUp)
{
    // Across the sphere of directions, poles included.
    for (int a = -180; a <= 360; a += 30)
        for (int e = -90; e <= 90; e += 15) {
            const ViewAngles angles{double(a), double(e)};
            SCOPED_TRACE(std::to_string(a) + "," + std::to_string(e));
            const SbRotation rotation = camera_orientation(angles);
            SbVec3f look, up;
            rotation.multVec(SbVec3f(0, 0, -1), look);
            rotation.multVec(SbVec3f(0, 1, 0), up);
            expect_near(look, -eye_direction(angles), "looks at the centre");
            expect_near(up, image_up(angles), "up");
            EXPECT_NEAR(image_up(angles).length(), 1.0f, 1e-6f);
            EXPECT_NEAR(image_up(angles).dot(eye_direction(angles)), 0.0f, 1e-6f);
            if (e > -90 && e < 90) {
                EXPECT_GT(image_up(angles)[2], 0.0f);
            }
        }

    // Not a mirror: in a left lateral view the front is on the left of the
    // image, in a right lateral view on the right.
    SbVec3f screen_right;
    camera_orientation(view_angles(View::Lateral, Hemisphere::Left))
        .multVec(SbVec3f(1, 0, 0), screen_right);
    expect_near(screen_right, {0, -1, 0}, "left lateral: back to the right");
    camera_orientation(view_angles(View::Lateral, Hemisphere::Right))
        .multVec(SbVec3f(1, 0, 0), screen_right);
    expect_near(screen_right, {0, 1, 0}, "right lateral: front to the right");
    camera_orientation(view_angles(View::Dorsal, Hemisphere::Left))
        .multVec(SbVec3f(1, 0, 0), screen_right);
    expect_near(screen_right, {1, 0, 0}, "dorsal: right to the right");
}

TEST(Framing, EveryViewShowsTheWholeBoxAtTheSameDistance)
{
    start_coin();
    const SbBox3f box(SbVec3f(-70, -100, -40), SbVec3f(-5, 60, 75));
    const SbVec3f centre = box.getCenter();
    for (bool perspective : {true, false})
        for (float aspect : {1.6f, 1.0f, 0.6f}) {
            SoCamera *camera = perspective ? static_cast<SoCamera *>(new SoPerspectiveCamera)
                                           : static_cast<SoCamera *>(new SoOrthographicCamera);
            camera->ref();
            float first_distance = -1.0f;
            for (View view : {View::Lateral, View::Medial, View::Dorsal, View::Ventral,
                              View::Anterior, View::Posterior}) {
                SCOPED_TRACE(std::string(view_name(view)) + (perspective ? " perspective" : " ortho") +
                             " aspect " + std::to_string(aspect));
                const ViewAngles angles = view_angles(view, Hemisphere::Left);
                ASSERT_TRUE(aim_camera(camera, box, aspect, angles));
                const SbVec3f offset = camera->position.getValue() - centre;
                expect_near(offset / offset.length(), eye_direction(angles), "eye side");
                if (first_distance < 0.0f)
                    first_distance = offset.length();
                EXPECT_NEAR(offset.length(), first_distance, 1e-3f * first_distance);
                EXPECT_NEAR(camera->focalDistance.getValue(), offset.length(), 1e-3f);

                // As Coin draws it: a tall view widened until the height
                // spans the width.
                SbViewVolume volume = camera->getViewVolume(aspect);
                if (aspect < 1.0f)
                    volume.scale(1.0f / aspect);
                SbVec3f screen;
                volume.projectToScreen(centre, screen);
                EXPECT_NEAR(screen[0], 0.5f, 1e-4f);
                EXPECT_NEAR(screen[1], 0.5f, 1e-4f);
                // Every corner in the picture and between the clipping planes,
                // the box's extent filling a good part of it.
                float widest = 0.0f;
                for (const SbVec3f &corner : box_corners(box)) {
                    volume.projectToScreen(corner, screen);
                    EXPECT_GE(screen[0], 0.0f);
                    EXPECT_LE(screen[0], 1.0f);
                    EXPECT_GE(screen[1], 0.0f);
                    EXPECT_LE(screen[1], 1.0f);
                    widest = std::max({widest, std::abs(screen[0] - 0.5f), std::abs(screen[1] - 0.5f)});
                    const float depth = (corner - camera->position.getValue()).dot(-eye_direction(angles));
                    EXPECT_GT(depth, camera->nearDistance.getValue());
                    EXPECT_LT(depth, camera->farDistance.getValue());
                }
                EXPECT_GT(widest, 0.15f);
            }
            camera->unref();
        }
}

TEST(Framing, RefusesWhatCannotBeFramed)
{
    start_coin();
    auto *camera = new SoPerspectiveCamera;
    camera->ref();
    camera->position = SbVec3f(1, 2, 3);
    const SbRotation before = camera->orientation.getValue();
    EXPECT_FALSE(aim_camera(camera, SbBox3f(), 1.0f, {0, 0}));
    EXPECT_FALSE(frame_box(camera, SbBox3f(0, 0, 0, 1, 1, 1), 0.0f));
    EXPECT_FALSE(frame_box(camera, SbBox3f(0, 0, 0, 1, 1, 1), std::nanf("")));
    EXPECT_FALSE(frame_box(nullptr, SbBox3f(0, 0, 0, 1, 1, 1), 1.0f));
    EXPECT_EQ(camera->position.getValue(), SbVec3f(1, 2, 3));
    EXPECT_TRUE(camera->orientation.getValue() == before);

    // A single point is framed with room around it.
    ASSERT_TRUE(frame_box(camera, SbBox3f(SbVec3f(5, 5, 5), SbVec3f(5, 5, 5)), 1.0f));
    EXPECT_GT((camera->position.getValue() - SbVec3f(5, 5, 5)).length(), 0.5f);
    camera->unref();
}

TEST(Framing, SceneBoxCoversTheNodes)
{
    start_coin();
    auto *root = new SoSeparator;
    root->ref();
    EXPECT_TRUE(scene_box(root).isEmpty());
    auto *move = new SoTranslation;
    move->translation = SbVec3f(10, 0, -4);
    root->addChild(move);
    root->addChild(new SoCube); // 2 x 2 x 2
    const SbBox3f box = scene_box(root);
    expect_near(box.getMin(), {9, -1, -5}, "min");
    expect_near(box.getMax(), {11, 1, -3}, "max");
    EXPECT_TRUE(scene_box(nullptr).isEmpty());
    root->unref();
}
