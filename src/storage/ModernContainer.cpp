#include "storage/ModernContainer.h"

#include <algorithm>
#include <cstring>

#include "support/SecureWipe.h"

namespace keymora::modern {

namespace {

constexpr std::uint8_t kArgon2idV13 = 1;
constexpr std::uint8_t kChaCha20Poly1305 = 1;

constexpr std::string_view kFamily = kMagic.substr(0, 7);
constexpr std::size_t kKdfAt = 8;
constexpr std::size_t kMemoryAt = 9;
constexpr std::size_t kIterationsAt = 13;
constexpr std::size_t kParallelismAt = 17;
constexpr std::size_t kSaltAt = 18;
constexpr std::size_t kCipherAt = 34;
constexpr std::size_t kNonceAt = 35;

std::uint8_t byteAt(std::string_view bytes, std::size_t at) noexcept {
    return static_cast<std::uint8_t>(bytes[at]);
}

std::uint32_t u32At(std::string_view bytes, std::size_t at) noexcept {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = (value << 8) | byteAt(bytes, at + i);
    return value;
}

void appendU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

template <std::size_t N>
void appendBytes(std::string& out, const std::array<std::uint8_t, N>& bytes) {
    out.append(reinterpret_cast<const char*>(bytes.data()), N);
}

std::string headerBytes(const FileKey& key, const Nonce& nonce) {
    std::string out(kMagic);
    out.push_back(static_cast<char>(kArgon2idV13));
    appendU32(out, key.params().memoryKiB);
    appendU32(out, key.params().iterations);
    out.push_back(static_cast<char>(key.params().parallelism));
    appendBytes(out, key.salt());
    out.push_back(static_cast<char>(kChaCha20Poly1305));
    appendBytes(out, nonce);
    return out;
}

}  // namespace

// Any version byte after the name is taken as this container's family, so a
// later version is met with "needs a newer program", not a failed password.
bool hasMagic(std::string_view fileBytes) noexcept {
    return fileBytes.substr(0, kFamily.size()) == kFamily;
}

bool withinBounds(const Argon2Params& p) noexcept {
    return p.memoryKiB >= kMinMemoryKiB && p.memoryKiB <= kMaxMemoryKiB && p.iterations >= 1 &&
           p.iterations <= kMaxIterations && p.parallelism >= 1 && p.parallelism <= kMaxParallelism;
}

HeaderCheck readHeader(std::string_view fileBytes, Header& header) noexcept {
    if (fileBytes.size() < kHeaderSize) {
        return hasMagic(fileBytes) && fileBytes.size() > kFamily.size() &&
                       fileBytes[kFamily.size()] != kMagic.back()
                   ? HeaderCheck::Unsupported
                   : HeaderCheck::Truncated;
    }
    if (fileBytes.substr(0, kMagic.size()) != kMagic) return HeaderCheck::Unsupported;
    if (byteAt(fileBytes, kKdfAt) != kArgon2idV13 || byteAt(fileBytes, kCipherAt) != kChaCha20Poly1305)
        return HeaderCheck::Unsupported;
    header.kdf.memoryKiB = u32At(fileBytes, kMemoryAt);
    header.kdf.iterations = u32At(fileBytes, kIterationsAt);
    header.kdf.parallelism = byteAt(fileBytes, kParallelismAt);
    if (!withinBounds(header.kdf)) return HeaderCheck::Unsupported;
    std::memcpy(header.salt.data(), fileBytes.data() + kSaltAt, kSaltSize);
    std::memcpy(header.nonce.data(), fileBytes.data() + kNonceAt, kNonceSize);
    if (fileBytes.size() < kHeaderSize + kTagSize) return HeaderCheck::Truncated;
    return HeaderCheck::Valid;
}

std::string describe(const Argon2Params& p) {
    return "Argon2id, " + std::to_string(p.memoryKiB) + " KiB, " + std::to_string(p.iterations) +
           (p.iterations == 1 ? " iteration" : " iterations") + ", parallelism " +
           std::to_string(p.parallelism) + "; ChaCha20-Poly1305";
}

Botan::secure_vector<std::uint8_t> secretOf(std::string_view userId, std::string_view password) {
    Botan::secure_vector<std::uint8_t> secret;
    secret.reserve(userId.size() + 1 + password.size());
    secret.insert(secret.end(), userId.begin(), userId.end());
    secret.push_back(0);
    secret.insert(secret.end(), password.begin(), password.end());
    return secret;
}

FileKey FileKey::create(std::string_view userId, std::string_view password, const Argon2Params& params) {
    Salt salt;
    randomBytes(salt);
    return derive(userId, password, params, salt);
}

FileKey FileKey::derive(std::string_view userId, std::string_view password,
                        const Argon2Params& params, const Salt& salt) {
    FileKey key;
    key.m_params = params;
    key.m_salt = salt;
    const Botan::secure_vector<std::uint8_t> secret = secretOf(userId, password);
    key.m_key = argon2id(kKeySize, secret, salt, params);
    return key;
}

bool FileKey::fits(const Header& header) const noexcept {
    return header.salt == m_salt && header.kdf.memoryKiB == m_params.memoryKiB &&
           header.kdf.iterations == m_params.iterations &&
           header.kdf.parallelism == m_params.parallelism;
}

std::string seal(std::string&& payload, const FileKey& key) {
    Nonce nonce;
    randomBytes(nonce);
    std::string file;
    try {
        // Room for the tag too: a regrowth would leave plain text behind.
        file.reserve(kHeaderSize + payload.size() + kTagSize);
        file.append(headerBytes(key, nonce));
        file.append(payload);
        secureWipe(payload);
        chachaSeal(key.key(), nonce, bytesOf(std::string_view(file).substr(0, kHeaderSize)), file,
                   kHeaderSize);
    } catch (...) {
        secureWipe(payload);
        secureWipe(file);
        throw;
    }
    return file;
}

std::optional<std::string> open(std::string_view fileBytes, const FileKey& key) {
    Header header;
    if (readHeader(fileBytes, header) != HeaderCheck::Valid || !key.fits(header)) return std::nullopt;
    return open(std::string(fileBytes), key);
}

std::optional<std::string> open(std::string&& fileBytes, const FileKey& key) {
    std::string text(std::move(fileBytes));
    Header header;
    if (readHeader(text, header) != HeaderCheck::Valid || !key.fits(header)) {
        secureWipe(text);
        return std::nullopt;
    }
    const std::string aad(text.substr(0, kHeaderSize));
    if (!chachaOpen(key.key(), header.nonce, bytesOf(aad), text, kHeaderSize)) return std::nullopt;
    text.erase(0, kHeaderSize);
    return text;
}

}  // namespace keymora::modern
