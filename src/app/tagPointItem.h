// One landmark of a tag file: a unit sphere moved to the point's position,
// listed as a child row of its file.
#pragma once

#include "TreeItem.h"

class SoSeparator;
class SoSphere;
class SoTranslation;

class tagPointItem : public TreeItem
{
public:
    tagPointItem(SoSeparator* tagSeparator, const QVector<QVariant>& data, ResourceForm* form,
                 TreeItem* parent);
    ~tagPointItem() override;

    void setLocation(double x, double y, double z);

    SoSeparator* getPointSeparator() const;

private:
    SoSeparator* tagSeparator;
    SoSeparator* pointSeparator;
    SoSphere* sphere;
    SoTranslation* translation;
};
