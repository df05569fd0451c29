// What the command-line tools share about their input file.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// True when 'path' names something to open; otherwise prints the one line
// that says why, so that no reader adds a second line about the same path.
inline bool tool_input_exists(const char *tool, const char *path)
{
    if (std::strcmp(path, "-") == 0)
        return true;
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

// Standard input and output as files: the readers seek and reopen what they
// read, and the writers choose a format by name, so "-" goes through a
// temporary file (removed at exit) copied from standard input, or copied to
// standard output once written. Standard input larger than this is refused.
inline constexpr long long tool_stdin_limit = 4LL << 30;

namespace tool_detail {
inline std::vector<std::string> &temporary_paths()
{
    static std::vector<std::string> paths;
    return paths;
}
inline void remove_temporaries()
{
    for (const std::string &path : temporary_paths())
        std::remove(path.c_str());
}
inline std::string make_temporary(const char *tool, const char *suffix)
{
    const char *dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + tool +
                          ".XXXXXX" + suffix;
    const int fd = ::mkstemps(pattern.data(), int(std::strlen(suffix)));
    if (fd < 0) {
        std::fprintf(stderr, "%s: cannot make a temporary file: %s.\n", tool, std::strerror(errno));
        return {};
    }
    ::close(fd);
    if (temporary_paths().empty())
        std::atexit(remove_temporaries);
    temporary_paths().push_back(pattern);
    return pattern;
}
} // namespace tool_detail

// `path`, or for "-" a temporary copy of standard input; empty after a
// message when standard input cannot be copied.
inline std::string tool_input_path(const char *tool, const char *path)
{
    if (std::strcmp(path, "-") != 0)
        return path;
    const std::string copy = tool_detail::make_temporary(tool, "");
    if (copy.empty())
        return {};
    std::FILE *out = std::fopen(copy.c_str(), "wb");
    char buffer[1 << 16];
    long long total = 0;
    std::size_t n = 0;
    bool ok = out != nullptr;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        total += (long long)n;
        ok = total <= tool_stdin_limit && std::fwrite(buffer, 1, n, out) == n;
    }
    ok = ok && !std::ferror(stdin);
    if (out != nullptr)
        ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "%s: cannot read standard input%s.\n", tool,
                     total > tool_stdin_limit ? ": more than 4 GiB" : "");
        return {};
    }
    return copy;
}

// `path`, or for "-" a temporary file of the given suffix that
// tool_copy_to_stdout sends to standard output once written.
inline std::string tool_output_path(const char *tool, const char *path, const char *suffix)
{
    if (std::strcmp(path, "-") != 0)
        return path;
    return tool_detail::make_temporary(tool, suffix);
}

// After a successful write to tool_output_path's file: for "-", its bytes
// to standard output. False after a message when they cannot be sent.
inline bool tool_copy_to_stdout(const char *tool, const char *path, const std::string &written)
{
    if (std::strcmp(path, "-") != 0)
        return true;
    std::FILE *in = std::fopen(written.c_str(), "rb");
    char buffer[1 << 16];
    std::size_t n = 0;
    bool ok = in != nullptr;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        ok = std::fwrite(buffer, 1, n, stdout) == n;
    if (in != nullptr)
        std::fclose(in);
    ok = ok && std::fflush(stdout) == 0;
    if (!ok)
        std::fprintf(stderr, "%s: cannot write standard output.\n", tool);
    return ok;
}
