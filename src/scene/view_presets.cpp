#include "view_presets.h"

#include <Inventor/SbMatrix.h>
#include <Inventor/SbSphere.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace gyroscene {

namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool is_alnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string lowered(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

// Both sides named is no answer at all.
Hemisphere from_sides(bool left, bool right)
{
    if (left == right)
        return Hemisphere::Unknown;
    return left ? Hemisphere::Left : Hemisphere::Right;
}

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

} // namespace

const char *hemisphere_name(Hemisphere hemisphere)
{
    switch (hemisphere) {
    case Hemisphere::Left:
        return "left";
    case Hemisphere::Right:
        return "right";
    case Hemisphere::Unknown:
        break;
    }
    return "unknown";
}

Hemisphere hemisphere_from_file_name(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string_view::npos)
        path.remove_prefix(slash + 1);
    // The words of the name, split at anything not a letter or a digit:
    // "lh.pial" and "sub-01_hemi-L_pial.surf.gii" alike.
    bool left = false, right = false;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && !is_alnum(path[i]))
            ++i;
        std::size_t end = i;
        while (end < path.size() && is_alnum(path[end]))
            ++end;
        const std::string word = lowered(path.substr(i, end - i));
        if (word == "lh" || word == "l" || word == "left")
            left = true;
        else if (word == "rh" || word == "r" || word == "right")
            right = true;
        i = end;
    }
    return from_sides(left, right);
}

Hemisphere hemisphere_from_structure(std::string_view label)
{
    const std::string text = lowered(label);
    return from_sides(text.find("left") != std::string::npos,
                      text.find("right") != std::string::npos);
}

Hemisphere hemisphere_from_points(const SbVec3f *points, int count)
{
    if (points == nullptr || count <= 0)
        return Hemisphere::Unknown;
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
        sum += points[i][0];
    const double mean = sum / count;
    if (!(mean != 0.0) || !std::isfinite(mean))
        return Hemisphere::Unknown;
    return mean < 0.0 ? Hemisphere::Left : Hemisphere::Right;
}

Hemisphere guess_hemisphere(std::string_view path, std::string_view structure,
                            const SbVec3f *points, int count)
{
    if (const Hemisphere named = hemisphere_from_file_name(path); named != Hemisphere::Unknown)
        return named;
    if (const Hemisphere labelled = hemisphere_from_structure(structure);
        labelled != Hemisphere::Unknown)
        return labelled;
    return hemisphere_from_points(points, count);
}

Hemisphere surface_hemisphere(Hemisphere chosen, std::string_view path, std::string_view structure,
                              const SbVec3f *points, int count)
{
    return chosen != Hemisphere::Unknown ? chosen : guess_hemisphere(path, structure, points, count);
}

namespace {

struct NamedView {
    View view;
    const char *name;
};

constexpr NamedView named_views[] = {
    {View::Lateral, "lateral"}, {View::Medial, "medial"},     {View::Dorsal, "dorsal"},
    {View::Ventral, "ventral"}, {View::Anterior, "anterior"}, {View::Posterior, "posterior"}};

} // namespace

const char *view_name(View view)
{
    for (const NamedView &named : named_views)
        if (named.view == view)
            return named.name;
    return "";
}

std::optional<View> view_from_name(std::string_view name)
{
    for (const NamedView &named : named_views)
        if (name == named.name)
            return named.view;
    return std::nullopt;
}

ViewAngles view_angles(View view, Hemisphere hemisphere)
{
    // A left hemisphere's outside faces -x, a right one's +x.
    const bool right = hemisphere == Hemisphere::Right;
    switch (view) {
    case View::Lateral:
        return {right ? 0.0 : 180.0, 0.0};
    case View::Medial:
        return {right ? 180.0 : 0.0, 0.0};
    case View::Dorsal:
        return {-90.0, 90.0};
    case View::Ventral:
        return {90.0, -90.0};
    case View::Anterior:
        return {90.0, 0.0};
    case View::Posterior:
        return {-90.0, 0.0};
    }
    return {};
}

