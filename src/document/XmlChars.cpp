#include "document/XmlChars.h"

namespace keymora::xmlchars {

namespace {

int digitValue(char c, int base) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The character "&#...;" at text[i] stands for; nothing when it is no
// well-formed reference (the parser judges those).
std::optional<char32_t> referenceAt(std::string_view text, std::size_t i) noexcept {
    std::size_t p = i + 2;
    int base = 10;
    if (p < text.size() && text[p] == 'x') {
        base = 16;
        ++p;
    }
    char32_t value = 0;
    bool any = false;
    for (; p < text.size() && text[p] != ';'; ++p) {
        const int d = digitValue(text[p], base);
        if (d < 0) return std::nullopt;
        value = value > 0x10FFFF ? value : value * static_cast<char32_t>(base) + static_cast<char32_t>(d);
        any = true;
    }
    if (!any || p >= text.size()) return std::nullopt;
    return value;
}

}  // namespace

bool isAllowed(char32_t c) noexcept {
    if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

std::optional<Forbidden> firstForbidden(std::string_view xml) noexcept {
    for (std::size_t i = 0; i < xml.size(); ++i) {
        const auto c = static_cast<unsigned char>(xml[i]);
        if (c < 0x20 && !isAllowed(c)) return Forbidden{i, c};
        if (c == '<') {
            std::string_view end;
            if (xml.substr(i, 9) == "<![CDATA[") end = "]]>";
            if (xml.substr(i, 4) == "<!--") end = "-->";
            if (!end.empty()) {
                const std::size_t close = xml.find(end, i);
                // Raw characters in them still count: scan those alone.
                const std::size_t stop = close == std::string_view::npos ? xml.size() : close;
                for (std::size_t k = i; k < stop; ++k)
                    if (static_cast<unsigned char>(xml[k]) < 0x20 && !isAllowed(static_cast<unsigned char>(xml[k])))
                        return Forbidden{k, static_cast<unsigned char>(xml[k])};
                i = stop;
            }
            continue;
        }
        if (c == '&' && i + 1 < xml.size() && xml[i + 1] == '#') {
            if (const auto ref = referenceAt(xml, i); ref && !isAllowed(*ref)) return Forbidden{i, *ref};
        }
        // U+FFFE and U+FFFF written raw: EF BF BE / EF BF BF.
        if (c == 0xEF && xml.substr(i + 1, 2) == "\xBF\xBE") return Forbidden{i, 0xFFFE};
        if (c == 0xEF && xml.substr(i + 1, 2) == "\xBF\xBF") return Forbidden{i, 0xFFFF};
    }
    return std::nullopt;
}

}  // namespace keymora::xmlchars
