#include "scene_camera.h"

#include <Inventor/SbBox3f.h>

#include <algorithm>

#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>

namespace gyroscene {

camera_state read_camera(const SoCamera* camera)
{
    camera_state state;
    const bool ortho = camera->isOfType(SoOrthographicCamera::getClassTypeId());
    state.projection = ortho ? Projection::Orthographic : Projection::Perspective;
    const SbVec3f position = camera->position.getValue();
    for (int i = 0; i < 3; ++i)
        state.position[i] = position[i];
    camera->orientation.getValue().getValue(state.orientation[0], state.orientation[1],
                                            state.orientation[2], state.orientation[3]);
    state.focal_distance = camera->focalDistance.getValue();
    state.height = ortho ? static_cast<const SoOrthographicCamera*>(camera)->height.getValue()
                         : static_cast<const SoPerspectiveCamera*>(camera)->heightAngle.getValue();
    return state;
}

void apply_camera(SoCamera* camera, const camera_state& state)
{
    camera->position.setValue(state.position[0], state.position[1], state.position[2]);
    camera->orientation.setValue(state.orientation[0], state.orientation[1],
                                 state.orientation[2], state.orientation[3]);
    camera->focalDistance = state.focal_distance;
    if (camera->isOfType(SoOrthographicCamera::getClassTypeId()))
        static_cast<SoOrthographicCamera*>(camera)->height = state.height;
    else if (camera->isOfType(SoPerspectiveCamera::getClassTypeId()))
        static_cast<SoPerspectiveCamera*>(camera)->heightAngle = state.height;
}

void fit_clipping(SoCamera* camera, const SbBox3f& box)
{
    if (box.isEmpty())
        return;
    const float radius = 0.5f * (box.getMax() - box.getMin()).length();
    const float distance = (box.getCenter() - camera->position.getValue()).length();
    camera->nearDistance = std::max(distance - radius, 0.001f * radius);
    camera->farDistance = distance + radius;
}

SoCamera* make_camera(Projection projection)
{
    if (projection == Projection::Orthographic)
        return new SoOrthographicCamera;
    return new SoPerspectiveCamera;
}

}  // namespace gyroscene
