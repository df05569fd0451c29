#include "surface_face_set.h"

#include <Inventor/C/glue/gl.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/bundles/SoMaterialBundle.h>
#include <Inventor/elements/SoCacheElement.h>
#include <Inventor/elements/SoClipPlaneElement.h>
#include <Inventor/elements/SoCoordinateElement.h>
#include <Inventor/elements/SoDrawStyleElement.h>
#include <Inventor/elements/SoGLCacheContextElement.h>
#include <Inventor/elements/SoLazyElement.h>
#include <Inventor/elements/SoMaterialBindingElement.h>
#include <Inventor/elements/SoModelMatrixElement.h>
#include <Inventor/elements/SoMultiTextureCoordinateElement.h>
#include <Inventor/elements/SoMultiTextureEnabledElement.h>
#include <Inventor/elements/SoNormalBindingElement.h>
#include <Inventor/elements/SoNormalElement.h>
#include <Inventor/elements/SoShapeStyleElement.h>
#include <Inventor/elements/SoTextureCoordinateBindingElement.h>
#include <Inventor/elements/SoViewVolumeElement.h>
#include <Inventor/elements/SoViewingMatrixElement.h>
#include <Inventor/misc/SoContextHandler.h>
#include <Inventor/misc/SoState.h>
#include <Inventor/system/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#ifndef GL_ARRAY_BUFFER
#define GL_ARRAY_BUFFER 0x8892
#endif
#ifndef GL_ELEMENT_ARRAY_BUFFER
#define GL_ELEMENT_ARRAY_BUFFER 0x8893
#endif
#ifndef GL_STATIC_DRAW
#define GL_STATIC_DRAW 0x88E4
#endif
#ifndef GL_WRITE_ONLY
#define GL_WRITE_ONLY 0x88B9
#endif

namespace {

bool buffersAllowed = true;

enum Slot { indexSlot, pointSlot, normalSlot, texCoordSlot, colourSlot, slotCount };

// The diffuse colours' node id is kept in the element's protected state;
// a member pointer taken through a subclass reads it without a cast.
struct LazyAccess : SoLazyElement {
    static SbUniqueId diffuseNodeId(const SoLazyElement* element)
    {
        return (element->*(&LazyAccess::coinstate)).diffusenodeid;
    }
};

// An index field left at its default (empty or one -1) follows coordIndex.
bool followsCoordIndex(const SoMFInt32& field)
{
    return field.getNum() == 0 || (field.getNum() == 1 && field[0] < 0);
}

struct PendingDelete {
    GLuint names[slotCount];
};

void deleteNames(const cc_glglue* glue, GLuint* names)
{
    for (int slot = 0; slot < slotCount; ++slot)
        if (names[slot] != 0)
            cc_glglue_glDeleteBuffers(glue, 1, &names[slot]);
}

void deleteLater(void* closure, uint32_t context)
{
    auto* pending = static_cast<PendingDelete*>(closure);
    deleteNames(cc_glglue_instance(int(context)), pending->names);
    delete pending;
}

}  // namespace

// What the state hands this shape, when it can draw it from buffers.
struct SurfaceFaceSet::Arrays {
    const SbVec3f* points = nullptr;
    int32_t pointCount = 0;
    SbUniqueId pointsId = 0;
    const SbVec3f* normals = nullptr;
    SbUniqueId normalsId = 0;
    const SoMultiTextureCoordinateElement* texCoords = nullptr;
    const uint32_t* packed = nullptr;
    SbUniqueId packedId = 0;
};

struct SurfaceFaceSet::ContextBuffers {
    uint32_t context = 0;
    GLuint names[slotCount] = {};
    // What each buffer was built from; 0 when never built.
    SbUniqueId builtFrom[slotCount] = {};
    int32_t pointCount = 0;
    // Texture coordinates have no public node id; the element's match copy does.
    SoElement* texCoordMatch = nullptr;

    ~ContextBuffers() { delete texCoordMatch; }
};

