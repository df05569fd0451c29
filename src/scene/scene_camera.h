// A camera as a scene file records it, read from and put onto Coin cameras.
#pragma once

#include "scene_state.h"

class SbBox3f;
class SoCamera;

namespace gyroscene {

camera_state read_camera(const SoCamera* camera);
// Position, orientation, focal distance and height; the camera's kind must
// match the state's projection (make_camera gives one that does).
void apply_camera(SoCamera* camera, const camera_state& state);
// Near and far planes around the box from where the camera stands, as the
// viewer's automatic clipping has them.
void fit_clipping(SoCamera* camera, const SbBox3f& box);
// A new camera of the projection, without a reference.
SoCamera* make_camera(Projection projection);

}  // namespace gyroscene
