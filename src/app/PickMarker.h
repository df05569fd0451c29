// The mark of the picked vertex in the view: a small sphere centred on it,
// depth-tested like the surfaces (seen on the side it marks, hidden from
// the far side of the brain), and never itself picked.
#pragma once

#include <Inventor/SbVec3f.h>

class SoSeparator;
class SoSphere;
class SoTranslation;

class PickMarker
{
public:
    // The marker joins `root` only when first placed: until a pick the
    // scene is as the files made it.
    explicit PickMarker(SoSeparator* root);
    ~PickMarker();
    PickMarker(const PickMarker&) = delete;
    PickMarker& operator=(const PickMarker&) = delete;

    void place(const SbVec3f& at, float radius);
    void setVisible(bool visible);
    bool isVisible() const;
    SbVec3f position() const;
    float radius() const;
    SoSeparator* getNode() const;

    // Red, green and blue of the marker, drawn without shading.
    static constexpr float colour[3] = {1.0f, 0.0f, 1.0f};

private:
    SoSeparator* root;
    SoSeparator* node;
    SoTranslation* translation;
    SoSphere* sphere;
};
