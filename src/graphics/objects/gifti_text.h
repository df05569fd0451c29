// The XML text of a GIFTI file, plain (.gii) or gzip-compressed (.gii.gz,
// as template surfaces are published), known by its first bytes.
#pragma once

#include <cstdint>
#include <string>

// Deflate cannot shrink data by more than about 1032 to 1.
constexpr std::uint64_t gifti_max_inflation = 1032;

// Whether the name ends in ".gii" or ".gii.gz".
bool has_gifti_suffix(const char *filename);

// The whole text, inflated when compressed, and the file's size on disk.
// False with the reason when the file is not a regular file, cannot be
// read, or is a broken or impossibly compressed stream.
bool load_gifti_text(const char *filename, std::string *text, std::uint64_t *disk_size,
                     std::string *reason);

// Up to 'n' bytes from the start of the text (inflated when compressed);
// empty when the file cannot be read.
std::string gifti_text_head(const char *filename, std::size_t n);
