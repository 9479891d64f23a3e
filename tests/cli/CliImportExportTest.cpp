// import and export end to end: rows in, the same five columns out.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "CliRunner.h"
#include "document/CsvImport.h"
#include "storage/FileLock.h"
#include "testsupport/TestDocuments.h"

namespace keymora::test {
namespace {

// Quoted commas and quotes, line breaks in quotes, short and long rows, blanks, non-ASCII, CRLF and LF.
const std::string kQuirkyCsv =
    "Site,User,Secret,Address,Remarks,Extra\r\n"
    "\"Bank, Main\",ann,\"pa\"\"ss,word\",https://bank.example/?a=1&b=2,\"line one\nline two\",x\r\n"
    "Mail,bob,,mail.example,note ,ignored\n"
    "Caf\xC3\xA9,\xC3\xA9lodie, spaced pw ,,\"\"\n"
    "Short,only\r\n";

struct Row {
    std::string account, login, password, web, comments;
    bool operator==(const Row&) const = default;
};

std::vector<Row> rowsOf(const std::string& csv) {
    const csvimport::CsvTable table = csvimport::ParseCsv(csv);
    std::vector<Row> rows;
    for (const auto& r : table.records) {
        rows.push_back({r.account, r.login, r.password, r.webSite, r.comments});
    }
    return rows;
}

// The entries of a document, at any depth, as rows of the import's columns.
std::vector<Row> entriesOf(const XmlDoc& doc) {
    std::vector<Row> rows;
    for (pugi::xpath_node n : doc.dom().select_nodes("//record_detail")) {
        const pugi::xml_node e = n.node();
        rows.push_back({e.child_value("resource"), e.child_value("userid"),
                        e.child_value("password"), e.child_value("URL"),
                        e.child_value("notes")});
    }
    return rows;
}

class ImportExport : public ::testing::Test {
protected:
    void SetUp() override {
        writeDataFile(kmf, docXml(""), "ann", "pw-1");
        writeFile(csv, kQuirkyCsv);
    }
    TempDir dir;
    std::string kmf = dir.file("data.kmf");
    std::string csv = dir.file("in.csv");
};

// The category an import makes is CsvImportTest's.
TEST_F(ImportExport, ImportedRowsAreWhatExportWritesBack) {
    const auto r = runInProcess({"import", "-u", "ann", kmf, csv}, "pw-1\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("4 records imported to \"Imported Items ", 0), 0u) << r.out;
    EXPECT_EQ(r.out.back(), '\n');

    // Export writes the five columns the import reads, quoted as RFC 4180 says.
    const auto exported = runInProcess({"export", "-u", "ann", kmf}, "pw-1\n");
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out,
              "Account,Login Name,Password,Web Site,Comments\r\n"
              "\"Bank, Main\",ann,\"pa\"\"ss,word\",https://bank.example/?a=1&b=2,"
              "\"line one\nline two\"\r\n"
              "Mail,bob,,mail.example,\"note \"\r\n"
              "Caf\xC3\xA9,\xC3\xA9lodie,\" spaced pw \",,\r\n"
              "Short,only,,,\r\n");
}

TEST_F(ImportExport, ExportThenImportGivesTheSameEntries) {
    // Entries at several depths, with fields that need quoting; labels are not entries.
    const std::string xml = docXml(
        catXml("{C1}", "A",
               "<labels><label associated_tag=\"resource\" value=\"Site\"/></labels>" +
                   subXml("{S1}", "B",
                          fullEntryXml("{E1}", {"\"Quoted\"", "a,b", "\tp w\t", "x\r\ny\n\nz", "u"})) +
                   fullEntryXml("{E2}", {"", "", "", "", ""})) +
        catXml("{C2}", "C", fullEntryXml("{E3}", {"\xE2\x82\xAC uro", "u", "p", "", ""})));
    const std::string source = dir.file("source.kmf");
    writeDataFile(source, xml, "ann", "pw-1");
    auto sourceDoc = readDataFile(source, "ann", "pw-1");
    ASSERT_TRUE(sourceDoc);
    const std::vector<Row> original = entriesOf(*sourceDoc);
    ASSERT_EQ(original.size(), 3u);

    const std::string out = dir.file("out.csv");
    const auto exported = runInProcess({"export", "-u", "ann", "--output", out, source}, "pw-1\n");
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, "3 entries exported to " + out + "\n");
    EXPECT_EQ(rowsOf(readFile(out)), original);

    ASSERT_EQ(runInProcess({"import", "-u", "ann", kmf, out}, "pw-1\n").status, 0);
    auto imported = readDataFile(kmf, "ann", "pw-1");
    ASSERT_TRUE(imported);
    EXPECT_EQ(entriesOf(*imported), original);

    // And once more round: the text is stable.
    const auto again = runInProcess({"export", "-u", "ann", kmf}, "pw-1\n");
    ASSERT_EQ(again.status, 0);
    EXPECT_EQ(again.out, readFile(out));
}

TEST_F(ImportExport, ExportRefusesToOverwrite) {
    const std::string out = dir.file("out.csv");
    writeFile(out, "keep me");
    const auto r = runInProcess({"export", "-u", "ann", "-o", out, kmf}, "pw-1\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readFile(out), "keep me");

    const std::string before = readFile(kmf);
    const auto self = runInProcess({"export", "--force", "-u", "ann", "-o", kmf, kmf}, "pw-1\n");
    EXPECT_EQ(self.status, 1);
    EXPECT_NE(self.err.find("data file itself"), std::string::npos) << self.err;
    EXPECT_EQ(readFile(kmf), before);

    // What was there, and a link to it, are no reason to leave the clear text readable by others.
    ASSERT_EQ(::chmod(out.c_str(), 0644), 0);
    const std::string link = dir.file("link.csv");
    std::filesystem::create_symlink(out, link);
    for (const std::string& target : {out, link}) {
        const auto forced = runInProcess({"export", "--force", "-u", "ann", "-o", target, kmf}, "pw-1\n");
        ASSERT_EQ(forced.status, 0) << forced.err;
        EXPECT_EQ(readFile(out), "Account,Login Name,Password,Web Site,Comments\r\n");
        EXPECT_EQ(std::filesystem::status(out).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write);
        ASSERT_EQ(::chmod(out.c_str(), 0644), 0);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

// Wrong credentials and held files are the shared open's (CliOpenTest); import opens for editing.
TEST_F(ImportExport, FailuresLeaveTheFileAsItWas) {
    const std::string before = readFile(kmf);
    // A missing CSV is refused before any password is asked.
    const auto missing = runInProcess({"import", "-u", "ann", kmf, dir.file("none.csv")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind(dir.file("none.csv") + " import failed\n", 0), 0u) << missing.err;
    {
        auto writer = FileLock::tryAcquire(kmf, LockMode::SharedWriter);
        ASSERT_TRUE(writer.ok());
        EXPECT_EQ(runInProcess({"import", "-u", "ann", kmf, csv}, "pw-1\n").err, "File in use\n");
    }
    EXPECT_EQ(readFile(kmf), before);
}

}  // namespace
}  // namespace keymora::test
