#include "storage/ModernCrypto.h"

#include <botan/aead.h>
#include <botan/argon2.h>
#include <botan/system_rng.h>

#include "support/SecureWipe.h"

namespace keymora::modern {

namespace {

constexpr std::size_t kTagLength = 16;
constexpr std::uint8_t kArgon2id = 2;

std::unique_ptr<Botan::AEAD_Mode> chacha(Botan::Cipher_Dir direction, Bytes key, Bytes nonce,
                                         Bytes associatedData) {
    auto mode = Botan::AEAD_Mode::create_or_throw("ChaCha20Poly1305", direction);
    mode->set_key(key.data(), key.size());
    mode->set_associated_data(associatedData.data(), associatedData.size());
    mode->start(nonce.data(), nonce.size());
    return mode;
}

std::uint8_t* bytesAt(std::string& text, std::size_t offset) {
    return reinterpret_cast<std::uint8_t*>(text.data() + offset);
}

}  // namespace

Botan::secure_vector<std::uint8_t> argon2id(std::size_t outputLength, Bytes password, Bytes salt,
                                            const Argon2Params& params, Bytes secret,
                                            Bytes associatedData) {
    Botan::secure_vector<std::uint8_t> out(outputLength);
    Botan::argon2(out.data(), out.size(), reinterpret_cast<const char*>(password.data()),
                  password.size(), salt.data(), salt.size(), secret.data(), secret.size(),
                  associatedData.data(), associatedData.size(), kArgon2id, params.parallelism,
                  params.memoryKiB, params.iterations);
    return out;
}

void chachaSeal(Bytes key, Bytes nonce, Bytes associatedData, std::string& text, std::size_t from) {
    auto mode = chacha(Botan::ENCRYPTION, key, nonce, associatedData);
    mode->process(bytesAt(text, from), text.size() - from);
    Botan::secure_vector<std::uint8_t> tag;
    mode->finish(tag);
    text.append(reinterpret_cast<const char*>(tag.data()), tag.size());
}

bool chachaOpen(Bytes key, Bytes nonce, Bytes associatedData, std::string& text, std::size_t from) {
    if (text.size() < from + kTagLength) {
        secureWipe(text);
        return false;
    }
    const std::size_t end = text.size() - kTagLength;
    auto mode = chacha(Botan::DECRYPTION, key, nonce, associatedData);
    mode->process(bytesAt(text, from), end - from);
    Botan::secure_vector<std::uint8_t> tag(text.begin() + static_cast<std::ptrdiff_t>(end), text.end());
    try {
        mode->finish(tag);
    } catch (const Botan::Invalid_Authentication_Tag&) {
        secureWipe(text);
        return false;
    }
    text.resize(end);
    return true;
}

void randomBytes(std::span<std::uint8_t> out) { Botan::system_rng().randomize(out.data(), out.size()); }

}  // namespace keymora::modern
