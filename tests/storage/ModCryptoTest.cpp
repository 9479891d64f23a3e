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

std::string unhex(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

std::string encrypt(std::string_view in, std::string_view key) {
    std::string out;
    EXPECT_TRUE(modCrypto::Encrypt(in, key, out));
    return out;
}

std::string decrypt(std::string_view in, std::string_view key) {
    std::string out;
    EXPECT_TRUE(modCrypto::Decrypt(in, key, out));
    return out;
}

std::string keyHex(std::string_view keyText) {
    const auto key = modCrypto::DeriveKey(keyText);
    return hex(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
}

}  // namespace

// Microsoft's published sample for its base provider: key text "1134-kelp",
// plaintext the bytes 00..1F.
TEST(ModCrypto, BaseProviderSample) {
    std::string plain;
    for (int b = 0; b < 32; ++b) plain.push_back(static_cast<char>(b));
    const std::string cipher = encrypt(plain, "1134-kelp");
    EXPECT_EQ(hex(cipher),
              "2659DE2444FA369C110CBB9DB6A2BD24042EE3BA7276F3278DD5B42F56CFF8C9");
    EXPECT_EQ(decrypt(cipher, "1134-kelp"), plain);
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
    for (const auto& [text, digest] : suite) {
        EXPECT_EQ(keyHex(text), digest + "0000000000000000000000") << text;
    }
}

TEST(ModCrypto, KeyTextGoesThroughWindows1252) {
    EXPECT_EQ(keyHex("caf\xC3\xA9"), "961F50F6280000000000000000000000");
    // A character outside the code page is hashed as '?'.
    EXPECT_EQ(keyHex("a\xE4\xB8\xAD"), keyHex("a?"));
    EXPECT_NE(keyHex("a\xE4\xB8\xAD"), keyHex("a"));
}

// RFC 6229 key streams of a 40-bit and a 128-bit key, far into the stream.
TEST(ModCrypto, Rc4KeyStreams) {
    struct Vector {
        std::string key;
        std::size_t offset;
        std::string stream;
    };
    const std::vector<Vector> vectors = {
        {"0102030405", 4096, "FF25B58995996707E51FBDF08B34D875"},
        {"0102030405060708090A0B0C0D0E0F10", 4096, "A36A4C301AE8AC13610CCBC12256CACC"},
    };
    for (const auto& v : vectors) {
        const std::string key = unhex(v.key);
        std::vector<std::uint8_t> data(v.offset + 16, 0);
        modCrypto::Rc4({reinterpret_cast<const std::uint8_t*>(key.data()), key.size()}, data);
        const std::string got(reinterpret_cast<const char*>(data.data()) + v.offset, 16);
        EXPECT_EQ(hex(got), v.stream) << v.key << " @" << v.offset;
    }
}

TEST(ModCrypto, EmptyBufferIsRefusedInBothDirections) {
    for (const bool encrypting : {true, false}) {
        std::string out = "previous";
        try {
            if (encrypting) {
                modCrypto::Encrypt("", "userpass", out);
            } else {
                modCrypto::Decrypt("", "userpass", out);
            }
            ADD_FAILURE() << "no error raised";
        } catch (const KmError& e) {
            EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x8004044DU));
            EXPECT_EQ(e.description().rfind("InputBuffer can not be empty.", 0), 0u)
                << e.description();
            EXPECT_EQ(e.source(),
                      encrypting ? "modCrypto.Encrypt PROC" : "modCrypto.Decrypt PROC");
        }
        EXPECT_TRUE(out.empty());
    }
    // One blank is an ordinary buffer.
    EXPECT_EQ(encrypt(" ", "userpass").size(), 1u);
}

TEST(ModCrypto, EveryByteValueRoundTrips) {
    std::string plain;
    for (int round = 0; round < 3; ++round) {
        for (int b = 0; b < 256; ++b) plain.push_back(static_cast<char>(b));
    }
    const std::string cipher = encrypt(plain, "someone\xC3\xA9secret");
    ASSERT_EQ(cipher.size(), plain.size());
    EXPECT_NE(cipher, plain);
    EXPECT_EQ(decrypt(cipher, "someone\xC3\xA9secret"), plain);

    std::string inPlace = plain;
    modCrypto::ApplyInPlace(inPlace, "someone\xC3\xA9secret");
    EXPECT_EQ(inPlace, cipher);
    modCrypto::ApplyInPlace(inPlace, "someone\xC3\xA9secret");
    EXPECT_EQ(inPlace, plain);
}

TEST(ModCrypto, FreshKeyStreamPerCallNoSalt) {
    const std::string plain = "<datafile><records/></datafile>";
    EXPECT_EQ(encrypt(plain, "ab"), encrypt(plain, "ab"));
    // The first ciphertext byte depends only on the key and the first plaintext byte.
    EXPECT_EQ(encrypt("Xyz", "ab")[0], encrypt("Xqq", "ab")[0]);
}

