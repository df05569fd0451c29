// A test fixture with a fresh directory of its own for the files a test
// writes, removed afterwards, and small helpers to write and read them.
#pragma once

#include "keep_test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

class ScratchDirTest : public testing::Test {
protected:
    void SetUp() override
    {
        const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              (std::string("gyrolux_") + test->test_suite_name() + "_" + test->name() + "_" +
               std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        keep_test_files(dir);
        std::filesystem::remove_all(dir);
    }

    std::string path(const std::string &name) const { return (dir / name).string(); }
    // Writes bytes to a file of the directory and gives its path.
    std::string write(const std::string &name, const std::string &bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    static std::string slurp(const std::string &name)
    {
        std::ifstream in(name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

    std::filesystem::path dir;
};
