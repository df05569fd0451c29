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

// The conventions every tool keeps: --help prints `help` (its usage line
// first) on standard output, --version the version, both exit 0; any other
// argument starting with "--" that is not in `options` (a list ending in
// null) is a usage error, one line on standard error and exit 2. Returns
// the exit status when the arguments were answered here, -1 otherwise.
// Arguments after "--" are never options.
inline int answer_tool_options(int argc, char **argv, const char *tool, const char *help,
                               const char *const *options = nullptr)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (is_help_option(argv[i])) {
            std::fputs(help, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", tool, GYROLUX_VERSION);
            return 0;
        }
    }
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strncmp(argv[i], "--", 2) != 0)
            continue;
        bool known = false;
        for (const char *const *o = options; o != nullptr && *o != nullptr; ++o)
            known = known || std::strcmp(argv[i], *o) == 0;
        if (!known) {
            std::fprintf(stderr, "%s: unknown option %s (see --help)\n", tool, argv[i]);
            return 2;
        }
    }
    return -1;
}

// The arguments that are not options: from `first`, with "--" left out.
inline int count_operands(int argc, char **argv, int first)
{
    int n = 0;
    for (int i = first; i < argc; ++i)
        n += std::strcmp(argv[i], "--") != 0;
    return n;
}
