#include "legend.h"

#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/elements/SoViewportRegionElement.h>
#include <Inventor/nodes/SoCallback.h>
#include <Inventor/nodes/SoDepthBuffer.h>
#include <Inventor/nodes/SoImage.h>
#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gyroscene {

namespace {

constexpr int padding = 8;
constexpr int barWidth = 18;
constexpr int barHeight = 180;
constexpr int labelGap = 6;
// Column names beyond this are cut, so a long name cannot cover the view.
constexpr int maxTitleWidth = 220;

const QColor panelColour(38, 38, 38);
const QColor frameColour(96, 96, 96);
const QColor textColour(235, 235, 235);

QString number(float value)
{
    return QString::number(value, 'g', 6);
}

bool reversed(const legend_content& content)
{
    return content.lower > content.upper;
}

// The value at the top of the drawn bar and the one at its bottom.
float topValue(const legend_content& content)
{
    return reversed(content) ? content.lower : content.upper;
}
float bottomValue(const legend_content& content)
{
    return reversed(content) ? content.upper : content.lower;
}

QString thresholdText(const legend_content& content)
{
    return QStringLiteral("|value| < %1: no colour").arg(number(content.threshold));
}

QFont titleFont()
{
    QFont font;
    font.setBold(true);
    return font;
}

// Position camera and corner for a viewport; the nodes stand where
// make_legend put them.
void place(SoSeparator* legend, SbVec2s viewport, SbVec2s imageSize)
{
    const float w = std::max<short>(viewport[0], 1);
    const float h = std::max<short>(viewport[1], 1);
    auto* camera = static_cast<SoOrthographicCamera*>(legend->getChild(1));
    // One unit per pixel, the origin at the viewport's bottom left corner.
    const SbVec3f position(w / 2, h / 2, 1);
    // A quarter pixel in: whether GL truncates the image's raster position or
    // starts at the first pixel centre inside it, both give the same pixel,
    // where float rounding (11.99998) would otherwise cost a row.
    const SbVec3f offset(w - legend_margin - imageSize[0] + 0.25f, legend_margin + 0.25f, 0);
    auto* corner = static_cast<SoTranslation*>(legend->getChild(4));
    // Unchanged values are not written: each write would ask for a redraw.
    if (camera->position.getValue() != position)
        camera->position = position;
    if (camera->height.getValue() != h)
        camera->height = h;
    if (camera->aspectRatio.getValue() != w / h)
        camera->aspectRatio = w / h;
    if (corner->translation.getValue() != offset)
        corner->translation = offset;
}

SbVec2s imageSize(SoSeparator* legend)
{
    SbVec2s size;
    int components = 0;
    static_cast<SoImage*>(legend->getChild(5))->image.getValue(size, components);
    return size;
}

// Whatever size the frame has (a window, a screenshot larger than the
// window), the legend keeps its corner and its pixels.
void followViewport(void* data, SoAction* action)
{
    if (!action->isOfType(SoGLRenderAction::getClassTypeId()))
        return;
    auto* legend = static_cast<SoSeparator*>(data);
    const SbVec2s viewport =
        SoViewportRegionElement::get(action->getState()).getViewportSizePixels();
    // Placed while being drawn: nothing else must hear of it.
    const SbBool notifying = legend->enableNotify(FALSE);
    place(legend, viewport, imageSize(legend));
    legend->enableNotify(notifying);
}

}  // namespace

legend_layout layout_legend(const legend_content& content)
{
    const QFontMetrics title(titleFont());
    const QFontMetrics text{QFont()};
    // The whole name's width rounded up: Qt's whole-pixel advance can fall
    // short of the drawn text, which then came out cut ("smoo...").
    const int titleWidth = std::min(
        int(std::ceil(QFontMetricsF(titleFont()).horizontalAdvance(content.name))) + 1, maxTitleWidth);
    const int labels = std::max(text.horizontalAdvance(number(topValue(content))),
                                text.horizontalAdvance(number(bottomValue(content))));
    int width = std::max(titleWidth, barWidth + labelGap + labels);
    int height = title.height() + labelGap + text.height() / 2 + barHeight + text.height() / 2;
    if (content.threshold > 0) {
        width = std::max(width, text.horizontalAdvance(thresholdText(content)));
        height += labelGap + text.height();
    }
    legend_layout layout;
    layout.width = width + 2 * padding;
    layout.height = height + 2 * padding;
    layout.bar_left = padding;
    layout.bar_top = padding + title.height() + labelGap + text.height() / 2;
    layout.bar_width = barWidth;
    layout.bar_height = barHeight;
    return layout;
}

