// Calls into the GIFTI I/O library, one at a time (its state is global) and
// with its own messages kept off standard error: it prints lines such as
// "** num_dim violation" about valid files whatever its verbosity, and our
// readers say in their own words what went wrong.
#pragma once

extern "C" {
#include <gifti_io.h>
}

#include <string>

// The image of a GIFTI document held in memory, read by the library with
// or without its data; null when the library cannot read it.
gifti_image *gifti_library_read(const std::string &text, bool read_data);

// gifti_write_image, quietly; 0 when written.
int gifti_library_write(gifti_image *image, const char *filename);