struct SurfaceFaceSet::Contexts {
    std::vector<std::unique_ptr<ContextBuffers>> list;
};

SO_NODE_SOURCE(SurfaceFaceSet);

void SurfaceFaceSet::initClass()
{
    if (classTypeId == SoType::badType())
        SO_NODE_INIT_CLASS(SurfaceFaceSet, SoIndexedFaceSet, "IndexedFaceSet");
}

void SurfaceFaceSet::setBuffersAllowed(bool allowed)
{
    buffersAllowed = allowed;
}

SurfaceFaceSet::SurfaceFaceSet() : contexts(new Contexts)
{
    SO_NODE_CONSTRUCTOR(SurfaceFaceSet);
    SoContextHandler::addContextDestructionCallback(contextDestroyed, this);
}

SurfaceFaceSet::~SurfaceFaceSet()
{
    SoContextHandler::removeContextDestructionCallback(contextDestroyed, this);
    // Buffers go when their context is next current.
    for (auto& buffers : contexts->list) {
        auto* pending = new PendingDelete;
        std::memcpy(pending->names, buffers->names, sizeof(pending->names));
        SoGLCacheContextElement::scheduleDeleteCallback(buffers->context, deleteLater, pending);
    }
}

unsigned int SurfaceFaceSet::hiddenFaces(SoState* state, const Arrays& arrays)
{
    // Found once per change of the faces or points: linear, and at a first
    // frame far cheaper than rasterizing the back faces it saves.
    if (closureFacesId != getNodeId() || closurePointsId != arrays.pointsId) {
        closure = gyroscene::find_surface_closure(arrays.points[0].getValue(), arrays.pointCount,
                                                  coordIndex.getValues(0), 4, triangleCount);
        closureFacesId = getNodeId();
        closurePointsId = arrays.pointsId;
    }
    const gyroscene::surface_closure& found = closure;
    // From inside the box, or with a plane cutting the surface open, the
    // inside of the far wall may show.
    if (found.facing == 0 || SoClipPlaneElement::getInstance(state)->getNum() > 0)
        return 0;
    const SbMatrix toEye = SoModelMatrixElement::get(state) * SoViewingMatrixElement::get(state);
    const float nearDistance = SoViewVolumeElement::get(state).getNearDist();
    for (int i = 0; i < 8; ++i) {
        const SbVec3f corner(i & 1 ? found.hi[0] : found.lo[0], i & 2 ? found.hi[1] : found.lo[1],
                             i & 4 ? found.hi[2] : found.lo[2]);
        SbVec3f eye;
        toEye.multVecMatrix(corner, eye);
        if (!(-eye[2] > nearDistance))
            return 0;
    }
    // The faces turned towards the eye wind one way on the screen (the
    // other way under a mirroring transform); which way GL calls front is
    // left as Coin set it, so that two-sided lighting is unchanged.
    const float det = toEye.det3();
    if (!(std::abs(det) > 0.0f))
        return 0;
    const bool towardsCounterClockwise = (found.facing > 0) == (det > 0.0f);
    GLint front = GL_CCW;
    glGetIntegerv(GL_FRONT_FACE, &front);
    return towardsCounterClockwise == (front == GL_CCW) ? GL_BACK : GL_FRONT;
}

void SurfaceFaceSet::contextDestroyed(uint32_t context, void* self)
{
    // Coin calls this with the dying context current.
    auto& list = static_cast<SurfaceFaceSet*>(self)->contexts->list;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->context == context) {
            deleteNames(cc_glglue_instance(int(context)), (*it)->names);
            list.erase(it);
            return;
        }
    }
}

bool SurfaceFaceSet::checkTriangles()
{
    // The node id changes with every change of the fields.
    if (checkedId == getNodeId())
        return allTriangles;
    checkedId = getNodeId();
    const int32_t count = coordIndex.getNum();
    const int32_t* index = coordIndex.getValues(0);
    allTriangles = count > 0 && count % 4 == 0;
    int32_t largest = -1;
    for (int32_t i = 0; allTriangles && i < count; i += 4) {
        allTriangles = index[i] >= 0 && index[i + 1] >= 0 && index[i + 2] >= 0 && index[i + 3] < 0;
        largest = std::max({largest, index[i], index[i + 1], index[i + 2]});
    }
    triangleCount = allTriangles ? count / 4 : 0;
    maxIndex = largest;
    return allTriangles;
}

