#include "egl_offscreen.h"

#include <Inventor/C/glue/gl.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace gyrorender {

namespace {

struct EglState {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLConfig config = nullptr;
    int samples = 0;
};
EglState state;

// What one Coin off-screen context holds, and what was current before it.
struct Offscreen {
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLDisplay previousDisplay = EGL_NO_DISPLAY;
    EGLContext previousContext = EGL_NO_CONTEXT;
    EGLSurface previousDraw = EGL_NO_SURFACE;
    EGLSurface previousRead = EGL_NO_SURFACE;
};

cc_glglue_offscreen_data createOffscreen(unsigned int width, unsigned int height)
{
    if (state.display == EGL_NO_DISPLAY)
        return nullptr;
    auto* offscreen = new Offscreen;
    eglBindAPI(EGL_OPENGL_API);
    offscreen->context = eglCreateContext(state.display, state.config, EGL_NO_CONTEXT, nullptr);
    // A pbuffer rather than a framebuffer object: Coin reads the default
    // framebuffer back, and reading a multisampled default framebuffer
    // resolves it.
    const EGLint attributes[] = {EGL_WIDTH, static_cast<EGLint>(width), EGL_HEIGHT,
                                 static_cast<EGLint>(height), EGL_NONE};
    offscreen->surface = eglCreatePbufferSurface(state.display, state.config, attributes);
    if (offscreen->context == EGL_NO_CONTEXT || offscreen->surface == EGL_NO_SURFACE) {
        if (offscreen->context != EGL_NO_CONTEXT)
            eglDestroyContext(state.display, offscreen->context);
        if (offscreen->surface != EGL_NO_SURFACE)
            eglDestroySurface(state.display, offscreen->surface);
        delete offscreen;
        return nullptr;
    }
    return offscreen;
}

SbBool makeCurrent(cc_glglue_offscreen_data data)
{
    auto* offscreen = static_cast<Offscreen*>(data);
    offscreen->previousDisplay = eglGetCurrentDisplay();
    offscreen->previousContext = eglGetCurrentContext();
    offscreen->previousDraw = eglGetCurrentSurface(EGL_DRAW);
    offscreen->previousRead = eglGetCurrentSurface(EGL_READ);
    eglBindAPI(EGL_OPENGL_API);
    return eglMakeCurrent(state.display, offscreen->surface, offscreen->surface,
                          offscreen->context) == EGL_TRUE;
}

void reinstatePrevious(cc_glglue_offscreen_data data)
{
    auto* offscreen = static_cast<Offscreen*>(data);
    if (offscreen->previousContext != EGL_NO_CONTEXT)
        eglMakeCurrent(offscreen->previousDisplay, offscreen->previousDraw,
                       offscreen->previousRead, offscreen->previousContext);
    else
        eglMakeCurrent(state.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void destruct(cc_glglue_offscreen_data data)
{
    auto* offscreen = static_cast<Offscreen*>(data);
    if (!offscreen)
        return;
    if (eglGetCurrentContext() == offscreen->context)
        eglMakeCurrent(state.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(state.display, offscreen->surface);
    eglDestroyContext(state.display, offscreen->context);
    delete offscreen;
}

cc_glglue_offscreen_cb_functions functions = {createOffscreen, makeCurrent, reinstatePrevious,
                                              destruct};

bool chooseConfig(int samples)
{
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_ALPHA_SIZE,
                                 8,
                                 EGL_DEPTH_SIZE,
                                 24,
                                 EGL_SAMPLE_BUFFERS,
                                 samples > 0 ? 1 : 0,
                                 EGL_SAMPLES,
                                 samples,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_NONE};
    EGLint found = 0;
    if (eglChooseConfig(state.display, attributes, &state.config, 1, &found) != EGL_TRUE ||
        found < 1)
        return false;
    state.samples = samples;
    return true;
}

}  // namespace

bool install_egl_offscreen(int samples, QString* error)
{
    if (state.display != EGL_NO_DISPLAY)
        return true;
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        *error = QStringLiteral("EGL has no platform displays (eglGetPlatformDisplayEXT)");
        return false;
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || eglInitialize(display, &major, &minor) != EGL_TRUE) {
        *error = QStringLiteral("no surfaceless EGL display (Mesa's libegl-mesa0 is needed)");
        return false;
    }
    state.display = display;
    // Halving down to none: some implementations offer 4 samples but not 8.
    int wanted = samples > 0 ? samples : 0;
    while (!chooseConfig(wanted) && wanted > 0)
        wanted /= 2;
    if (!state.config) {
        *error = QStringLiteral("EGL offers no RGBA pbuffer configuration for desktop GL");
        eglTerminate(display);
        state = EglState();
        return false;
    }
    cc_glglue_context_set_offscreen_cb_functions(&functions);
    return true;
}

int egl_offscreen_samples()
{
    return state.samples;
}

void remove_egl_offscreen()
{
    if (state.display == EGL_NO_DISPLAY)
        return;
    cc_glglue_context_set_offscreen_cb_functions(nullptr);
    eglMakeCurrent(state.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglTerminate(state.display);
    state = EglState();
}

}  // namespace gyrorender
