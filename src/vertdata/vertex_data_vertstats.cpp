#include "vertex_data_vertstats.h"

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
