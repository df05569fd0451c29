#include "textureColumn.h"

#include "column_paint.h"

#include "BrainQuarter.h"
#include "ColourBarStore.h"
#include "RowIcons.h"
#include "SceneDocument.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "column_colouring.h"
#include "column_threshold.h"
#include "textureFileItem.h"
#include "zelVertstatsFile.h"

#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFrame>

#include <cmath>
#include <iostream>

namespace {

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
    const gyroscene::column_nodes nodes = gyroscene::make_column_nodes();
    // Our reference keeps the nodes alive with the item, switch or not.
    group = nodes.group;
    complexity = nodes.complexity;
    texture = nodes.texture;
    textureCoords = nodes.coordinates;
    coordinateBinding = nodes.binding;
    if (columnSwitch)
        columnSwitch->addChild(group);

    fillTextureVector(colourBars);

    // Thresholded vertices follow the surface's colour and underlay.
    if (GeometryNode* surface = findSurface())
        connect(surface, &GeometryNode::underneathChanged, this, &textureColumn::underneathChanged);

    propFormAvailable = true;
    propFormShown = false;
}

textureColumn::~textureColumn()
{
    if (legendViewer)
        legendViewer->removeLegend(this);
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
    // The maps follow the directory's bars, unlisted in the log; a directory
    // without bars keeps its empty list.
    offered = list.bars.isEmpty() ? list.bars : list.bars + list.maps;
}

bool textureColumn::loadTextureColumn(zelVertstatsFile* file, const QString& name, int index)
{
    std::vector<float> column;
    bool found = false;
    if (file) {
        try {
            column = file->getDataColumn(static_cast<std::int32_t>(index));
            found = true;
        } catch (const zelVertstatsFile::InvalidColumnError&) {
            // The file's row tells it, with the load's other warnings.
        }
    }
    loadTextureColumn(std::move(column), name);
    return found;
}

void textureColumn::loadTextureColumn(std::vector<float> columnValues, const QString& name)
{
    loadTextureColumn(std::make_shared<const std::vector<float>>(std::move(columnValues)), name);
}

void textureColumn::loadTextureColumn(std::shared_ptr<const std::vector<float>> columnValues,
                                      const QString& name)
{
    setData(0, name);
    values = columnValues ? std::move(columnValues) : std::make_shared<const std::vector<float>>();
    const gyroscene::value_range range = gyroscene::finite_range(*values);
    rangeLower = range.lower;
    rangeUpper = range.upper;
    // A column on its own is a statistics file of one column in its own
    // document; a file's columns are attached by their file.
    if (!parentLink && fileId < 0) {
        SceneDocument* doc = document();
        attach(doc->addStatistics(doc->addSurface(QString()), QString()));
        return;
    }
    if (fileId >= 0)
        applyLook(fileId, data(0).toString());
}

void textureColumn::setCoordinatesWhenDrawn(bool onlyWhenDrawn)
{
    coordinatesWhenDrawn = onlyWhenDrawn;
}

void textureColumn::setDrawn(bool nowDrawn)
{
    if (nowDrawn == drawn)
        return;
    drawn = nowDrawn;
    if (!coordinatesWhenDrawn)
        return;
    if (drawn) {
        if (coordinatesStale)
            fillCoordinates();
        return;
    }
    // Emptying the field frees its values.
    textureCoords->point.setNum(0);
    painter.forgetCoordinates();
    coordinatesStale = true;
}

void textureColumn::attach(int file)
{
    fileId = file;
    SceneDocument* doc = document();
    if (fileId < 0)
        return;
    connect(doc, &SceneDocument::columnChanged, this, &textureColumn::applyLook);
    // A file draws the column it is told to; a column on its own draws
    // itself when it is chosen.
    if (!parentLink)
        connect(doc, &SceneDocument::colouringChanged, this, [this, doc](int surface) {
            if (doc->colouringFile(surface) != fileId ||
                doc->colouringColumn(surface) != data(0).toString())
                return;
            if (columnSwitch)
                columnSwitch->whichChild = childNumber();
            setLegendShown(true);
        });
    applyLook(fileId, data(0).toString());
}

gyroscene::column_state textureColumn::look() const
{
    gyroscene::column_state look = document()->column(fileId, data(0).toString());
    if (!look.limits)
        look.limits = std::make_pair(rangeLower, rangeUpper);
    return look;
}

int textureColumn::currentBar() const
{
    const QString name = look().colour_bar;
    return name.isEmpty() ? 0 : barIndex(name);
}

int textureColumn::barIndex(const QString& name) const
{
    for (int i = 0; i < offered.size(); ++i)
        if (QFileInfo(offered.at(i)).baseName() == name)
            return i;
    return 0;
}

void textureColumn::applyLook(int file, const QString& column)
{
    if (file != fileId || column != data(0).toString())
        return;
    applyTexture();
    fillCoordinates();
    showState();
    refreshViewLegend();
}

