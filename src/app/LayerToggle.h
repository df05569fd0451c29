// Ticks the layer check boxes of the resource tree without the rest of a
// click: a press on a check box neither selects the row nor reaches the
// item as a selection, so ticking never changes the selected row or the
// surface that receives the next statistics file.
#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QRect>

class QStyledItemDelegate;
class QTreeView;

class LayerToggle : public QObject
{
    Q_OBJECT

public:
    // Watches the view's viewport; owned by the view.
    explicit LayerToggle(QTreeView* view);

    // Where the check box of `index` is drawn, in viewport pixels; empty for
    // rows without one.
    QRect checkBoxRect(const QModelIndex& index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QModelIndex checkBoxAt(const QPoint& position) const;

    QTreeView* view;
    QObject* viewport = nullptr;
    // Lays out a row's option as the view's own delegate does.
    QStyledItemDelegate* layout;
    QPersistentModelIndex pressed;
};
