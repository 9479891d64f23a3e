#pragma once
// The recursive quicksort used to order one level of the tree. It is not
// stable; the order of equal keys is whatever these partition steps produce,
// which users of older files are used to.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace keymora::modSortRoutines {

struct SortRow {
    std::u16string key;      // already folded with FoldSortKey
    std::size_t item = 0;    // the caller's reference to the row's node
};

// Lower-cased UTF-16 form of a UTF-8 text; rows compare their keys by code
// unit. Bytes that are not UTF-8 count as Latin-1 characters.
std::u16string FoldSortKey(std::string_view utf8);

// Sort rows[low..high] (inclusive bounds). Nothing happens when low >= high or
// the bounds lie outside the table.
void QuickSortAscending(std::vector<SortRow>& rows, std::ptrdiff_t low, std::ptrdiff_t high);
void QuickSortDescending(std::vector<SortRow>& rows, std::ptrdiff_t low, std::ptrdiff_t high);

}  // namespace keymora::modSortRoutines
