#include "storage/Container.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

#include "storage/CompressZIt.h"
#include "storage/ModCrypto.h"

using namespace keymora;
using container::PayloadKind;

namespace {

// Windows-1252 bytes: "Café €".
const std::string kEmpty;
const std::string kSmallXml =
    "<datafile version=\"1.0\" filetype=\"private\"><records><category type=\"category\" "
    "name=\"Caf\xE9 \x80\"/></records></datafile>";

std::string unhex(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    return out;
}

std::string documentOfLength(std::size_t n) {
    std::string text = "<datafile><records>";
    const std::string tail = "</records></datafile>";
    int i = 0;
    while (text.size() + tail.size() < n)
        text += "<category type=\"category\" name=\"Cat " + std::to_string(i++) + "\"/>";
    text.resize(n - tail.size(), ' ');
    return text + tail;
}

std::string compressedStream(const std::string& text) {
    std::string s = text;
    CompressZIt zip;
    EXPECT_EQ(zip.CompressString(s), 0);
    return s;
}

}  // namespace

// Bytes from an independent writer (zlib default level, size field, RC4 keyed by "user" + "pass").
TEST(Container, ReadsAnIndependentWriterAndWritesWhatZlibReads) {
    const std::string file = unhex(
        "2C974B70A20F68B1B369D701D1D446F7A592251698BAAAF92271845F2CAD02F95C9EB508DAD37A9E"
        "4DD3D2920B26A45014450C742A28A07C4826BFB0BC830F69687C396B8286C873C716A7C1963AF7D1"
        "958C5CF565FDCBEFC13EDE4AF3882C9CA0DA33E93ADA7CA7");
    ASSERT_EQ(kSmallXml.size(), 114u);
    EXPECT_EQ(container::decode("x.kmf", file, "userpass"), kSmallXml);

    // What we write: plain zlib `uncompress` expands it, and the size field (digits, blanks) follows.
    std::string payload = container::encode(kSmallXml, "userpass");
    modCrypto::ApplyInPlace(payload, "userpass");
    ASSERT_EQ(payload.substr(payload.size() - 10), "114       ");
    std::string text(200, '\0');
    uLongf size = text.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(text.data()), &size,
                         reinterpret_cast<const Bytef*>(payload.data()), payload.size() - 10),
              Z_OK);
    text.resize(size);
    EXPECT_EQ(text, kSmallXml);
}

TEST(Container, RoundTripsAndReadsEveryZlibLevel) {
    std::string bytes;
    for (int i = 0; i < 256 * 4; ++i) bytes.push_back(static_cast<char>(i & 0xFF));
    const std::string all256 = bytes;
    const std::string big = documentOfLength(40u << 20);
    const std::string medium = big.substr(0, 1 << 20);
    for (const std::string* text : {&kEmpty, &kSmallXml, &all256, &big}) {
        const std::string file = container::encode(*text, "userpass");
        EXPECT_EQ(container::decode("a.kmf", file, "userpass"), *text) << text->size();
    }
    // Streams other writers made, at zlib's fastest, default and best levels.
    for (const int level : {1, 6, 9}) {
        for (const std::string* text : {&kSmallXml, &all256, &medium}) {
            std::string stream(compressBound(text->size()), '\0');
            uLongf size = stream.size();
            ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(stream.data()), &size,
                                reinterpret_cast<const Bytef*>(text->data()), text->size(), level),
                      Z_OK);
            stream.resize(size);
            std::string field = std::to_string(text->size());
            field.resize(10, ' ');
            EXPECT_EQ(container::decodePayload("a.kmf", stream + field), *text) << level;
        }
    }
}

TEST(Container, SizeFieldForms) {
    const std::string stream = compressedStream(kSmallXml);
    // Digits, then blanks only, at least one digit, in the last ten characters.
    for (const char* field : {"114       ", "0000000114", "1         "})
        EXPECT_EQ(container::classifyPayload("a", stream + field), PayloadKind::Compressed) << field;
    for (const char* field : {"          ", "   114    ", "11 4      ", "114z      ", ""})
        EXPECT_EQ(container::classifyPayload("a", "hello" + std::string(field)),
                  PayloadKind::Unreadable)
            << field;
    EXPECT_EQ(container::decodePayload("a", stream + "0000000114"), kSmallXml);
}

TEST(Container, OtherPayloadForms) {
    // Bare XML, recognised by its exact first nine characters.
    EXPECT_EQ(container::classifyPayload("a.kmf", kSmallXml), PayloadKind::BareXml);
    EXPECT_EQ(container::decodePayload("a.kmf", kSmallXml), kSmallXml);
    EXPECT_EQ(container::classifyPayload("a.kmf", "<DataFile/>"), PayloadKind::Unreadable);
    EXPECT_EQ(container::decodePayload("a.kmf", "<DataFile/>"), std::nullopt);

    // The old-file extension in any case: the payload is the text, never expanded.
    const std::string payload = container::encodePayload(kSmallXml);
    for (const char* name : {"/x/a.kmfoldfile", "A.KMFOLDFILE", "b.KmfOldFile"}) {
        EXPECT_EQ(container::classifyPayload(name, payload), PayloadKind::OldFile) << name;
        EXPECT_EQ(container::decodePayload(name, payload), payload) << name;
    }
    EXPECT_EQ(container::decodePayload("A.KMFOLDFILE", kSmallXml + "1234567890"),
              kSmallXml + "1234567890");
    EXPECT_EQ(container::classifyPayload("a.kmfoldfile.kmf", payload), PayloadKind::Compressed);
    EXPECT_EQ(container::classifyPayload("kmfoldfile", payload), PayloadKind::Compressed);
}

