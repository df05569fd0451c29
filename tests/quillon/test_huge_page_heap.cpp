// The heap set up for huge pages serves large blocks itself and keeps what
// is freed for the next block; refused, it leaves glibc's allocator exactly
// as it was. Each test case runs in its own process under ctest.
#include "quillon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

bool thpOnAdvice()
{
    std::FILE* f = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r");
    if (!f)
        return false;
    char line[128] = {};
    const bool read = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    return read && std::strstr(line, "[madvise]") != nullptr;
}

long residentKib()
{
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// 8 MiB has its own mapping, above the heap, with glibc's defaults.
constexpr std::size_t bigBlock = std::size_t(8) << 20;

bool fromTheHeap(const void* block)
{
    return reinterpret_cast<std::uintptr_t>(block) + bigBlock <=
           reinterpret_cast<std::uintptr_t>(sbrk(0));
}

TEST(HugePageHeap, RefusedLeavesTheAllocatorAsItWas)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's allocator stands in for glibc's";
#else
    EXPECT_FALSE(use_huge_page_heap(4096)) << "a reserve smaller than one huge page";
    if (!thpOnAdvice())
        EXPECT_FALSE(use_huge_page_heap(std::size_t(64) << 20));
    void* block = std::malloc(bigBlock);
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(fromTheHeap(block)) << "a refusal changed where large blocks come from";
    std::free(block);
#endif
}

TEST(HugePageHeap, LargeBlocksComeFromTheHeapAndAreReused)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's allocator stands in for glibc's";
#else
    if (!thpOnAdvice())
        GTEST_SKIP() << "transparent huge pages are not given on request here";
    ASSERT_TRUE(use_huge_page_heap(std::size_t(64) << 20));

    char* block = static_cast<char*>(std::malloc(bigBlock));
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(fromTheHeap(block));
    std::memset(block, 1, bigBlock);
    asm volatile("" : : "r"(block) : "memory"); // the pages are written, not optimised away
    const long touched = residentKib();
    std::free(block);

    // Freed, it stays with the program (with glibc's defaults its mapping
    // would go, 8 MiB of resident memory with it) and serves the next block.
    EXPECT_GT(residentKib(), touched - 1024);
    char* again = static_cast<char*>(std::malloc(bigBlock));
    EXPECT_EQ(again, block);
    std::free(again);
#endif
}

} // namespace
