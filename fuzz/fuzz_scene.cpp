// Scene files: whatever is read must write out and read back equal.
#include "scene_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    gyroscene::scene_state scene;
    QString error;
    if (!gyroscene::scene_from_json(text, QStringLiteral("/scenes"), &scene, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    gyroscene::scene_state again;
    if (!gyroscene::scene_from_json(gyroscene::scene_to_json(scene, QStringLiteral("/scenes")),
                                    QStringLiteral("/scenes"), &again, &error) ||
        !(again == scene))
        std::abort();
    return 0;
}
