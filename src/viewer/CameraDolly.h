#pragma once
// Zooming a camera towards its focal point, as the wheel and the zoom drag
// do: by a factor of the distance, never through the scene's bounding sphere.

class SbBox3f;
class SoCamera;

namespace gyroview {

// Multiplies the camera's distance to its focal point by factor (below one
// comes closer). Closing in stops at the bounding sphere of sceneBox, backing
// off at a hundred of its radii; a camera already past a limit is not moved
// further past it. Orthographic cameras scale their view height instead.
void dollyCamera(SoCamera* camera, const SbBox3f& sceneBox, float factor);

}  // namespace gyroview
