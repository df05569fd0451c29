// Which side of the brain a surface is; shared by the views and scene files.
#pragma once

namespace gyroscene {

enum class Hemisphere { Unknown, Left, Right };

}  // namespace gyroscene
