// Where a read takes its objects from: model files named many times, model
// names that are not regular files, and a top-level stream of unknown size
// that claims far more than it delivers.
#include "object_read_test.h"
#include "object_io.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using testing::HasSubstr;
using testing::Not;

namespace {

std::string bytes_of(const void *p, std::size_t n)
{
    return std::string(static_cast<const char *>(p), n);
}
std::string int_bytes(int v) { return bytes_of(&v, 4); }
std::string binary_surfprop()
{
    float surfprop[5] = {0.3f, 0.3f, 0.4f, 10.0f, 1.0f};
    return bytes_of(surfprop, sizeof surfprop);
}

class ObjectSourceTest : public ObjectReadTest {
protected:
    struct ChildResult {
        bool exited = false; // rather than killed by a signal
        int code = -1;
        std::string messages;
    };
    // Runs body in a child process with its standard error in a file, so
    // that a read which blocks (ended by an alarm) or whose address space is
    // limited cannot take the test process with it.
    ChildResult in_child(const std::function<int()> &body)
    {
        const std::string log = path("child.log");
        std::fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, 2);
            ::alarm(20);
            _exit(body());
        }
        ChildResult result;
        int wstatus = 0;
        if (pid > 0 && ::waitpid(pid, &wstatus, 0) == pid) {
            result.exited = WIFEXITED(wstatus);
            result.code = result.exited ? WEXITSTATUS(wstatus) : -1;
        }
        result.messages = slurp(log);
        return result;
    }

    // Reads name in a child whose address space may grow by only
    // limit_bytes: a reservation for a claimed count shows there even when
    // its pages are never touched (resident size would not see it). The
    // child's exit code is 0 for ERROR, 1 for OK.
    ChildResult read_with_memory_limit(const std::string &name, std::size_t limit_bytes)
    {
        return in_child([&] {
            long pages = 0;
            if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
                if (std::fscanf(statm, "%ld", &pages) != 1)
                    pages = 0;
                std::fclose(statm);
            }
            if (pages <= 0)
                return 2;
            struct rlimit limit;
            limit.rlim_cur = limit.rlim_max =
                rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + limit_bytes;
            if (setrlimit(RLIMIT_AS, &limit) != 0)
                return 3;
            File_formats form;
            int n = 0;
            object_struct **list = nullptr;
            Status status = input_graphics_file(name.c_str(), &form, &n, &list);
            delete_object_list(n, list);
            return status == ERROR ? 0 : 1;
        });
    }

    // Files lK.obj, K = 0 .. depth-1, each naming l(K+1).obj 'times' times;
    // the last holds one marker.
    void write_model_chain(int depth, int times)
    {
        for (int k = 0; k < depth; ++k) {
            std::string body;
            for (int i = 0; i < times; ++i)
                body += "F \"l" + std::to_string(k + 1) + ".obj\"\n";
            write("l" + std::to_string(k) + ".obj", body);
        }
        write("l" + std::to_string(depth) + ".obj", "M 0 1 1 1 1 1 0 0 0 0 0 \"x\"\n");
    }

};

TEST_F(ObjectSourceTest, ModelFilesNamedManyTimesAreBoundedPerRead)
{
    // Seventeen files naming the next twice: 2^17 - 1 opens unbounded.
    write_model_chain(16, 2);
    EXPECT_EQ(read(path("l0.obj")), ERROR);
    EXPECT_THAT(messages, HasSubstr("one read may open at most 100 model files"));
    EXPECT_THAT(messages, HasSubstr("Error reading model file \"" + path("l")));
    EXPECT_EQ(n_objects, 0);

    // Files named again and again within the bound read whole: 1 + 3 + 9 +
    // 27 files, and a second read starts its own count.
    write_model_chain(3, 3);
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_EQ(read(path("l0.obj")), OK) << messages;
        ASSERT_EQ(n_objects, 3);
        int leaves = 0;
        std::function<void(object_struct *)> count = [&](object_struct *object) {
            if (get_object_type(object) == MARKER)
                ++leaves;
            if (get_object_type(object) == MODEL) {
                model_struct *model = get_model_ptr(object);
                for (int i = 0; i < model->n_objects; ++i)
                    count(model->objects[i]);
            }
        };
        for (int i = 0; i < n_objects; ++i)
            count(objects[i]);
        EXPECT_EQ(leaves, 27);
    }
}