TEST(Container, LegacyArchiveIsUnreadable) {
    const std::string zip = std::string("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10) + "some archive";
    EXPECT_EQ(container::classifyPayload("a.kmf", zip), PayloadKind::Unreadable);
    EXPECT_EQ(container::decodePayload("a.kmf", zip), std::nullopt);
    EXPECT_EQ(container::decode("a.kmf", zip, "k"), std::nullopt);
}

// A file overwritten in place by a shorter one keeps the old tail; the stream at the start is the document.
TEST(Container, OverwrittenWithoutTruncationStillOpens) {
    // The old document carries incompressible filler so its stream is long.
    std::mt19937 rng(3);
    std::string noise(6000, '\0');
    for (auto& c : noise) c = static_cast<char>(rng() & 0xFF);
    const std::string oldText = documentOfLength(40000) + noise;
    const std::string oldPayload = compressedStream(oldText) + "46000     ";

    const std::string newText = kSmallXml;
    const std::string newPayload = container::encodePayload(newText);
    ASSERT_LT(newPayload.size(), oldPayload.size());
    std::string overwritten = oldPayload;
    overwritten.replace(0, newPayload.size(), newPayload);
    // The last ten characters are the old size field, which is large enough.
    EXPECT_EQ(container::decodePayload("a.kmf", overwritten), newText);
    // A tail whose size field is too small for the new text, or no size field at all.
    for (const char* tail : {"5         ", "\x01\x02garbage!"}) {
        std::string other = overwritten;
        other.replace(other.size() - 10, 10, tail);
        EXPECT_EQ(container::decodePayload("a.kmf", other), newText) << tail;
    }

    // Through the cipher, as it sits on disk.
    std::string file = overwritten;
    modCrypto::ApplyInPlace(file, "userpass");
    EXPECT_EQ(container::decode("a.kmf", file, "userpass"), newText);
}

TEST(Container, DamagedFilesFailCleanly) {
    const std::string text = documentOfLength(3000);
    const std::string file = container::encode(text, "userpass");

    EXPECT_EQ(container::decode("a.kmf", "", "userpass"), std::nullopt);
    EXPECT_EQ(container::decode("a.kmf", file, "userpasS"), std::nullopt);
    EXPECT_EQ(container::decode("a.kmf", file, ""), std::nullopt);

    // Truncated anywhere: nothing, or (when only size-field blanks went) the text.
    for (std::size_t len = 1; len < file.size(); len += 7) {
        const auto got = container::decode("a.kmf", file.substr(0, len), "userpass");
        EXPECT_TRUE(!got || (*got == text && len + 10 >= file.size())) << len;
    }
    // Any flipped bit: nothing, or exactly the text (zlib's check value guards the stream).
    for (std::size_t pos = 0; pos < file.size(); pos += 3) {
        for (const int bit : {0x01, 0x10, 0x80}) {
            std::string damaged = file;
            damaged[pos] = static_cast<char>(damaged[pos] ^ bit);
            const auto got = container::decode("a.kmf", damaged, "userpass");
            EXPECT_TRUE(!got || *got == text) << pos;
        }
    }
}

TEST(Container, AbsurdSizeFieldsNeverAllocateWhatTheyClaim) {
    const std::string stream = compressedStream(kSmallXml);
    // The stream is intact, so the document still comes out of it.
    for (const char* field : {"9999999999", "2147483647", "2147483648", "1000000000"})
        EXPECT_EQ(container::decodePayload("a.kmf", stream + field), kSmallXml) << field;
    // With a damaged stream there is nothing to open.
    std::string bad = stream;
    bad[bad.size() / 2] = static_cast<char>(bad[bad.size() / 2] ^ 0x40);
    EXPECT_EQ(container::decodePayload("a.kmf", bad + "2147483647"), std::nullopt);
}

TEST(Container, RandomBytesNeverCrash) {
    std::mt19937 rng(11);
    int opened = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(rng() % 300 + 1, '\0');
        for (auto& c : bytes) c = static_cast<char>(rng() & 0xFF);
        // Steer some rounds past the first tests: a size field, a zlib header.
        if (round % 3 == 0 && bytes.size() > 10) bytes.replace(bytes.size() - 10, 10, "123       ");
        if (round % 5 == 0 && bytes.size() > 1) {
            bytes[0] = 0x78;
            bytes[1] = static_cast<char>(0x9C);
        }
        if (container::decodePayload("a.kmf", bytes)) ++opened;
        if (container::decode("a.kmf", bytes, "key")) ++opened;
    }
    // Random bytes are almost never a valid stream.
    EXPECT_LT(opened, 10);
}
