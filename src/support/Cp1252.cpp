#include "support/Cp1252.h"

#include <array>
#include <cstring>
#include <optional>

#include "support/SecureWipe.h"

namespace keymora::cp1252 {

namespace {

// 0x80..0x9F; the five holes of the code page map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// UTF-8 form of every byte value: up to three bytes plus the length.
struct Utf8Form {
    char bytes[3];
    unsigned char length;
};

constexpr std::array<Utf8Form, 256> makeUtf8Table() {
    std::array<Utf8Form, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        const char32_t cp = i < 0x80 || i >= 0xA0 ? char32_t(i) : char32_t(kHigh[i - 0x80]);
        Utf8Form f{};
        if (cp < 0x80) {
            f.bytes[0] = static_cast<char>(cp);
            f.length = 1;
        } else if (cp < 0x800) {
            f.bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
            f.bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
            f.length = 2;
        } else {
            f.bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
            f.bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            f.bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
            f.length = 3;
        }
        table[i] = f;
    }
    return table;
}

constexpr std::array<Utf8Form, 256> kUtf8 = makeUtf8Table();

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Length of the leading run of ASCII bytes, eight at a time.
std::size_t asciiPrefix(const unsigned char* p, std::size_t n) noexcept {
    std::size_t i = 0;
    while (i + 8 <= n) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & kHighBits) break;
        i += 8;
    }
    while (i < n && p[i] < 0x80) ++i;
    return i;
}

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one UTF-8 sequence starting at p[i] (a non-ASCII lead byte). Advances
// i past it, or past the single offending byte when the sequence is invalid.
char32_t decodeOne(const unsigned char* p, std::size_t n, std::size_t& i) noexcept {
    const unsigned char lead = p[i];
    std::size_t need;
    char32_t cp;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        cp = lead & 0x1Fu;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        cp = lead & 0x0Fu;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        cp = lead & 0x07u;
        min = 0x10000;
    } else {
        ++i;
        return kInvalid;
    }
    if (n - i - 1 < need) {
        ++i;
        return kInvalid;
    }
    for (std::size_t k = 1; k <= need; ++k) {
        const unsigned char c = p[i + k];
        if ((c & 0xC0) != 0x80) {
            ++i;
            return kInvalid;
        }
        cp = (cp << 6) | (c & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kInvalid;
    }
    i += need + 1;
    return cp;
}

// The byte for a code point, or nothing when Windows-1252 lacks it.
std::optional<unsigned char> fromUnicode(char32_t cp) noexcept {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
    if (cp > 0xFFFF) return std::nullopt;
    for (std::size_t k = 0; k < kHigh.size(); ++k) {
        if (kHigh[k] == cp) return static_cast<unsigned char>(0x80 + k);
    }
    return std::nullopt;
}

// "&#N;" for a code point Windows-1252 lacks.
void appendReference(std::string& out, char32_t cp) {
    char buf[16];
    char* end = buf + sizeof buf;
    char* q = end;
    *--q = ';';
    auto v = static_cast<std::uint32_t>(cp);
    do {
        *--q = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    *--q = '#';
    *--q = '&';
    out.append(q, static_cast<std::size_t>(end - q));
}

template <typename OnMissing>
std::string fromUtf8Impl(std::string_view utf8, OnMissing onMissing) {
    std::string out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t run = asciiPrefix(p + i, n - i);
        if (run != 0) {
            out.append(utf8.data() + i, run);
            i += run;
            if (i >= n) break;
        }
        const char32_t cp = decodeOne(p, n, i);
        if (cp == kInvalid) {
            out.push_back('?');
            continue;
        }
        if (const auto b = fromUnicode(cp)) {
            out.push_back(static_cast<char>(*b));
        } else {
            onMissing(out, cp);
        }
    }
    return out;
}

}  // namespace


std::string toUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    // Exact size first: large documents are parsed in this very buffer, so
    // no slack and no regrowth.
    std::size_t size = n;
    for (std::size_t i = asciiPrefix(p, n); i < n; i += asciiPrefix(p + i, n - i)) {
        while (i < n && p[i] >= 0x80) size += kUtf8[p[i++]].length - 1u;
    }
    std::string out;
    out.reserve(size);
    std::size_t i = 0;
    while (i < n) {
        const std::size_t run = asciiPrefix(p + i, n - i);
        if (run != 0) {
            out.append(bytes.data() + i, run);
            i += run;
        }
        while (i < n && p[i] >= 0x80) {
            const Utf8Form& f = kUtf8[p[i]];
            out.append(f.bytes, f.length);
            ++i;
        }
    }
    return out;
}

void toUtf8InPlace(std::string& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (asciiPrefix(p, bytes.size()) == bytes.size()) return;
    std::string utf8 = toUtf8(bytes);
    secureWipe(bytes);
    bytes.swap(utf8);
}

std::string fromUtf8(std::string_view utf8) {
    return fromUtf8Impl(utf8, [](std::string& out, char32_t) { out.push_back('?'); });
}

std::string fromUtf8XmlText(std::string_view utf8) {
    return fromUtf8Impl(utf8, appendReference);
}

void fromUtf8XmlTextInPlace(std::string& utf8) {
    auto* p = reinterpret_cast<unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = asciiPrefix(p, n);
    std::size_t w = i;  // never past i: every byte written replaces one or more read
    while (i < n) {
        if (const std::size_t run = asciiPrefix(p + i, n - i); run != 0) {
            std::memmove(p + w, p + i, run);
            w += run;
            i += run;
            continue;
        }
        const std::size_t start = i;
        const char32_t cp = decodeOne(p, n, i);
        const auto b = cp == kInvalid ? std::optional<unsigned char>('?') : fromUnicode(cp);
        if (b) {
            p[w++] = *b;
            continue;
        }
        // A reference can be longer than the sequence it replaces: the rest
        // is converted beside the buffer.
        std::string rest = fromUtf8XmlText(std::string_view(utf8).substr(start));
        utf8.resize(w);
        utf8 += rest;
        secureWipe(rest);
        return;
    }
    utf8.resize(w);
}

bool isValidUtf8(std::string_view text) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        i += asciiPrefix(p + i, n - i);
        if (i >= n) break;
        if (decodeOne(p, n, i) == kInvalid) return false;
    }
    return true;
}

std::size_t utf8Length(std::string_view utf8) noexcept {
    std::size_t count = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

}  // namespace keymora::cp1252