bool SurfaceFaceSet::collectArrays(SoState* state, Arrays* arrays)
{
    if (vertexProperty.getValue() != nullptr || !followsCoordIndex(normalIndex) ||
        !followsCoordIndex(materialIndex) || !followsCoordIndex(textureCoordIndex))
        return false;
    if (SoDrawStyleElement::get(state) != SoDrawStyleElement::FILLED)
        return false;
    // Blended triangles show their drawing order, and Coin's differs from
    // the file's: see-through surfaces keep Coin's drawing, pixel for pixel.
    const unsigned int style = SoShapeStyleElement::get(state)->getFlags();
    if ((style & (SoShapeStyleElement::TRANSP_MATERIAL | SoShapeStyleElement::TRANSP_TEXTURE)) ||
        SoLazyElement::getInstance(state)->isTransparent())
        return false;
    const SoCoordinateElement* coordinates = SoCoordinateElement::getInstance(state);
    if (!coordinates->is3D() || !checkTriangles() || maxIndex >= coordinates->getNum())
        return false;
    arrays->points = coordinates->getArrayPtr3();
    arrays->pointCount = coordinates->getNum();
    arrays->pointsId = coordinates->getNodeId();

    const SoNormalElement* normals = SoNormalElement::getInstance(state);
    if (SoNormalBindingElement::get(state) != SoNormalBindingElement::PER_VERTEX_INDEXED ||
        normals->getNum() < arrays->pointCount)
        return false;
    arrays->normals = normals->getArrayPtr();
    arrays->normalsId = normals->getNodeId();

    const SoLazyElement* lazy = SoLazyElement::getInstance(state);
    switch (SoMaterialBindingElement::get(state)) {
    case SoMaterialBindingElement::OVERALL:
        break;
    case SoMaterialBindingElement::PER_VERTEX_INDEXED:
        if (!lazy->isPacked() || lazy->getNumDiffuse() < arrays->pointCount)
            return false;
        arrays->packed = SoLazyElement::getPackedColors(state);
        arrays->packedId = LazyAccess::diffuseNodeId(lazy);
        break;
    default:
        return false;
    }

    int lastEnabled = -1;
    SoMultiTextureEnabledElement::getEnabledUnits(state, lastEnabled);
    if (lastEnabled > 0)
        return false;
    if (lastEnabled == 0) {
        const SoMultiTextureCoordinateElement* texCoords =
            SoMultiTextureCoordinateElement::getInstance(state);
        if (SoMultiTextureEnabledElement::getMode(state, 0) !=
                SoMultiTextureEnabledElement::TEXTURE2D ||
            SoTextureCoordinateBindingElement::get(state) !=
                SoTextureCoordinateBindingElement::PER_VERTEX_INDEXED ||
            texCoords->getType(0) != SoMultiTextureCoordinateElement::EXPLICIT ||
            texCoords->getDimension(0) != 2 || texCoords->getNum(0) < arrays->pointCount)
            return false;
        arrays->texCoords = texCoords;
    }
    return true;
}

SurfaceFaceSet::ContextBuffers& SurfaceFaceSet::buffersFor(uint32_t context)
{
    for (auto& buffers : contexts->list)
        if (buffers->context == context)
            return *buffers;
    contexts->list.push_back(std::make_unique<ContextBuffers>());
    contexts->list.back()->context = context;
    return *contexts->list.back();
}

