// The tree row of one opened surface file: owns a separator under the
// viewer's root, the surface row beneath it, and recognises picks that hit
// its surface.
#pragma once

#include "TreeItem.h"

class GeometryNode;
class SoSeparator;

class GeometryScene : public TreeItem
{
public:
    GeometryScene(const QVector<QVariant>& data, ResourceForm* form, TreeItem* parent);
    ~GeometryScene() override;

    bool loadGeometry(QFile& file);
    // Attaches a statistics file to this surface as a new last child.
    // `readable` is textureFileItem::canRead's answer for the file; when it
    // is false nothing is added. False when the file was not read.
    bool loadVertstats(QFile& file, bool readable);

    void wasSelected() override;
    void pickReceived(int index, int id, int x, int y, int z) override;

    GeometryNode* getSurface() const;
    SoSeparator* getSceneSeparator() const;

private:
    ResourceForm* panel;
    SoSeparator* rootSeparator = nullptr;
    SoSeparator* sceneSeparator;
    GeometryNode* surface;
};
