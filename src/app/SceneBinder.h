// Binds the document's surfaces to the view's picking: every loaded surface
// is in the view's pick index (left out of picks while hidden, indexed
// again when its points change, let go when it closes), and a shape the
// view reports is told as the document id of its surface.
#pragma once

#include "SceneDocument.h"

#include <QObject>

#include <map>

class BrainQuarter;
class SoIndexedFaceSet;

class SceneBinder : public QObject
{
    Q_OBJECT

public:
    SceneBinder(SceneDocument* document, BrainQuarter* viewer, QObject* parent = nullptr);
    ~SceneBinder() override;

    // The surface whose face set has this node identifier (as a pick or a
    // hover reports it); none when no open surface has.
    SceneDocument::Id surfaceOfShape(quint32 nodeId) const;

private:
    void follow();
    void pointsChanging(SceneDocument::Id surface);
    void pointsChanged(SceneDocument::Id surface);
    void shownChanged(SceneDocument::Id id);
    void index(SceneDocument::Id surface);
    void release(SceneDocument::Id surface);

    SceneDocument* doc;
    BrainQuarter* viewer;
    // The face set each surface was indexed with; the index holds a
    // reference, so the pointer stays good until it is let go.
    std::map<SceneDocument::Id, SoIndexedFaceSet*> indexed;
};
