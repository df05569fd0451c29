#include "figure.h"

#include "figure_plan.h"
#include "figure_scene.h"
#include "scene_camera.h"
#include "image_output.h"
#include "legend.h"
#include "view_presets.h"
#include "view_root.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoOffscreenRenderer.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoDirectionalLight.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoShapeHints.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>

#include <vector>

namespace gyrorender {

namespace {

// The angles a panel's view asks for, the named ones after the hemisphere.
gyroscene::ViewAngles panelAngles(const QString& view, gyroscene::Hemisphere hemisphere)
{
    const std::string text = view.toStdString();
    if (const auto named = gyroscene::view_from_name(text))
        return gyroscene::view_angles(*named, hemisphere);
    if (const auto angles = gyroscene::parse_view_angles(text))
        return *angles;
    return gyroscene::view_angles(gyroscene::View::Lateral, hemisphere);
}

double milliseconds(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Whether a panel as Coin drew it (RGB, 3 bytes a pixel) has any pixel
// other than the background's.
bool showsAnything(const unsigned char* rgb, const QSize& size, const QColor& background)
{
    const std::size_t pixels = std::size_t(size.width()) * std::size_t(size.height());
    const unsigned char r = static_cast<unsigned char>(background.red());
    const unsigned char g = static_cast<unsigned char>(background.green());
    const unsigned char b = static_cast<unsigned char>(background.blue());
    for (std::size_t i = 0; i < pixels; ++i, rgb += 3)
        if (rgb[0] != r || rgb[1] != g || rgb[2] != b)
            return true;
    return false;
}

// A box about `centre` as large as `size`: panels of different surfaces are
// framed by one size, so every panel has the same zoom.
SbBox3f boxOfSize(const SbVec3f& centre, const SbVec3f& size)
{
    return SbBox3f(centre - size * 0.5f, centre + size * 0.5f);
}

}  // namespace

FigureMaker::FigureMaker() = default;

FigureMaker::~FigureMaker() = default;

QImage FigureMaker::render(const FigureOptions& options, QString* error, QStringList* warnings)
{
    timings = Timings();
    QElapsedTimer clock;
    clock.start();
    FigurePlan plan;
    if (!plan_figure(options, &plan, error))
        return QImage();
    *warnings += plan.warnings;
    FigureScene scene;
    if (!scene.load(plan.scene, options.colourBarDir, plan.sharedRange, bars, error, warnings))
        return QImage();
    const QColor background = plan.scene.background;
    timings.load = milliseconds(clock);

    // The viewer's own view: two-sided lighting without culling, and a
    // headlight fixed to the eye ahead of the camera.
    SoSeparator* root = new SoSeparator;
    root->ref();
    gyroscene::add_view_root(root);
    const Projection projection =
        plan.sceneCamera ? plan.scene.camera->projection : options.projection;
    SoCamera* camera = gyroscene::make_camera(projection);
    root->addChild(camera);
    auto* content = new SoSeparator;
    root->addChild(content);

    // Columns of panels: one for all surfaces together, or one per surface.
    const bool apart =
        options.layout == Layout::Apart && scene.surfaceCount() > 1 && !plan.sceneCamera;
    const int columns = apart ? scene.surfaceCount() : 1;
    const QStringList views = options.views.isEmpty() ? QStringList{QStringLiteral("lateral")}
                                                      : options.views;
    const int panelsPerColumn = static_cast<int>(views.size());

    // What column `c` of panels shows.
    const auto showColumn = [&](int c) {
        content->removeAllChildren();
        for (int i = 0; i < scene.surfaceCount(); ++i)
            if (!apart || i == c)
                content->addChild(scene.surface(i));
        content->addChild(scene.tags());
    };
    std::vector<SbBox3f> boxes;
    SbVec3f largest(0.0f, 0.0f, 0.0f);
    for (int c = 0; c < columns; ++c) {
        showColumn(c);
        const SbBox3f box = gyroscene::scene_box(content);
        boxes.push_back(box);
        if (!box.isEmpty()) {
            const SbVec3f size = box.getMax() - box.getMin();
            for (int k = 0; k < 3; ++k)
                largest[k] = std::max(largest[k], size[k]);
        }
    }

    const QSize panel = plan.size;
    // A montage: the views side by side; surfaces apart stand in columns,
    // one row per view.
    const QSize panels = apart ? QSize(panel.width() * columns, panel.height() * panelsPerColumn)
                               : QSize(panel.width() * panelsPerColumn, panel.height());
    // A montage's legend gets a strip of its own right of the panels, where
    // it covers no surface; a single panel keeps it in its corner, as the
    // viewer does.
    const bool withLegend = plan.scene.legend && scene.column();
    const QImage legend =
        withLegend ? gyroscene::legend_image(scene.column()->legend) : QImage();
    const bool legendStrip = withLegend && panels != panel;
    const QSize whole =
        legendStrip ? QSize(panels.width() + legend.width() + 2 * gyroscene::legend_margin,
                            std::max(panels.height(), legend.height() + 2 * gyroscene::legend_margin))
                    : panels;
    QImage image(whole, QImage::Format_RGB32);
    image.fill(background);

    const SbViewportRegion region(static_cast<short>(panel.width()),
                                  static_cast<short>(panel.height()));
    if (!offscreen) {
        offscreen = std::make_unique<SoOffscreenRenderer>(region);
        offscreen->getGLRenderAction()->setTransparencyType(
            SoGLRenderAction::SORTED_OBJECT_BLEND);
    }
    offscreen->setViewportRegion(region);
    offscreen->setComponents(SoOffscreenRenderer::RGB);
    offscreen->setBackgroundColor(SbColor(static_cast<float>(background.redF()),
                                          static_cast<float>(background.greenF()),
                                          static_cast<float>(background.blueF())));
    const float aspect = static_cast<float>(panel.width()) / static_cast<float>(panel.height());

    QPainter painter(&image);
    bool rendered = true;
    int drawnPanels = 0;
    QList<int> blankPanels;
    for (int c = 0; c < columns && rendered; ++c) {
        showColumn(c);
        const SbBox3f box = boxes[static_cast<std::size_t>(c)];
        if (box.isEmpty())
            continue;
        const SbBox3f frame = boxOfSize(box.getCenter(), largest);
        const gyroscene::Hemisphere side = scene.hemisphere(apart ? c : 0);
        for (int v = 0; v < panelsPerColumn; ++v) {
            clock.restart();
            // A scene's own camera shows the view as the viewer showed it.
            if (plan.sceneCamera) {
                gyroscene::apply_camera(camera, *plan.scene.camera);
                gyroscene::fit_clipping(camera, box);
            }
            else
                gyroscene::aim_camera(camera, frame, aspect, panelAngles(views.at(v), side));
            if (!offscreen->render(root)) {
                rendered = false;
                break;
            }
            ++drawnPanels;
            if (!showsAnything(offscreen->getBuffer(), panel, background))
                blankPanels.append(drawnPanels);
            // Coin's buffer holds the bottom row first.
            const QImage shot = QImage(offscreen->getBuffer(), panel.width(), panel.height(),
                                       panel.width() * 3, QImage::Format_RGB888)
                                    .mirrored(false, true);
            const QPoint at = apart ? QPoint(c * panel.width(), v * panel.height())
                                    : QPoint(v * panel.width(), 0);
            painter.drawImage(at, shot);
            timings.panels.push_back(milliseconds(clock));
        }
    }
    // One legend for the whole figure: at the bottom right, of the one panel
    // as in the viewer, or of the montage's strip.
    if (withLegend && rendered) {
        painter.drawImage(whole.width() - legend.width() - gyroscene::legend_margin,
                          whole.height() - legend.height() - gyroscene::legend_margin, legend);
    }
    painter.end();
    content->removeAllChildren();
    root->unref();
    if (!rendered) {
        *error = QStringLiteral("off-screen rendering failed (no usable EGL context)");
        return QImage();
    }
    // A picture of the background alone is no figure: pipelines would take
    // it for one.
    if (blankPanels.size() == drawnPanels) {
        *error = QStringLiteral("the figure shows no surface, only the background (a camera "
                                "looking away, surfaces without faces, or a GL driver that drew "
                                "nothing); no image written");
        return QImage();
    }
    for (int number : blankPanels)
        warnings->append(QStringLiteral("Warning: panel %1 of the figure shows no surface").arg(number));
    return image;
}

bool FigureMaker::make(const FigureOptions& options, QString* error, QStringList* warnings)
{
    // Before any work: a figure that cannot be written is not worth drawing.
    const QFileInfo output(options.output);
    if (!output.absoluteDir().exists()) {
        *error = QStringLiteral("cannot write %1: directory %2 does not exist")
                     .arg(options.output, output.absolutePath());
        return false;
    }
    const QImage image = render(options, error, warnings);
    if (image.isNull())
        return false;
    QElapsedTimer clock;
    clock.start();
    const bool written = write_png(image, options.output, error);
    timings.write = milliseconds(clock);
    return written;
}

const FigureMaker::Timings& FigureMaker::lastTimings() const
{
    return timings;
}

}  // namespace gyrorender
