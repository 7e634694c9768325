#pragma once

#include <cstdint>
#include <cstdlib>
#include <new>
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

// A byte buffer that grows by reallocation in 64 KiB steps, keeping its
// content, and can hand its memory over without a copy.
namespace tomelens::archive {

class GrowableBytes {
public:
    static constexpr std::uint64_t kStep = 0x10000;

    GrowableBytes() = default;
    GrowableBytes(const GrowableBytes&) = delete;
    GrowableBytes& operator=(const GrowableBytes&) = delete;
    ~GrowableBytes() { std::free(m_data); }

    unsigned char* Data() { return m_data; }
    std::uint64_t Capacity() const { return m_capacity; }

    // Makes room for at least `bytes`; the allocator's failure is not hidden.
    void Reserve(std::uint64_t bytes)
    {
        if (bytes <= m_capacity && m_data)
            return;
        const std::uint64_t capacity = (bytes / kStep + 1) * kStep;
        void* grown = std::realloc(m_data, capacity);
        if (!grown)
            throw std::bad_alloc();
        m_data = static_cast<unsigned char*>(grown);
        m_capacity = capacity;
        AdviseHugePages(m_data, m_capacity);
    }

    // Gives up the memory, trimmed to `used` bytes (at least one, so the
    // pointer is never null); the caller frees it with std::free.
    unsigned char* Release(std::uint64_t used)
    {
        Reserve(1);
        unsigned char* data = m_data;
        if (void* trimmed = std::realloc(data, used > 0 ? used : 1))
            data = static_cast<unsigned char*>(trimmed);
        m_data = nullptr;
        m_capacity = 0;
        return data;
    }

    // Large buffers are filled once, front to back: huge pages spare most of
    // the page faults (a hint only; Linux alone has it, elsewhere a no-op).
    static void AdviseHugePages([[maybe_unused]] void* data, [[maybe_unused]] std::uint64_t size)
    {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        constexpr std::uint64_t kHugePage = 2u << 20;
        if (size < 2 * kHugePage)
            return;
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
        const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) / page * page;
        if (end > begin)
            ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
    }

private:
    unsigned char* m_data = nullptr;
    std::uint64_t m_capacity = 0;
};

}  // namespace tomelens::archive
