// What one figure draws, read from its files and built into Coin nodes with
// the viewer's own scene code: each surface under its separator, coloured
// by a statistics column when one is asked for, and the landmarks' spheres.
#pragma once

#include "column_colouring.h"
#include "legend.h"
#include "render_options.h"
#include "scene_state.h"
#include "surface_nodes.h"
#include "tag_spheres.h"
#include "view_presets.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class SoSeparator;

class zelVertstatsFile;

namespace gyrorender {

class ColourBars;
class FigureReads;

// The column shown: its legend as the viewer would draw it.
struct ShownColumn {
    gyroscene::legend_content legend;
};

class FigureScene
{
public:
    // One surface's nodes and look (in the .cpp).
    struct Surface;

    FigureScene();
    ~FigureScene();
    FigureScene(const FigureScene&) = delete;
    FigureScene& operator=(const FigureScene&) = delete;

    // Reads the surfaces, statistics and tag files the scene names, leaving
    // out what it hides. False with a one-line `error` for anything that
    // cannot be read or found; `warnings` gets what the viewer would warn
    // about while still drawing. With `sharedRange`, columns without limits
    // share one range over every coloured surface.
    bool load(const gyroscene::scene_state& scene, const QString& colourBarDir, bool sharedRange,
              ColourBars& bars, QString* error, QStringList* warnings);

    int surfaceCount() const;
    // The separator of surface `i`: its column's texture, if any, then its nodes.
    SoSeparator* surface(int i) const;
    gyroscene::Hemisphere hemisphere(int i) const;
    // Every tag file's spheres; empty without tag files.
    SoSeparator* tags() const;
    // Set when a statistics column colours the surfaces.
    const ShownColumn* column() const;

private:
    bool loadFiles(const gyroscene::scene_state& scene, const QString& colourBarDir,
                   bool sharedRange, ColourBars& bars, QString* error, QStringList* warnings);
    // A warning for each statistics file of the surface the figure does
    // not use that is missing, unreadable or not per-vertex data.
    void checkUnusedStatistics(const gyroscene::surface_state& state, QStringList* warnings) const;
    bool loadSurface(const gyroscene::surface_state& state, QString* error, QStringList* warnings);
    bool loadColumn(Surface& surface, const gyroscene::surface_state& state, const QStringList& bars,
                    QString* error, QStringList* warnings);
    bool loadTags(const gyroscene::tags_state& state, QString* error, QStringList* warnings);
    // The column's texture nodes ahead of the surface; the colour shown
    // under its threshold, for the legend.
    QColor buildColumn(Surface& surface);
    // The underlay's shade per vertex.
    bool loadUnderlay(Surface& surface, const gyroscene::surface_state& state, QString* error,
                      QStringList* warnings);
    // Overlapping hemispheres moved apart along x, as the viewer does.
    void offsetHemispheres();

    std::vector<std::unique_ptr<Surface>> surfaces;
    SoSeparator* tagRoot = nullptr;
    std::unique_ptr<ShownColumn> shown;
    // Each file read once while `load` runs.
    FigureReads* reads = nullptr;
};

}  // namespace gyrorender
