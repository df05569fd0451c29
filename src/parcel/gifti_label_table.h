// The shape of a GIFTI file's label table as its XML gives it, checked
// against what the GIFTI library hands out before its arrays are indexed.
#pragma once

struct gifti_label_table_shape {
    int labels = 0;   // Label elements in the LabelTable
    int coloured = 0; // of those, with all of Red, Green, Blue and Alpha
};

// False when the file cannot be read or is not well-formed XML.
bool read_gifti_label_table_shape(const char *filename, gifti_label_table_shape *shape);
