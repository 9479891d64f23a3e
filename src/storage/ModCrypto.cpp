#include "storage/ModCrypto.h"

#include <botan/exceptn.h>
#include <botan/hash.h>
#include <botan/secmem.h>
#include <botan/stream_cipher.h>

#include <algorithm>
#include <new>

#include "support/Cp1252.h"
#include "support/ErrorHandling.h"
#include "support/KmError.h"
#include "support/SecureWipe.h"

namespace keymora::modCrypto {

namespace {

constexpr const char* kLevel = "SYSTEMLEVEL";
constexpr const char* kEncryptProc = "modCrypto.Encrypt PROC";
constexpr const char* kApplyProc = "modCrypto.ApplyInPlace PROC";
// The provider's generic failure code (NTE_FAIL).
constexpr std::int32_t kProviderFailure = static_cast<std::int32_t>(0x80090020U);

std::unique_ptr<Botan::StreamCipher> keyedCipher(std::string_view keyTextUtf8) {
    auto cipher = Botan::StreamCipher::create_or_throw("RC4");
    std::array<std::uint8_t, 16> key = DeriveKey(keyTextUtf8);
    cipher->set_key(key.data(), key.size());
    secureWipe(key.data(), key.size());
    return cipher;
}

// Runs the key stream over buffer; every failure leaves through the central
// handler as a numbered error with the procedure's name.
void applyKeyStream(std::string& buffer, std::string_view keyTextUtf8, const char* proc) {
    std::unique_ptr<Botan::StreamCipher> cipher;
    try {
        cipher = keyedCipher(keyTextUtf8);
    } catch (const std::bad_alloc&) {
        modErrorHandling::HandleException(kLevel, KmError(7, proc, "Out of memory"), proc);
    } catch (const std::exception&) {
        modErrorHandling::HandleException(
            kLevel,
            KmError(errnum::kCryptoInitFailed, proc, "Failed to initialize crypto environment."),
            proc);
    }
    try {
        cipher->cipher1(reinterpret_cast<std::uint8_t*>(buffer.data()), buffer.size());
    } catch (const std::exception&) {
        secureWipe(buffer);
        const std::string description = "Error occurred during CryptEncrypt.\r\nBytes required:" +
                                        std::to_string(buffer.size()) + "\r\n";
        modErrorHandling::HandleException(kLevel, KmError(kProviderFailure, proc, description),
                                          proc);
    }
}

}  // namespace

std::array<std::uint8_t, 16> DeriveKey(std::string_view keyTextUtf8) {
    WipedString keyBytes(cp1252::fromUtf8(keyTextUtf8));
    auto md5 = Botan::HashFunction::create_or_throw("MD5");
    md5->update(reinterpret_cast<const std::uint8_t*>(keyBytes.value().data()),
                keyBytes.value().size());
    Botan::secure_vector<std::uint8_t> digest = md5->final();
    // 40 key bits and an 88-bit salt of zeros, as the base provider derives it.
    std::array<std::uint8_t, 16> key{};
    std::copy_n(digest.begin(), 5, key.begin());
    return key;
}

bool Encrypt(std::string_view inputBuffer, std::string_view keyTextUtf8, std::string& output) {
    secureWipe(output);
    if (inputBuffer.empty()) {
        modErrorHandling::HandleException(
            kLevel,
            KmError(errnum::kInputBufferEmpty, kEncryptProc, "InputBuffer can not be empty."),
            kEncryptProc);
    }
    output.assign(inputBuffer);
    applyKeyStream(output, keyTextUtf8, kEncryptProc);
    return true;
}

void ApplyInPlace(std::string& buffer, std::string_view keyTextUtf8) {
    if (buffer.empty()) return;
    applyKeyStream(buffer, keyTextUtf8, kApplyProc);
}

}  // namespace keymora::modCrypto