TEST_F(ObjectSourceTest, ModelFilesMustBeRegularFiles)
{
    write("null.obj", "F \"/dev/null\"\n");
    EXPECT_EQ(read(path("null.obj")), ERROR);
    EXPECT_THAT(messages, HasSubstr("Error reading model file \"/dev/null\": not a "
                                    "regular file."));

    // A FIFO nobody writes to would block the open for ever: the read runs
    // in a child that an alarm ends.
    const std::string fifo = path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    write("fifo_model.obj", "F \"fifo\"\n");
    ChildResult child = in_child([&] {
        File_formats form;
        int n = 0;
        object_struct **list = nullptr;
        return input_graphics_file(path("fifo_model.obj").c_str(), &form, &n, &list) == ERROR
                   ? 0
                   : 1;
    });
    EXPECT_TRUE(child.exited) << "the read blocked";
    EXPECT_EQ(child.code, 0);
    EXPECT_THAT(child.messages, HasSubstr("\"" + fifo + "\": not a regular file."));

    // A regular model file still reads, with or without its suffix.
    write("inner.obj", "M 0 1 1 1 1 1 0 0 0 0 0 \"x\"\n");
    write("outer.obj", "F \"inner\"\nF \"inner.obj\"\n");
    ASSERT_EQ(read(path("outer.obj")), OK) << messages;
    ASSERT_EQ(n_objects, 2);
    EXPECT_EQ(get_model_ptr(objects[1])->n_objects, 1);
}

TEST_F(ObjectSourceTest, StreamClaimingMoreThanItHoldsFailsInSmallMemory)
{
    struct Case {
        const char *what;
        std::string head; // the claim
        std::string data; // a little of what it claims
    };
    std::string ascii_points;
    for (int i = 0; i < 100; ++i)
        ascii_points += "1.5 2.5 3.5\n";
    const std::vector<Case> cases = {
        {"binary points", "p" + binary_surfprop() + int_bytes(1500000000),
         std::string(1200, '\1')},
        {"ascii points", "P 0.3 0.3 0.4 10 1 1500000000\n", ascii_points},
        // a compressed sphere of 335544320 triangles: 167772162 points
        {"compressed sphere", "p" + binary_surfprop() + int_bytes(-335544320),
         std::string(1200, '\1')},
        // one point, then 1.5 billion polygons: the end indices are claimed
        {"binary end indices",
         "p" + binary_surfprop() + int_bytes(1) + std::string(24, '\0') +
             int_bytes(1500000000) + int_bytes(0) + std::string(4, '\xff'),
         std::string(1200, '\0')},
        // 16-bit pixels, 40000 by 40000
        {"16-bit pixels", "x" + int_bytes(1) + int_bytes(40000) + int_bytes(40000),
         std::string(1200, '\1')},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const std::string stream = c.head + c.data;
        ASSERT_LT(stream.size(), 4096u); // fits the pipe: written before reading
        ASSERT_EQ(::write(fds[1], stream.data(), stream.size()), ssize_t(stream.size()));
        ::close(fds[1]);
        // far below any claimed array, far above what the data needs
        ChildResult child =
            read_with_memory_limit("/dev/fd/" + std::to_string(fds[0]), 256u << 20);
        ::close(fds[0]);
        EXPECT_TRUE(child.exited);
        EXPECT_EQ(child.code, 0) << child.messages;
        EXPECT_THAT(child.messages, Not(HasSubstr("allocate")));
        EXPECT_THAT(child.messages, HasSubstr("/dev/fd/"));
    }
}

} // namespace
