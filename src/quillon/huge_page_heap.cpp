// Huge pages for the heap of a program that is about to fill it.
//
// On the machines we measure (virtual ones in particular) the first touch of
// every fresh 4 KiB page costs ten microseconds or more, and a viewer's first
// frame of a large surface touches well over a hundred megabytes: Coin's
// fields, the statistics, Mesa's vertex and triangle buffers, Qt's images.
// A 2 MiB page costs one fault. glibc leaves heap memory to 4 KiB pages and
// gives every block of 128 KiB or more its own mapping, so a program asked to
// (GYROLUX_HUGE_PAGES=1, read in its main) has the heap advised for huge
// pages and blocks of up to 32 MiB served from it. Off by default: it gained
// nothing in the median first frame, slowed some starts, and memory freed
// never goes back to the system.
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
    // Everything that can refuse is asked before the allocator is touched:
    // false must mean the process is as it was.
    if (reserve < huge_page || !transparent_huge_pages_on_advice())
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
    // From here on the options are changed whatever the advice does, so the
    // answer is true; a refused advice only leaves the heap on small pages.
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t from = (start + huge_page - 1) & ~(huge_page - 1);
    if (probe != nullptr && end > from + huge_page)
        madvise(reinterpret_cast<void *>(from), end - from, MADV_HUGEPAGE);
    return true;
#else
    (void)reserve;
    return false;
#endif
}
