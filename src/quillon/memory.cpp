// Checked allocation: every failure is reported and returned, never fatal.
#include "quillon.h"

#include <cstdint>
#include <cstdlib>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

std::size_t physical_memory()
{
    static const std::size_t bytes = [] {
        long pages = sysconf(_SC_PHYS_PAGES);
        long page = sysconf(_SC_PAGESIZE);
        if (pages <= 0 || page <= 0)
            return SIZE_MAX;
        return std::size_t(pages) * std::size_t(page);
    }();
    return bytes;
}

// Refuses products that overflow or exceed the machine's memory, so that
// an absurd count fails here instead of aborting inside the allocator.
bool checked_bytes(std::size_t n, std::size_t element_size,
                   std::size_t *bytes, const char *src, int line)
{
    if (element_size != 0 && n > SIZE_MAX / element_size) {
        print_error("Cannot allocate %zu elements of %zu bytes: too large "
                    "(%s:%d).\n", n, element_size, src, line);
        return false;
    }
    *bytes = n * element_size;
    if (*bytes > physical_memory()) {
        print_error("Cannot allocate %zu bytes: more than this machine has "
                    "(%s:%d).\n", *bytes, src, line);
        return false;
    }
    return true;
}

// Large arrays (a surface's points, indices, a file's values) are filled
// right after they are allocated; on huge pages that costs one page fault
// per 2 MiB instead of one per 4 KiB, which is most of reading a binary
// surface. Freed with free() like any other block.
constexpr std::size_t huge_page = std::size_t(2) << 20;

void *allocate(std::size_t bytes)
{
    if (bytes < huge_page / 2)
        return std::malloc(bytes);
    // Whole huge pages: the last one would otherwise be left to small ones.
    const std::size_t rounded = (bytes + huge_page - 1) / huge_page * huge_page;
    void *p = nullptr;
    if (rounded < bytes || posix_memalign(&p, huge_page, rounded) != 0)
        return nullptr;
    madvise(p, rounded, MADV_HUGEPAGE);
    return p;
}

std::size_t reserved_for(std::size_t n, std::size_t chunk)
{
    if (chunk == 0)
        chunk = 1;
    return (n + chunk - 1) / chunk * chunk;
}

} // namespace

void *alloc_memory_1d(std::size_t n, std::size_t element_size, const char *src,
                      int line)
{
    std::size_t bytes;
    if (!checked_bytes(n, element_size, &bytes, src, line))
        return nullptr;
    if (bytes == 0)
        return nullptr;
    void *p = allocate(bytes);
    if (p == nullptr)
        print_error("Cannot allocate %zu bytes (%s:%d).\n", bytes, src, line);
    return p;
}

void free_memory_1d(void **ptr, const char *, int)
{
    if (ptr == nullptr)
        return;
    std::free(*ptr);
    *ptr = nullptr;
}

Status realloc_memory(void **ptr, std::size_t n, std::size_t element_size,
                      const char *src, int line)
{
    std::size_t bytes;
    if (!checked_bytes(n, element_size, &bytes, src, line))
        return ERROR;
    if (bytes == 0) {
        std::free(*ptr);
        *ptr = nullptr;
        return OK;
    }
    void *p = std::realloc(*ptr, bytes);
    if (p == nullptr) {
        print_error("Cannot reallocate to %zu bytes (%s:%d).\n", bytes, src,
                    line);
        return ERROR; // the old block stays valid and owned by the caller
    }
    *ptr = p;
    return OK;
}

Status set_array_size(void **ptr, std::size_t element_size, std::size_t old_n,
                      std::size_t new_n, std::size_t chunk, const char *src,
                      int line)
{
    if (new_n == 0) {
        free_memory_1d(ptr, src, line);
        return OK;
    }
    // the block's real size decides, so that an array allocated exactly
    // (not in chunks) is never written past its end
    if (old_n > 0 && *ptr != nullptr &&
        reserved_for(old_n, chunk) == reserved_for(new_n, chunk) &&
        element_size != 0 && new_n <= malloc_usable_size(*ptr) / element_size)
        return OK;
    std::size_t capacity = reserved_for(new_n, chunk);
    if (capacity < new_n) // rounding overflowed
        capacity = new_n;
    if (old_n == 0 || *ptr == nullptr) {
        void *p = alloc_memory_1d(capacity, element_size, src, line);
        if (p == nullptr)
            return ERROR;
        *ptr = p;
        return OK;
    }
    return realloc_memory(ptr, capacity, element_size, src, line);
}
