// What the command-line tools share about their input file.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

// True when 'path' names something to open; otherwise prints the one line
// that says why, so that no reader adds a second line about the same path.
inline bool tool_input_exists(const char *tool, const char *path)
{
    struct stat st;
    if (::stat(path, &st) == 0)
        return true;
    std::fprintf(stderr, "%s: cannot read \"%s\": %s.\n", tool, path, std::strerror(errno));
    return false;
}

inline bool is_help_option(const char *argument)
{
    return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
}
