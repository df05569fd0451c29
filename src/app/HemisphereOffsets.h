// Keeps overlapping left and right surfaces (inflated, spheres) apart in the
// view, as the document's setting asks: after files open or close, a side
// is chosen, a surface switches its file or the setting changes, each
// surface row gets its x offset (gyroscene::hemisphere_offsets).
#pragma once

#include <QObject>

#include <vector>

class BrainQuarter;
class ResourceForm;

class HemisphereOffsets : public QObject
{
    Q_OBJECT

public:
    // A surface opened frames the view before it is moved: `viewer`, when
    // given, frames it again once the offsets have changed for a new file.
    HemisphereOffsets(ResourceForm* resources, BrainQuarter* viewer, QObject* parent = nullptr);

    // Offsets computed again and set; true when any changed.
    bool update();

signals:
    // The surfaces moved: markers placed on them follow.
    void offsetsChanged();

private:
    ResourceForm* resources;
    BrainQuarter* viewer;
    std::size_t surfaceCount = 0;
};
