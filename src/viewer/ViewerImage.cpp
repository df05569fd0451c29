// The view drawn off screen, larger than on screen, for pictures: the same
// scene through the same render manager into a framebuffer object of the
// widget's own GL context, so Coin's caches and textures serve both.

#include "EventTranslation.h"
#include "ViewerWidgetPrivate.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoRenderManager.h>

#include <GL/gl.h>
#include <QOpenGLFramebufferObject>

#include <limits>

namespace gyroview {

QImage ViewerWidget::renderImage(int scale)
{
    if (scale < 1 || !isValid())
        return QImage();
    const SbVec2s onScreen = framebufferSize(this);
    const qint64 width = qint64(onScreen[0]) * scale, height = qint64(onScreen[1]) * scale;
    makeCurrent();
    GLint maxViewport[2] = {0, 0};
    GLint maxRenderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    // Coin keeps viewport sizes in shorts.
    const qint64 limit = std::min<qint64>({maxViewport[0], maxViewport[1], maxRenderbuffer,
                                           std::numeric_limits<short>::max()});
    if (width < 1 || height < 1 || width > limit || height > limit) {
        doneCurrent();
        return QImage();
    }

    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    QOpenGLFramebufferObject target(int(width), int(height), format);
    if (!target.isValid() || !target.bind()) {
        doneCurrent();
        return QImage();
    }
    const SbVec2s windowSize = d->renderManager->getWindowSize();
    const SbViewportRegion region = d->renderManager->getViewportRegion();
    const SbVec2s size(static_cast<short>(width), static_cast<short>(height));
    d->renderManager->setWindowSize(size);
    d->renderManager->setViewportRegion(SbViewportRegion(size));
    drawScene();
    d->renderManager->setWindowSize(windowSize);
    d->renderManager->setViewportRegion(region);
    // The view is opaque; the picture need not carry an alpha channel.
    QImage image = target.toImage().convertToFormat(QImage::Format_RGB32);
    target.release();
    doneCurrent();
    return image;
}

}  // namespace gyroview
