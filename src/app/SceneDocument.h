// The one document behind the window: which files are open and how each is
// drawn, the picked vertex and the legend. Every change goes through it and
// it signals what changed; the tree rows, property boxes, pick panel, View
// menu, legend and view observe it instead of each other. Files are known by
// ids that stay the same while other files open and close.
#pragma once

#include "file_store.h"
#include "scene_state.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <vector>

class SceneDocument : public QObject
{
    Q_OBJECT

public:
    using Id = int;
    static constexpr Id none = -1;

    explicit SceneDocument(QObject* parent = nullptr);

    // A file's entry, appended once it has been read, with what it holds
    // for the store: filesChanged then finds it complete. Without data
    // (a surface of no file, tests) the entry stands alone.
    Id addSurface(const QString& path, std::shared_ptr<const gyroscene::StoredSurface> data = {});
    Id addStatistics(Id surface, const QString& path,
                     std::shared_ptr<const gyroscene::StoredStatistics> data = {});
    Id addTags(const QString& path, std::shared_ptr<const gyroscene::StoredLandmarks> data = {});
    Id addParcellation(Id surface, const QString& path, std::shared_ptr<const ::parcellation> data = {});
    // The file is closed: its entry goes, and what referred to it with it.
    void remove(Id id);
    // Everything goes, as before a scene is opened.
    void clear();

    const gyroscene::surface_state* surface(Id id) const;
    const gyroscene::statistics_state* statistics(Id id) const;
    const gyroscene::tags_state* tags(Id id) const;
    const gyroscene::parcellation_state* parcellation(Id id) const;
    // The surface a statistics file or parcellation belongs to; none for other ids.
    Id surfaceOf(Id file) const;
    std::vector<Id> surfaces() const;
    std::vector<Id> statisticsOf(Id surface) const;
    std::vector<Id> tagFiles() const;
    std::vector<Id> parcellationsOf(Id surface) const;
    // The look of a column, its defaults when it was never set.
    gyroscene::column_state column(Id statistics, const QString& name) const;
    // The statistics file and column colouring the surface: none and empty
    // when it shows its own colour.
    Id colouringFile(Id surface) const;
    QString colouringColumn(Id surface) const;
    Id underlayFile(Id surface) const;

    // Layers of any kind.
    bool isShown(Id id) const;
    void setShown(Id id, bool shown);

    void setSurfaceColour(Id surface, const QColor& colour);
    void setSurfaceOpacity(Id surface, float opacity);
    void setHemisphere(Id surface, gyroscene::Hemisphere side);
    // Another file of the same mesh under the surface's data (white, pial,
    // inflated, ...): its statistics, underlay, parcellations and pick stay.
    void setSurfacePath(Id surface, const QString& path);
    // The store's points of the surface were replaced (by the reader of
    // the file setSurfacePath named): what depends on them follows.
    // Around a change of a surface's points in place: what reads them on
    // other threads lets go before, and takes them again after.
    void notifyPointsChanging(Id surface);
    void notifyPointsChanged(Id surface);
    // `file` none for no underlay.
    void setUnderlay(Id surface, Id file, const QString& column, int shades);

    // The column colours its surface from now on, the only one to do so.
    void chooseColumn(Id statistics, const QString& column);
    // The column last chosen in the file, shown or not; empty before any.
    QString chosenColumn(Id statistics) const;
    void setColumnLimits(Id statistics, const QString& column, float lower, float upper);
    void setColumnBar(Id statistics, const QString& column, const QString& bar);
    void setColumnThreshold(Id statistics, const QString& column, float threshold);

    void setTagRadius(Id tags, double radius);
    void setTagColour(Id tags, const QColor& colour);

    // A parcellation's look: its opacity, outlines or filled regions, and
    // which regions (indices into its table) are drawn.
    void setParcelOpacity(Id parcels, float opacity);
    void setParcelOutline(Id parcels, bool outline);
    void setRegionShown(Id parcels, int region, bool shown);
    // Every region of `count` hidden, or none.
    void setAllRegionsShown(Id parcels, int count, bool shown);

    // Signals even when the vertex is the one picked already.
    void setPick(Id surface, int vertex);
    Id pickedSurface() const;
    int pickedVertex() const;

