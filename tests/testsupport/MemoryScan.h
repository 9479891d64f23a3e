#pragma once
// Looks for a secret in this process's own writable memory: the heap, the
// anonymous mappings (other threads' stacks, large allocations) and the
// libraries' data, freed blocks included. The main thread's stack is left out:
// the scan itself runs there.
#include <string>
#include <string_view>
#include <vector>

namespace keymora::test {

// Where text occurs as 8-bit characters or as UTF-16 (Qt's strings); each
// finding names the mapping ("[heap]", a library, "anonymous").
std::vector<std::string> findInMemory(std::string_view text);

}  // namespace keymora::test
