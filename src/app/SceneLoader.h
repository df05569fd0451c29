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

private:
    int loadStatistics(const gyroscene::statistics_state& file, const QString& origin);
    void loadParcellation(const gyroscene::parcellation_state& file, const QString& origin);
    void report(LoadMessage::Kind kind, const QString& file, const QString& text);
    void takeMessages();

    ResourceForm* resources;
    QList<LoadMessage> messages;
};
