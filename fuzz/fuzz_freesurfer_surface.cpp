// FreeSurfer triangle surfaces (and the quadrangle and curv files that share
// their magic numbers): a surface read is checked triangle by triangle.
#include "fuzz_format_checks.h"
#include "fuzz_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    object_struct *object = nullptr;
    Status status = read_freesurfer_surface_input(data, size, &object);
    fuzz_require((status == OK) == (object != nullptr), "an object exactly when read");
    if (object != nullptr) {
        volatile float sink = check_triangle_surface(object);
        (void)sink;
        delete_object(object);
    }
    return 0;
}
