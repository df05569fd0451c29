// Captures what the process writes to standard output or standard error,
// at the descriptor level, so C++ streams, stdio and libraries that write
// to the descriptor directly are all caught. Nothing should assert while a
// capture is active: the failure message would be captured too.
#pragma once

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

class OutputCapture
{
public:
    // Keep::Text stores the output for stop(); Keep::Nothing discards it
    // (for timing code whose log lines would drown the figures).
    enum class Keep { Text, Nothing };

    explicit OutputCapture(int fd, Keep keep = Keep::Text) : fd(fd)
    {
        flush();
        if (keep == Keep::Text) {
            file = std::tmpfile();
            target = file ? ::fileno(file) : -1;
        } else {
            target = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
            ownsTarget = true;
        }
        if (target < 0)
            return;
        saved = ::dup(fd);
        ::dup2(target, fd);
    }
    ~OutputCapture()
    {
        stop();
        if (file)
            std::fclose(file);
        if (ownsTarget && target >= 0)
            ::close(target);
    }
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Restores the descriptor and returns everything written meanwhile.
    const std::string& stop()
    {
        if (saved < 0)
            return text;
        flush();
        ::dup2(saved, fd);
        ::close(saved);
        saved = -1;
        if (file) {
            std::rewind(file);
            char chunk[4096];
            for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
                text.append(chunk, n);
        }
        return text;
    }

    // The non-empty lines written meanwhile, without their line feeds.
    std::vector<std::string> lines()
    {
        std::vector<std::string> result;
        const std::string& all = stop();
        for (std::size_t start = 0; start < all.size();) {
            std::size_t end = all.find('\n', start);
            if (end == std::string::npos)
                end = all.size();
            if (end > start)
                result.emplace_back(all, start, end - start);
            start = end + 1;
        }
        return result;
    }

private:
    static void flush()
    {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(stdout);
        std::fflush(stderr);
    }

    int fd;
    std::FILE* file = nullptr;
    int target = -1;
    bool ownsTarget = false;
    int saved = -1;
    std::string text;
};
