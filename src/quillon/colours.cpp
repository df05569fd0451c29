// Colours packed as 0xRRGGBBAA.
#include "quillon.h"

#include <algorithm>
#include <cmath>

namespace {

int clamp_byte(int v)
{
    return std::clamp(v, 0, 255);
}

int byte_from_unit(double v)
{
    if (!(v > 0.0)) // also NaN
        return 0;
    if (v >= 1.0)
        return 255;
    return int(std::lround(v * 255.0));
}

} // namespace

Colour make_rgba_Colour(int r, int g, int b, int a)
{
    return (Colour(clamp_byte(r)) << 24) | (Colour(clamp_byte(g)) << 16) |
           (Colour(clamp_byte(b)) << 8) | Colour(clamp_byte(a));
}

Colour make_Colour(int r, int g, int b)
{
    return make_rgba_Colour(r, g, b, 255);
}

Colour make_Colour_0_1(double r, double g, double b)
{
    return make_rgba_Colour(byte_from_unit(r), byte_from_unit(g),
                            byte_from_unit(b), 255);
}

Colour make_rgba_Colour_0_1(double r, double g, double b, double a)
{
    return make_rgba_Colour(byte_from_unit(r), byte_from_unit(g),
                            byte_from_unit(b), byte_from_unit(a));
}

int get_Colour_r(Colour c) { return int((c >> 24) & 0xff); }
int get_Colour_g(Colour c) { return int((c >> 16) & 0xff); }
int get_Colour_b(Colour c) { return int((c >> 8) & 0xff); }
int get_Colour_a(Colour c) { return int(c & 0xff); }
double get_Colour_r_0_1(Colour c) { return get_Colour_r(c) / 255.0; }
double get_Colour_g_0_1(Colour c) { return get_Colour_g(c) / 255.0; }
double get_Colour_b_0_1(Colour c) { return get_Colour_b(c) / 255.0; }
double get_Colour_a_0_1(Colour c) { return get_Colour_a(c) / 255.0; }
