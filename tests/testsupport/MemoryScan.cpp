#include "testsupport/MemoryScan.h"

#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace keymora::test {

namespace {

constexpr std::uintptr_t kLargestScanned = std::uintptr_t{4} << 30;

struct Region {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    std::string name;
};

std::vector<Region> writableRegions() {
    std::vector<Region> regions;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range, perms, offset, device, inode, name;
        fields >> range >> perms >> offset >> device >> inode;
        std::getline(fields >> std::ws, name);
        if (perms.compare(0, 2, "rw") != 0 || name == "[stack]" || name.rfind("[v", 0) == 0) continue;
        // Shared and device mappings hold no heap data, and reading a device
        // mapping may block.
        if (perms.size() < 4 || perms[3] == 's' || name.rfind("/dev/", 0) == 0) continue;
        Region r;
        r.start = std::stoull(range.substr(0, range.find('-')), nullptr, 16);
        r.end = std::stoull(range.substr(range.find('-') + 1), nullptr, 16);
        // Terabytes reserved and never touched, such as AddressSanitizer's
        // shadow: reading them would take hours and hold nothing of ours.
        if (r.end - r.start > kLargestScanned) continue;
        r.name = name.empty() ? "anonymous" : name;
        regions.push_back(r);
    }
    return regions;
}

// Reads through the kernel, so a mapping that goes away meanwhile is an
// error to skip, not a crash.
std::size_t readOwn(std::uintptr_t from, char* into, std::size_t size) {
    struct iovec local {into, size};
    struct iovec remote {reinterpret_cast<void*>(from), size};
    const ssize_t n = ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0);
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

}  // namespace

std::vector<std::string> findInMemory(std::string_view text) {
    // Both forms of the needle live on this stack, which is not scanned.
    char narrow[256];
    char wide[512];
    if (text.empty() || text.size() > sizeof narrow) return {"needle too long"};
    std::memcpy(narrow, text.data(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        wide[2 * i] = text[i];
        wide[2 * i + 1] = '\0';
    }
    const std::string_view needles[2] = {{narrow, text.size()}, {wide, 2 * text.size()}};

    constexpr std::size_t kChunk = 1 << 20;
    const std::size_t overlap = 2 * text.size();
    auto* buffer = static_cast<char*>(::mmap(nullptr, kChunk + overlap, PROT_READ | PROT_WRITE,
                                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (buffer == MAP_FAILED) return {"no memory to scan with"};
    const auto own = reinterpret_cast<std::uintptr_t>(buffer);

    std::vector<std::string> found;
    for (const Region& region : writableRegions()) {
        if (region.start <= own && own < region.end) continue;
        for (std::uintptr_t at = region.start; at < region.end; at += kChunk) {
            const std::size_t want = std::min<std::size_t>(kChunk + overlap, region.end - at);
            const std::string_view chunk(buffer, readOwn(at, buffer, want));
            for (const std::string_view needle : needles) {
                if (chunk.find(needle) != std::string_view::npos) {
                    found.push_back(region.name + (needle.size() == text.size() ? "" : " (UTF-16)"));
                }
            }
        }
    }
    std::memset(buffer, 0, kChunk + overlap);
    ::munmap(buffer, kChunk + overlap);
    return found;
}

}  // namespace keymora::test
