#include "gifti_structure.h"

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

namespace {

// Each element and the one parent it may have ("" for the document).
struct placement {
    const char *element;
    const char *parents[3];
};
constexpr placement placements[] = {
    {"GIFTI", {""}},
    {"MetaData", {"GIFTI", "DataArray"}},
    {"MD", {"MetaData"}},
    {"Name", {"MD"}},
    {"Value", {"MD"}},
    {"LabelTable", {"GIFTI"}},
    {"Label", {"LabelTable"}},
    {"DataArray", {"GIFTI"}},
    {"CoordinateSystemTransformMatrix", {"DataArray"}},
    {"Data", {"DataArray"}},
    {"DataSpace", {"CoordinateSystemTransformMatrix"}},
    {"TransformedSpace", {"CoordinateSystemTransformMatrix"}},
    {"MatrixData", {"CoordinateSystemTransformMatrix"}},
};

struct walk {
    std::vector<std::string> open; // element names from the root down
    std::string problem;
    XML_Parser parser = nullptr;
    std::string declared_arrays;   // the GIFTI element's NumberOfDataArrays
    long found_arrays = 0;
    // Text of the innermost open element: CDATA sections seen, whether one
    // is open, whether text outside them was seen.
    int cdata_sections = 0;
    // Per open element, the children seen of those it may hold only once.
    std::vector<std::vector<std::string>> seen_once;
    bool in_cdata = false;
    bool plain_text = false;
    std::vector<gifti_array_tag> *arrays = nullptr;
    const std::string *text = nullptr;
};

bool in_data(const walk *w)
{
    return !w->open.empty() && w->open.back() == "Data" && !w->arrays->empty();
}

void stop(walk *w, const std::string &problem)
{
    w->problem = problem;
    XML_StopParser(w->parser, XML_FALSE);
}

// The library mishandles an element's text when a CDATA section shares it
// with other text or another section: one section or plain text only.
void XMLCALL start_cdata(void *data)
{
    auto *w = static_cast<walk *>(data);
    if (++w->cdata_sections > 1 || w->plain_text)
        return stop(w, "CDATA mixed with other text in " +
                           (w->open.empty() ? std::string("the document") : w->open.back()));
    w->in_cdata = true;
}

void XMLCALL end_cdata(void *data) { static_cast<walk *>(data)->in_cdata = false; }

// Elements whose text the library gathers through a pointer that the end of
// a CDATA section clears: any text after the section, even white space,
// would be written through a null pointer.
bool gathers_text(const std::string &element)
{
    for (const char *e : {"Name", "Value", "Label", "DataSpace", "TransformedSpace"})
        if (element == e)
            return true;
    return false;
}

void XMLCALL character_data(void *data, const XML_Char *text, int length)
{
    auto *w = static_cast<walk *>(data);
    if (in_data(w))
        w->arrays->back().data_chars += std::size_t(length);
    if (w->in_cdata)
        return;
    if (w->cdata_sections > 0 && length > 0 && !w->open.empty() && gathers_text(w->open.back()))
        return stop(w, "CDATA mixed with other text in " + w->open.back());
    for (int i = 0; i < length; ++i) {
        if (text[i] != ' ' && text[i] != '\t' && text[i] != '\n' && text[i] != '\r') {
            w->plain_text = true;
            if (w->cdata_sections > 0)
                return stop(w, "CDATA mixed with other text in " +
                                   (w->open.empty() ? std::string("the document")
                                                    : w->open.back()));
            return;
        }
    }
}

// Elements a parent holds at most once (MD, Label, DataArray and
// CoordinateSystemTransformMatrix may repeat).
bool once(const char *element)
{
    for (const char *single : {"MetaData", "LabelTable", "Name", "Value", "Data", "DataSpace",
                               "TransformedSpace", "MatrixData"})
        if (std::strcmp(element, single) == 0)
            return true;
    return false;
}

bool allowed(const char *element, const std::string &parent)
{
    for (const placement &p : placements) {
        if (std::strcmp(p.element, element) != 0)
            continue;
        for (const char *allowed_parent : p.parents)
            if (allowed_parent != nullptr && parent == allowed_parent)
                return true;
        return false;
    }
    return false;
}

void XMLCALL start_element(void *data, const XML_Char *name, const XML_Char **attributes)
{
    auto *w = static_cast<walk *>(data);
    const std::string parent = w->open.empty() ? std::string() : w->open.back();
    if (!allowed(name, parent)) {
        return stop(w, parent.empty()
                           ? "the document element is " + std::string(name) + ", not GIFTI"
                           : "element " + std::string(name) + " inside " + parent);
    }
    // The library leaks what it reads twice where the format has one.
    if (w->open.size() > 0 && once(name)) {
        std::vector<std::string> &seen = w->seen_once.back();
        for (const std::string &earlier : seen)
            if (earlier == name)
                return stop(w, parent + " element holds more than one " + name);
        seen.emplace_back(name);
    }
    if (std::strcmp(name, "GIFTI") == 0) {
        for (int i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
            if (std::strcmp(attributes[i], "NumberOfDataArrays") == 0)
                w->declared_arrays = attributes[i + 1];
    } else if (std::strcmp(name, "DataArray") == 0) {
        ++w->found_arrays;
        gifti_array_tag tag;
        const XML_Index at = XML_GetCurrentByteIndex(w->parser);
        const int count = XML_GetCurrentByteCount(w->parser);
        if (at < 0 || count < 2 || std::size_t(at) + std::size_t(count) > w->text->size())
            return stop(w, "a DataArray tag the XML parser cannot place");
        tag.start = std::size_t(at);
        tag.length = std::size_t(count);
        tag.empty_element = w->text->compare(tag.start + tag.length - 2, 2, "/>") == 0;
        for (int i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
            tag.attributes.emplace_back(attributes[i], attributes[i + 1]);
        w->arrays->push_back(std::move(tag));
    }
    w->open.emplace_back(name);
    w->seen_once.emplace_back();
    w->cdata_sections = 0;
    w->plain_text = false;
}

void XMLCALL end_element(void *data, const XML_Char *)
{
    auto *w = static_cast<walk *>(data);
    if (!w->open.empty()) {
        w->open.pop_back();
        w->seen_once.pop_back();
    }
    w->cdata_sections = 0;
    w->plain_text = false;
}

struct parser_free {
    void operator()(XML_ParserStruct *p) const { XML_ParserFree(p); }
};
} // namespace

bool gifti_structure_is_valid(const std::string &text, std::vector<gifti_array_tag> *arrays,
                              std::string *reason)
{
    arrays->clear();
    std::unique_ptr<XML_ParserStruct, parser_free> parser(XML_ParserCreate(nullptr));
    if (parser == nullptr) {
        *reason = "no memory for the XML parser";
        return false;
    }
    walk w;
    w.parser = parser.get();
    w.arrays = arrays;
    w.text = &text;
    XML_SetUserData(parser.get(), &w);
    XML_SetElementHandler(parser.get(), start_element, end_element);
    XML_SetCdataSectionHandler(parser.get(), start_cdata, end_cdata);
    XML_SetCharacterDataHandler(parser.get(), character_data);
    // in pieces: expat takes an int length
    const std::size_t piece = std::size_t(1) << 24;
    for (std::size_t at = 0;; at += piece) {
        const std::size_t n = at < text.size() ? std::min(piece, text.size() - at) : 0;
        const bool last = at + n >= text.size();
        if (XML_Parse(parser.get(), text.data() + at, int(n), last) != XML_STATUS_OK) {
            if (w.problem.empty())
                w.problem = std::string(XML_ErrorString(XML_GetErrorCode(parser.get()))) +
                            " at line " +
                            std::to_string(XML_GetCurrentLineNumber(parser.get()));
            *reason = w.problem;
            return false;
        }
        if (last)
            break;
    }
    // The library keeps (and leaks) room for every array it was promised.
    if (w.declared_arrays != std::to_string(w.found_arrays)) {
        *reason = "NumberOfDataArrays is \"" + w.declared_arrays + "\" but the file holds " +
                  std::to_string(w.found_arrays);
        return false;
    }
    return true;
}