void textureColumn::showState()
{
    if (!propFormShown)
        return;
    const gyroscene::column_state now = look();
    props.lowerLimit->setText(QString::number(now.limits->first, 'g', 6));
    props.upperLimit->setText(QString::number(now.limits->second, 'g', 6));
    if (thresholdField)
        thresholdField->setText(QString::number(now.threshold, 'g', 6));
    const int bar = currentBar();
    if (props.textureCombo->currentIndex() != bar && bar < props.textureCombo->count()) {
        const QSignalBlocker quiet(props.textureCombo);
        props.textureCombo->setCurrentIndex(bar);
    }
    showLegend();
}

void textureColumn::changeLimits(float lower, float upper)
{
    document()->setColumnLimits(fileId, data(0).toString(), lower, upper);
    // Unchanged numbers still show as they are used.
    showState();
}

void textureColumn::changeThreshold(float newThreshold)
{
    const float t = std::isfinite(newThreshold) ? std::fabs(newThreshold) : 0.0f;
    document()->setColumnThreshold(fileId, data(0).toString(), t);
    showState();
}

void textureColumn::changeBar(int bar)
{
    document()->setColumnBar(fileId, data(0).toString(), QFileInfo(offered.at(bar)).baseName());
    showState();
}

float textureColumn::textureCoordinate(float value, float lower, float upper)
{
    return gyroscene::texture_coordinate(value, lower, upper);
}

void textureColumn::scaleTexture(float lower, float upper)
{
    changeLimits(lower, upper);
}

void textureColumn::fillCoordinates()
{
    coordinatesStale = coordinatesWhenDrawn && !drawn;
    if (coordinatesStale || fileId < 0)
        return;
    const gyroscene::column_state now = look();
    // Coin reads one coordinate per surface vertex: vertices beyond the
    // column's values get the below-range coordinate rather than nothing.
    const GeometryNode* surface = findSurface();
    gyroscene::column_paint paint{QString(), now.limits->first, now.limits->second, now.threshold};
    paint.missing = painter.missing(values);
    painter.paintCoordinates(columnNodes(), values, vertexCount, paint,
                             surface ? surface->underlayShades() : nullptr,
                             surface ? int(surface->underneathColours().size()) : 1,
                             surface ? &surface->surfaceNodes() : nullptr);
}

void textureColumn::applyTexture()
{
    const int bar = currentBar();
    if (fileId < 0 || bar < 0 || bar >= offered.size())
        return;
    const gyroscene::column_state now = look();
    const GeometryNode* surface = findSurface();
    gyroscene::column_paint paint{offered.at(bar), now.limits->first, now.limits->second,
                                  now.threshold};
    paint.missing = painter.missing(values);
    painter.paintTexture(
        columnNodes(), paint,
        surface ? surface->underneathColours() : std::vector<QColor>{QColor(204, 204, 204)});
}

gyroscene::column_nodes textureColumn::columnNodes() const
{
    return {group, complexity, texture, textureCoords, coordinateBinding};
}

void textureColumn::underneathChanged()
{
    // The painter redraws only what depends on it: a threshold's band or
    // the values that are not numbers.
    applyTexture();
    fillCoordinates();
    refreshViewLegend();
}

void textureColumn::setThreshold(float newThreshold)
{
    changeThreshold(newThreshold);
}

float textureColumn::getThreshold() const
{
    return fileId < 0 ? 0.0f : look().threshold;
}

void textureColumn::makeLimitsSymmetric()
{
    const gyroscene::value_range range =
        gyroscene::symmetric_limits(getLowerLimit(), getUpperLimit());
    changeLimits(range.lower, range.upper);
}

void textureColumn::thresholdEdited()
{
    if (!propFormShown || !thresholdField)
        return;
    // As with the limits, text that is no number counts as 0: no threshold.
    changeThreshold(thresholdField->text().toFloat());
    if (thresholdField)
        thresholdField->setText(QString::number(getThreshold(), 'g', 6));
}

void textureColumn::addThresholdControls()
{
    auto* box = new QGroupBox(tr("Threshold"), propFormWidget);
    box->setObjectName("thresholdBox");
    auto* grid = new QGridLayout(box);
    thresholdField = new QLineEdit(box);
    thresholdField->setObjectName("thresholdField");
    thresholdField->setText(QString::number(getThreshold(), 'g', 6));
    thresholdField->setToolTip(tr("Vertices whose value is nearer zero than this show the surface"));
    auto* symmetric = new QPushButton(tr("Symmetric limits"), box);
    symmetric->setObjectName("symmetricButton");
    grid->addWidget(new QLabel(tr("|value| <"), box), 0, 0);
    grid->addWidget(thresholdField, 0, 1);
    grid->addWidget(symmetric, 1, 0, 1, 2);
    props.verticalLayout_2->addWidget(box);
    connect(thresholdField, &QLineEdit::editingFinished, this, &textureColumn::thresholdEdited);
    connect(symmetric, &QPushButton::clicked, this, &textureColumn::makeLimitsSymmetric);
}

GeometryNode* textureColumn::findSurface() const
{
    GeometryScene* scene = sceneRow();
    return scene ? scene->getSurface() : nullptr;
}

