// GIFTI data files: our code around the GIFTI library: the columns read are checked.
#include "fuzz_format_checks.h"
#include "fuzz_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    vertex_data columns;
    Status status = read_gifti_data_input(data, size, &columns);
    volatile float sink = check_columns(status, columns);
    (void)sink;
    return 0;
}