void SurfaceFaceSet::GLRender(SoGLRenderAction* action)
{
    SoState* state = action->getState();
    Arrays arrays;
    const cc_glglue* glue = cc_glglue_instance(SoGLCacheContextElement::get(state));
    culled = false;
    drawnFromBuffers =
        buffersAllowed && cc_glglue_has_vertex_buffer_object(glue) && collectArrays(state, &arrays);
    if (!drawnFromBuffers) {
        SoIndexedFaceSet::GLRender(action);
        return;
    }
    if (!shouldGLRender(action))
        return;
    drawFromBuffers(action, arrays);
}

namespace {

// Fills the bound buffer of `target` with `bytes` written by `fill`
// straight into the buffer's memory, so no second copy is made here.
// False when the buffer could not be mapped (it is then left empty).
template <typename Fill>
bool fillBuffer(const cc_glglue* glue, GLenum target, intptr_t bytes, Fill fill)
{
    cc_glglue_glBufferData(glue, target, bytes, nullptr, GL_STATIC_DRAW);
    void* memory = cc_glglue_glMapBuffer(glue, target, GL_WRITE_ONLY);
    if (memory == nullptr)
        return false;
    fill(memory);
    return cc_glglue_glUnmapBuffer(glue, target) == GL_TRUE;
}

}  // namespace

