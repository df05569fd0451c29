// The face set of a surface: an SoIndexedFaceSet, fields and picking as
// Coin has them, drawn from buffer objects built from its own triangle
// index. Coin's own drawing re-sorts the index each time its cache is
// rebuilt, which at millions of triangles costs more than the drawing.
#pragma once

#include "surface_closure.h"

#include <Inventor/nodes/SoIndexedFaceSet.h>

#include <memory>

class SoElement;

class SurfaceFaceSet : public SoIndexedFaceSet
{
    SO_NODE_HEADER(SurfaceFaceSet);

public:
    // Idempotent; after SoDB::init.
    static void initClass();
    SurfaceFaceSet();

    void GLRender(SoGLRenderAction* action) override;

    // Off: every face set draws as SoIndexedFaceSet does (for timing the
    // two side by side).
    static void setBuffersAllowed(bool allowed);

    // How the last GLRender drew: false when it left the drawing to
    // SoIndexedFaceSet (a state it does not handle).
    bool lastDrawnFromBuffers() const { return drawnFromBuffers; }

    // A closed surface (see surface_closure.h, found when its buffers are
    // first built and again whenever its points or faces change) is drawn
    // without its back faces whenever the eye is outside its box and no
    // clip plane is on: the same picture for half the rasterizer's work
    // (a back face no longer wins a near-tie in depth on a silhouette).
    // Whether the last GLRender culled back faces.
    bool lastCulled() const { return culled; }

protected:
    ~SurfaceFaceSet() override;

private:
    struct ContextBuffers;
    struct Arrays;

    bool collectArrays(SoState* state, Arrays* arrays);
    bool checkTriangles();
    ContextBuffers& buffersFor(uint32_t context);
    void drawFromBuffers(SoGLRenderAction* action, const Arrays& arrays);
    // GL_BACK or GL_FRONT when those faces cannot be seen now, else 0.
    unsigned int hiddenFaces(SoState* state, const Arrays& arrays);
    static void contextDestroyed(uint32_t context, void* self);

    // The index as triangles, checked once per change of the fields.
    SbUniqueId checkedId = 0;
    bool allTriangles = false;
    int32_t triangleCount = 0;
    int32_t maxIndex = -1;
    bool drawnFromBuffers = false;
    bool culled = false;

    struct Contexts;
    std::unique_ptr<Contexts> contexts;
    // What find_surface_closure found, and for which points.
    SbUniqueId closureFacesId = 0, closurePointsId = 0;
    gyroscene::surface_closure closure;
};
