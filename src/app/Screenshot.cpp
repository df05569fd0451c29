#include "Screenshot.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>

#include "png_file.h"

namespace Screenshot {

QList<int> scales()
{
    return {1, 2, 4};
}

QString filter(int scale, QSize viewSize)
{
    const QString size = QStringLiteral("%1 x %2").arg(viewSize.width() * scale).arg(viewSize.height() * scale);
    return scale == 1 ? QCoreApplication::translate("Screenshot", "PNG image at the view's size, %1 (*.png)").arg(size)
                      : QCoreApplication::translate("Screenshot", "PNG image at %1 times the view's size, %2 (*.png)")
                            .arg(scale)
                            .arg(size);
}

int scaleOf(const QString& text, QSize viewSize)
{
    for (int scale : scales())
        if (text == filter(scale, viewSize))
            return scale;
    return 1;
}

QString withSuffix(const QString& path)
{
    return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".png") : path;
}

bool writePng(const QImage& image, const QString& path, QString* error)
{
    return gyroscene::save_png(image, path, -1, error);
}

}  // namespace Screenshot
