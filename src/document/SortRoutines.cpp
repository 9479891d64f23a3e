#include "document/SortRoutines.h"

#include <locale.h>
#include <wctype.h>

#include <utility>

namespace keymora::modSortRoutines {

namespace {

// Full Unicode lower case comes from the C.UTF-8 locale when the system has
// it; Latin-1 is handled here so the usual names fold the same everywhere.
locale_t utf8Locale() {
    static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return loc;
}

char32_t toLower(char32_t cp) {
    if (cp < 0x80) return (cp >= U'A' && cp <= U'Z') ? cp + 0x20 : cp;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;
    if (cp < 0x100) return cp;
    if (locale_t loc = utf8Locale(); loc != static_cast<locale_t>(nullptr)) {
        return static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), loc));
    }
    return cp;
}

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

// Index of the middle row: (low + high) / 2 with halves rounded to even.
std::ptrdiff_t middle(std::ptrdiff_t low, std::ptrdiff_t high) {
    const std::ptrdiff_t sum = low + high;
    if (sum % 2 == 0) return sum / 2;
    const std::ptrdiff_t below = (sum - 1) / 2;
    return below % 2 == 0 ? below : below + 1;
}

template <bool Ascending>
void quickSort(std::vector<SortRow>& rows, std::ptrdiff_t low, std::ptrdiff_t high) {
    const auto size = static_cast<std::ptrdiff_t>(rows.size());
    if (low < 0 || high >= size) return;
    // The two parts of a pass are independent, so the smaller one recurses and
    // the larger one loops: same result, shallow stack.
    while (low < high) {
        const std::u16string pivot = rows[static_cast<std::size_t>(middle(low, high))].key;
        std::ptrdiff_t left = low;
        std::ptrdiff_t right = high;
        auto keyAt = [&rows](std::ptrdiff_t i) -> const std::u16string& {
            return rows[static_cast<std::size_t>(i)].key;
        };
        while (left <= right) {
            if constexpr (Ascending) {
                while (left < high && keyAt(left) < pivot) ++left;
                while (right > low && pivot < keyAt(right)) --right;
            } else {
                while (left < high && keyAt(left) > pivot) ++left;
                while (right > low && pivot > keyAt(right)) --right;
            }
            if (left <= right) {
                std::swap(rows[static_cast<std::size_t>(left)], rows[static_cast<std::size_t>(right)]);
                ++left;
                --right;
            }
        }
        const bool lowPart = low < right;
        const bool highPart = left < high;
        if (lowPart && highPart) {
            if (right - low < high - left) {
                quickSort<Ascending>(rows, low, right);
                low = left;
            } else {
                quickSort<Ascending>(rows, left, high);
                high = right;
            }
        } else if (lowPart) {
            high = right;
        } else if (highPart) {
            low = left;
        } else {
            return;
        }
    }
}

}  // namespace

std::u16string FoldSortKey(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t cp = lead;
        std::size_t width = 1;
        if (lead >= 0xC2 && lead <= 0xF4) {
            width = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            char32_t value = lead & (lead < 0xE0 ? 0x1F : lead < 0xF0 ? 0x0F : 0x07);
            bool valid = i + width <= utf8.size();
            for (std::size_t k = 1; valid && k < width; ++k) {
                const auto next = static_cast<unsigned char>(utf8[i + k]);
                if ((next & 0xC0) != 0x80) valid = false;
                value = (value << 6) | (next & 0x3F);
            }
            if (valid && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF)) {
                cp = value;
            } else {
                width = 1;
            }
        }
        appendUtf16(out, toLower(cp));
        i += width;
    }
    return out;
}

void QuickSortAscending(std::vector<SortRow>& rows, std::ptrdiff_t low, std::ptrdiff_t high) {
    quickSort<true>(rows, low, high);
}

void QuickSortDescending(std::vector<SortRow>& rows, std::ptrdiff_t low, std::ptrdiff_t high) {
    quickSort<false>(rows, low, high);
}

}  // namespace keymora::modSortRoutines
