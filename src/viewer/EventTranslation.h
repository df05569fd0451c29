#pragma once
// Qt input events in Coin's terms: positions in Coin's bottom-left frame of
// framebuffer pixels, modifiers, buttons and keys. Presses and releases (and
// the wheel's steps) share one button path, key presses and releases one key path.

#include <Inventor/SbVec2s.h>
#include <Inventor/events/SoMouseButtonEvent.h>

#include <QPointF>
#include <Qt>

class QWidget;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;
class SoKeyboardEvent;
class SoLocation2Event;

namespace gyroview {

// The widget's framebuffer in device pixels: at least one pixel each way and
// no more than Coin's short coordinates hold.
SbVec2s framebufferSize(const QWidget* widget);

// A press (or double click) or release; false for buttons Coin has no name for.
bool translateButton(const QWidget* widget, const QMouseEvent* event, SoMouseButtonEvent& out);

// One button event at a widget position; the wheel's steps come this way too.
void translateButton(const QWidget* widget, const QPointF& pos, Qt::KeyboardModifiers mods,
                     SoMouseButtonEvent::Button button, SoButtonEvent::State state, SoMouseButtonEvent& out);

void translateMove(const QWidget* widget, const QMouseEvent* event, SoLocation2Event& out);

// Whole wheel steps, positive away from the user, at most ten either way;
// a partial step counts as one.
int wheelSteps(const QWheelEvent* event);

// A key press or release at the cursor; false for keys Coin has no name for
// and for auto-repeats.
bool translateKey(const QWidget* widget, const QKeyEvent* event, SoKeyboardEvent& out);

}  // namespace gyroview
