// Which surface a file of several surfaces' data (a CIFTI-2 file of both
// hemispheres) is read for: its share is found by the surface's structure
// or side and its vertex count.
#pragma once

#include "hemisphere.h"

#include <QString>

namespace gyroscene {

struct surface_part {
    QString structure;  // a GIFTI surface's ("CortexLeft"), else empty
    Hemisphere side = Hemisphere::Unknown;
    int vertices = 0;
};

}  // namespace gyroscene
