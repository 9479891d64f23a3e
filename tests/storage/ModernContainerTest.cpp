#include "storage/ModernContainer.h"

#include <botan/hex.h>
#include <gtest/gtest.h>

#include <set>

#include "storage/Container.h"
#include "storage/DataFile.h"
#include "storage/ModCrypto.h"

namespace keymora {
namespace {

// The smallest parameters the bounds allow, so that each derivation is quick.
constexpr modern::Argon2Params kSmall{8192, 1, 1};
const std::string kXml = "<datafile version=\"1.5\" filetype=\"private\"><records/></datafile>";

std::vector<std::uint8_t> hex(const char* text) { return Botan::hex_decode(text); }

std::string put(std::string bytes, std::size_t at, std::uint32_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) bytes.at(at + i) = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string sealed(const modern::FileKey& key, const std::string& xml = kXml) {
    return modern::seal(container::encodePayload(xml), key);
}

TEST(ModernCrypto, Argon2idGivesTheAnswerOfRfc9106) {
    // Section 5.3: t=3, m=32 KiB, p=4, with the secret K and associated data X.
    const auto password = hex("0101010101010101010101010101010101010101010101010101010101010101");
    const auto salt = hex("02020202020202020202020202020202");
    const auto out = modern::argon2id(32, password, salt, {32, 3, 4}, hex("0303030303030303"),
                                      hex("040404040404040404040404"));
    EXPECT_EQ(Botan::hex_encode(out.data(), out.size(), false),
              "0d640df58d78766c08c037a34a8b53c9d01ef0452d75b65eb52520e96b01e659");
}

TEST(ModernCrypto, ChaCha20Poly1305GivesTheAnswerOfRfc8439AndOpensIt) {
    // Section 2.8.2, with a prefix in front that must stay untouched.
    const auto key = hex("808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9f");
    const auto nonce = hex("070000004041424344454647");
    const auto aad = hex("50515253c0c1c2c3c4c5c6c7");
    const std::string plain =
        "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the "
        "future, sunscreen would be it.";
    std::string text = "HEAD" + plain;
    modern::chachaSeal(key, nonce, aad, text, 4);
    EXPECT_EQ(text.substr(0, 4), "HEAD");
    EXPECT_EQ(Botan::hex_encode(modern::bytesOf(text).subspan(4).data(), text.size() - 4, false),
              "d31a8d34648e60db7b86afbc53ef7ec2a4aded51296e08fea9e2b5a736ee62d63dbea45e8ca96712"
              "82fafb69da92728b1a71de0a9e060b2905d6a5b67ecd3b3692ddbd7f2d778b8c9803aee328091b58"
              "fab324e4fad675945585808b4831d7bc3ff4def08e4b7a9de576d26586cec64b6116"
              "1ae10b594f09e26a7e902ecbd0600691");
    ASSERT_TRUE(modern::chachaOpen(key, nonce, aad, text, 4));
    EXPECT_EQ(text, "HEAD" + plain);
}

TEST(ModernContainer, RoundTripsThroughTheReaderOfBothKinds) {
    const auto key = modern::FileKey::create("ann", "pw", kSmall);
    const std::string file = sealed(key);
    EXPECT_TRUE(modern::hasMagic(file));
    EXPECT_EQ(datafile::decodeText("a.kmf", file, "ann", "pw"), kXml);
    EXPECT_EQ(datafile::decodeText("a.kmf", file, key), kXml);
    EXPECT_EQ(datafile::decodeText("a.kmf", file, "ann", "pW"), std::nullopt);
    // The zero byte keeps user name and password apart.
    EXPECT_EQ(datafile::decodeText("a.kmf", file, "annp", "w"), std::nullopt);
}

TEST(ModernContainer, EveryFlippedBitIsRefused) {
    const auto key = modern::FileKey::create("ann", "pw", kSmall);
    const std::string file = sealed(key);
    for (std::size_t bit = 0; bit < file.size() * 8; ++bit) {
        std::string bad = file;
        bad[bit / 8] = static_cast<char>(bad[bit / 8] ^ (1 << (bit % 8)));
        std::optional<std::string> text;
        try {
            text = datafile::decodeText("a.kmf", bad, key);
        } catch (const KmError&) {
        }
        ASSERT_EQ(text, std::nullopt) << "bit " << bit;
    }
    // One bit in each header field: a changed salt or parameter derives another key, which the tag refuses.
    for (std::size_t byte : {0u, 8u, 9u, 13u, 17u, 18u, 33u, 34u, 35u, 46u}) {
        std::string bad = file;
        bad[byte] = static_cast<char>(bad[byte] ^ 1);
        std::optional<std::string> text;
        try {
            text = datafile::decodeText("a.kmf", bad, "ann", "pw");
        } catch (const KmError& e) {
            EXPECT_EQ(e.number(), datafile::kUnsupportedFileError) << "byte " << byte;
        }
        EXPECT_EQ(text, std::nullopt) << "byte " << byte;
    }
}

TEST(ModernContainer, TruncatedFileIsRefused) {
    const auto key = modern::FileKey::create("ann", "pw", kSmall);
    const std::string file = sealed(key);
    for (std::size_t n = 0; n < file.size(); ++n)
        EXPECT_EQ(datafile::decodeText("a.kmf", file.substr(0, n), key), std::nullopt) << n;
    for (std::size_t n : {8u, 46u, 47u, 62u})
        EXPECT_EQ(datafile::decodeText("a.kmf", file.substr(0, n), "ann", "pw"), std::nullopt) << n;
}

TEST(ModernContainer, AbsurdParametersAreRefusedAsNeedingANewerProgram) {
    const std::string file = sealed(modern::FileKey::create("ann", "pw", kSmall));
    const std::vector<std::string> crafted = {
        put(file, 9, 0xFFFFFFFF, 4),      put(file, 9, 1024 * 1024 + 1, 4),
        put(file, 9, 8 * 1024 - 1, 4),    put(file, 13, 0, 4),
        put(file, 13, 101, 4),            put(file, 13, 0xFFFFFFFF, 4),
        put(file, 17, 0, 1),              put(file, 17, 17, 1),
        put(file, 8, 2, 1),               put(file, 34, 0, 1),
        put(file, 7, 3, 1),               put(file.substr(0, 20), 7, 3, 1),
    };
    for (const std::string& bad : crafted) {
        modern::Header header;
        EXPECT_EQ(modern::readHeader(bad, header), modern::HeaderCheck::Unsupported);
        try {
            (void)datafile::decodeText("a.kmf", bad, "ann", "pw");
            ADD_FAILURE() << "accepted";
        } catch (const KmError& e) {
            EXPECT_EQ(e.number(), datafile::kUnsupportedFileError);
            EXPECT_EQ(e.description(), modern::kNeedsNewerProgramText);
        }
    }
    // The edges of the bounds themselves are readable.
    modern::Header header;
    EXPECT_EQ(modern::readHeader(put(put(file, 9, 1024 * 1024, 4), 13, 100, 4), header),
              modern::HeaderCheck::Valid);
    EXPECT_EQ(header.kdf.memoryKiB, 1024u * 1024u);
    EXPECT_EQ(modern::describe(kSmall), "Argon2id, 8192 KiB, 1 iteration, parallelism 1; ChaCha20-Poly1305");
}

// Upgrading and downgrading re-enciphers one and the same payload.
TEST(ModernContainer, LegacyFileUpgradedAndDowngradedIsTheSameFile) {
    const std::string legacy = container::encode(kXml, "annpw");
    std::string payload = legacy;
    modCrypto::ApplyInPlace(payload, "annpw");
    const auto key = modern::FileKey::create("ann", "pw", kSmall);
    std::string back = *modern::open(modern::seal(std::move(payload), key), key);
    modCrypto::ApplyInPlace(back, "annpw");
    EXPECT_EQ(back, legacy);
}

TEST(ModernContainer, EverySaveHasItsOwnNonceAndEveryKeyItsOwnSalt) {
    const auto key = modern::FileKey::create("ann", "pw", kSmall);
    std::set<std::string> nonces;
    for (int i = 0; i < 50; ++i) nonces.insert(sealed(key).substr(35, 12));
    EXPECT_EQ(nonces.size(), 50u);
    const auto again = modern::FileKey::create("ann", "pw", kSmall);
    EXPECT_NE(again.salt(), key.salt());
}

}  // namespace
}  // namespace keymora