void textureColumn::upperValueChanged()
{
    if (!propFormShown)
        return;
    // Text that is no number counts as 0; the field then shows what is used.
    changeLimits(getLowerLimit(), props.upperLimit->text().toFloat());
}

void textureColumn::lowerValueChanged()
{
    if (!propFormShown)
        return;
    changeLimits(props.lowerLimit->text().toFloat(), getUpperLimit());
}

gyroscene::legend_content textureColumn::legendContent() const
{
    gyroscene::legend_content content;
    const int bar = currentBar();
    if (bar >= 0 && bar < offered.size())
        content.bar = QImage(offered.at(bar));
    content.lower = getLowerLimit();
    content.upper = getUpperLimit();
    content.name = data(0).toString();
    content.threshold = getThreshold();
    if (const GeometryNode* surface = findSurface()) {
        const std::vector<QColor> underneath = surface->underneathColours();
        content.underneath = underneath[underneath.size() / 2];
    }
    return content;
}

BrainQuarter* textureColumn::findViewer() const
{
    for (const TreeItem* item = this; item; item = item->parent())
        if (BrainQuarter* found = item->getViewer())
            return found;
    return nullptr;
}

void textureColumn::refreshViewLegend()
{
    if (legendViewer)
        legendViewer->updateLegend(this, legendContent());
}

void textureColumn::showLegend()
{
    if (!propFormShown)
        return;
    // The upper limit's field stays on top beside the bar's top colour and
    // the lower one below: the map follows the two numbers as they stand,
    // reversed exactly while the top number is the smaller.
    const int bar = currentBar();
    const QImage image = bar >= 0 && bar < offered.size() ? QImage(offered.at(bar)) : QImage();
    if (image.isNull())
        props.imageLabel->clear();
    else
        props.imageLabel->setPixmap(QPixmap::fromImage(image));
}

void textureColumn::newTextureSelected(int index)
{
    // No such bar: the texture keeps the one it has.
    if (index < 0 || index >= offered.size()) {
        showLegend();
        return;
    }
    changeBar(index);
}

void textureColumn::setPickInfo(int index)
{
    // A vertex the column has no value for shows nothing.
    if (index >= 0 && static_cast<std::size_t>(index) < values->size())
        setData(1, QString::number((*values)[static_cast<std::size_t>(index)], 'g', 6));
    else
        setData(1, QString());
    std::cout << "in textureColumn" << std::endl;
}

void textureColumn::wasSelected()
{
    // The file row decides for all the files of the surface, which must
    // stop drawing theirs.
    // The file also hands the legend to the column it draws.
    document()->chooseColumn(fileId, data(0).toString());
}

void textureColumn::setLegendShown(bool shown)
{
    if (!shown) {
        if (legendViewer)
            legendViewer->removeLegend(this);
        return;
    }
    // The column shown is the one the legend describes.
    legendViewer = findViewer();
    if (legendViewer)
        legendViewer->showLegend(this, legendContent());
}

QWidget* textureColumn::createForm()
{
    if (propFormShown)
        return propFormWidget;
    propFormWidget = new QWidget(nullptr);
    props.setupUi(propFormWidget);
    propFormShown = true;

    props.lowerLimit->setText(QString::number(getLowerLimit(), 'g', 6));
    props.upperLimit->setText(QString::number(getUpperLimit(), 'g', 6));
    for (QLineEdit* field : {props.lowerLimit, props.upperLimit})
        field->setFixedWidth(limitFieldWidth(field));
    props.imageLabel->setBackgroundRole(QPalette::Base);
    props.imageLabel->setScaledContents(true);
    // Filled before connecting: adding the first entry changes the current
    // index, which must not reach the column twice.
    for (const QString& path : std::as_const(offered))
        props.textureCombo->addColourBar(path);
    // The bar chosen before, or the first one the first time.
    const int bar = currentBar();
    props.textureCombo->setCurrentIndex(bar >= 0 && bar < offered.size() ? bar : 0);

    connect(props.upperLimit, &QLineEdit::editingFinished, this,
            &textureColumn::upperValueChanged);
    connect(props.lowerLimit, &QLineEdit::editingFinished, this,
            &textureColumn::lowerValueChanged);
    connect(props.textureCombo, &QComboBox::currentIndexChanged, this,
            &textureColumn::newTextureSelected);
    addThresholdControls();

    applyTexture();
    showLegend();
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
    thresholdField = nullptr;
    delete widget;
}

float textureColumn::getLowerLimit() const
{
    return fileId < 0 ? rangeLower : look().limits->first;
}

float textureColumn::getUpperLimit() const
{
    return fileId < 0 ? rangeUpper : look().limits->second;
}

const std::vector<float>& textureColumn::getValues() const
{
    return *values;
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
    // A column's row is under its file's, when it has a parent at all.
    const auto* file = static_cast<const textureFileItem*>(parentLink);
    const int count = parentLink ? parentLink->childCount() : 0;
    QString tip = tr("Column %1 of %2: %3").arg(childNumber() + 1).arg(count).arg(data(0).toString());
    if (file)
        tip += "\n" + file->getFilePath();
    return tip + "\n" + tr("%1 values").arg(values->size());
}
