// encode and cat end to end: what goes in comes back out exactly.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliRunner.h"
#include "document/XmlDoc.h"
#include "storage/Container.h"
#include "storage/DataFile.h"
#include "testsupport/TempDir.h"

namespace keymora::test {
namespace {

const std::string kPw = "s3cret-Pass\n";
const std::string kNewPw = "s3cret-Pass\ns3cret-Pass\n";

// Non-ASCII text in Windows-1252 (é, €, ü), CR LF line ends and indentation.
const std::string kXml =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n"
    "<datafile version=\"1.5\" DateModified=\"3/18/2024 6:45:12 PM\" filetype=\"private\">\r\n"
    "  <records>\r\n"
    "    <category id=\"{0B6A24E4-9505-4FC8-80FD-A85E9C96FBF2}\" type=\"category\" "
    "value=\"Caf\xC3\xA9 \xE2\x82\xAC\">\r\n"
    "      <record_detail id=\"{7BE46FB1-D850-4187-8086-8E87890BD33A}\" type=\"entry\">"
    "<resource>M\xC3\xBCller &amp; Sons</resource><userid>j\xC3\xBCrgen</userid>"
    "<password>p\xC3\xA9\xE2\x82\xAC</password><notes>two\r\nlines</notes>"
    "<DateCreated>1/2/2024 3:04:05 PM</DateCreated><DateModified>1/2/2024 3:04:05 PM</DateModified>"
    "<URL>https://example.com/?a=1&amp;b=2</URL></record_detail>\r\n"
    "    </category>\r\n"
    "  </records>\r\n"
    "</datafile>\r\n";

class EncodeCat : public ::testing::Test {
protected:
    TempDir dir;
    std::string xmlPath = dir.file("in.xml");
    std::string kmf = dir.file("out.kmf");
};

TEST_F(EncodeCat, RoundTripsTheTextByteForByteStoringWindows1252) {
    writeFile(xmlPath, kXml);
    const auto enc = runInProcess({"encode", "-u", "alice", xmlPath, kmf}, kNewPw);
    ASSERT_EQ(enc.status, 0) << enc.err;
    EXPECT_EQ(enc.out, "");

    const auto cat = runInProcess({"cat", "-u", "alice", kmf}, kPw);
    ASSERT_EQ(cat.status, 0) << cat.err;
    EXPECT_EQ(cat.out, kXml);
    EXPECT_EQ(cat.err, "");

    const auto text = container::decode(kmf, readFile(kmf), "alices3cret-Pass");
    ASSERT_TRUE(text.has_value());
    // é is one byte 0xE9 and € is 0x80 in the file; no UTF-8 left.
    EXPECT_NE(text->find("Caf\xE9 \x80"), std::string::npos);
    EXPECT_EQ(text->find("\xC3\xA9"), std::string::npos);
}

TEST_F(EncodeCat, KeepsCharactersOutsideWindows1252AsReferences) {
    // 中 (U+4E2D) has no Windows-1252 byte: stored as a reference, it still reads as itself.
    const std::string xml =
        "<datafile version=\"1.5\" filetype=\"private\"><records>"
        "<category id=\"{A0000000-0000-0000-0000-000000000001}\" type=\"category\" "
        "value=\"\xE4\xB8\xAD\"/></records></datafile>";
    writeFile(xmlPath, xml);
    ASSERT_EQ(runInProcess({"encode", "-u", "alice", xmlPath, kmf}, kNewPw).status, 0);

    const auto cat = runInProcess({"cat", "-u", "alice", kmf}, kPw);
    ASSERT_EQ(cat.status, 0);
    EXPECT_NE(cat.out.find("value=\"&#20013;\""), std::string::npos) << cat.out;

    const auto ls = runInProcess({"ls", "-u", "alice", kmf}, kPw);
    ASSERT_EQ(ls.status, 0) << ls.err;
    EXPECT_EQ(ls.out, "\xE4\xB8\xAD/\n");
}

TEST_F(EncodeCat, RefusesCharactersWhoseReferenceWouldChangeTheDocument) {
    for (const std::string& xml : {
             std::string("<datafile><records/><!-- \xE4\xB8\xAD --></datafile>"),
             std::string("<datafile><records><category value=\"x\"><![CDATA[\xE4\xB8\xAD]]>"
                         "</category></records></datafile>"),
             std::string("<datafile><\xE4\xB8\xAD/></datafile>"),
         }) {
        writeFile(xmlPath, xml);
        const auto enc = runInProcess({"encode", "-u", "alice", xmlPath, kmf}, kNewPw);
        EXPECT_NE(enc.status, 0) << xml;
        EXPECT_NE(enc.err.find("Windows-1252 lacks"), std::string::npos) << enc.err;
        EXPECT_FALSE(std::filesystem::exists(kmf));
    }
}

TEST_F(EncodeCat, RefusesTextThatIsNotADataFile) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<datafile><records></datafile>", "not well-formed"},
        {"", "not well-formed"},
        {"<datafile/>trailing words", "not well-formed"},
        {"<passwords/>", "root element must be <datafile>"},
        {"<datafile>\xE9</datafile>", "not valid UTF-8"},
        {std::string("<datafile>a\0b</datafile>", 21), "NUL"},
        {"<datafile>a&#0;b</datafile>", "(U+0000 at byte 11)"},
        {"<datafile x=\"&#x1;\"/>", "XML does not allow (U+0001"},
        {"<datafile>\x02</datafile>", "XML does not allow (U+0002"},
        {"<!DOCTYPE datafile><datafile/>", "document type"},
    };
    for (const auto& [xml, why] : cases) {
        writeFile(xmlPath, xml);
        const auto enc = runInProcess({"encode", "-u", "alice", xmlPath, kmf}, kNewPw);
        EXPECT_EQ(enc.status, 1) << xml;
        EXPECT_NE(enc.err.find(why), std::string::npos) << enc.err;
        EXPECT_FALSE(std::filesystem::exists(kmf)) << xml;
    }
}

