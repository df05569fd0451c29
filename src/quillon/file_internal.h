// The file record and the byte-level access that the value routines and
// the tag reader share. Not part of the layer's interface.
#pragma once

#include "quillon.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct quillon_file {
    int fd = -1;           // none for a memory file
    std::string name;
    IO_types direction = READ_FILE;
    // Left uninitialised: every byte is read or written before it is used.
    std::unique_ptr<char[]> buffer;
    std::size_t capacity = 0;
    const char *bytes = nullptr;   // what reading sees: the buffer, or a memory file
    std::size_t pos = 0;   // next byte to read
    std::size_t end = 0;   // bytes valid in buffer (reading), bytes pending (writing)
    bool at_eof = false;   // nothing more to fetch from the descriptor
    bool failed = false;   // a read or write error happened
    bool quiet = false;    // the owner reports read errors itself (see error)
    int error = 0;         // errno of the failed read or write
    bool size_known = false;
    std::uint64_t size = 0;      // regular files: size at opening
    std::uint64_t consumed = 0;  // bytes fetched from the descriptor so far
    std::uint64_t device = 0, inode = 0;
};

namespace quillon_internal {

inline bool is_space(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' ||
           c == '\f';
}

inline bool reading(File f)
{
    return f != nullptr && f->direction == READ_FILE && !f->failed;
}

inline bool writing(File f)
{
    return f != nullptr && f->direction == WRITE_FILE && !f->failed;
}

// Opens 'name' like open_file. Returns 0, or the errno value of the failure
// (EISDIR for a directory), which is reported through print_error only when
// 'report' is set; an unreported file also leaves its read errors to its
// owner (quillon_file::error).
int open_descriptor_file(const char *name, IO_types direction, bool report,
                         File *file);

// Reads 'size' bytes at 'data' in place, as a file named 'name'. Returns 0,
// or the errno value of the failure (nothing is printed).
int open_memory_bytes(const void *data, std::size_t size, const char *name,
                      File *file);

// The read buffer of a file of 'size' bytes (regular files; unknown size
// otherwise): no more than the file holds, at least a page, at most 1 MiB.
std::size_t read_buffer_capacity(bool size_known, std::uint64_t size);

// Moves the unread bytes to the front of the buffer and reads more; false
// when nothing more could be added.
bool refill(File f);
// Skips white space; false at the end of the file.
bool skip_space(File f);
// Exactly n bytes, or false.
bool get_bytes(File f, void *data, std::size_t n);
bool put_bytes(File f, const void *data, std::size_t n);
// Room for at least n bytes at the write buffer's end (n <= buffer size).
bool reserve_output(File f, std::size_t n);

} // namespace quillon_internal
