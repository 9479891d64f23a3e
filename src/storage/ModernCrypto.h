#pragma once
// The primitives under the modern container, each a thin call into Botan:
// Argon2id key derivation, ChaCha20-Poly1305 (RFC 8439) and the system's
// random generator. Buffers are bytes; nothing here knows the file layout.
#include <botan/secmem.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace keymora::modern {

using Bytes = std::span<const std::uint8_t>;

struct Argon2Params {
    std::uint32_t memoryKiB = 0;
    std::uint32_t iterations = 0;
    std::uint8_t parallelism = 0;
};

// Argon2id, version 0x13. secret and associatedData are Argon2's optional
// inputs K and X; the container leaves them empty.
Botan::secure_vector<std::uint8_t> argon2id(std::size_t outputLength, Bytes password, Bytes salt,
                                            const Argon2Params& params, Bytes secret = {},
                                            Bytes associatedData = {});

// Enciphers text[from..] in place and appends the 16-byte tag; the bytes
// before `from` stay as they are.
void chachaSeal(Bytes key, Bytes nonce, Bytes associatedData, std::string& text, std::size_t from);

// Deciphers text[from..end-16] in place and drops the tag; false, with the
// buffer wiped, when the tag does not match.
bool chachaOpen(Bytes key, Bytes nonce, Bytes associatedData, std::string& text, std::size_t from);

// Bytes from the operating system's generator.
void randomBytes(std::span<std::uint8_t> out);

inline Bytes bytesOf(std::string_view text) noexcept {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace keymora::modern
