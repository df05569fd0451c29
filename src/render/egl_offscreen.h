// Off-screen GL for Coin without any display: EGL on Mesa's surfaceless
// platform, handed to Coin as its off-screen context functions, so that
// SoOffscreenRenderer renders into an EGL pbuffer instead of asking GLX.
#pragma once

#include <QString>

namespace gyrorender {

// Opens the surfaceless EGL display and installs the context functions.
// `samples` asks for a multisampled pbuffer (0: none); when the
// implementation has no such configuration the nearest smaller one is
// taken. False with `error` set when there is no usable EGL at all.
bool install_egl_offscreen(int samples, QString* error);

// The samples per pixel of the configuration in use.
int egl_offscreen_samples();

// Removes the context functions and closes the display.
void remove_egl_offscreen();

}  // namespace gyrorender
