#include "document/PugiMemory.h"

#include <sys/mman.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

#include "support/SecureWipe.h"

namespace keymora::pugimemory {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kRegionSize = std::size_t{32} << 20;
// pugixml asks for 32 KiB node pages and big strings; XPath scratch pages are
// 4 KiB and come and go with every query, so they stay with malloc.
constexpr std::size_t kLargeBlock = std::size_t{16} << 10;

// Every block starts with this; its size keeps malloc's alignment.
struct alignas(std::max_align_t) BlockHeader {
    std::size_t size;
    struct Region* region;  // null for a malloc block
};

// The head of a large region; blocks are handed out one after the other and
// the region is given back when the last of them is freed.
struct alignas(std::max_align_t) Region {
    std::size_t mapped;
    std::size_t used;
    std::size_t live;
};

std::mutex g_mutex;
Region* g_current = nullptr;
std::size_t g_regionBytes = 0;

std::size_t roundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

Region* mapRegion(std::size_t need) {
    const std::size_t size = std::max(kRegionSize, roundUp(need + sizeof(Region), kHugePage));
    // Map one huge page more than needed so that the region can start on a
    // huge-page boundary, then give back the ends.
    void* raw = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = roundUp(start, kHugePage);
    if (aligned > start) munmap(raw, aligned - start);
    const std::uintptr_t tail = start + size + kHugePage - (aligned + size);
    if (tail > 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    g_regionBytes += size;
    return new (reinterpret_cast<void*>(aligned)) Region{size, sizeof(Region), 0};
}

void unmapRegion(Region* region) {
    g_regionBytes -= region->mapped;
    munmap(region, region->mapped);
}

void* fromMalloc(std::size_t size) {
    void* raw = std::malloc(sizeof(BlockHeader) + size);
    if (raw == nullptr) return nullptr;
    auto* header = new (raw) BlockHeader{size, nullptr};
    return header + 1;
}

void* allocate(std::size_t size) {
    if (size < kLargeBlock) return fromMalloc(size);
    const std::size_t need = roundUp(sizeof(BlockHeader) + size, sizeof(BlockHeader));
    {
        const std::lock_guard lock(g_mutex);
        if (g_current == nullptr || g_current->used + need > g_current->mapped) {
            Region* full = g_current;
            g_current = mapRegion(need);
            if (full != nullptr && full->live == 0) unmapRegion(full);
        }
        if (g_current != nullptr) {
            char* at = reinterpret_cast<char*>(g_current) + g_current->used;
            g_current->used += need;
            ++g_current->live;
            auto* header = new (at) BlockHeader{size, g_current};
            return header + 1;
        }
    }
    return fromMalloc(size);
}

void deallocate(void* ptr) {
    if (ptr == nullptr) return;
    BlockHeader* header = static_cast<BlockHeader*>(ptr) - 1;
    secureWipe(ptr, header->size);
    Region* region = header->region;
    if (region == nullptr) {
        std::free(header);
        return;
    }
    const std::lock_guard lock(g_mutex);
    if (--region->live == 0) {
        if (region == g_current) g_current = nullptr;
        unmapRegion(region);
    }
}

// Before any other static object of the program can build a document: a
// block must be freed by the allocator that made it.
struct Installer {
    Installer() noexcept { install(); }
};
__attribute__((init_priority(101))) const Installer g_installer;

}  // namespace

bool install() noexcept {
    static const bool installed = [] {
        pugi::set_memory_management_functions(allocate, deallocate);
        return true;
    }();
    return installed;
}

void adviseHugePages(void* data, std::size_t size) noexcept {
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = roundUp(start, kHugePage);
    const std::uintptr_t last = (start + size) / kHugePage * kHugePage;
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

std::size_t regionBytes() noexcept {
    const std::lock_guard lock(g_mutex);
    return g_regionBytes;
}

}  // namespace keymora::pugimemory