TEST_F(EncodeCat, DropsAByteOrderMark) {
    writeFile(xmlPath, "\xEF\xBB\xBF<datafile/>");
    ASSERT_EQ(runInProcess({"encode", "-u", "alice", xmlPath, kmf}, kNewPw).status, 0);
    EXPECT_EQ(runInProcess({"cat", "-u", "alice", kmf}, kPw).out, "<datafile/>");
}

TEST_F(EncodeCat, RefusesToOverwriteWithoutForce) {
    writeFile(xmlPath, kXml);
    writeFile(kmf, "precious bytes");
    const auto enc = runInProcess({"encode", "-u", "alice", xmlPath, kmf}, kNewPw);
    EXPECT_EQ(enc.status, 1);
    EXPECT_NE(enc.err.find("--force"), std::string::npos) << enc.err;
    EXPECT_EQ(readFile(kmf), "precious bytes");

    const auto forced =
        runInProcess({"encode", "--force", "-u", "bob", xmlPath, kmf}, "other-pw\nother-pw\n");
    ASSERT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(runInProcess({"cat", "-u", "bob", kmf}, "other-pw\n").out, kXml);
}

TEST_F(EncodeCat, OldFileNameHoldsTheBareText) {
    // Files of this name are read without expansion, so they must be written so.
    const std::string old = dir.file("legacy.KMFOLDFILE");
    writeFile(xmlPath, kXml);
    ASSERT_EQ(runInProcess({"encode", "-u", "alice", xmlPath, old}, kNewPw).status, 0);
    const auto cat = runInProcess({"cat", "-u", "alice", old}, kPw);
    ASSERT_EQ(cat.status, 0) << cat.err;
    EXPECT_EQ(cat.out, kXml);
}

TEST_F(EncodeCat, CatReadsWhatTheSavePipelineWrites) {
    XmlDoc doc;
    ASSERT_TRUE(doc.loadXml(kXml));
    writeFile(kmf, datafile::saveDocument(doc, "carol", "pw-\xC3\xA9"));
    const auto cat = runInProcess({"cat", "-u", "carol", kmf}, "pw-\xC3\xA9\n");
    ASSERT_EQ(cat.status, 0) << cat.err;
    EXPECT_EQ(cat.out, doc.xml());
}

}  // namespace
}  // namespace keymora::test
