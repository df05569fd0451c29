// vsinfo FILE: the shape of a vertex-statistics file, its column names and
// the structure of its header. Per-vertex data of another program (curv,
// MGH, MGZ, GIFTI) is described the same way, after a line naming its
// format. A parcellation (annotation, GIFTI labels, label file) is
// described by its regions and their vertices instead.
#include "cifti_file.h"
#include "file_kind.h"
#include "parcel_files.h"
#include "tool_input.h"
#include "vertex_data_vertstats.h"
#include "zelVertstatsFile.h"
#include "quillon.h"

#include <iostream>

int main(int argc, char* argv[]) {
    const int answered = answer_tool_options(
        argc, argv, "vsinfo",
        "usage: vsinfo FILE    (- reads standard input)\n"
        "Describes a statistics file or per-vertex data of another program\n"
        "(FreeSurfer curv, MGH, MGZ, GIFTI, GIFTI compressed as .gii.gz): its\n"
        "format, column and row counts, column names and header structure. A\n"
        "parcellation (annotation, label GIFTI, label file) is described by its\n"
        "regions; a CIFTI-2 file (.dscalar.nii, .dtseries.nii, .dlabel.nii) by\n"
        "its maps or series and its brain models.\n"
        "\n"
        "  --help     this text\n"
        "  --version  the version\n"
        "\n"
        "Exit status: 0 read, 1 the file cannot be read, 2 usage error.\n");
    if (answered >= 0)
        return answered;
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " FILE" << std::endl;
        return 2;
    }
    const std::string input = tool_input_path("vsinfo", argv[1]);
    if (input.empty())
        return 1;
    argv[1] = const_cast<char*>(input.c_str());
    const file_kind_info kind = file_kind_of(argv[1]);
    if (kind.format == CIFTI_DATA_FILE_FORMAT || kind.format == CIFTI_LABELS_FILE_FORMAT) {
        cifti_file cifti;
        if (input_cifti_file(argv[1], &cifti) != OK)
            return 1;
        std::cout << describe_cifti_file(cifti);
        return 0;
    }
    if (kind.kind == PARCELLATION_FILE_KIND) {
        parcellation parcels;
        if (input_parcellation(argv[1], -1, &parcels) != OK) {
            std::cerr << "ERROR: could not read file " << argv[1] << std::endl;
            return 1;
        }
        std::cout << describe_parcellation(parcels);
        return 0;
    }
    zelVertstatsFile file;
    const bool other = kind.kind != UNKNOWN_FILE_KIND && kind.format != VERTSTATS_FILE_FORMAT;
    if (load_statistics_or_vertex_data(file, argv[1]) != OK)
        return 1;
    if (other)
        std::cout << "format: " << file.getHeaderValue("source_format");
    std::cout << "columns: " << file.getNumColumns() << "\n";
    std::cout << "rows: " << file.getNumRows() << "\n";
    for (const std::string& name : file.getDataHeader())
        std::cout << name << "\n";
    std::cout.flush();
    file.printHeaderStructure();
    return 0;
}
