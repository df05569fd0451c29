// vsconv [--old-style] IN OUT: reads a vertex-statistics file of either style
// and writes it again, new style unless --old-style is given.
// IN may also be per-vertex data of another program (a FreeSurfer curv
// file, MGH, MGZ or GIFTI data, known by its content); its header then
// records where it came from. An OUT ending in ".gii" is written as GIFTI
// data, one array per column; one ending in ".mgh" or ".mgz" as an MGH
// volume of n x 1 x 1 voxels, one frame per column (".mgz" compressed).
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

}  // namespace

int main(int argc, char* argv[]) {
    // Most of a run's memory is filled once, right away: on huge pages.
    use_huge_page_heap(std::size_t(256) << 20);
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
    const char* in = argv[first];
    const std::string out = argv[first + 1];
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
        std::cerr << "ERROR: could not write file " << out << std::endl;
        return 1;
    }
    return 0;
}
