#include "ColourBarCombo.h"

#include <QAbstractItemView>
#include <QImage>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTransform>

#include <algorithm>

namespace {

// Bars are tall; lying down, low values on the left, they read at icon size.
const QSize barIconSize(32, 10);

}  // namespace

ColourBarCombo::ColourBarCombo(QWidget* parent) : QComboBox(parent)
{
    // The box takes the width the panel gives it instead of asking for the
    // width of the longest path.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
    setIconSize(barIconSize);
    view()->setTextElideMode(Qt::ElideLeft);
}

void ColourBarCombo::addColourBar(const QString& path)
{
    const int row = count();
    addItem(path);
    setItemData(row, path, Qt::ToolTipRole);
    const QImage bar(path);
    if (bar.isNull())
        return;
    const QImage lying = bar.transformed(QTransform().rotate(90));
    setItemIcon(row, QPixmap::fromImage(lying.scaled(barIconSize, Qt::IgnoreAspectRatio,
                                                     Qt::SmoothTransformation)));
}

QString ColourBarCombo::displayedText() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                          QStyle::SC_ComboBoxEditField, this);
    if (!option.currentIcon.isNull())
        field.setLeft(field.left() + option.iconSize.width() + 4);
    // The label is drawn one pixel in on either side.
    return fontMetrics().elidedText(option.currentText, Qt::ElideLeft, field.width() - 2);
}

void ColourBarCombo::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = displayedText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void ColourBarCombo::showPopup()
{
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, fontMetrics().horizontalAdvance(itemText(i)));
    // Room for the icon, the item's margins and a scroll bar.
    const int margins = iconSize().width() + 4 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) +
                        style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
    view()->setMinimumWidth(widest + margins);
    QComboBox::showPopup();
}
