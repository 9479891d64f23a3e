#pragma once
// Memory for every pugixml document of the program.
//
// Blocks are wiped before they are given back, so text that was replaced in a
// document (an old password) does not linger in freed memory. Large blocks
// (the parser's node pages) come from big regions backed by huge pages where
// the system allows: a 100,000-entry file needs some 100 MB of nodes, and
// faulting that in 4 KiB at a time costs more than the parse itself.
#include <cstddef>

namespace keymora::pugimemory {

// Installs the allocator; done once, before main, by the document library.
// Returns true when it is (or already was) in place.
bool install() noexcept;

// Asks for huge pages over the 2 MiB-aligned interior of [data, data + size):
// for large text buffers about to be filled. A hint only.
void adviseHugePages(void* data, std::size_t size) noexcept;

// Bytes currently held in large regions (for measurements).
std::size_t regionBytes() noexcept;

}  // namespace keymora::pugimemory
