#include "MemoryTrim.h"

#include "BrainQuarter.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "SceneDocument.h"

#include <malloc.h>

namespace {
struct TrimState {
    bool trimPending = false;
    bool renewPending = false;
    bool hadLayers = false;
};
}  // namespace

void trimMemoryAfterLayerChanges(MainWindow* window)
{
    // The state lives as long as the window's connections.
    auto* state = new TrimState;
    QObject::connect(window, &QObject::destroyed, [state] { delete state; });
    ResourceForm* resources = window->getResources();
    const SceneDocument* doc = resources->document();
    QObject::connect(doc, &SceneDocument::filesChanged, window, [state, doc] {
        state->trimPending = true;
        const bool haveLayers = !doc->surfaces().empty() || !doc->tagFiles().empty();
        if (state->hadLayers && !haveLayers)
            state->renewPending = true;
        state->hadLayers = haveLayers;
    });
    BrainQuarter* viewer = window->getViewer();
    QObject::connect(viewer, &QOpenGLWidget::frameSwapped, window, [state, viewer] {
        if (state->renewPending) {
            // The view is empty: what the GL driver kept for the closed
            // surfaces goes with its context. The trim follows the new
            // context's first frame.
            state->renewPending = false;
            viewer->renewContext();
            return;
        }
        if (!state->trimPending)
            return;
        state->trimPending = false;
        malloc_trim(0);
    });
}
