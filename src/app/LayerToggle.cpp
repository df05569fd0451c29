#include "LayerToggle.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace {

// The view lays out a row's parts through its delegate; the same option
// gives the same check-box rectangle as the one drawn.
class OptionDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::initStyleOption;
};

}  // namespace

LayerToggle::LayerToggle(QTreeView* view)
    : QObject(view), view(view), layout(new OptionDelegate)
{
    layout->setParent(this);
    viewport = view->viewport();
    viewport->installEventFilter(this);
}

QRect LayerToggle::checkBoxRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.column() != 0 ||
        !(index.flags() & Qt::ItemIsUserCheckable))
        return QRect();
    QStyleOptionViewItem option;
    option.initFrom(view->viewport());
    option.rect = view->visualRect(index);
    option.font = view->font();
    const int small = view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
    option.decorationSize = view->iconSize().isValid() ? view->iconSize() : QSize(small, small);
    option.showDecorationSelected = true;
    static_cast<OptionDelegate*>(layout)->initStyleOption(&option, index);
    return view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
}

QModelIndex LayerToggle::checkBoxAt(const QPoint& position) const
{
    const QModelIndex index = view->indexAt(position);
    const QRect box = checkBoxRect(index.siblingAtColumn(0));
    return box.contains(position) ? index.siblingAtColumn(0) : QModelIndex();
}

bool LayerToggle::eventFilter(QObject* watched, QEvent* event)
{
    // Compared with the viewport as it was: while the view is destroyed its
    // children still get events, and it is no scroll area any more.
    if (watched != viewport)
        return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QModelIndex index = checkBoxAt(mouse->position().toPoint());
    if (type != QEvent::MouseButtonRelease) {
        if (!index.isValid())
            return false;
        pressed = index;
        return true;
    }
    // The release ends a press the view never saw: the view must not see it either.
    if (!pressed.isValid())
        return false;
    const QModelIndex started = pressed;
    pressed = QPersistentModelIndex();
    if (index == started) {
        const bool shown = index.data(Qt::CheckStateRole).value<Qt::CheckState>() != Qt::Unchecked;
        view->model()->setData(index, shown ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    return true;
}
