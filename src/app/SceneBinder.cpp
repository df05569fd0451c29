#include "SceneBinder.h"

#include "BrainQuarter.h"
#include "PickIndex.h"
#include "file_store.h"

#include <Inventor/nodes/SoIndexedFaceSet.h>

#include <algorithm>

SceneBinder::SceneBinder(SceneDocument* document, BrainQuarter* viewer, QObject* parent)
    : QObject(parent), doc(document), viewer(viewer)
{
    connect(doc, &SceneDocument::filesChanged, this, &SceneBinder::follow);
    connect(doc, &SceneDocument::pointsChanging, this, &SceneBinder::pointsChanging);
    connect(doc, &SceneDocument::pointsChanged, this, &SceneBinder::pointsChanged);
    connect(doc, &SceneDocument::layerShownChanged, this, &SceneBinder::shownChanged);
    follow();
}

SceneBinder::~SceneBinder()
{
    while (!indexed.empty())
        release(indexed.begin()->first);
}

SceneDocument::Id SceneBinder::surfaceOfShape(quint32 nodeId) const
{
    for (const auto& [surface, faceSet] : indexed)
        if (quint32(faceSet->getNodeId()) == nodeId)
            return surface;
    return SceneDocument::none;
}

void SceneBinder::follow()
{
    const std::vector<SceneDocument::Id> open = doc->surfaces();
    std::vector<SceneDocument::Id> gone;
    for (const auto& entry : indexed)
        if (std::find(open.begin(), open.end(), entry.first) == open.end() ||
            !doc->store().surface(entry.first))
            gone.push_back(entry.first);
    for (SceneDocument::Id surface : gone)
        release(surface);
    for (SceneDocument::Id surface : open)
        if (!indexed.count(surface))
            index(surface);
}

void SceneBinder::index(SceneDocument::Id surface)
{
    const gyroscene::StoredSurface* stored = doc->store().surface(surface);
    if (!stored)
        return;
    // The index copies the triangles as they are when it builds; until then,
    // and for a surface it cannot index, Coin's own ray pick answers.
    gyroview::PickIndex& picks = viewer->pickIndex();
    picks.addSurface(stored->faceSetNode(), stored->coordinateNode());
    picks.setSurfaceHidden(stored->faceSetNode(), !doc->isShown(surface));
    indexed[surface] = stored->faceSetNode();
}

void SceneBinder::release(SceneDocument::Id surface)
{
    const auto found = indexed.find(surface);
    if (found == indexed.end())
        return;
    SoIndexedFaceSet* faceSet = found->second;
    indexed.erase(found);
    viewer->pickIndex().removeSurface(faceSet);
}

void SceneBinder::pointsChanging(SceneDocument::Id surface)
{
    // The index reads the points while it builds: it lets them go first.
    release(surface);
}

void SceneBinder::pointsChanged(SceneDocument::Id surface)
{
    release(surface);
    index(surface);
}

void SceneBinder::shownChanged(SceneDocument::Id id)
{
    const auto found = indexed.find(id);
    if (found != indexed.end())
        viewer->pickIndex().setSurfaceHidden(found->second, !doc->isShown(id));
}
