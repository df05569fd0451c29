#include "gifti_library.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <string>

namespace {

std::mutex library_lock;

// While one lives, standard error goes nowhere. Other threads' lines in
// that moment are lost too; the library's calls are short.
class quiet_stderr {
public:
    quiet_stderr()
    {
        std::fflush(stderr);
        saved_ = ::dup(2);
        FILE *null = std::fopen("/dev/null", "w");
        if (saved_ >= 0 && null != nullptr)
            ::dup2(::fileno(null), 2);
        if (null != nullptr)
            std::fclose(null);
    }
    ~quiet_stderr()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, 2);
            ::close(saved_);
        }
    }
    quiet_stderr(const quiet_stderr &) = delete;
    quiet_stderr &operator=(const quiet_stderr &) = delete;

private:
    int saved_ = -1;
};

// A memory file holding the text, for the library, which reads only named
// files; closed when it goes.
class memory_file {
public:
    explicit memory_file(const std::string &text)
    {
        fd_ = ::memfd_create("gifti-text", MFD_CLOEXEC);
        std::size_t done = 0;
        while (fd_ >= 0 && done < text.size()) {
            ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
            if (n <= 0) {
                ::close(fd_);
                fd_ = -1;
            } else {
                done += std::size_t(n);
            }
        }
    }
    ~memory_file()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    memory_file(const memory_file &) = delete;
    memory_file &operator=(const memory_file &) = delete;
    bool ok() const { return fd_ >= 0; }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_ = -1;
};

} // namespace

gifti_image *gifti_library_read(const std::string &text, bool read_data)
{
    memory_file file(text);
    if (!file.ok())
        return nullptr;
    std::lock_guard<std::mutex> hold(library_lock);
    quiet_stderr quiet;
    gifti_set_verb(0);
    return gifti_read_image(file.path().c_str(), read_data ? 1 : 0);
}

int gifti_library_write(gifti_image *image, const char *filename)
{
    std::lock_guard<std::mutex> hold(library_lock);
    quiet_stderr quiet;
    gifti_set_verb(0);
    return gifti_write_image(image, filename, 1);
}
