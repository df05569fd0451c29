// GIFTI surfaces: our code around the GIFTI library (the size checks before
// it decodes, the conversion of every data type and index order): a surface read is checked triangle by triangle.
#include "fuzz_format_checks.h"
#include "fuzz_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    object_struct *object = nullptr;
    Status status = read_gifti_surface_input(data, size, &object);
    fuzz_require((status == OK) == (object != nullptr), "an object exactly when read");
    if (object != nullptr) {
        volatile float sink = check_triangle_surface(object);
        (void)sink;
        delete_object(object);
    }
    return 0;
}
