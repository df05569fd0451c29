#include "textureColumn.h"

#include "ColourBarStore.h"
#include "RowIcons.h"
#include "textureFileItem.h"
#include "zelVertstatsFile.h"

#include <Inventor/nodes/SoComplexity.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTextureCoordinateBinding.h>

#include <QFile>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFrame>

#include <cmath>
#include <iostream>

namespace {

// Where values below the lower limit, and values with no defined place on
// the bar, land: just inside the bar's bottom end.
constexpr float belowRange = 0.01f;

// Wide enough for anything format 'g', precision 6 gives a float, with a
// character to spare for the frame styles draw inside the field.
int limitFieldWidth(QLineEdit* field)
{
    QStyleOptionFrame option;
    option.initFrom(field);
    option.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field);
    const QMargins margins = field->textMargins();
    // QLineEdit keeps two pixels free on either side, and one for the cursor.
    const int text = field->fontMetrics().horizontalAdvance(QStringLiteral("-8.88888e+888")) +
                     margins.left() + margins.right() + 2 * 2 + 1;
    return field->style()
        ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(text, field->sizeHint().height()),
                           field)
        .width();
}

}  // namespace

textureColumn::textureColumn(SoSwitch* columnSwitch, const QVector<QVariant>& data,
                             ResourceForm* form, TreeItem* parent,
                             const ColourBarList& colourBars)
    : TreeItem(data, form, parent), columnSwitch(columnSwitch)
{
    lowerLimit = 0.0f;
    upperLimit = 0.0f;

    group = new SoGroup;
    // Our reference keeps the nodes alive with the item, switch or not.
    group->ref();
    if (columnSwitch)
        columnSwitch->addChild(group);

    complexity = new SoComplexity;
    complexity->textureQuality = 1.0f;
    group->addChild(complexity);

    texture = new SoTexture2;
    texture->wrapS = SoTexture2::CLAMP;
    texture->wrapT = SoTexture2::CLAMP;
    group->addChild(texture);

    textureCoords = new SoTextureCoordinate2;
    group->addChild(textureCoords);

    coordinateBinding = new SoTextureCoordinateBinding;
    coordinateBinding->value = SoTextureCoordinateBinding::PER_VERTEX_INDEXED;
    group->addChild(coordinateBinding);

    fillTextureVector(colourBars);

    propFormAvailable = true;
    propFormShown = false;
}

textureColumn::~textureColumn()
{
    destroyForm();
    group->unref();
}

void textureColumn::setVertexCount(int count)
{
    vertexCount = count;
}

int textureColumn::getVertexCount() const
{
    return vertexCount;
}

void textureColumn::fillTextureVector(const ColourBarList& list)
{
    std::cout << "USING TEXTUREDIR: " << list.directory.toLocal8Bit().constData() << std::endl;
    for (const QString& path : list.bars)
        std::cout << path.toLocal8Bit().constData() << std::endl;
    colourBars = list.bars;
}

bool textureColumn::loadTextureColumn(zelVertstatsFile* file, const QString& name, int index)
{
    setData(0, name);
    bool found = false;
    values.clear();
    if (file) {
        try {
            values = file->getDataColumn(static_cast<std::int32_t>(index));
            found = true;
        } catch (const zelVertstatsFile::InvalidColumnError&) {
            std::cerr << "Warning: statistics column " << index << " ("
                      << name.toLocal8Bit().constData() << ") does not exist" << std::endl;
        }
    }

    // The range of the finite values: a missing value (NaN) or an infinity
    // would otherwise become a limit and leave no value a place on the bar.
    bool first = true;
    float lower = 0.0f, upper = 0.0f;
    for (float v : values) {
        if (!std::isfinite(v))
            continue;
        if (first) {
            lower = upper = v;
            first = false;
        } else if (v > upper) {
            upper = v;
        } else if (v < lower) {
            lower = v;
        }
    }
    scaleTexture(lower, upper);
    return found;
}

float textureColumn::textureCoordinate(float value, float lower, float upper)
{
    const float t = (value - lower) / (upper - lower);
    if (t < 0.0f)
        return belowRange;
    if (t > 1.0f)
        return 1.0f;
    // NaN (a missing value, or a value equal to equal limits) has no place.
    if (!(t >= 0.0f))
        return belowRange;
    return t;
}

void textureColumn::scaleTexture(float lower, float upper)
{
    lowerLimit = lower;
    upperLimit = upper;

    // Coin reads one coordinate per surface vertex: vertices beyond the
    // column's values get the below-range coordinate rather than nothing.
    const std::size_t count = values.size();
    std::size_t total = count;
    if (vertexCount > 0 && static_cast<std::size_t>(vertexCount) > total)
        total = static_cast<std::size_t>(vertexCount);

    // One edit of the whole field: a single notification, not one per vertex.
    textureCoords->point.setNum(static_cast<int>(total));
    if (total == 0)
        return;
    SbVec2f* points = textureCoords->point.startEditing();
    for (std::size_t i = 0; i < count; ++i)
        points[i].setValue(0.5f, textureCoordinate(values[i], lower, upper));
    for (std::size_t i = count; i < total; ++i)
        points[i].setValue(0.5f, belowRange);
    textureCoords->point.finishEditing();
}

void textureColumn::upperValueChanged()
{
    if (!propFormShown)
        return;
    // Text that is no number counts as 0; the field then shows what is used.
    upperLimit = props.upperLimit->text().toFloat();
    props.upperLimit->setText(QString::number(upperLimit, 'g', 6));
    scaleTexture(lowerLimit, upperLimit);
    showLegend();
}

