#pragma once
// An allocator for large arrays built on a worker thread. glibc serves a
// thread from its own arena, and a freed arena's top is not given back by
// malloc_trim, so an index built in the background and freed when its
// surface closes would stay resident. Arrays of a megabyte or more are
// mapped here instead and unmapped whole when freed.
#include <sys/mman.h>

#include <cstddef>
#include <new>

namespace gyroscene {

template <class T>
struct page_allocator {
    using value_type = T;
    static constexpr std::size_t kMappedBytes = std::size_t(1) << 20;

    page_allocator() = default;
    template <class U>
    page_allocator(const page_allocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kMappedBytes)
            return static_cast<T*>(::operator new(bytes));
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }

    void deallocate(T* p, std::size_t n) noexcept
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kMappedBytes)
            ::operator delete(p);
        else
            munmap(p, bytes);
    }

    template <class U>
    bool operator==(const page_allocator<U>&) const noexcept { return true; }
};

}  // namespace gyroscene
