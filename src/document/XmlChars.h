#pragma once
// Characters XML 1.0 does not allow in a document, written raw or as a
// character reference: a strict reader refuses a file holding one, and
// "&#0;" would cut a value short where it stands.
#include <cstddef>
#include <optional>
#include <string_view>

namespace keymora::xmlchars {

struct Forbidden {
    std::size_t offset;  // byte where the character or its reference starts
    char32_t character;
};

bool isAllowed(char32_t c) noexcept;

// The first forbidden character of UTF-8 XML text, raw or referenced
// ("&#1;", "&#x1;"); CDATA sections and comments are skipped (references do
// not count there). Nothing when the text is clean.
std::optional<Forbidden> firstForbidden(std::string_view xml) noexcept;

}  // namespace keymora::xmlchars
