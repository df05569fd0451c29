#include "EventTranslation.h"

#include <Inventor/SbTime.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/events/SoLocation2Event.h>

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace gyroview {

namespace {

// Coin's coordinates are shorts.
constexpr int maxCoinCoordinate = 32767;

int devicePixels(int logical, qreal ratio)
{
    return std::max(1, static_cast<int>(logical * ratio + 0.5));
}

// Qt widget position to Coin's bottom-left origin, inside the framebuffer.
SbVec2s toCoin(const QWidget* widget, const QPointF& pos)
{
    const qreal ratio = widget->devicePixelRatioF();
    const SbVec2s size = framebufferSize(widget);
    const int h = devicePixels(widget->height(), ratio);
    const int x = std::clamp(static_cast<int>(pos.x() * ratio), 0, size[0] - 1);
    const int y = std::clamp(h - 1 - static_cast<int>(pos.y() * ratio), 0, size[1] - 1);
    return SbVec2s(static_cast<short>(x), static_cast<short>(y));
}

void setCommon(SoEvent& event, const QWidget* widget, const QPointF& pos, Qt::KeyboardModifiers mods)
{
    event.setTime(SbTime::getTimeOfDay());
    event.setPosition(toCoin(widget, pos));
    event.setShiftDown(mods.testFlag(Qt::ShiftModifier));
    event.setCtrlDown(mods.testFlag(Qt::ControlModifier));
    event.setAltDown(mods.testFlag(Qt::AltModifier));
}

bool toCoinButton(Qt::MouseButton button, SoMouseButtonEvent::Button& out)
{
    switch (button) {
    case Qt::LeftButton: out = SoMouseButtonEvent::BUTTON1; return true;
    case Qt::RightButton: out = SoMouseButtonEvent::BUTTON2; return true;
    case Qt::MiddleButton: out = SoMouseButtonEvent::BUTTON3; return true;
    default: return false;
    }
}

SoKeyboardEvent::Key toCoinKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<SoKeyboardEvent::Key>(SoKeyboardEvent::A + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<SoKeyboardEvent::Key>(SoKeyboardEvent::NUMBER_0 + (key - Qt::Key_0));
    switch (key) {
    case Qt::Key_Shift: return SoKeyboardEvent::LEFT_SHIFT;
    case Qt::Key_Control: return SoKeyboardEvent::LEFT_CONTROL;
    case Qt::Key_Alt: return SoKeyboardEvent::LEFT_ALT;
    case Qt::Key_Escape: return SoKeyboardEvent::ESCAPE;
    case Qt::Key_Space: return SoKeyboardEvent::SPACE;
    case Qt::Key_Return: return SoKeyboardEvent::RETURN;
    case Qt::Key_Enter: return SoKeyboardEvent::PAD_ENTER;
    case Qt::Key_Left: return SoKeyboardEvent::LEFT_ARROW;
    case Qt::Key_Right: return SoKeyboardEvent::RIGHT_ARROW;
    case Qt::Key_Up: return SoKeyboardEvent::UP_ARROW;
    case Qt::Key_Down: return SoKeyboardEvent::DOWN_ARROW;
    case Qt::Key_Home: return SoKeyboardEvent::HOME;
    case Qt::Key_End: return SoKeyboardEvent::END;
    case Qt::Key_PageUp: return SoKeyboardEvent::PAGE_UP;
    case Qt::Key_PageDown: return SoKeyboardEvent::PAGE_DOWN;
    default: return SoKeyboardEvent::UNDEFINED;
    }
}

}  // namespace

SbVec2s framebufferSize(const QWidget* widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    const int w = std::min(devicePixels(widget->width(), ratio), maxCoinCoordinate);
    const int h = std::min(devicePixels(widget->height(), ratio), maxCoinCoordinate);
    return SbVec2s(static_cast<short>(w), static_cast<short>(h));
}

bool translateButton(const QWidget* widget, const QMouseEvent* event, SoMouseButtonEvent& out)
{
    SoMouseButtonEvent::Button button;
    if (!toCoinButton(event->button(), button))
        return false;
    const auto state = event->type() == QEvent::MouseButtonRelease ? SoButtonEvent::UP : SoButtonEvent::DOWN;
    translateButton(widget, event->position(), event->modifiers(), button, state, out);
    return true;
}

void translateButton(const QWidget* widget, const QPointF& pos, Qt::KeyboardModifiers mods,
                     SoMouseButtonEvent::Button button, SoButtonEvent::State state, SoMouseButtonEvent& out)
{
    setCommon(out, widget, pos, mods);
    out.setButton(button);
    out.setState(state);
}

void translateMove(const QWidget* widget, const QMouseEvent* event, SoLocation2Event& out)
{
    setCommon(out, widget, event->position(), event->modifiers());
}

int wheelSteps(const QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return 0;
    const int steps = std::min(std::max(1, std::abs(delta) / 120), 10);
    return delta > 0 ? steps : -steps;
}

bool translateKey(const QWidget* widget, const QKeyEvent* event, SoKeyboardEvent& out)
{
    const SoKeyboardEvent::Key key = toCoinKey(event->key());
    if (key == SoKeyboardEvent::UNDEFINED || event->isAutoRepeat())
        return false;
    setCommon(out, widget, widget->mapFromGlobal(QCursor::pos()), event->modifiers());
    out.setKey(key);
    out.setState(event->type() == QEvent::KeyRelease ? SoButtonEvent::UP : SoButtonEvent::DOWN);
    return true;
}

}  // namespace gyroview
