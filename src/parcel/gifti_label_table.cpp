#include "gifti_label_table.h"

#include "gifti_text.h"

#include <expat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <memory>

namespace {

struct table_reader {
    std::vector<gifti_label_entry> *entries;
    int depth_in_table = 0;
    bool in_label = false;
};

bool parse_int(const char *text, int *value)
{
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    while (end != nullptr && (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r'))
        ++end;
    if (end == text || *end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX)
        return false;
    *value = int(v);
    return true;
}

bool parse_float(const char *text, float *value)
{
    char *end = nullptr;
    *value = std::strtof(text, &end);
    while (end != nullptr && (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r'))
        ++end;
    return end != text && *end == '\0';
}

void XMLCALL start(void *data, const XML_Char *name, const XML_Char **attributes)
{
    auto *r = static_cast<table_reader *>(data);
    if (std::strcmp(name, "LabelTable") == 0) {
        ++r->depth_in_table;
        return;
    }
    if (r->depth_in_table == 0 || std::strcmp(name, "Label") != 0)
        return;
    gifti_label_entry entry;
    static const char *const colours[4] = {"Red", "Green", "Blue", "Alpha"};
    int found = 0;
    // GIFTI 1.0 before 2010 (Caret) called the key Index; Key wins when a
    // label has both.
    bool keyed = false;
    for (int i = 0; attributes[i] != nullptr; i += 2) {
        if (std::strcmp(attributes[i], "Key") == 0) {
            entry.has_key = parse_int(attributes[i + 1], &entry.key);
            keyed = true;
        } else if (!keyed && std::strcmp(attributes[i], "Index") == 0)
            entry.has_key = parse_int(attributes[i + 1], &entry.key);
        for (int c = 0; c < 4; ++c)
            if (std::strcmp(attributes[i], colours[c]) == 0 &&
                parse_float(attributes[i + 1], &entry.rgba[c]))
                ++found;
    }
    entry.coloured = found == 4;
    r->entries->push_back(std::move(entry));
    r->in_label = true;
}

void XMLCALL end(void *data, const XML_Char *name)
{
    auto *r = static_cast<table_reader *>(data);
    if (std::strcmp(name, "LabelTable") == 0 && r->depth_in_table > 0)
        --r->depth_in_table;
    if (std::strcmp(name, "Label") == 0 && r->in_label) {
        r->in_label = false;
        std::string &text = r->entries->back().name;
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        const std::size_t last = text.find_last_not_of(" \t\r\n");
        text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    }
}

void XMLCALL characters(void *data, const XML_Char *text, int n)
{
    auto *r = static_cast<table_reader *>(data);
    if (r->in_label)
        r->entries->back().name.append(text, std::size_t(n));
}

struct parser_deleter {
    void operator()(XML_ParserStruct *p) const { XML_ParserFree(p); }
};
} // namespace

bool read_gifti_label_table(const char *filename, std::vector<gifti_label_entry> *entries)
{
    entries->clear();
    // Through the GIFTI text loader, so a compressed file's table is read too.
    std::string text, reason;
    std::uint64_t disk_size = 0;
    if (!load_gifti_text(filename, &text, &disk_size, &reason))
        return false;
    std::unique_ptr<XML_ParserStruct, parser_deleter> parser(XML_ParserCreate(nullptr));
    if (parser == nullptr)
        return false;
    table_reader reader{entries};
    XML_SetUserData(parser.get(), &reader);
    XML_SetElementHandler(parser.get(), start, end);
    XML_SetCharacterDataHandler(parser.get(), characters);
    constexpr std::size_t chunk = std::size_t(1) << 24;
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(chunk, text.size() - at);
        const bool last = at + n == text.size();
        if (XML_Parse(parser.get(), text.data() + at, int(n), last) != XML_STATUS_OK) {
            entries->clear();
            return false;
        }
        at += n;
    } while (at < text.size());
    return true;
}
