// Opens the files a scene names through the resource panel, then sets the
// document up as the scene says: colours, columns and their looks, layers,
// landmarks, the pick and the legend. What cannot be opened or set is told,
// naming the scene, and the rest still opens.
#pragma once

#include "ReaderMessages.h"
#include "scene_state.h"

#include <QList>
#include <QString>

class ResourceForm;

class SceneLoader
{
public:
    explicit SceneLoader(ResourceForm* resources);

    // `origin` names where the scene came from in the messages: a scene
    // file, or the command line.
    QList<LoadMessage> load(const gyroscene::scene_state& scene, const QString& origin);
    // Lays `after` over the document, which holds `before` (its state, as
    // SceneDocument::state gives it): opens the statistics files,
    // parcellations and landmarks `after` adds, and sets every look that
    // differs. A column named by an index or left empty (the first) is
    // found among the file's columns.
    QList<LoadMessage> update(const gyroscene::scene_state& before,
                              const gyroscene::scene_state& after, const QString& origin);

private:
    // Onto the document's surface `surface`, through the one loader.
    int loadStatistics(const gyroscene::statistics_state& file, const QString& origin, int surface);
    void setColumnLooks(int id, const std::vector<gyroscene::column_state>& looks,
                        const QString& origin);
    bool loadParcellation(const gyroscene::parcellation_state& file, const QString& origin,
                          int surface);
    bool loadTags(const gyroscene::tags_state& tags, const QString& origin);
    void updateSurface(int id, const gyroscene::surface_state& before,
                       const gyroscene::surface_state& after, const QString& origin);
    // The column a user named: by name first (a column may be called "2"),
    // then as an index from 0; the first when none is named.
    QString findColumn(int statistics, const QString& wanted);
    void report(LoadMessage::Kind kind, const QString& file, const QString& text);

    ResourceForm* resources;
    QList<LoadMessage> messages;
};
