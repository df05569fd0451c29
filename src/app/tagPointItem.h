// One landmark of a tag file: a unit sphere moved to the point's position,
// listed as a child row of its file.
#pragma once

#include "TreeItem.h"

#include <QString>

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
    void setRadius(float radius);
    // The point's label in its file; empty when it has none.
    void setLabel(const QString& text);

    QIcon icon() const override;
    // The label and the coordinates.
    QString toolTip() const override;

    SoSeparator* getPointSeparator() const;

private:
    SoSeparator* tagSeparator;
    SoSeparator* pointSeparator;
    SoSphere* sphere;
    SoTranslation* translation;
    QString label;
};
