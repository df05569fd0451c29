// Huge pages for the heap of a program that is about to fill it.
//
// On the machines we measure (virtual ones in particular) the first touch of
// every fresh 4 KiB page costs ten microseconds or more, and a viewer's first
// frame of a large surface touches well over a hundred megabytes: Coin's
// fields, the statistics, Mesa's vertex and triangle buffers, Qt's images.
// A 2 MiB page costs one fault. glibc leaves heap memory to 4 KiB pages and
// gives every block of 128 KiB or more its own mapping, so the program asks
// for the heap to be advised for huge pages, and for blocks of up to 32 MiB
// to come from it.
#include "quillon.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

constexpr std::size_t huge_page = std::size_t(2) << 20;

#if defined(__linux__) && defined(__GLIBC__)
// "madvise" is the mode in which advice matters; with "always" the kernel
// already does it, with "never" nothing will.
bool transparent_huge_pages_on_advice()
{
    std::FILE *f = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r");
    if (f == nullptr)
        return false;
    char line[128] = {};
    const bool read = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    return read && std::strstr(line, "[madvise]") != nullptr;
}
#endif

} // namespace

bool use_huge_page_heap(std::size_t reserve)
{
#if defined(__linux__) && defined(__GLIBC__)
    // GYROLUX_SMALL_PAGES=1 leaves glibc's defaults (to compare, or where
    // huge pages misbehave).
    const char *small = std::getenv("GYROLUX_SMALL_PAGES");
    if (reserve < huge_page || (small && std::strcmp(small, "1") == 0) ||
        !transparent_huge_pages_on_advice())
        return false;
    const int biggest_heap_block = 32 << 20; // glibc's ceiling for the setting
    // Every thread's blocks from the one heap that gets the advice.
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, biggest_heap_block);
    // Freed memory stays for reuse instead of going back and coming again
    // without the advice.
    mallopt(M_TRIM_THRESHOLD, INT32_MAX);
    // One block larger than anything free makes the heap grow by it and by
    // the reserve in one step; the whole grown range is then advised.
    mallopt(M_TOP_PAD, static_cast<int>(reserve > INT32_MAX ? INT32_MAX : reserve));
    void *probe = std::malloc(std::size_t(biggest_heap_block) - huge_page);
    const auto start = reinterpret_cast<std::uintptr_t>(probe);
    std::free(probe);
    mallopt(M_TOP_PAD, 128 << 10); // glibc's own
    if (probe == nullptr)
        return false;
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t from = (start + huge_page - 1) & ~(huge_page - 1);
    if (end <= from + huge_page)
        return false;
    return madvise(reinterpret_cast<void *>(from), end - from, MADV_HUGEPAGE) == 0;
#else
    (void)reserve;
    return false;
#endif
}
