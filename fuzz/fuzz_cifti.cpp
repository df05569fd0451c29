// CIFTI-2 files: a file read keeps its promises (a matrix of the size its
// axes describe, every surface model within it and its vertices within its
// surface), and a refusal leaves nothing behind.
#include "fuzz_check.h"
#include "fuzz_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    cifti_file file;
    if (read_cifti_input(data, size, &file) != OK) {
        fuzz_require(file.values.empty() && file.n_rows == 0, "nothing kept after a refusal");
        return 0;
    }
    fuzz_require(file.n_rows > 0 && file.n_columns > 0 &&
                     file.values.size() == std::size_t(file.n_rows * file.n_columns),
                 "a matrix of the size read");
    for (const cifti_brain_model &model : file.columns.models) {
        fuzz_require(model.offset >= 0 && model.offset + model.count <= file.n_columns,
                     "models within the matrix");
        // As a viewer would once a surface of that size is open.
        if (!model.surface || model.surface_vertices > 100000)
            continue;
        const auto columns = cifti_surface_columns(file, model);
        fuzz_require(columns.size() == std::size_t(file.n_rows), "one column a row");
    }
    for (long long r = 0; r < file.n_rows && r < 16; ++r)
        fuzz_require(!cifti_row_name(file, r).empty(), "every row named");
    fuzz_require(!describe_cifti_file(file).empty(), "a description");
    return 0;
}
