#include "columnarray.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>

namespace geolago::columnmemory {

namespace {

// Whether the mappings are advised for huge pages: GEOLAGO_HUGE_PAGES=1 in the environment.
// Not by default: on the virtual machine measured (docs/performance.md), a huge page
// fresh from the system cost four to five times the system time of the small pages it
// replaced, the host backing each of its 512 small pages on the first write.
bool hugePagesAdvised()
{
    static const bool advised = [] {
        const char* value = std::getenv("GEOLAGO_HUGE_PAGES");
        return value && value[0] == '1' && value[1] == '\0';
    }();
    return advised;
}

// `bytes` of address space MappedFrom aligned: a little more is mapped, and the ends cut.
void* alignedMapping(std::size_t bytes)
{
    const std::size_t mapped = bytes + MappedFrom;
    void* at = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (at == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(at);
    const std::uintptr_t aligned = (start + MappedFrom - 1) & ~(std::uintptr_t{MappedFrom} - 1);
    if (aligned > start)
        ::munmap(at, aligned - start);
    if (const std::uintptr_t after = start + mapped - (aligned + bytes); after > 0)
        ::munmap(reinterpret_cast<void*>(aligned + bytes), after);
#ifdef MADV_HUGEPAGE
    // Only advice, and only when asked: see hugePagesAdvised().
    if (hugePagesAdvised())
        ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
}

}  // namespace

void* map(std::size_t bytes)
{
    return alignedMapping(bytes);
}

void unmap(void* at, std::size_t bytes)
{
    ::munmap(at, bytes);
}

void* grow(void* at, std::size_t bytes, std::size_t grown)
{
    // In place when the address space after it is free.
    if (::mremap(at, bytes, grown, 0) != MAP_FAILED)
        return at;
    // Else a new aligned mapping, the pages held moved to its start.
    void* fresh = alignedMapping(grown);
    if (!fresh)
        return nullptr;
    if (::mremap(at, bytes, bytes, MREMAP_MAYMOVE | MREMAP_FIXED, fresh) == MAP_FAILED) {
        ::munmap(fresh, grown);
        return nullptr;
    }
    return fresh;
}

}  // namespace geolago::columnmemory
