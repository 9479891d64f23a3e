#pragma once
// The bytes of a data file: RC4 over [zlib stream of the Windows-1252 XML text]
// followed by a ten-character size field (decimal, blank-padded on the right).
#include <optional>
#include <string>
#include <string_view>

namespace keymora::container {

// Payload from Windows-1252 XML bytes: compressed stream + size field. Every
// container of this program builds its payload here and reads it back with
// decodePayload.
std::string encodePayload(std::string_view xmlBytes);
// Same, replacing the text by its payload (the text is wiped).
void encodePayloadInPlace(std::string& xmlBytes);

// File bytes from Windows-1252 XML bytes and the key text (UTF-8).
std::string encode(std::string_view xmlBytes, std::string_view keyTextUtf8);

// Same, turning the buffer itself into the file bytes (no second copy of the
// text is made; the text is wiped).
void encodeInPlace(std::string& xmlBytes, std::string_view keyTextUtf8);

enum class PayloadKind { OldFile, Compressed, BareXml, Unreadable };

// Recognises a decrypted payload. fileName decides only the ".kmfoldfile" case.
PayloadKind classifyPayload(std::string_view fileName, std::string_view payload);

// Windows-1252 XML text from a decrypted payload, or nothing when it cannot
// be expanded (legacy archives included). Never throws on damaged input.
std::optional<std::string> decodePayload(std::string_view fileName, std::string payload);

// decrypt + decodePayload.
std::optional<std::string> decode(std::string_view fileName, std::string_view fileBytes,
                                  std::string_view keyTextUtf8);
// The same in the file's own buffer, which is used up (no second copy of the file).
std::optional<std::string> decodeInPlace(std::string_view fileName, std::string&& fileBytes,
                                  std::string_view keyTextUtf8);

}  // namespace keymora::container
