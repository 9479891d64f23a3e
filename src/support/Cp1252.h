#pragma once
// Windows-1252 <-> UTF-8. The data files hold Windows-1252 text, one byte per
// character; everything else in the program (pugixml, Qt, the terminal) is UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

namespace keymora::cp1252 {

// Bytes -> UTF-8. Never fails; 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which the
// code page leaves unassigned, become U+0081 etc.
std::string toUtf8(std::string_view bytes);
// Same, replacing the text; ASCII-only text (the common case) is left as it is.
void toUtf8InPlace(std::string& bytes);

// UTF-8 -> bytes; characters Windows-1252 lacks (and invalid UTF-8 sequences) become '?'.
std::string fromUtf8(std::string_view utf8);

// UTF-8 XML text -> bytes; characters Windows-1252 lacks become numeric character
// references ("&#20013;") so no text is lost; XML parsers turn them back.
std::string fromUtf8XmlText(std::string_view utf8);
// Same, converting within the buffer: no second copy of the text is made
// unless a character needs a reference longer than its UTF-8 form.
void fromUtf8XmlTextInPlace(std::string& utf8);

bool isValidUtf8(std::string_view text) noexcept;

// Number of characters (code points) in valid UTF-8 text.
std::size_t utf8Length(std::string_view utf8) noexcept;

}  // namespace keymora::cp1252
