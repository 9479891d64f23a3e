#include "storage/ModCrypto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/KmError.h"

using namespace keymora;

namespace {

std::string hex(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

std::string encrypt(std::string_view in, std::string_view key) {
    std::string out;
    EXPECT_TRUE(modCrypto::Encrypt(in, key, out));
    return out;
}

std::string keyHex(std::string_view keyText) {
    const auto key = modCrypto::DeriveKey(keyText);
    return hex(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
}

}  // namespace

// Microsoft's published base-provider sample: key text "1134-kelp", plaintext the bytes 00..1F.
TEST(ModCrypto, BaseProviderSample) {
    std::string plain;
    for (int b = 0; b < 32; ++b) plain.push_back(static_cast<char>(b));
    const std::string cipher = encrypt(plain, "1134-kelp");
    EXPECT_EQ(hex(cipher),
              "2659DE2444FA369C110CBB9DB6A2BD24042EE3BA7276F3278DD5B42F56CFF8C9");
    EXPECT_EQ(encrypt(cipher, "1134-kelp"), plain);  // the same key stream deciphers
}

TEST(ModCrypto, KnownAnswersForCredentials) {
    // User "user", password "pass": the key text is the two joined.
    EXPECT_EQ(hex(encrypt("hello", "userpass")), "3C6E945584");
    // Empty credentials: MD5 of zero bytes.
    EXPECT_EQ(hex(encrypt("hello", "")), "6AF0164E63");
    // "é" is the single byte E9 before hashing.
    EXPECT_EQ(hex(encrypt("hello", "caf\xC3\xA9")), "6D67A3EB7B");
}

// RFC 1321 suite: the key is the first five digest bytes and eleven zeros.
TEST(ModCrypto, DerivedKeyIsFortyBitsOfMd5) {
    const std::vector<std::pair<std::string, std::string>> suite = {
        {"", "D41D8CD98F"},
        {"abc", "900150983C"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57EDF4A22B"},
    };
    for (const auto& [text, digest] : suite)
        EXPECT_EQ(keyHex(text), digest + "0000000000000000000000") << text;
}

TEST(ModCrypto, KeyTextGoesThroughWindows1252) {
    EXPECT_EQ(keyHex("caf\xC3\xA9"), "961F50F6280000000000000000000000");
    // A character outside the code page is hashed as '?'.
    EXPECT_EQ(keyHex("a\xE4\xB8\xAD"), keyHex("a?"));
    EXPECT_NE(keyHex("a\xE4\xB8\xAD"), keyHex("a"));
}

TEST(ModCrypto, EmptyBufferIsRefused) {
    std::string out = "previous";
    try {
        modCrypto::Encrypt("", "userpass", out);
        ADD_FAILURE() << "no error raised";
    } catch (const KmError& e) {
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x8004044DU));
        EXPECT_EQ(e.description().rfind("InputBuffer can not be empty.", 0), 0u) << e.description();
        EXPECT_EQ(e.source(), "modCrypto.Encrypt PROC");
    }
    EXPECT_TRUE(out.empty());
    // One blank is an ordinary buffer.
    EXPECT_EQ(encrypt(" ", "userpass").size(), 1u);
}

TEST(ModCrypto, EveryByteValueRoundTrips) {
    std::string plain;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b) plain.push_back(static_cast<char>(b));
    const std::string cipher = encrypt(plain, "someone\xC3\xA9secret");
    ASSERT_EQ(cipher.size(), plain.size());
    EXPECT_NE(cipher, plain);

    std::string inPlace = plain;
    modCrypto::ApplyInPlace(inPlace, "someone\xC3\xA9secret");
    EXPECT_EQ(inPlace, cipher);
    modCrypto::ApplyInPlace(inPlace, "someone\xC3\xA9secret");
    EXPECT_EQ(inPlace, plain);
}
