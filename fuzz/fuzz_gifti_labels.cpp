// GIFTI label files: our code around the GIFTI library; every vertex's
// region is checked.
#include "fuzz_io.h"
#include "fuzz_parcel_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    parcellation parcels;
    Status status = read_gifti_labels_input(data, size, &parcels);
    volatile int sink = check_parcellation(status, parcels);
    (void)sink;
    return 0;
}
