#include "storage/StreamingEncoder.h"

#include <gtest/gtest.h>

#include <string>

#include "storage/Container.h"
#include "storage/ModCrypto.h"
#include "support/Cp1252.h"

namespace keymora {
namespace {

// Text with characters of one, two, three and four UTF-8 bytes, some of them
// outside Windows-1252.
std::string sampleXml(int entries) {
    std::string xml = "<?xml version=\"1.0\"?><datafile version=\"1.5\" filetype=\"private\"><records>"
                      "<category id=\"{A}\" type=\"category\" value=\"Caf\xC3\xA9 \xE2\x82\xAC\">";
    for (int i = 0; i < entries; ++i) {
        xml += "<record_detail id=\"{E" + std::to_string(i) + "}\" type=\"entry\"><resource>Bank " +
               std::to_string(i) +
               " \xE4\xB8\xAD\xE6\x96\x87</resource><userid>m\xC3\xBC</userid><password>p\xF0\x9F\x94\x91"
               "w</password><notes/><DateCreated/><DateModified/><URL/></record_detail>";
    }
    return xml + "</category></records></datafile>";
}

// Feeds the text in pieces of the given size, as a serialiser may cut it anywhere.
std::string encodeInPieces(const std::string& utf8, std::size_t piece, std::string_view key) {
    StreamingEncoder encoder;
    for (std::size_t at = 0; at < utf8.size(); at += piece) {
        const std::string part = utf8.substr(at, piece);
        encoder.write(part.data(), part.size());
    }
    return encoder.finish(key);
}

TEST(StreamingEncoder, GivesTheSameFileAsConvertingAndCompressingTheWholeText) {
    const std::string utf8 = sampleXml(500);
    const std::string expected = container::encode(cp1252::fromUtf8XmlText(utf8), "userpass");
    // Pieces of one byte split every multi-byte character; 4096 is a typical size.
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{4096}, utf8.size()}) {
        EXPECT_EQ(encodeInPieces(utf8, piece, "userpass"), expected) << "piece " << piece;
    }
}

TEST(StreamingEncoder, SizeFieldCountsWindows1252BytesNotUtf8Bytes) {
    // "é" is two bytes of UTF-8 but one in the file; "中" becomes "&#20013;".
    const std::string utf8 = "<datafile v=\"\xC3\xA9\xE4\xB8\xAD\"/>";
    StreamingEncoder encoder;
    encoder.write(utf8.data(), utf8.size());
    const std::string bytes = encoder.finish("k");
    std::string payload = bytes;
    modCrypto::ApplyInPlace(payload, "k");
    EXPECT_EQ(payload.substr(payload.size() - 10), "25        ");
}

TEST(StreamingEncoder, AnEmptyDocumentStillMakesAReadableFile) {
    StreamingEncoder encoder;
    const std::string bytes = encoder.finish("k");
    EXPECT_EQ(container::decode("a.kmf", bytes, "k"), "");
}

}  // namespace
}  // namespace keymora
