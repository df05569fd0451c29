// The CIFTI XML of a CIFTI-2 file's header extension, read with expat into
// the file's two axes and checked against the matrix's size.
#pragma once

#include "cifti_file.h"

#include <string>

// Fills file->rows and file->columns. ERROR, with a message naming the file,
// when the XML is malformed, describes no dense matrix of rows over brain
// models (a connectivity or parcellated file), or disagrees with the
// matrix's `rows` x `columns`.
Status parse_cifti_xml(const char *filename, const std::string &xml, long long rows,
                       long long columns, cifti_file *file);
