#include "parcel_nodes.h"

#include "ReaderMessages.h"
#include "cifti_surfaces.h"
#include "file_kind.h"
#include "objects.h"
#include "parcel_files.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoMaterialBinding.h>
#include <Inventor/nodes/SoNormal.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoPackedColor.h>
#include <Inventor/nodes/SoPickStyle.h>
#include <Inventor/nodes/SoPolygonOffset.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>

#include <QFileInfo>

#include <algorithm>

namespace gyroscene {

ParcelNodes make_parcel_nodes(const SurfaceNodes& surface)
{
    ParcelNodes nodes;
    nodes.separator = new SoSeparator;
    nodes.separator->ref();
    nodes.separator->setName("Parcellation");
    // An empty image turns off the statistics' texture for these faces.
    nodes.separator->addChild(new SoTexture2);
    // Picks find the surface's own face set; this copy would only cost time.
    auto* unpickable = new SoPickStyle;
    unpickable->style = SoPickStyle::UNPICKABLE;
    nodes.separator->addChild(unpickable);
    // Negative: nearer than the surface, so the depth test lets it through
    // on the surface and a landmark in front still hides it.
    auto* offset = new SoPolygonOffset;
    offset->factor = -1.0f;
    offset->units = -2.0f;
    nodes.separator->addChild(offset);
    nodes.colours = new SoPackedColor;
    nodes.separator->addChild(nodes.colours);
    auto* binding = new SoMaterialBinding;
    binding->value = SoMaterialBinding::PER_VERTEX_INDEXED;
    nodes.separator->addChild(binding);
    nodes.separator->addChild(surface.normalBinding);
    nodes.separator->addChild(surface.normals);
    nodes.separator->addChild(surface.coordinates);
    nodes.separator->addChild(surface.faceSet);
    return nodes;
}

void release_parcel_nodes(ParcelNodes& nodes)
{
    if (nodes.separator)
        nodes.separator->unref();
    nodes = ParcelNodes();
}

void set_parcel_colours(const ParcelNodes& nodes, const std::vector<parcel_colour>& colours)
{
    SoMFUInt32& field = nodes.colours->orderedRGBA;
    field.setNum(int(colours.size()));
    uint32_t* packed = field.startEditing();
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const parcel_colour c = colours[i];
        packed[i] = (uint32_t(c.r) << 24) | (uint32_t(c.g) << 16) | (uint32_t(c.b) << 8) | c.a;
    }
    field.finishEditing();
}

std::vector<std::uint8_t> parcel_boundary(const parcellation& parcels, const SurfaceNodes& surface)
{
    // The face set's index list, -1 after each face, as the polygons' lists.
    const SoMFInt32& corners = surface.faceSet->coordIndex;
    std::vector<int> ends, indices;
    indices.reserve(std::size_t(corners.getNum()));
    const int32_t* index = corners.getValues(0);
    for (int k = 0; k < corners.getNum(); ++k) {
        if (index[k] >= 0)
            indices.push_back(index[k]);
        else
            ends.push_back(int(indices.size()));
    }
    if (!indices.empty() && (ends.empty() || ends.back() != int(indices.size())))
        ends.push_back(int(indices.size()));
    polygons_struct polygons{};
    polygons.n_points = surface.coordinates->point.getNum();
    polygons.n_items = int(ends.size());
    polygons.end_indices = ends.data();
    polygons.indices = indices.data();
    return region_boundary_vertices(parcels, polygons);
}

parcel_style parcel_style_of(const parcellation& parcels, const std::vector<int>& hidden_regions,
                             float opacity, bool outline)
{
    parcel_style style;
    style.shown.assign(parcels.regions.size(), true);
    for (int region : hidden_regions)
        if (region >= 0 && std::size_t(region) < style.shown.size())
            style.shown[std::size_t(region)] = false;
    style.opacity = std::clamp(opacity, 0.0f, 1.0f);
    style.outline = outline;
    return style;
}

bool read_surface_parcellation(const QString& path, int vertices, int label_number,
                               parcellation* parcels, QString* error, QStringList* warnings,
                               const surface_part* part)
{
    const QByteArray name = readerFileName(path);
    if (file_kind_of(name.constData()).format == CIFTI_LABELS_FILE_FORMAT) {
        QString why = QStringLiteral("a CIFTI-2 file goes on a surface");
        if (part && read_cifti_parcellation(path, *part, parcels, &why))
            return true;
        *parcels = parcellation{};
        *error = QStringLiteral("Cannot read parcellation %1: %2").arg(path, why);
        return false;
    }
    ReaderMessages messages(ReaderMessages::Echo::Held);
    Status status = input_parcellation(name.constData(), vertices, parcels);
    if (status == OK && parcels->format == FREESURFER_LABELS && label_number > 0)
        for (parcel_region& region : parcels->regions)
            region.colour = distinct_parcel_colour(label_number);
    if (status == OK)
        status = check_parcellation_vertices(name.constData(), *parcels, vertices);
    if (status != OK) {
        *parcels = parcellation{};
        *error = QStringLiteral("Cannot read parcellation %1: %2")
                     .arg(path, messages.reason(QFileInfo::exists(path)
                                                    ? QStringLiteral("not a readable parcellation")
                                                    : QStringLiteral("no such file")));
        return false;
    }
    if (warnings)
        *warnings << messages.lines();
    return true;
}

}  // namespace gyroscene