std::optional<ViewAngles> parse_view_angles(std::string_view text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    auto number = [](std::string_view part, double *value) {
        if (part.empty() || part.front() == '+')
            return false;
        const char *end = part.data() + part.size();
        const auto [stop, error] = std::from_chars(part.data(), end, *value);
        return error == std::errc() && stop == end && std::isfinite(*value);
    };
    ViewAngles angles;
    if (!number(text.substr(0, comma), &angles.azimuth) ||
        !number(text.substr(comma + 1), &angles.elevation) || angles.elevation < -90.0 ||
        angles.elevation > 90.0)
        return std::nullopt;
    return angles;
}

SbVec3f eye_direction(ViewAngles angles)
{
    const double a = radians(angles.azimuth), e = radians(angles.elevation);
    return SbVec3f(float(std::cos(e) * std::cos(a)), float(std::cos(e) * std::sin(a)),
                   float(std::sin(e)));
}

SbVec3f image_up(ViewAngles angles)
{
    // The derivative of the eye direction along the elevation: at right
    // angles to it, of unit length, and +z itself for a level eye.
    const double a = radians(angles.azimuth), e = radians(angles.elevation);
    return SbVec3f(float(-std::sin(e) * std::cos(a)), float(-std::sin(e) * std::sin(a)),
                   float(std::cos(e)));
}

SbRotation camera_orientation(ViewAngles angles)
{
    const SbVec3f back = eye_direction(angles);
    const SbVec3f up = image_up(angles);
    const SbVec3f right = up.cross(back);
    // Coin's matrices act on row vectors: the rows are where the camera's
    // own x, y and z axes go.
    const SbMatrix matrix(right[0], right[1], right[2], 0.0f,  //
                          up[0], up[1], up[2], 0.0f,           //
                          back[0], back[1], back[2], 0.0f,     //
                          0.0f, 0.0f, 0.0f, 1.0f);
    return SbRotation(matrix);
}

SbBox3f scene_box(SoNode *node)
{
    if (node == nullptr)
        return SbBox3f();
    SoGetBoundingBoxAction action{SbViewportRegion()};
    action.apply(node);
    return action.getBoundingBox();
}

bool frame_box(SoCamera *camera, const SbBox3f &box, float aspect)
{
    if (camera == nullptr || box.isEmpty() || !(aspect > 0.0f) || !std::isfinite(aspect))
        return false;
    const bool perspective = camera->isOfType(SoPerspectiveCamera::getClassTypeId());
    const bool orthographic = camera->isOfType(SoOrthographicCamera::getClassTypeId());
    if (!perspective && !orthographic)
        return false;

    const SbVec3f centre = box.getCenter();
    // A point or a flat box still needs some room around it.
    float radius = 0.5f * (box.getMax() - box.getMin()).length();
    if (!(radius > 0.0f))
        radius = 1.0f;

    // With Coin's default viewport mapping a tall view is widened until the
    // camera's height spans its width: the narrower side always has it.
    const float narrow = camera->viewportMapping.getValue() == SoCamera::ADJUST_CAMERA
                             ? 1.0f
                             : std::min(aspect, 1.0f);
    float distance = 0.0f;
    if (perspective) {
        auto *view = static_cast<SoPerspectiveCamera *>(camera);
        const double half_height = 0.5 * double(view->heightAngle.getValue());
        const double half = std::atan(std::tan(half_height) * narrow);
        distance = float(radius / std::sin(half));
    } else {
        auto *view = static_cast<SoOrthographicCamera *>(camera);
        view->height = 2.0f * radius / narrow;
        distance = 2.0f * radius;
    }

    SbVec3f back;
    camera->orientation.getValue().multVec(SbVec3f(0.0f, 0.0f, 1.0f), back);
    camera->position = centre + back * distance;
    camera->focalDistance = distance;
    camera->nearDistance = std::max(distance - radius, 0.001f * radius);
    camera->farDistance = distance + radius;
    return true;
}

bool aim_camera(SoCamera *camera, const SbBox3f &box, float aspect, ViewAngles angles)
{
    if (camera == nullptr || box.isEmpty())
        return false;
    const SbRotation previous = camera->orientation.getValue();
    camera->orientation = camera_orientation(angles);
    if (frame_box(camera, box, aspect))
        return true;
    camera->orientation = previous;
    return false;
}

} // namespace gyroscene
