#pragma once

#include <cstdlib>
#include <filesystem>
#include <system_error>

// With GYROLUX_KEEP_TEST_FILES=DIR set, every scratch directory is copied
// into DIR before it is removed, so that the inputs the tests made can be
// measured afterwards (bench/bad_input_memory).
inline void keep_test_files(const std::filesystem::path &dir)
{
    const char *keep = std::getenv("GYROLUX_KEEP_TEST_FILES");
    if (keep == nullptr || *keep == '\0')
        return;
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::path(keep) / dir.filename();
    std::filesystem::create_directories(target, ec);
    std::filesystem::copy(dir, target,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing,
                          ec);
}
