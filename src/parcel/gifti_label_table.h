// A GIFTI file's label table read from its XML (through expat) rather than
// taken from the GIFTI library: the library sizes its key and colour arrays
// by the labels that have those attributes, so a label missing one would
// have its table read past the arrays' ends.
#pragma once

#include <string>
#include <vector>

struct gifti_label_entry {
    bool has_key = false;
    int key = 0;
    std::string name;     // the element's text, surrounding white space removed
    bool coloured = false; // Red, Green, Blue and Alpha all given, as numbers
    float rgba[4] = {0, 0, 0, 0};
};

// The Label elements of the file's LabelTable in file order. False when the
// file cannot be read or is not well-formed XML.
bool read_gifti_label_table(const char *filename, std::vector<gifti_label_entry> *entries);
