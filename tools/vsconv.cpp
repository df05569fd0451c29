// vsconv [--old-style] IN OUT: reads a vertex-statistics file of either style
// and writes it again, new style unless --old-style is given.
// IN may also be per-vertex data of another program (a FreeSurfer curv
// file, MGH, MGZ or GIFTI data, known by its content); its header then
// records where it came from. An OUT ending in ".gii" is written as GIFTI
// data, one array per column; one ending in ".mgh" or ".mgz" as an MGH
// volume of n x 1 x 1 voxels, one frame per column (".mgz" compressed).
// A parcellation converts to an annotation (OUT ending in ".annot") or a
// GIFTI label file (".gii"), its names and colours kept (parcel_files.h).
#include "file_kind.h"
#include "parcel_files.h"
#include "tool_input.h"
#include "vertex_data_vertstats.h"
#include "zelVertstatsFile.h"
#include "quillon.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int convertParcellation(const char* in, const std::string& out) {
    parcellation parcels;
    if (input_parcellation(in, -1, &parcels) != OK) {
        std::cerr << "ERROR: could not read file " << in << std::endl;
        return 1;
    }
    Status status = endsWith(out, ".annot") ? output_freesurfer_annotation(out.c_str(), parcels)
                                            : output_gifti_labels(out.c_str(), parcels);
    if (status != OK) {
        std::cerr << "ERROR: could not write file " << out << std::endl;
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    static const char* const options[] = {"--old-style", nullptr};
    const int answered = answer_tool_options(
        argc, argv, "vsconv",
        "usage: vsconv [--old-style] IN OUT\n"
        "(- for IN reads standard input, for OUT writes a statistics file to\n"
        "standard output)\n"
        "Reads a vertex-statistics file, per-vertex data of another program\n"
        "(FreeSurfer curv, MGH, MGZ, GIFTI) or a parcellation, and writes it as\n"
        "OUT's name says: a statistics file (new style unless --old-style), GIFTI\n"
        "data (.gii), MGH or MGZ (.mgh, .mgz); a parcellation as an annotation\n"
        "(.annot) or label GIFTI (.gii).\n"
        "\n"
        "  --old-style  write the old style of statistics file\n"
        "  --help       this text\n"
        "  --version    the version\n"
        "\n"
        "Exit status: 0 written, 1 cannot read or write, 2 usage error.\n",
        options);
    if (answered >= 0)
        return answered;
    bool oldStyle = false;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--old-style") == 0) {
        oldStyle = true;
        first = 2;
    }
    if (argc - first != 2) {
        std::cerr << "usage: " << argv[0] << " [--old-style] IN OUT" << std::endl;
        return 2;
    }
    // "-": standard input, and standard output as a statistics file.
    const std::string input = tool_input_path("vsconv", argv[first]);
    const std::string out = tool_output_path("vsconv", argv[first + 1], ".vertstats");
    if (input.empty() || out.empty())
        return 1;
    const char* in = input.c_str();
    const file_kind_info kind = file_kind_of(in);
    if (kind.format == CIFTI_DATA_FILE_FORMAT || kind.format == CIFTI_LABELS_FILE_FORMAT) {
        std::cerr << "ERROR: " << argv[first] << " is a CIFTI-2 file of several surfaces; vsinfo "
                  << "describes it, gyrolux and gyrolux-render draw each surface's part" << std::endl;
        return 1;
    }
    if (endsWith(out, ".annot") || (kind.kind == PARCELLATION_FILE_KIND && endsWith(out, ".gii")))
        return convertParcellation(in, out);
    // A GIFTI label file's keys still convert as a column of numbers.
    if (kind.kind == PARCELLATION_FILE_KIND && kind.format != GIFTI_LABELS_FILE_FORMAT) {
        std::cerr << "ERROR: " << in << " is a parcellation; it converts to an annotation "
                  << "(.annot) or a GIFTI label file (.gii)" << std::endl;
        return 1;
    }
    zelVertstatsFile file;
    if (load_statistics_or_vertex_data(file, in) != OK)
        return 1;
    Status written = OK;
    if (endsWith(out, ".gii"))
        written = output_gifti_data(out.c_str(), vertstats_columns(file));
    else if (endsWith(out, ".mgh") || endsWith(out, ".mgz"))
        written = output_mgh_data(out.c_str(), vertstats_columns(file), endsWith(out, ".mgz"));
    else if (!write_statistics_quietly(file, out, oldStyle))
        written = ERROR;
    if (written != OK) {
        std::cerr << "ERROR: could not write file " << argv[first + 1] << std::endl;
        return 1;
    }
    return tool_copy_to_stdout("vsconv", argv[first + 1], out) ? 0 : 1;
}
