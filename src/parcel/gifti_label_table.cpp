// What a GIFTI file's label table holds, from its XML (through expat), so
// that the GIFTI library's table is used only where the file's labels all
// give it the same shape: the library sizes its colour array by the labels
// that have colours, and a table whose labels differ would be read past
// that array's end.
#include "gifti_label_table.h"

#include <expat.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct counts {
    int labels = 0, coloured = 0, depth_in_table = 0;
};

void XMLCALL start(void *data, const XML_Char *name, const XML_Char **attributes)
{
    auto *c = static_cast<counts *>(data);
    if (std::strcmp(name, "LabelTable") == 0) {
        ++c->depth_in_table;
        return;
    }
    if (c->depth_in_table == 0 || std::strcmp(name, "Label") != 0)
        return;
    ++c->labels;
    int found = 0;
    for (int i = 0; attributes[i] != nullptr; i += 2)
        for (const char *colour : {"Red", "Green", "Blue", "Alpha"})
            found += std::strcmp(attributes[i], colour) == 0;
    c->coloured += found == 4;
}

void XMLCALL end(void *data, const XML_Char *name)
{
    auto *c = static_cast<counts *>(data);
    if (std::strcmp(name, "LabelTable") == 0 && c->depth_in_table > 0)
        --c->depth_in_table;
}

struct parser_deleter {
    void operator()(XML_ParserStruct *p) const { XML_ParserFree(p); }
};
struct file_closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

} // namespace

bool read_gifti_label_table_shape(const char *filename, gifti_label_table_shape *shape)
{
    std::unique_ptr<std::FILE, file_closer> f(std::fopen(filename, "rb"));
    std::unique_ptr<XML_ParserStruct, parser_deleter> parser(XML_ParserCreate(nullptr));
    if (f == nullptr || parser == nullptr)
        return false;
    counts c;
    XML_SetUserData(parser.get(), &c);
    XML_SetElementHandler(parser.get(), start, end);
    char buffer[1 << 16];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, f.get());
        const bool last = n < sizeof buffer;
        if (XML_Parse(parser.get(), buffer, int(n), last) != XML_STATUS_OK)
            return false;
        if (last)
            break;
    }
    shape->labels = c.labels;
    shape->coloured = c.coloured;
    return true;
}
