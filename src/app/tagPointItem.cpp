#include "tagPointItem.h"

#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSphere.h>
#include <Inventor/nodes/SoTranslation.h>

tagPointItem::tagPointItem(SoSeparator* tagSeparator, const QVector<QVariant>& data,
                           ResourceForm* form, TreeItem* parent)
    : TreeItem(data, form, parent), tagSeparator(tagSeparator)
{
    propFormAvailable = false;
    pointSeparator = new SoSeparator;
    // Held by us too, so the nodes outlive a file item without a scene.
    pointSeparator->ref();
    sphere = new SoSphere;
    translation = new SoTranslation;
    pointSeparator->addChild(translation);
    pointSeparator->addChild(sphere);
    if (tagSeparator)
        tagSeparator->addChild(pointSeparator);
}

tagPointItem::~tagPointItem()
{
    pointSeparator->unref();
}

void tagPointItem::setLocation(double x, double y, double z)
{
    translation->translation.setValue(static_cast<float>(x), static_cast<float>(y),
                                      static_cast<float>(z));
}

SoSeparator* tagPointItem::getPointSeparator() const
{
    return pointSeparator;
}