void SurfaceFaceSet::drawFromBuffers(SoGLRenderAction* action, const Arrays& arrays)
{
    SoState* state = action->getState();
    // A display list would copy every buffer's contents into itself.
    SoGLCacheContextElement::shouldAutoCache(state, SoGLCacheContextElement::DONT_AUTO_CACHE);
    if (SoCacheElement::anyOpen(state))
        SoCacheElement::invalidate(state);

    const uint32_t context = uint32_t(SoGLCacheContextElement::get(state));
    const cc_glglue* glue = cc_glglue_instance(int(context));
    ContextBuffers& buffers = buffersFor(context);
    auto bind = [&](Slot slot, GLenum target) {
        if (buffers.names[slot] == 0)
            cc_glglue_glGenBuffers(glue, 1, &buffers.names[slot]);
        cc_glglue_glBindBuffer(glue, target, buffers.names[slot]);
    };
    // Rebuilt only when the node that supplies an array has changed.
    auto stale = [&](Slot slot, SbUniqueId from) {
        const bool old = buffers.builtFrom[slot] != from || buffers.names[slot] == 0 ||
                         (slot != indexSlot && buffers.pointCount != arrays.pointCount);
        buffers.builtFrom[slot] = from;
        return old;
    };
    const intptr_t points = arrays.pointCount;

    SoMaterialBundle materials(action);
    if (arrays.packed)
        materials.setUpMultiple();
    materials.sendFirst();

    bind(pointSlot, GL_ARRAY_BUFFER);
    if (stale(pointSlot, arrays.pointsId))
        cc_glglue_glBufferData(glue, GL_ARRAY_BUFFER, points * intptr_t(sizeof(SbVec3f)),
                               arrays.points, GL_STATIC_DRAW);
    cc_glglue_glVertexPointer(glue, 3, GL_FLOAT, 0, nullptr);
    cc_glglue_glEnableClientState(glue, GL_VERTEX_ARRAY);

    bind(normalSlot, GL_ARRAY_BUFFER);
    if (stale(normalSlot, arrays.normalsId))
        cc_glglue_glBufferData(glue, GL_ARRAY_BUFFER, points * intptr_t(sizeof(SbVec3f)),
                               arrays.normals, GL_STATIC_DRAW);
    cc_glglue_glNormalPointer(glue, GL_FLOAT, 0, nullptr);
    cc_glglue_glEnableClientState(glue, GL_NORMAL_ARRAY);

    if (arrays.texCoords) {
        bind(texCoordSlot, GL_ARRAY_BUFFER);
        const bool same = buffers.texCoordMatch && buffers.texCoordMatch->matches(arrays.texCoords) &&
                          buffers.pointCount == arrays.pointCount;
        if (!same) {
            delete buffers.texCoordMatch;
            buffers.texCoordMatch = arrays.texCoords->copyMatchInfo();
            cc_glglue_glBufferData(glue, GL_ARRAY_BUFFER, points * intptr_t(sizeof(SbVec2f)),
                                   arrays.texCoords->getArrayPtr2(0), GL_STATIC_DRAW);
        }
        cc_glglue_glClientActiveTexture(glue, GL_TEXTURE0);
        cc_glglue_glTexCoordPointer(glue, 2, GL_FLOAT, 0, nullptr);
        cc_glglue_glEnableClientState(glue, GL_TEXTURE_COORD_ARRAY);
    }

    if (arrays.packed) {
        bind(colourSlot, GL_ARRAY_BUFFER);
        if (stale(colourSlot, arrays.packedId)) {
            // Packed colours are 0xRRGGBBAA words; GL reads R, G, B, A bytes.
            const bool filled = fillBuffer(glue, GL_ARRAY_BUFFER, points * 4, [&](void* memory) {
                auto* bytes = static_cast<unsigned char*>(memory);
                for (intptr_t i = 0; i < points; ++i) {
                    const uint32_t c = arrays.packed[i];
                    bytes[4 * i] = (c >> 24) & 0xff;
                    bytes[4 * i + 1] = (c >> 16) & 0xff;
                    bytes[4 * i + 2] = (c >> 8) & 0xff;
                    bytes[4 * i + 3] = c & 0xff;
                }
            });
            if (!filled)
                buffers.builtFrom[colourSlot] = 0;
        }
        cc_glglue_glColorPointer(glue, 4, GL_UNSIGNED_BYTE, 0, nullptr);
        cc_glglue_glEnableClientState(glue, GL_COLOR_ARRAY);
    }
    buffers.pointCount = arrays.pointCount;

    bind(indexSlot, GL_ELEMENT_ARRAY_BUFFER);
    if (stale(indexSlot, getNodeId())) {
        const int32_t* index = coordIndex.getValues(0);
        const bool filled = fillBuffer(glue, GL_ELEMENT_ARRAY_BUFFER, intptr_t(triangleCount) * 3 * 4,
                   [&](void* memory) {
                       auto* out = static_cast<uint32_t*>(memory);
                       for (int32_t t = 0; t < triangleCount; ++t) {
                           out[3 * t] = uint32_t(index[4 * t]);
                           out[3 * t + 1] = uint32_t(index[4 * t + 1]);
                           out[3 * t + 2] = uint32_t(index[4 * t + 2]);
                       }
                   });
        if (!filled)
            buffers.builtFrom[indexSlot] = 0;
    }
    const GLenum hidden = hiddenFaces(state, arrays);
    culled = hidden != 0;
    GLboolean wasCulling = GL_FALSE;
    GLint wasCulled = GL_BACK;
    if (culled) {
        // Coin keeps its own record of GL's culling: put back as found.
        wasCulling = glIsEnabled(GL_CULL_FACE);
        glGetIntegerv(GL_CULL_FACE_MODE, &wasCulled);
        glCullFace(hidden);
        glEnable(GL_CULL_FACE);
    }
    cc_glglue_glDrawElements(glue, GL_TRIANGLES, GLsizei(triangleCount) * 3, GL_UNSIGNED_INT,
                             nullptr);
    if (culled) {
        glCullFace(GLenum(wasCulled));
        if (!wasCulling)
            glDisable(GL_CULL_FACE);
    }

    // Coin expects no client arrays and no bound buffers between shapes.
    cc_glglue_glBindBuffer(glue, GL_ELEMENT_ARRAY_BUFFER, 0);
    cc_glglue_glBindBuffer(glue, GL_ARRAY_BUFFER, 0);
    cc_glglue_glDisableClientState(glue, GL_VERTEX_ARRAY);
    cc_glglue_glDisableClientState(glue, GL_NORMAL_ARRAY);
    if (arrays.texCoords)
        cc_glglue_glDisableClientState(glue, GL_TEXTURE_COORD_ARRAY);
    if (arrays.packed)
        cc_glglue_glDisableClientState(glue, GL_COLOR_ARRAY);
}
