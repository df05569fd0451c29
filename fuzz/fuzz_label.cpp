// FreeSurfer label files: the rows are checked, then the label is put on a
// surface of 1000 vertices as the viewer would, and on none as vsinfo does.
#include "fuzz_io.h"
#include "fuzz_parcel_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    freesurfer_label label;
    Status status = read_label_input(data, size, &label);
    if (status != OK) {
        fuzz_require(label.vertices.empty(), "no rows after a failure");
        return 0;
    }
    fuzz_require(label.positions.size() == 3 * label.vertices.size() &&
                     label.values.size() == label.vertices.size(),
                 "every row whole");
    for (int v : label.vertices)
        fuzz_require(v >= 0, "no negative vertex");
    parcellation parcels;
    status = combine_freesurfer_labels({label}, {"lh.V1_exvivo.label"}, 1000, &parcels);
    volatile int sink = check_parcellation(status, parcels);
    parcellation alone;
    status = label_parcellation(label, "lh.V1_exvivo.label", -1, &alone);
    sink = check_parcellation(status, alone);
    (void)sink;
    return 0;
}
