// The standard views of a brain surface and the camera that shows them, in
// the usual coordinates of brain surfaces: x from left to right, y from back
// to front, z from bottom to top. A view is a direction to look from, given
// as azimuth and elevation in degrees: the eye is at (cos e cos a,
// cos e sin a, sin e) from the centre, so 0,0 looks from the right, 90,0
// from the front and 0,90 from above; +z is up in the image wherever it can
// be. The viewer's menu and the batch renderer aim their cameras with the
// same functions, so a figure shows what the viewer shows.
#pragma once

#include "hemisphere.h"

#include <Inventor/SbBox3f.h>
#include <Inventor/SbRotation.h>
#include <Inventor/SbVec3f.h>

#include <optional>
#include <string>
#include <string_view>

class SoCamera;
class SoNode;

namespace gyroscene {


// "left", "right" or "unknown".
const char *hemisphere_name(Hemisphere hemisphere);

// From the file name alone (the directories are not looked at): "lh.pial",
// "brain_L.obj", "sub-01_hemi-R_pial.surf.gii", "left-white.obj". Unknown
// when the name says nothing or names both sides.
Hemisphere hemisphere_from_file_name(std::string_view path);
// From a format's anatomical-structure label, such as GIFTI's
// AnatomicalStructurePrimary ("CortexLeft", "CortexRight"); Unknown for
// both sides or neither.
Hemisphere hemisphere_from_structure(std::string_view label);
// From where the points lie: a left hemisphere has its points at negative x.
// Unknown for no points or a mean of exactly zero.
Hemisphere hemisphere_from_points(const SbVec3f *points, int count);
// The file name first, then the label, then the points.
Hemisphere guess_hemisphere(std::string_view path, std::string_view structure,
                            const SbVec3f *points, int count);
// The side a surface is drawn and viewed as, in both programs: the one the
// user chose, else the guess.
Hemisphere surface_hemisphere(Hemisphere chosen, std::string_view path, std::string_view structure,
                              const SbVec3f *points, int count);

enum class View { Lateral, Medial, Dorsal, Ventral, Anterior, Posterior };

// "lateral", "medial", ...
const char *view_name(View view);
// The view of that name, in lower case as view_name gives it.
std::optional<View> view_from_name(std::string_view name);

struct ViewAngles {
    double azimuth = 0.0;   // degrees
    double elevation = 0.0; // degrees, -90 to 90
};

// Lateral and medial depend on the hemisphere; an unknown one is taken as
// left. Dorsal and ventral have the front at the top of the image.
ViewAngles view_angles(View view, Hemisphere hemisphere);
// "AZIMUTH,ELEVATION" in degrees, both finite, elevation within -90..90;
// nullopt for anything else.
std::optional<ViewAngles> parse_view_angles(std::string_view text);

// Unit vector from the centre of the scene towards the eye.
SbVec3f eye_direction(ViewAngles angles);
// Unit vector that shows as up in the image: +z leant away from the eye,
// which at the poles becomes the horizontal direction the limit gives.
SbVec3f image_up(ViewAngles angles);
// The camera orientation that looks from that direction: a Coin camera
// looks down its -z with +y up.
SbRotation camera_orientation(ViewAngles angles);

// The bounding box of everything under the node; empty for nothing.
SbBox3f scene_box(SoNode *node);
// Puts the camera on the line from the box's centre in the camera's
// current direction, far enough that the box's bounding sphere fits a
// view of this aspect (width / height) as Coin draws it. Every direction
// gives the same distance, so views of one box compare in size.
// Perspective and orthographic cameras; false (camera unchanged) for an
// empty box or another kind of camera.
bool frame_box(SoCamera *camera, const SbBox3f &box, float aspect);
// Orients the camera for the view, then frames the box.
bool aim_camera(SoCamera *camera, const SbBox3f &box, float aspect, ViewAngles angles);

} // namespace gyroscene
