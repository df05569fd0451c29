// Tag-point files: read, then every promised output is looked at.
#include "fuzz_check.h"
#include "fuzz_io.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    int n_volumes = -1, n_points = -1;
    double **positions = nullptr, **positions2 = nullptr, *weights = nullptr;
    int *structure_ids = nullptr, *patient_ids = nullptr;
    STRING *labels = nullptr;
    Status status = read_tag_input(data, size, &n_volumes, &n_points, &positions,
                                   &positions2, &weights, &structure_ids,
                                   &patient_ids, &labels);
    if (status != OK) {
        fuzz_require(n_volumes == 0 && n_points == 0 && positions == nullptr &&
                         positions2 == nullptr && weights == nullptr &&
                         structure_ids == nullptr && patient_ids == nullptr &&
                         labels == nullptr,
                     "a failed read hands out nothing");
        return 0;
    }
    fuzz_require(n_volumes == 1 || n_volumes == 2, "one or two volumes");
    fuzz_require(n_points >= 0, "a point count that is not negative");
    fuzz_require((n_points == 0) == (positions == nullptr), "positions exactly when points");
    fuzz_require((n_points > 0 && n_volumes == 2) == (positions2 != nullptr),
                 "second positions exactly with two volumes");
    volatile double sink = 0.0;
    for (int i = 0; i < n_points; ++i) {
        for (int k = 0; k < 3; ++k) {
            sink = sink + positions[i][k];
            if (positions2 != nullptr)
                sink = sink + positions2[i][k];
        }
        sink = sink + weights[i] + structure_ids[i] + patient_ids[i];
        fuzz_require(labels[i] != nullptr, "every point has a label");
        sink = sink + double(std::strlen(labels[i]));
    }
    free_tag_points(n_volumes, n_points, positions, positions2, weights, structure_ids,
                    patient_ids, labels);
    return 0;
}