    void setLegendShown(bool shown);
    bool legendShown() const;
    // The surface whose column the legend describes.
    Id legendSurface() const;
    void setBackground(const QColor& colour);
    QColor background() const;
    // Overlapping left and right surfaces drawn apart along x.
    void setHemisphereOffset(bool on);
    bool hemisphereOffset() const;
    // How far along x the view draws the surface (HemisphereOffsets works
    // it out from the setting above and the surfaces' extents); not part of
    // a scene, which keeps the setting only. 0 for none.
    void setViewOffset(Id surface, float x);
    float viewOffset(Id surface) const;

    // The target: the surface the side views, View > Surface and the next
    // statistics file or parcellation are for. The newest surface opened,
    // or the one whose file row was clicked last; when it closes, the newest
    // surface left.
    void setCurrentSurface(Id surface);
    Id currentSurface() const;

    // What the open files hold, by id: entered by whoever reads a file,
    // right after its entry is added; it goes when the entry does.
    gyroscene::FileStore& store();
    const gyroscene::FileStore& store() const;

    // The state as plain data, files in the order they were opened (the
    // camera and view size are the window's to add).
    gyroscene::scene_state state() const;

    // The scene file the document was opened from or saved to; empty for none.
    QString sceneFile() const;
    void setSceneFile(const QString& path);
    // Changed since it was last opened or saved as a scene.
    bool isModified() const;
    void setModified(bool modified);

signals:
    // A file was added (its data already in the store) or closed.
    void filesChanged();
    void surfaceChanged(SceneDocument::Id surface);
    // Its points come from another file now.
    void surfacePathChanged(SceneDocument::Id surface);
    // Its points in the store are those of its new file now.
    void pointsChanging(SceneDocument::Id surface);
    void pointsChanged(SceneDocument::Id surface);
    void hemisphereOffsetChanged(bool on);
    void viewOffsetChanged(SceneDocument::Id surface);
    // Which file and column colour the surface.
    void colouringChanged(SceneDocument::Id surface);
    void statisticsChanged(SceneDocument::Id statistics);
    void columnChanged(SceneDocument::Id statistics, const QString& column);
    void tagsChanged(SceneDocument::Id tags);
    void parcellationChanged(SceneDocument::Id parcels);
    void layerShownChanged(SceneDocument::Id id);
    void pickChanged();
    void legendChanged(bool shown);
    void backgroundChanged(const QColor& colour);
    void currentSurfaceChanged(SceneDocument::Id surface);
    void modifiedChanged(bool modified);
    void sceneFileChanged(const QString& path);

private:
    struct Surface {
        gyroscene::surface_state state;
        std::vector<Id> files;
        std::vector<Id> parcels;
        // Which of its files colours it (an id, unlike the state's index).
        Id colouring = none;
        QString colouringColumn;
        Id underlay = none;
        float viewOffset = 0.0f;
    };
    struct Statistics {
        Id surface = none;
        gyroscene::statistics_state state;
        QString chosen;
        quint64 chosenAt = 0;
    };

    Surface* surfaceEntry(Id id);
    Statistics* statisticsEntry(Id id);
    gyroscene::tags_state* tagsEntry(Id id);
    struct Parcels {
        Id surface = none;
        gyroscene::parcellation_state state;
    };
    Parcels* parcelEntry(Id id);
    // Takes a parcellation out, and out of its surface's list.
    void removeParcellation(Id id);
    void parcelChanged(Id id);
    gyroscene::column_state& columnEntry(Id statistics, const QString& column);
    // After a file stopped colouring: the shown file chosen most recently
    // colours the surface, or nothing does.
    void handOverColouring(Id surface);
    void changed();

    gyroscene::FileStore loaded;
    Id nextId = 1;
    quint64 choices = 0;
    std::vector<Id> surfaceOrder;
    std::vector<Id> tagOrder;
    QHash<Id, Surface> surfaceEntries;
    QHash<Id, Statistics> statisticsEntries;
    QHash<Id, gyroscene::tags_state> tagEntries;
    QHash<Id, Parcels> parcelEntries;
    Id picked = none;
    int pickedIndex = -1;
    bool legend = true;
    Id legendOf = none;
    QColor backgroundColour{0, 0, 0};
    bool offsetHemispheres = true;
    Id current = none;
    QString scenePath;
    bool modified = false;
};
