#include "vertex_data_vertstats.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

void fill_vertstats_file(zelVertstatsFile &file, const vertex_data &data,
                         const char *source)
{
    file.close();
    // a header value is read back only up to its last line feed
    file.addToHeader("source", std::string(source) + "\n");
    file.addToHeader("source_format", std::string(vertex_data_format_name(data.format)) + "\n");
    for (const vertex_column &column : data.columns)
        file.putDataColumn(column.values, column.name);
}

std::vector<vertex_column> vertstats_columns(const zelVertstatsFile &file)
{
    std::vector<vertex_column> columns;
    std::vector<std::string> names = file.getDataHeader();
    for (std::int32_t i = 0; i < file.getNumColumns(); ++i)
        columns.push_back({i < std::int32_t(names.size()) ? names[std::size_t(i)]
                                                          : "Column" + std::to_string(i),
                           file.getDataColumn(i)});
    return columns;
}

namespace {

// Statistics files are text; a NUL among the first bytes is some binary
// format (an annotation, a volume) that no reader here knows.
bool looks_binary(const char *filename)
{
    std::FILE *f = std::fopen(filename, "rb");
    if (f == nullptr)
        return false; // the statistics reader says it cannot read it
    char head[4096];
    std::size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return std::memchr(head, '\0', n) != nullptr;
}

} // namespace

Status load_statistics_or_vertex_data(zelVertstatsFile &file, const char *filename)
{
    file.close();
    if (vertex_data_format(filename) != NOT_VERTEX_DATA) {
        vertex_data data;
        if (input_vertex_data(filename, &data) != OK)
            return ERROR;
        fill_vertstats_file(file, data, filename);
        return OK;
    }
    if (looks_binary(filename)) {
        print_error("Error reading \"%s\": neither a statistics file nor a FreeSurfer curv, "
                    "MGH, MGZ or GIFTI file.\n", filename);
        return ERROR;
    }
    int complaints = 0;
    zelVertstatsFile::MessageSink previous =
        zelVertstatsFile::setMessageSink([&complaints](const std::string &line) {
            ++complaints;
            std::fprintf(stderr, "%s\n", line.c_str());
        });
    file.loadFile(filename, true);
    zelVertstatsFile::setMessageSink(previous);
    if (complaints > 0 && file.getNumRows() == 0) {
        print_error("Error reading \"%s\": no rows of numbers, so not a statistics file.\n",
                    filename);
        return ERROR;
    }
    return OK;
}

bool write_statistics_quietly(zelVertstatsFile &file, const std::string &filename,
                              bool oldStyle)
{
    std::ostringstream progress;
    std::streambuf *out = std::cout.rdbuf(progress.rdbuf());
    bool written = file.writeFile(filename, oldStyle);
    std::cout.rdbuf(out);
    return written;
}
