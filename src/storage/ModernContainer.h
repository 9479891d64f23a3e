#pragma once
// The modern data file: a 47-byte header (magic, Argon2id parameters, salt,
// cipher, nonce) followed by ChaCha20-Poly1305 of the same payload the legacy
// container enciphers with RC4. The header is the associated data, so no
// field of it can change unnoticed. All integers little-endian:
//   0  magic "KEYMORA" 0x02      8  key derivation (1 = Argon2id v0x13)
//   9  memory in KiB (u32)      13  iterations (u32)   17  parallelism (u8)
//   18 salt (16 bytes)          34  cipher (1 = ChaCha20-Poly1305)
//   35 nonce (12 bytes)         47  ciphertext, then the 16-byte tag
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "storage/ModernCrypto.h"

namespace keymora::modern {

inline constexpr std::string_view kMagic{"KEYMORA\x02", 8};
inline constexpr std::size_t kHeaderSize = 47;
inline constexpr std::size_t kSaltSize = 16;
inline constexpr std::size_t kNonceSize = 12;
inline constexpr std::size_t kTagSize = 16;
inline constexpr std::size_t kKeySize = 32;

// Outside these a file is refused before any work: a crafted header must not
// make the program allocate or spin.
inline constexpr std::uint32_t kMinMemoryKiB = 8 * 1024;
inline constexpr std::uint32_t kMaxMemoryKiB = 1024 * 1024;
inline constexpr std::uint32_t kMaxIterations = 100;
inline constexpr std::uint8_t kMaxParallelism = 16;

// What new files get; about a third of a second on a two-core machine.
inline constexpr Argon2Params kDefaultParams{65536, 3, 1};

inline constexpr const char* kNeedsNewerProgramText =
    "This file is protected in a way this version of Keymora does not know. "
    "It needs a newer version of the program.";
inline constexpr const char* kNeedsNewerProgramTitle = "Newer Program Needed";

using Salt = std::array<std::uint8_t, kSaltSize>;
using Nonce = std::array<std::uint8_t, kNonceSize>;

struct Header {
    Argon2Params kdf;
    Salt salt{};
    Nonce nonce{};
};

enum class HeaderCheck { Valid, Truncated, Unsupported };

// The file starts with "KEYMORA" (anything else is a legacy file).
bool hasMagic(std::string_view fileBytes) noexcept;

// Reads the header and checks every field against the bounds; derives and
// allocates nothing. A file shorter than header and tag is Truncated.
HeaderCheck readHeader(std::string_view fileBytes, Header& header) noexcept;

bool withinBounds(const Argon2Params& params) noexcept;

// "Argon2id, 65536 KiB, 3 iterations, parallelism 1; ChaCha20-Poly1305"
std::string describe(const Argon2Params& params);

// The secret Argon2id works on: UTF-8 user name, a zero byte, UTF-8 password.
Botan::secure_vector<std::uint8_t> secretOf(std::string_view userId, std::string_view password);

// The key of one file with the salt and parameters it came from. The key lives
// in Botan's locked pool and is wiped when the FileKey goes.
class FileKey {
public:
    // A new random salt: credentials were set.
    static FileKey create(std::string_view userId, std::string_view password,
                          const Argon2Params& params);
    // The salt and parameters of an existing file's header.
    static FileKey derive(std::string_view userId, std::string_view password,
                          const Argon2Params& params, const Salt& salt);

    const Argon2Params& params() const noexcept { return m_params; }
    const Salt& salt() const noexcept { return m_salt; }
    Bytes key() const noexcept { return {m_key.data(), m_key.size()}; }
    // Whether a header was written with this key's salt and parameters.
    bool fits(const Header& header) const noexcept;

private:
    FileKey() = default;
    Argon2Params m_params;
    Salt m_salt{};
    Botan::secure_vector<std::uint8_t> m_key;
};

// File bytes from a payload; the payload buffer becomes the file (no second
// plain copy is made) with a fresh random nonce.
std::string seal(std::string&& payload, const FileKey& key);

// The payload of a file whose header is valid and fits the key; nothing when
// the tag does not match (wrong credentials or any changed byte).
std::optional<std::string> open(std::string_view fileBytes, const FileKey& key);
// The same in the file's own buffer, which is used up (wiped when nothing comes of it).
std::optional<std::string> open(std::string&& fileBytes, const FileKey& key);

}  // namespace keymora::modern