void textureColumn::lowerValueChanged()
{
    if (!propFormShown)
        return;
    lowerLimit = props.lowerLimit->text().toFloat();
    props.lowerLimit->setText(QString::number(lowerLimit, 'g', 6));
    scaleTexture(lowerLimit, upperLimit);
    showLegend();
}

void textureColumn::showLegend()
{
    if (!propFormShown)
        return;
    // The box reads like a colour-bar legend, the larger value on top: with
    // the limits reversed the lower limit's field goes up and the preview
    // turns over, so each field stays beside the colour its value gets.
    const bool reversed = lowerLimit > upperLimit;
    QLineEdit* top = reversed ? props.lowerLimit : props.upperLimit;
    QLineEdit* bottom = reversed ? props.upperLimit : props.lowerLimit;
    if (props.verticalLayout->indexOf(top) != 0) {
        props.verticalLayout->removeWidget(top);
        props.verticalLayout->removeWidget(bottom);
        props.verticalLayout->insertWidget(0, top);
        props.verticalLayout->addWidget(bottom);
        QWidget::setTabOrder(top, bottom);
    }

    const QImage image = currentBar >= 0 && currentBar < colourBars.size()
                             ? QImage(colourBars.at(currentBar))
                             : QImage();
    if (image.isNull())
        props.imageLabel->clear();
    else
        props.imageLabel->setPixmap(QPixmap::fromImage(reversed ? image.mirrored(false, true)
                                                                 : image));
}

void textureColumn::newTextureSelected(int index)
{
    // No such bar: the texture keeps the one it has.
    if (index < 0 || index >= colourBars.size()) {
        showLegend();
        return;
    }
    currentBar = index;
    texture->filename.setValue(QFile::encodeName(colourBars.at(index)).constData());
    showLegend();
}

void textureColumn::setPickInfo(int index)
{
    // A vertex the column has no value for shows nothing.
    if (index >= 0 && static_cast<std::size_t>(index) < values.size())
        setData(1, QString::number(values[static_cast<std::size_t>(index)], 'g', 6));
    else
        setData(1, QString());
    std::cout << "in textureColumn" << std::endl;
}

void textureColumn::wasSelected()
{
    // The file row decides for all the files of the surface, which must
    // stop drawing theirs.
    if (auto* file = dynamic_cast<textureFileItem*>(parent()))
        file->showColumn(childNumber());
    else if (columnSwitch)
        columnSwitch->whichChild = childNumber();
}

QWidget* textureColumn::createForm()
{
    if (propFormShown)
        return propFormWidget;
    propFormWidget = new QWidget(nullptr);
    props.setupUi(propFormWidget);
    propFormShown = true;

    props.lowerLimit->setText(QString::number(lowerLimit, 'g', 6));
    props.upperLimit->setText(QString::number(upperLimit, 'g', 6));
    for (QLineEdit* field : {props.lowerLimit, props.upperLimit})
        field->setFixedWidth(limitFieldWidth(field));
    props.imageLabel->setBackgroundRole(QPalette::Base);
    props.imageLabel->setScaledContents(true);
    // Filled before connecting: adding the first entry changes the current
    // index, which must not reach the column twice.
    for (const QString& path : std::as_const(colourBars))
        props.textureCombo->addColourBar(path);
    // The bar chosen before, or the first one the first time.
    const int bar = currentBar >= 0 && currentBar < colourBars.size() ? currentBar : 0;
    props.textureCombo->setCurrentIndex(bar);

    connect(props.upperLimit, &QLineEdit::editingFinished, this,
            &textureColumn::upperValueChanged);
    connect(props.lowerLimit, &QLineEdit::editingFinished, this,
            &textureColumn::lowerValueChanged);
    connect(props.textureCombo, &QComboBox::currentIndexChanged, this,
            &textureColumn::newTextureSelected);

    newTextureSelected(bar);
    return propFormWidget;
}

void textureColumn::destroyForm()
{
    if (!propFormShown)
        return;
    // Cleared first: a limit field losing focus while it is deleted must not
    // reach the slots, which read the fields.
    QWidget* widget = propFormWidget;
    propFormWidget = nullptr;
    propFormShown = false;
    delete widget;
}

float textureColumn::getLowerLimit() const
{
    return lowerLimit;
}

float textureColumn::getUpperLimit() const
{
    return upperLimit;
}

const std::vector<float>& textureColumn::getValues() const
{
    return values;
}

QStringList textureColumn::getColourBars() const
{
    return colourBars;
}

SoGroup* textureColumn::getGroup() const
{
    return group;
}

SoTexture2* textureColumn::getTexture() const
{
    return texture;
}

SoTextureCoordinate2* textureColumn::getTextureCoordinates() const
{
    return textureCoords;
}

Ui_textureProps* textureColumn::getProps()
{
    return propFormShown ? &props : nullptr;
}

QIcon textureColumn::icon() const
{
    return RowIcons::column();
}

QString textureColumn::toolTip() const
{
    const auto* file = dynamic_cast<const textureFileItem*>(parentLink);
    const int count = parentLink ? parentLink->childCount() : 0;
    QString tip = tr("Column %1 of %2: %3").arg(childNumber() + 1).arg(count).arg(data(0).toString());
    if (file)
        tip += "\n" + file->getFilePath();
    return tip + "\n" + tr("%1 values").arg(values.size());
}
