// Temporary files for the statistics tests.
#ifndef VERTSTATS_TEST_SUPPORT_H
#define VERTSTATS_TEST_SUPPORT_H

#include "keep_test_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vertstats-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            throw std::runtime_error("mkdtemp failed");
        dir = tmpl;
    }
    ~TempDir() {
        keep_test_files(dir);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path(const std::string& name) const { return (dir / name).string(); }

    std::string write(const std::string& name, const std::string& content) const {
        std::string p = path(name);
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }

    static std::string read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path dir;
};

#endif
