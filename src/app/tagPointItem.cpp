#include "tagPointItem.h"

#include "RowIcons.h"
#include "tag_spheres.h"

#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSphere.h>
#include <Inventor/nodes/SoTranslation.h>

tagPointItem::tagPointItem(SoSeparator* tagSeparator, const QVector<QVariant>& data,
                           ResourceForm* form, TreeItem* parent)
    : TreeItem(data, form, parent), tagSeparator(tagSeparator)
{
    propFormAvailable = false;
    // Held by us too, so the nodes outlive a file item without a scene; the
    // place comes with setLocation.
    const gyroscene::TagSphere nodes = gyroscene::make_tag_sphere(tagSeparator, 0.0, 0.0, 0.0);
    pointSeparator = nodes.separator;
    sphere = nodes.sphere;
    translation = nodes.translation;
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

void tagPointItem::setRadius(float radius)
{
    // Unchanged values are not written: each write would notify the scene.
    if (sphere->radius.getValue() != radius)
        sphere->radius = radius;
}

SoSeparator* tagPointItem::getPointSeparator() const
{
    return pointSeparator;
}

void tagPointItem::setLabel(const QString& text)
{
    label = text;
}

QIcon tagPointItem::icon() const
{
    return RowIcons::tagPoint();
}

QString tagPointItem::toolTip() const
{
    const SbVec3f at = translation->translation.getValue();
    const QString where = QStringLiteral("(%1, %2, %3)")
                              .arg(double(at[0]), 0, 'g', 6)
                              .arg(double(at[1]), 0, 'g', 6)
                              .arg(double(at[2]), 0, 'g', 6);
    const int number = childNumber() + 1;
    return (label.isEmpty() ? tr("Point %1 (no label)").arg(number)
                            : tr("Point %1: %2").arg(number).arg(label)) +
           "\n" + where;
}
