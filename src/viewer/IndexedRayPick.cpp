#include "IndexedRayPick.h"

#include "PickIndex.h"
#include "TriangleBvh.h"

#include <Inventor/SbLine.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/details/SoFaceDetail.h>
#include <Inventor/details/SoPointDetail.h>
#include <Inventor/elements/SoCoordinateElement.h>
#include <Inventor/elements/SoMultiTextureCoordinateElement.h>
#include <Inventor/elements/SoMultiTextureEnabledElement.h>
#include <Inventor/elements/SoNormalBindingElement.h>
#include <Inventor/elements/SoNormalElement.h>
#include <Inventor/elements/SoPickStyleElement.h>
#include <Inventor/elements/SoTextureCoordinateBindingElement.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>

#include <limits>
#include <vector>

namespace gyroview {

SO_ACTION_SOURCE(IndexedRayPick);

void IndexedRayPick::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SO_ACTION_INIT_CLASS(IndexedRayPick, SoRayPickAction);
    SO_ACTION_ADD_METHOD(SoIndexedFaceSet, pickFaceSet);
}

IndexedRayPick::IndexedRayPick(const SbViewportRegion& region, const PickIndex* index)
    : SoRayPickAction(region), index(index)
{
    SO_ACTION_CONSTRUCTOR(IndexedRayPick);
}

IndexedRayPick::~IndexedRayPick() = default;

namespace {

// How the face set's texture coordinates and normals reach its vertices, when
// the index can reproduce what Coin reports; otherwise Coin picks the set.
struct VertexData {
    bool textured = false;
    const SbVec2f* textureCoordinates = nullptr;
    int32_t textureCount = 0;
    const int32_t* textureIndex = nullptr;  // null: the coordinate indices
    const SbVec3f* normals = nullptr;
    int32_t normalCount = 0;
    const int32_t* normalIndex = nullptr;
};

// An index field left at its default ([-1]) or empty means "as coordIndex".
bool followsCoordinates(const SoMFInt32& field)
{
    return field.getNum() == 0 || (field.getNum() == 1 && field[0] == -1);
}

bool vertexData(SoState* state, const SoIndexedFaceSet* faceSet, VertexData& data)
{
    data.textured = SoMultiTextureEnabledElement::get(state, 0);
    if (data.textured) {
        const auto* element = SoMultiTextureCoordinateElement::getInstance(state);
        if (element->getType(0) != SoMultiTextureCoordinateElement::EXPLICIT ||
            element->getDimension(0) != 2 ||
            SoTextureCoordinateBindingElement::get(state) !=
                SoTextureCoordinateBindingElement::PER_VERTEX_INDEXED)
            return false;
        data.textureCoordinates = element->getArrayPtr2(0);
        data.textureCount = element->getNum(0);
        if (!followsCoordinates(faceSet->textureCoordIndex)) {
            if (faceSet->textureCoordIndex.getNum() != faceSet->coordIndex.getNum())
                return false;
            data.textureIndex = faceSet->textureCoordIndex.getValues(0);
        }
    }
    const SoNormalElement* normals = SoNormalElement::getInstance(state);
    if (normals->getNum() > 0 &&
        SoNormalBindingElement::get(state) == SoNormalBindingElement::PER_VERTEX_INDEXED) {
        data.normals = normals->getArrayPtr();
        data.normalCount = normals->getNum();
        if (!followsCoordinates(faceSet->normalIndex)) {
            if (faceSet->normalIndex.getNum() != faceSet->coordIndex.getNum())
                return false;
            data.normalIndex = faceSet->normalIndex.getValues(0);
        }
    }
    return true;
}

// The picked point's face detail, texture coordinates and normal, as Coin
// gives them for a triangle of an indexed face set.
void describeHit(SoPickedPoint* picked, SoIndexedFaceSet* faceSet, const VertexData& data,
                 int32_t face, int32_t start, const SbVec3f corners[3], const SbVec3f& barycentric)
{
    const int32_t* coordIndex = faceSet->coordIndex.getValues(0);
    auto* detail = new SoFaceDetail;
    detail->setNumPoints(3);
    SbVec4f texture(0.0f, 0.0f, 0.0f, 1.0f);
    SbVec3f normal(0.0f, 0.0f, 0.0f);
    bool haveNormal = data.normals != nullptr;
    if (data.textured)
        texture.setValue(0.0f, 0.0f, 0.0f, 0.0f);
    for (int k = 0; k < 3; ++k) {
        const int32_t at = start + k;
        const int32_t point = coordIndex[at];
        SoPointDetail vertex;
        vertex.setCoordinateIndex(point);
        vertex.setMaterialIndex(0);
        if (data.textured) {
            const int32_t t = data.textureIndex ? data.textureIndex[at] : point;
            vertex.setTextureCoordIndex(t);
            const SbVec2f st = t >= 0 && t < data.textureCount ? data.textureCoordinates[t] : SbVec2f(0, 0);
            texture += SbVec4f(st[0], st[1], 0.0f, 1.0f) * barycentric[k];
        }
        if (haveNormal) {
            const int32_t n = data.normalIndex ? data.normalIndex[at] : point;
            vertex.setNormalIndex(n);
            if (n >= 0 && n < data.normalCount)
                normal += data.normals[n] * barycentric[k];
            else
                haveNormal = false;
        }
        detail->setPoint(k, &vertex);
    }
    detail->setFaceIndex(face);
    detail->setPartIndex(face);
    if (!haveNormal)
        normal = (corners[1] - corners[0]).cross(corners[2] - corners[0]);
    normal.normalize();
    picked->setObjectNormal(normal);
    picked->setObjectTextureCoords(texture);
    picked->setMaterialIndex(0);
    picked->setDetail(detail, faceSet);
}

}  // namespace

