#include "CameraDolly.h"

#include <Inventor/SbBox3f.h>
#include <Inventor/nodes/SoOrthographicCamera.h>

#include <algorithm>
#include <cmath>

namespace gyroview {

namespace {

// Kept between the camera and the bounding sphere, so the near plane that
// auto clipping puts in front of the scene stays in front of the camera too.
constexpr float sphereMargin = 1.02f;
constexpr float farRadii = 100.0f;

}  // namespace

void dollyCamera(SoCamera* camera, const SbBox3f& sceneBox, float factor)
{
    if (!camera || !(factor > 0.0f) || !std::isfinite(factor))
        return;
    if (camera->isOfType(SoOrthographicCamera::getClassTypeId())) {
        auto* ortho = static_cast<SoOrthographicCamera*>(camera);
        const float height = ortho->height.getValue() * factor;
        if (std::isnormal(height))
            ortho->height = height;
        return;
    }

    SbVec3f dir;
    camera->orientation.getValue().multVec(SbVec3f(0.0f, 0.0f, -1.0f), dir);
    const float distance = camera->focalDistance.getValue();
    const SbVec3f position = camera->position.getValue();
    const SbVec3f focus = position + dir * distance;
    float target = distance * factor;

    if (!sceneBox.isEmpty()) {
        float dx, dy, dz;
        sceneBox.getSize(dx, dy, dz);
        const float radius = 0.5f * std::sqrt(dx * dx + dy * dy + dz * dz);
        const SbVec3f offset = focus - sceneBox.getCenter();
        if (factor < 1.0f) {
            // The camera sits at focus - dir * t; it leaves the sphere on our
            // side where |offset - dir * t| = R, at the larger root.
            const float r = std::max(radius, 1e-6f) * sphereMargin;
            const float b = offset.dot(dir);
            const float disc = b * b - (offset.dot(offset) - r * r);
            if (disc > 0.0f) {
                const float leave = b + std::sqrt(disc);
                if (leave > 0.0f)
                    target = std::max(target, std::min(distance, leave));
            }
        } else {
            const float farthest = farRadii * (radius + offset.length());
            if (farthest > 0.0f)
                target = std::min(target, std::max(distance, farthest));
        }
    }
    // Without a scene to measure, still never reach the focal point.
    if (!std::isnormal(target) || target < 1e-6f)
        return;
    camera->position = focus - dir * target;
    camera->focalDistance = target;
}

}  // namespace gyroview
