// Built, never run: every application header together leaves the names of
// the volume I/O and graphics-object layers free. Including either layer's
// header in an app header would make these declarations clash.
#include "BrainQuarter.h"
#include "ColourBarStore.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "ReaderMessages.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "TreeModel.h"
#include "tagFileItem.h"
#include "tagPointItem.h"
#include "textureColumn.h"
#include "textureFileItem.h"

[[maybe_unused]] static int OK, ERROR, File, print, POLYGONS, STRING;