void IndexedRayPick::pickFaceSet(SoAction* action, SoNode* node)
{
    auto* pick = static_cast<IndexedRayPick*>(action);
    auto* faceSet = static_cast<SoIndexedFaceSet*>(node);
    const PickIndex::Surface* surface = pick->index ? pick->index->find(node) : nullptr;
    if (surface && surface->hidden)
        return;
    SoState* state = action->getState();
    const TriangleBvh* bvh = surface ? surface->ready() : nullptr;
    const SoCoordinateElement* coordinates = SoCoordinateElement::getInstance(state);
    VertexData data;
    // Anything the index does not stand for goes to Coin: no index yet, a
    // face set or coordinates changed since indexing (the owner adds the
    // surface again to rebuild), a pick style other than shapes.
    if (!bvh || faceSet->getNodeId() != surface->faceSetId || faceSet->vertexProperty.getValue() ||
        coordinates->getNodeId() != surface->coordinatesId ||
        coordinates->getNum() != surface->pointCount || coordinates->is3D() == FALSE ||
        SoPickStyleElement::get(state) != SoPickStyleElement::SHAPE ||
        !vertexData(state, faceSet, data)) {
        SoNode::rayPickS(action, node);
        return;
    }

    pick->setObjectSpace();
    const SbLine& line = pick->getLine();
    const SbVec3f origin = line.getPosition(), direction = line.getDirection();
    const float o[3] = {origin[0], origin[1], origin[2]};
    const float d[3] = {direction[0], direction[1], direction[2]};
    const SbVec3f* points = coordinates->getArrayPtr3();
    const int32_t* coordIndex = faceSet->coordIndex.getValues(0);
    // The index holds no copy of the surface: its own fields, unchanged
    // since indexing (checked above), are read in place.
    static_assert(sizeof(SbVec3f) == 3 * sizeof(float));
    const TriangleBvh::Mesh mesh{reinterpret_cast<const float*>(points), coordIndex, 4, bvh->triangleCount()};
    std::vector<int32_t> triangles;
    // Coin takes no hit behind the start of the ray (the near plane, or the
    // start given with setRay).
    float from = 0.0f;
    // Nearest candidates first; when Coin turns all of them down (outside
    // the near and far planes, or a graze only the widened test saw), the
    // next ones along the ray.
    for (int round = 0; round < 64; ++round) {
        const float reached = bvh->candidates(o, d, from, mesh, triangles);
        if (reached < 0)
            return;
        bool taken = false, missed = false;
        for (int32_t face : triangles) {
            const int32_t start = face * 4;
            const SbVec3f corners[3] = {points[coordIndex[start]], points[coordIndex[start + 1]],
                                        points[coordIndex[start + 2]]};
            SbVec3f hit, barycentric;
            SbBool front = TRUE;
            if (!pick->intersect(corners[0], corners[1], corners[2], hit, barycentric, front)) {
                missed = true;
                continue;
            }
            if (!pick->isBetweenPlanes(hit))
                continue;
            taken = true;
            if (SoPickedPoint* picked = pick->addIntersection(hit, front))
                describeHit(picked, faceSet, data, face, start, corners, barycentric);
        }
        if (taken)
            return;
        // Coin's test turned a candidate down: a ray grazing an edge, or
        // exactly through a corner, where Coin may take a face the index did
        // not offer. Coin decides over the whole set (rare). Candidates only
        // outside the near and far planes give way to the next ones.
        if (missed)
            break;
        from = reached;
    }
    // Those, and pathological rays (a great many near-coincident layers).
    SoNode::rayPickS(action, node);
}

}  // namespace gyroview