QImage legend_image(const legend_content& content, int scale)
{
    scale = std::clamp(scale, 1, 16);
    const legend_layout layout = layout_legend(content);
    QImage image(layout.width * scale, layout.height * scale, QImage::Format_RGB32);
    image.fill(panelColour);
    QPainter painter(&image);
    // Drawn at the legend's own size through a scale, so that text and
    // lines are drawn afresh at the picture's resolution, not enlarged.
    painter.scale(scale, scale);
    painter.setPen(frameColour);
    painter.drawRect(0, 0, layout.width - 1, layout.height - 1);

    const QFont titleFace = titleFont();
    const QFontMetrics title(titleFace);
    const QFontMetrics text{QFont()};
    painter.setPen(textColour);
    painter.setFont(titleFace);
    painter.drawText(padding, padding + title.ascent(),
                     title.elidedText(content.name, Qt::ElideRight, maxTitleWidth));

    const QRect bar(layout.bar_left, layout.bar_top, layout.bar_width, layout.bar_height);
    if (!content.bar.isNull()) {
        // The column samples the middle of the bar; so does the legend.
        QImage middle = content.bar.copy(content.bar.width() / 2, 0, 1, content.bar.height());
        if (reversed(content))
            middle = middle.mirrored(false, true);
        painter.drawImage(bar, middle.scaled(bar.size(), Qt::IgnoreAspectRatio,
                                             Qt::SmoothTransformation));
    }

    const float top = topValue(content), bottom = bottomValue(content);
    if (content.threshold > 0 && top > bottom) {
        // The part of the range that shows the surface instead.
        const auto y = [&](float v) {
            const float fromTop = std::clamp((top - v) / (top - bottom), 0.0f, 1.0f);
            return bar.top() + int(std::lround(fromTop * bar.height()));
        };
        const int upperEdge = y(content.threshold), lowerEdge = y(-content.threshold);
        if (lowerEdge > upperEdge)
            painter.fillRect(QRect(bar.left(), upperEdge, bar.width(), lowerEdge - upperEdge),
                             content.underneath);
    }

    painter.setFont(QFont());
    const int labelLeft = bar.right() + 1 + labelGap;
    painter.drawText(labelLeft, bar.top() - text.height() / 2 + text.ascent(), number(top));
    painter.drawText(labelLeft, bar.bottom() + 1 - text.height() / 2 + text.ascent(), number(bottom));
    if (content.threshold > 0)
        painter.drawText(padding, bar.bottom() + 1 + text.height() / 2 + labelGap + text.ascent(),
                         thresholdText(content));
    painter.end();
    return image;
}

SoSeparator* make_legend(const legend_content& content, SbVec2s viewport, int scale)
{
    const QImage picture = legend_image(content, scale).convertToFormat(QImage::Format_RGBA8888);

    auto* legend = new SoSeparator;
    legend->ref();
    // Placed afresh on every frame, so never drawn from a cache.
    legend->renderCaching = SoSeparator::OFF;
    auto* follow = new SoCallback;
    follow->setCallback(followViewport, legend);
    legend->addChild(follow);
    auto* camera = new SoOrthographicCamera;
    camera->viewportMapping = SoCamera::LEAVE_ALONE;
    camera->nearDistance = 0.5f;
    camera->farDistance = 1.5f;
    legend->addChild(camera);

    // Unlit and on top of the scene, whatever its depth.
    auto* light = new SoLightModel;
    light->model = SoLightModel::BASE_COLOR;
    legend->addChild(light);
    auto* depth = new SoDepthBuffer;
    depth->test = FALSE;
    depth->write = FALSE;
    legend->addChild(depth);

    legend->addChild(new SoTranslation);

    auto* image = new SoImage;
    image->horAlignment = SoImage::LEFT;
    image->vertAlignment = SoImage::BOTTOM;
    // Coin's images run bottom row first.
    const QImage rows = picture.mirrored(false, true);
    const SbVec2s size(short(rows.width()), short(rows.height()));
    image->image.setValue(size, 4, nullptr);
    SbVec2s ignored;
    int components = 0;
    unsigned char* pixels = image->image.startEditing(ignored, components);
    for (int y = 0; y < rows.height(); ++y)
        std::memcpy(pixels + std::size_t(y) * rows.width() * 4, rows.constScanLine(y),
                    std::size_t(rows.width()) * 4);
    image->image.finishEditing();
    legend->addChild(image);

    place(legend, viewport, size);
    return legend;
}

void place_legend(SoSeparator* legend, SbVec2s viewport)
{
    if (!legend || legend->getNumChildren() < 6)
        return;
    place(legend, viewport, imageSize(legend));
}

}  // namespace gyroscene
