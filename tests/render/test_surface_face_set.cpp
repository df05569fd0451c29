// The surface's face set draws the same pixels as Coin's own face set, in
// every state it takes over and in those it leaves to Coin, and follows
// changes of its arrays.
#include "egl_offscreen.h"
#include "surface_face_set.h"
#include "view_root.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoOffscreenRenderer.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoDirectionalLight.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoMaterialBinding.h>
#include <Inventor/nodes/SoNormal.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoPackedColor.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTextureCoordinateBinding.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// How many bytes differ, and by how much at most: a failure says which.
std::string difference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    int count = 0, largest = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            ++count, largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
    return std::to_string(count) + " bytes differ, by up to " + std::to_string(largest);
}

enum class Look { plain, transparent, packed, translucentPacked, textured };

// A UV sphere, counter-clockwise seen from outside: rows of quads split in
// two, or kept as quads.
struct Sphere {
    std::vector<SbVec3f> points;
    std::vector<int32_t> index;
};

Sphere sphere(bool quads)
{
    Sphere s;
    const int rings = 24, sectors = 32;
    for (int r = 0; r <= rings; ++r)
        for (int k = 0; k < sectors; ++k) {
            const float theta = float(M_PI) * r / rings, phi = 2.0f * float(M_PI) * k / sectors;
            s.points.emplace_back(std::sin(theta) * std::cos(phi), std::cos(theta),
                                  std::sin(theta) * std::sin(phi));
        }
    for (int r = 0; r < rings; ++r)
        for (int k = 0; k < sectors; ++k) {
            const int a = r * sectors + k, b = r * sectors + (k + 1) % sectors;
            const int c = a + sectors, d = b + sectors;
            if (quads)
                s.index.insert(s.index.end(), {a, b, d, c, -1});
            else
                s.index.insert(s.index.end(), {a, d, c, -1, a, b, d, -1});
        }
    return s;
}

// A UV sphere closed at single pole points, so that every edge has a face on
// each side; `inward` winds it the other way.
Sphere closedSphere(bool inward)
{
    Sphere s;
    const int rings = 24, sectors = 32;
    s.points.emplace_back(0.0f, 1.0f, 0.0f);
    for (int r = 1; r < rings; ++r)
        for (int k = 0; k < sectors; ++k) {
            const float theta = float(M_PI) * r / rings, phi = 2.0f * float(M_PI) * k / sectors;
            s.points.emplace_back(std::sin(theta) * std::cos(phi), std::cos(theta),
                                  std::sin(theta) * std::sin(phi));
        }
    s.points.emplace_back(0.0f, -1.0f, 0.0f);
    const int south = int(s.points.size()) - 1;
    auto at = [&](int r, int k) { return r == 0 ? 0 : r == rings ? south : 1 + (r - 1) * sectors + k % sectors; };
    auto add = [&](int a, int b, int c) {
        if (inward)
            std::swap(b, c);
        s.index.insert(s.index.end(), {a, b, c, -1});
    };
    for (int r = 0; r < rings; ++r)
        for (int k = 0; k < sectors; ++k) {
            if (r > 0)
                add(at(r, k), at(r, k + 1), at(r + 1, k + 1));
            if (r < rings - 1)
                add(at(r, k), at(r + 1, k + 1), at(r + 1, k));
        }
    return s;
}

class SurfaceFaceSetTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        SoDB::init();
        SurfaceFaceSet::initClass();
        QString error;
        available = gyrorender::install_egl_offscreen(0, &error);
    }
    static void TearDownTestSuite() { gyrorender::remove_egl_offscreen(); }

    void SetUp() override
    {
        if (!available)
            GTEST_SKIP() << "no EGL";
    }

    // The scene around `faceSet`, as the viewer builds a surface's.
    SoSeparator* scene(SoIndexedFaceSet* faceSet, const Sphere& s, Look look)
    {
        auto* root = new SoSeparator;
        gyroscene::add_view_root(root);
        auto* camera = new SoPerspectiveCamera;
        camera->position = eye;
        camera->pointAt(SbVec3f(0, 0, 0));
        camera->nearDistance = 0.05f;
        root->addChild(camera);
        // A light in the scene, so that colours and normals show.
        auto* light = new SoDirectionalLight;
        light->direction = SbVec3f(-0.3f, -0.4f, -1.0f);
        root->addChild(light);
        if (look == Look::textured) {
            auto* texture = new SoTexture2;
            const unsigned char bar[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
            texture->image.setValue(SbVec2s(4, 1), 3, bar);
            texture->wrapS = SoTexture2::CLAMP;
            root->addChild(texture);
            auto* coordinates = new SoTextureCoordinate2;
            for (std::size_t i = 0; i < s.points.size(); ++i)
                coordinates->point.set1Value(int(i), SbVec2f(0.5f + 0.5f * s.points[i][1], 0.5f));
            root->addChild(coordinates);
            auto* binding = new SoTextureCoordinateBinding;
            binding->value = SoTextureCoordinateBinding::PER_VERTEX_INDEXED;
            root->addChild(binding);
        }
        auto* material = new SoMaterial;
        material->diffuseColor = SbColor(0.8f, 0.7f, 0.3f);
        material->transparency = look == Look::transparent ? 0.5f : 0.0f;
        root->addChild(material);
        auto* materialBinding = new SoMaterialBinding;
        if (look == Look::packed || look == Look::translucentPacked) {
            const bool translucent = look == Look::translucentPacked;
            auto* colours = new SoPackedColor;
            for (std::size_t i = 0; i < s.points.size(); ++i)
                colours->orderedRGBA.set1Value(
                    int(i), (uint32_t(i * 7 % 256) << 24) | (uint32_t(i * 13 % 256) << 16) |
                                (uint32_t(i * 29 % 256) << 8) | (translucent && i % 3 == 0 ? 0x80u : 0xffu));
            root->addChild(colours);
            packedColours = colours;
            materialBinding->value = SoMaterialBinding::PER_VERTEX_INDEXED;
        }
        root->addChild(materialBinding);
        auto* normalBinding = new SoNormalBinding;
        normalBinding->value = SoNormalBinding::PER_VERTEX_INDEXED;
        root->addChild(normalBinding);
        auto* normals = new SoNormal;
        normals->vector.setValues(0, int(s.points.size()), s.points.data());
        root->addChild(normals);
        normalNode = normals;
        coordinates = new SoCoordinate3;
        coordinates->point.setValues(0, int(s.points.size()), s.points.data());
        root->addChild(coordinates);
        faceSet->coordIndex.setValues(0, int(s.index.size()), s.index.data());
        root->addChild(faceSet);
        return root;
    }

    // The views the tests draw: 160x120, RGB.
    static std::unique_ptr<SoOffscreenRenderer> offscreen()
    {
        auto renderer = std::make_unique<SoOffscreenRenderer>(SbViewportRegion(160, 120));
        renderer->setComponents(SoOffscreenRenderer::RGB);
        return renderer;
    }

    static std::vector<unsigned char> pixelsOf(SoOffscreenRenderer& renderer)
    {
        const unsigned char* buffer = renderer.getBuffer();
        return std::vector<unsigned char>(buffer, buffer + 160 * 120 * 3);
    }

    std::vector<unsigned char> draw(SoSeparator* root)
    {
        root->ref();
        const auto renderer = offscreen();
        renderer->getGLRenderAction()->setTransparencyType(SoGLRenderAction::SORTED_OBJECT_BLEND);
        EXPECT_TRUE(renderer->render(root));
        std::vector<unsigned char> pixels = pixelsOf(*renderer);
        root->unref();
        return pixels;
    }

    // Pixels of Coin's face set and of ours over the same scene.
    void compare(Look look, bool quads, bool expectBuffers)
    {
        const Sphere s = sphere(quads);
        const auto expected = draw(scene(new SoIndexedFaceSet, s, look));
        auto* ours = new SurfaceFaceSet;
        ours->ref();
        const auto pixels = draw(scene(ours, s, look));
        EXPECT_EQ(ours->lastDrawnFromBuffers(), expectBuffers);
        ours->unref();
        ASSERT_EQ(pixels.size(), expected.size());
        EXPECT_TRUE(pixels == expected) << "look " << int(look) << ": " << difference(pixels, expected);
        int lit = 0;
        for (unsigned char value : pixels)
            lit += value != 0;
        EXPECT_GT(lit, 1000) << "the sphere should fill much of the view";
    }

    SbVec3f eye{0.3f, 0.4f, 3.0f};
    SoCoordinate3* coordinates = nullptr;
    SoNormal* normalNode = nullptr;
    SoPackedColor* packedColours = nullptr;
    static bool available;
};

bool SurfaceFaceSetTest::available = false;

TEST_F(SurfaceFaceSetTest, SamePixelsAsCoinInEveryLook)
{
    EXPECT_TRUE(SurfaceFaceSet::getClassTypeId().isDerivedFrom(SoIndexedFaceSet::getClassTypeId()));
    compare(Look::plain, false, true);
    compare(Look::packed, false, true);
    compare(Look::textured, false, true);
    // Blending shows the drawing order: left to Coin, which keeps its own.
    compare(Look::transparent, false, false);
    compare(Look::translucentPacked, false, false);
    // Quads are left to Coin.
    compare(Look::plain, true, false);
}

