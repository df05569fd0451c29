// The nodes ahead of every view's camera, the same in the viewer and the
// batch renderer, so that both light and draw a surface alike.
#pragma once

class SoDirectionalLight;
class SoGroup;
class SoShapeHints;

namespace gyroscene {

struct view_root_nodes {
    SoShapeHints* hints = nullptr;
    SoDirectionalLight* headlight = nullptr;
};

// Appends to `root` the shape hints (two-sided lighting without culling)
// and a headlight fixed to the eye.
view_root_nodes add_view_root(SoGroup* root);

// Mesa's rasterisers that draw on the processor.
bool is_software_renderer(const char* renderer);
// The buffer-object rule for a GL of that renderer string: none under a
// software rasteriser, where a buffer would only be one more copy of every
// array in main memory.
void set_buffer_rule(SoShapeHints* hints, const char* renderer);

}  // namespace gyroscene
