// Picking on a 327,680-triangle sphere: building and querying our own
// bounding-volume hierarchy (the one the viewer's pick index uses) and, when
// Embree 3 is installed, Embree's (robust scene, rtcIntersect1 with an
// intersection context), on the same random rays aimed at the surface.
#include "TriangleBvh.h"
#include "geometry.h"
#include "objects.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#ifdef GYROLUX_HAVE_EMBREE
#include <embree3/rtcore.h>
#endif

namespace {

struct Mesh {
    std::vector<float> points;
    std::vector<int32_t> corners;
};

const Mesh& mesh()
{
    static const Mesh m = [] {
        Mesh out;
        object_struct* object = create_object(POLYGONS);
        polygons_struct* polygons = get_polygons_ptr(object);
        const Point centre = {0, 0, 0};
        create_tetrahedral_sphere(&centre, 70, 55, 50, 327680, polygons);
        for (int i = 0; i < polygons->n_points; ++i)
            out.points.insert(out.points.end(), {polygons->points[i].x, polygons->points[i].y,
                                                 polygons->points[i].z});
        out.corners.assign(polygons->indices, polygons->indices + 3 * polygons->n_items);
        delete_object(object);
        return out;
    }();
    return m;
}

// Rays from a sphere of radius 300 towards random points near the centre.
struct Ray {
    float origin[3], direction[3];
};

const std::vector<Ray>& rays()
{
    static const std::vector<Ray> r = [] {
        std::mt19937 random(7);
        std::normal_distribution<float> normal;
        std::uniform_real_distribution<float> near(-40.0f, 40.0f);
        std::vector<Ray> out(1024);
        for (Ray& ray : out) {
            float d[3] = {normal(random), normal(random), normal(random)};
            const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            float target[3] = {near(random), near(random), near(random)};
            float dir[3];
            for (int a = 0; a < 3; ++a) {
                ray.origin[a] = 300.0f * d[a] / len;
                dir[a] = target[a] - ray.origin[a];
            }
            const float dlen = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
            for (int a = 0; a < 3; ++a)
                ray.direction[a] = dir[a] / dlen;
        }
        return out;
    }();
    return r;
}

gyroview::TriangleBvh::Mesh ownMesh()
{
    const Mesh& m = mesh();
    return {m.points.data(), m.corners.data(), 3, int32_t(m.corners.size() / 3)};
}

void BM_OwnBvhBuild(benchmark::State& state)
{
    for (auto _ : state) {
        gyroview::TriangleBvh bvh;
        bvh.build(ownMesh());
        benchmark::DoNotOptimize(bvh.triangleCount());
    }
}

void BM_OwnBvhPick(benchmark::State& state)
{
    gyroview::TriangleBvh bvh;
    bvh.build(ownMesh());
    state.counters["bytes_per_triangle"] = double(bvh.memoryBytes()) / bvh.triangleCount();
    std::vector<int32_t> found;
    std::size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Ray& ray = rays()[i++ % rays().size()];
        hits += bvh.candidates(ray.origin, ray.direction, 0.0f, ownMesh(), found) >= 0;
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["hit"] = double(hits) / double(i);
}

#ifdef GYROLUX_HAVE_EMBREE
struct EmbreeScene {
    RTCDevice device = rtcNewDevice(nullptr);
    RTCScene scene = nullptr;
    EmbreeScene()
    {
        scene = rtcNewScene(device);
        rtcSetSceneFlags(scene, RTC_SCENE_FLAG_ROBUST);
        RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
        const Mesh& m = mesh();
        // Embree may read 16 bytes past the last vertex.
        float* vertices = static_cast<float*>(rtcSetNewGeometryBuffer(
            geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, 3 * sizeof(float), m.points.size() / 3));
        std::copy(m.points.begin(), m.points.end(), vertices);
        unsigned* indices = static_cast<unsigned*>(rtcSetNewGeometryBuffer(
            geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 3 * sizeof(unsigned), m.corners.size() / 3));
        std::copy(m.corners.begin(), m.corners.end(), indices);
        rtcCommitGeometry(geometry);
        rtcAttachGeometry(scene, geometry);
        rtcReleaseGeometry(geometry);
        rtcCommitScene(scene);
    }
    ~EmbreeScene()
    {
        rtcReleaseScene(scene);
        rtcReleaseDevice(device);
    }
};

void BM_EmbreeBuild(benchmark::State& state)
{
    mesh();
    for (auto _ : state) {
        EmbreeScene scene;
        benchmark::DoNotOptimize(scene.scene);
    }
}

void BM_EmbreePick(benchmark::State& state)
{
    EmbreeScene scene;
    std::size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Ray& ray = rays()[i++ % rays().size()];
        RTCIntersectContext context;
        rtcInitIntersectContext(&context);
        RTCRayHit hit{};
        hit.ray.org_x = ray.origin[0];
        hit.ray.org_y = ray.origin[1];
        hit.ray.org_z = ray.origin[2];
        hit.ray.dir_x = ray.direction[0];
        hit.ray.dir_y = ray.direction[1];
        hit.ray.dir_z = ray.direction[2];
        hit.ray.tnear = 0.0f;
        hit.ray.tfar = INFINITY;
        hit.ray.mask = ~0u;
        hit.hit.geomID = RTC_INVALID_GEOMETRY_ID;
        rtcIntersect1(scene.scene, &context, &hit);
        hits += hit.hit.geomID != RTC_INVALID_GEOMETRY_ID;
        benchmark::DoNotOptimize(hit.hit.primID);
    }
    state.counters["hit"] = double(hits) / double(i);
}
BENCHMARK(BM_EmbreeBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmbreePick)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

BENCHMARK(BM_OwnBvhBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OwnBvhPick)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