TEST_F(SurfaceFaceSetTest, BuffersFollowChangedPointsAndIndex)
{
    Sphere s = sphere(false);
    auto* ours = new SurfaceFaceSet;
    ours->ref();
    SoSeparator* root = scene(ours, s, Look::plain);
    root->ref();
    const auto renderer = offscreen();
    ASSERT_TRUE(renderer->render(root));
    const std::vector<unsigned char> before = pixelsOf(*renderer);

    // Narrowed (normals too) and half the triangles gone: a fresh drawing must differ
    // and match Coin's drawing of the same change.
    for (auto& p : s.points)
        p[0] *= 0.7f;
    coordinates->point.setValues(0, int(s.points.size()), s.points.data());
    normalNode->vector.setValues(0, int(s.points.size()), s.points.data());
    s.index.resize(s.index.size() / 2);
    ours->coordIndex.setNum(int(s.index.size()));
    ASSERT_TRUE(renderer->render(root));
    EXPECT_TRUE(ours->lastDrawnFromBuffers());
    const std::vector<unsigned char> after = pixelsOf(*renderer);
    root->unref();
    ours->unref();
    EXPECT_TRUE(after != before);
    const auto expected = draw(scene(new SoIndexedFaceSet, s, Look::plain));
    EXPECT_TRUE(after == expected) << difference(after, expected);
}

TEST_F(SurfaceFaceSetTest, BuffersFollowChangedColours)
{
    const Sphere s = sphere(false);
    auto* ours = new SurfaceFaceSet;
    ours->ref();
    SoSeparator* root = scene(ours, s, Look::packed);
    root->ref();
    const auto renderer = offscreen();
    ASSERT_TRUE(renderer->render(root));
    const std::vector<unsigned char> before = pixelsOf(*renderer);
    // Every vertex green now, as a parcellation's colours change in place.
    uint32_t* packed = packedColours->orderedRGBA.startEditing();
    for (std::size_t i = 0; i < s.points.size(); ++i)
        packed[i] = 0x00ff00ffu;
    packedColours->orderedRGBA.finishEditing();
    ASSERT_TRUE(renderer->render(root));
    EXPECT_TRUE(ours->lastDrawnFromBuffers());
    const std::vector<unsigned char> after = pixelsOf(*renderer);
    root->unref();
    ours->unref();
    EXPECT_TRUE(after != before) << difference(after, before);
    int reddish = 0;
    for (std::size_t i = 0; i < after.size(); i += 3)
        reddish += after[i] > after[i + 1];
    EXPECT_EQ(reddish, 0) << "no pixel keeps the old colours";
}

// A closed surface seen from outside is drawn without its back faces, the
// same pixels as Coin's whichever way it winds; an open one, or a closed one
// seen from inside its box, keeps them. Changed faces are looked at again.
TEST_F(SurfaceFaceSetTest, ClosedSurfaceSkipsBackFacesWithSamePixels)
{
    auto check = [&](const Sphere& s, bool expectCulled) {
        const auto expected = draw(scene(new SoIndexedFaceSet, s, Look::plain));
        auto* ours = new SurfaceFaceSet;
        ours->ref();
        const auto pixels = draw(scene(ours, s, Look::plain));
        EXPECT_EQ(ours->lastCulled(), expectCulled);
        ours->unref();
        EXPECT_TRUE(pixels == expected) << difference(pixels, expected);
    };
    check(closedSphere(false), true);
    check(closedSphere(true), true);
    check(sphere(false), false);

    // Opened by taking a face away: it shows its inside through the hole.
    Sphere closed = closedSphere(false);
    auto* ours = new SurfaceFaceSet;
    ours->ref();
    SoSeparator* root = scene(ours, closed, Look::plain);
    root->ref();
    const auto renderer = offscreen();
    ASSERT_TRUE(renderer->render(root));
    EXPECT_TRUE(ours->lastCulled());
    closed.index.resize(closed.index.size() - 4);
    ours->coordIndex.setNum(int(closed.index.size()));
    ASSERT_TRUE(renderer->render(root));
    EXPECT_FALSE(ours->lastCulled());
    root->unref();
    ours->unref();

    eye = SbVec3f(0.1f, 0.2f, 0.3f);
    check(closedSphere(false), false);
}

}  // namespace
