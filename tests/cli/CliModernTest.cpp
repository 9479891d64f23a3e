// Modern protection from the command line, and its written format checked by a reader over Botan and zlib.
#include <botan/aead.h>
#include <botan/pwdhash.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include "CliRunner.h"
#include "testsupport/TestDocuments.h"

namespace keymora::test {
namespace {

const std::string kDefaultLine =
    "modern: Argon2id, 65536 KiB, 3 iterations, parallelism 1; ChaCha20-Poly1305\n";
const std::string kLegacyLine =
    "legacy: RC4 with a 40-bit key from MD5 of user name and password; no tamper detection\n";

std::uint32_t le32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// The documented layout read by hand: the Windows-1252 XML text, or "" when anything does not fit.
std::string readByTheBook(const std::string& file, const std::string& user, const std::string& password) {
    if (file.size() < 63 || file.compare(0, 8, std::string("KEYMORA\x02", 8)) != 0 || file[8] != 1 ||
        file[34] != 1)
        return "";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    const std::string secret = user + std::string(1, '\0') + password;
    std::vector<std::uint8_t> key(32);
    Botan::PasswordHashFamily::create_or_throw("Argon2id")
        ->from_params(le32(file, 9), le32(file, 13), bytes[17])
        ->derive_key(key.data(), key.size(), secret.data(), secret.size(), bytes + 18, 16);

    auto aead = Botan::AEAD_Mode::create_or_throw("ChaCha20Poly1305", Botan::DECRYPTION);
    aead->set_key(key);
    aead->set_associated_data(bytes, 47);
    aead->start(bytes + 35, 12);
    Botan::secure_vector<std::uint8_t> payload(bytes + 47, bytes + file.size());
    try {
        aead->finish(payload);
    } catch (const Botan::Exception&) {
        return "";
    }
    // zlib stream, then the ten-character size field.
    const std::string field(payload.end() - 10, payload.end());
    const std::size_t size = std::stoul(field);
    EXPECT_EQ(field, std::to_string(size) + std::string(10 - std::to_string(size).size(), ' '));
    std::string text(size, '\0');
    uLongf produced = size;
    if (uncompress(reinterpret_cast<Bytef*>(text.data()), &produced, payload.data(), payload.size() - 10) != Z_OK)
        return "";
    text.resize(produced);
    return text;
}

TEST(CliModern, NewModernFileFollowsTheDocumentedFormat) {
    TempDir dir;
    const std::string kmf = dir.file("m.kmf");
    const auto made = runInProcess({"new", "--modern", "-u", "ann", kmf}, "pw-1\npw-1\n");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(runInProcess({"info", kmf}).out, kDefaultLine);

    const std::string text = readByTheBook(readFile(kmf), "ann", "pw-1");
    EXPECT_NE(text.find("<datafile"), std::string::npos) << text.substr(0, 60);
    EXPECT_NE(text.find("Personal Information"), std::string::npos);
    EXPECT_EQ(readByTheBook(readFile(kmf), "ann", "pw-2"), "");
}

TEST(CliModern, PasswdSwitchesTheProtectionAndEveryReaderFollows) {
    TempDir dir;
    const std::string kmf = dir.file("d.kmf");
    writeDataFile(kmf, docXml(catXml("{C1}", "Web", entryXml("{E1}", "Mail"))), "ann", "pw-1");
    EXPECT_EQ(runInProcess({"info", kmf}).out, kLegacyLine);

    ASSERT_EQ(runInProcess({"passwd", "--modern", "-u", "ann", kmf}, "pw-1\npw-2\npw-2\n").status, 0);
    EXPECT_EQ(runInProcess({"info", kmf}).out, kDefaultLine);
    EXPECT_EQ(runInProcess({"ls", "-u", "ann", kmf}, "pw-2\n").out, "Web/\n  Mail\n");
    EXPECT_EQ(runInProcess({"ls", "-u", "ann", kmf}, "pw-1\n").status, 1);

    ASSERT_EQ(runInProcess({"passwd", "--legacy", "-u", "ann", kmf}, "pw-2\npw-3\npw-3\n").status, 0);
    EXPECT_EQ(runInProcess({"info", kmf}).out, kLegacyLine);
    EXPECT_EQ(runInProcess({"ls", "-u", "ann", kmf}, "pw-3\n").out, "Web/\n  Mail\n");
    EXPECT_NE(runInProcess({"passwd", "--modern", "--legacy", "-u", "ann", kmf}).status, 0);
}

TEST(CliModern, EncodeModernAndCatGiveTheTextBack) {
    TempDir dir;
    const std::string xmlFile = dir.file("in.xml");
    const std::string kmf = dir.file("e.kmf");
    const std::string xml = docXml(catXml("{C1}", "Caf\xC3\xA9", ""));
    writeFile(xmlFile, xml);
    ASSERT_EQ(runInProcess({"encode", "--modern", "-u", "ann", xmlFile, kmf}, "pw-1\npw-1\n").status, 0);
    EXPECT_EQ(runInProcess({"info", kmf}).out, kDefaultLine);
    const auto cat = runInProcess({"cat", "-u", "ann", kmf}, "pw-1\n");
    ASSERT_EQ(cat.status, 0) << cat.err;
    EXPECT_EQ(cat.out, xml);
}

TEST(CliModern, InfoRefusesWhatItCannotRead) {
    TempDir dir;
    const std::string kmf = dir.file("x.kmf");
    writeFile(kmf, std::string("KEYMORA\x03", 8) + std::string(60, '\1'));
    const auto newer = runInProcess({"info", kmf});
    EXPECT_EQ(newer.status, 1);
    EXPECT_NE(newer.err.find("newer version"), std::string::npos) << newer.err;
    EXPECT_NE(runInProcess({"ls", "-u", "ann", kmf}, "pw\n").err.find("newer version"), std::string::npos);
    writeFile(kmf, std::string("KEYMORA\x02\x01", 9));
    EXPECT_EQ(runInProcess({"info", kmf}).status, 1);
}

}  // namespace
}  // namespace keymora::test
