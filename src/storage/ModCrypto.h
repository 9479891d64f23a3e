#pragma once
// RC4 with a 40-bit key from MD5 of the key text (user name followed by
// password), the derivation of Microsoft's base cryptographic provider.
// Buffers are bytes; the key text is UTF-8 and converted to Windows-1252
// ('?' for characters it lacks) before hashing.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace keymora::modCrypto {

// The 16-byte RC4 key: MD5(key bytes)[0..4] followed by eleven zero bytes.
std::array<std::uint8_t, 16> DeriveKey(std::string_view keyTextUtf8);

// Throws KmError (through HandleException): empty input gives 0x8004044D
// "InputBuffer can not be empty.". Output is cleared first and has the input's
// length. RC4 is its own inverse, so this also deciphers; a wrong key cannot be
// detected here.
bool Encrypt(std::string_view inputBuffer, std::string_view keyTextUtf8, std::string& output);

// In-place form used on large buffers (same key stream as Encrypt). An empty
// buffer is left as it is.
void ApplyInPlace(std::string& buffer, std::string_view keyTextUtf8);

}  // namespace keymora::modCrypto
