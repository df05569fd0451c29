// Colour-map text files: a map read is a bar of the usual size, a refusal
// says why.
#include "colour_maps.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImage image;
    QString error;
    if (!gyroscene::read_colour_map(buffer, QStringLiteral("fuzz.cmap"), &image, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    if (image.isNull() || image.height() != 256)
        std::abort();
    return 0;
}
