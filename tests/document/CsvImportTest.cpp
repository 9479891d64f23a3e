#include "document/CsvImport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/DateText.h"
#include "document/XmlDoc.h"
#include "testsupport/TempDir.h"
#include "testsupport/TestDocuments.h"

using namespace keymora;
using namespace keymora::csvimport;

namespace {

struct Row {
    std::string account, login, password, webSite, comments;
    bool operator==(const Row&) const = default;
};

std::vector<Row> rows(const CsvTable& table) {
    std::vector<Row> list;
    for (const CsvRecord& r : table.records)
        list.push_back({r.account, r.login, r.password, r.webSite, r.comments});
    return list;
}

std::vector<Row> parse(const std::string& bytes) { return rows(ParseCsv(DecodeText(bytes))); }

const std::string kHeader = "Account,Login Name,Password,Web Site,Comments\r\n";

TEST(CsvParseTest, QuotesLineEndingsAndMissingFields) {
    // Quoted commas, quotes and line breaks; LF only, no final line break, a blank line, short and long rows.
    const auto got = parse(kHeader +
                           "\"Bank, Main\",bob,\"pa\"\"ss,word\",http://b.example,\"line one\r\nline two\"\r\n"
                           "A,u,  spaced pw  ,w,\"a\nb\"\n\nB,v\nC,x,,y,z,extra,more");
    EXPECT_EQ(got, (std::vector<Row>{{"Bank, Main", "bob", "pa\"ss,word", "http://b.example", "line one\r\nline two"},
                                     {"A", "u", "  spaced pw  ", "w", "a\nb"},
                                     {"B", "v", "", "", ""},
                                     {"C", "x", "", "y", "z"}}));
}

TEST(CsvParseTest, HeaderIsNotARecordWhateverItsNames) {
    const CsvTable table = ParseCsv("name,user,pass,site,notes,sixth\r\nA,b,c,d,e,f\r\n");
    EXPECT_EQ(table.header, (std::vector<std::string>{"name", "user", "pass", "site", "notes", "sixth"}));
    EXPECT_EQ(rows(table), (std::vector<Row>{{"A", "b", "c", "d", "e"}}));
    EXPECT_TRUE(ParseCsv(kHeader).records.empty());
    EXPECT_THROW(ParseCsv(""), std::runtime_error);  // not even a header: nothing to import
    // A quoted header spanning two lines is still one line of names.
    EXPECT_EQ(rows(ParseCsv("\"Acc\nount\",x\r\nA,b\r\n")), (std::vector<Row>{{"A", "b", "", "", ""}}));
}

TEST(CsvDecodeTest, Utf8WithOrWithoutBomOtherwiseWindows1252) {
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF" "Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(DecodeText("Caf\xC3\xA9"), "Caf\xC3\xA9");
    // 0xE9 alone is not UTF-8: Windows-1252 "é"; 0x80 is the euro sign there.
    EXPECT_EQ(DecodeText("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");

    const auto withBom = parse("\xEF\xBB\xBF" + kHeader + "Caf\xC3\xA9,u,p,w,c\r\n");
    ASSERT_EQ(withBom.size(), 1u);
    EXPECT_EQ(withBom[0].account, "Caf\xC3\xA9");
    const auto ansi = parse(kHeader + "Caf\xE9,u,\x80uro,w,c\r\n");
    ASSERT_EQ(ansi.size(), 1u);
    EXPECT_EQ(ansi[0].account, "Caf\xC3\xA9");
    EXPECT_EQ(ansi[0].password, "\xE2\x82\xAC" "uro");
}

std::string failureOf(const std::string& bytes) {
    try {
        parse(bytes);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(imported)";
}

TEST(CsvDecodeTest, Utf16IsConvertedUtf32AndBrokenTextRefused) {
    const auto utf16 = [](const std::u16string& text, bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t u : text) {
            const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
            bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
        }
        return bytes;
    };
    for (bool bigEndian : {false, true}) {
        EXPECT_EQ(parse(utf16(u"A,B\r\nCaf\u00E9,\U0001F511\r\n", bigEndian)),
                  (std::vector<Row>{{"Caf\xC3\xA9", "\xF0\x9F\x94\x91", "", "", ""}}));
    }
    EXPECT_EQ(failureOf(utf16(u"A\xD800", false)), "The file is not valid UTF-16 text");
    EXPECT_EQ(failureOf(std::string("\xFF\xFE\0\0A\0\0\0", 8)),
              "The file is in UTF-32; save it as UTF-8 and import it again");
}

// Binary, unclosed and empty files are refused, not made junk entries; control characters are marked.
TEST(CsvParseTest, DamagedTextIsRefusedOrMadeStorable) {
    std::string random(1 << 20, '\0');
    unsigned seed = 1;
    for (char& c : random) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
    EXPECT_EQ(failureOf(random), "The file is not a text file");
    EXPECT_EQ(failureOf(kHeader + "a,b\r\nc,\"d,e\r\nf,g\r\n"),
              "The quoted field that starts on line 3 is never closed");
    EXPECT_EQ(failureOf(""), "The file is empty");
    EXPECT_EQ(failureOf("\r\n\n"), "The file is empty");
    EXPECT_EQ(failureOf(kHeader + "a\x01" "b\r\n"), "The file is not a text file");
    EXPECT_EQ(parse(kHeader + "a\f" "b,\v,\t,\x7F,\xEF\xBF\xBF\r\n"),  // U+FFFF: found by fuzzing
              (std::vector<Row>{{"a\xEF\xBF\xBD" "b", "\xEF\xBF\xBD", "\t", "\x7F", "\xEF\xBF\xBD"}}));
}

class CsvImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(doc.loadXml("<datafile version=\"1.5\" DateModified=\"x\" filetype=\"private\"><records>"
                                "<category id=\"{K}\" type=\"category\" value=\"Existing\"/></records></datafile>"));
    }
    XmlDoc doc;
    test::TempDir dir;
};

TEST_F(CsvImportTest, OneNewCategoryWithAnEntryPerRecordInFileOrder) {
    const CsvTable table = ParseCsv(kHeader + "Bank,bob,pw1,http://b,note\r\nMail,,,,\r\n");
    const auto before = std::chrono::system_clock::now();
    std::vector<std::size_t> progress;
    const ImportResult result = ImportRecords(doc, table, [&](const ImportProgress& p) {
        progress.push_back(p.done);
        EXPECT_EQ(p.total, 2u);
    });
    ASSERT_TRUE(result.ok) << result.errorText;
    EXPECT_EQ(result.count, 2u);
    EXPECT_EQ(progress, (std::vector<std::size_t>{0, 1, 2}));

    const pugi::xml_node category = doc.records().last_child();
    EXPECT_EQ(category, result.category);
    EXPECT_STREQ(category.name(), "category");
    EXPECT_STREQ(category.attribute("type").value(), "category");
    EXPECT_TRUE(test::isGuidText(category.attribute("id").value()));
    const std::string name = category.attribute("value").value();
    EXPECT_EQ(name, result.categoryName);
    ASSERT_EQ(name.rfind("Imported Items ", 0), 0u);
    const auto stamp = datetext::parse(name.substr(15));
    ASSERT_TRUE(stamp.has_value()) << name;
    EXPECT_LE(std::chrono::duration_cast<std::chrono::seconds>(*stamp - before).count(), 2);

    std::vector<std::string> fieldNames;
    const pugi::xml_node first = category.first_child();
    for (pugi::xml_node f : first.children()) fieldNames.emplace_back(f.name());
    EXPECT_EQ(fieldNames, (std::vector<std::string>{"resource", "userid", "password", "notes", "DateCreated",
                                                    "DateModified", "URL"}));
    EXPECT_STREQ(first.attribute("type").value(), "entry");
    EXPECT_TRUE(test::isGuidText(first.attribute("id").value()));
    EXPECT_EQ((Row{first.child_value("resource"), first.child_value("userid"), first.child_value("password"),
                   first.child_value("URL"), first.child_value("notes")}),
              (Row{"Bank", "bob", "pw1", "http://b", "note"}));
    EXPECT_TRUE(datetext::parse(first.child_value("DateCreated")).has_value());
    EXPECT_STREQ(first.child_value("DateCreated"), first.child_value("DateModified"));

    // Empty columns are empty elements, not missing ones.
    const pugi::xml_node second = first.next_sibling();
    EXPECT_STREQ(second.child_value("resource"), "Mail");
    ASSERT_TRUE(second.child("password"));
    EXPECT_STREQ(second.child_value("password"), "");
    EXPECT_FALSE(second.next_sibling());
    EXPECT_EQ(ImportCompleteText(result.count, name), "2 records imported to \"" + name + "\"");
}

TEST_F(CsvImportTest, HeaderOnlyGivesAnEmptyCategoryAndTwoImportsTwoCategories) {
    const ImportResult one = ImportRecords(doc, ParseCsv(kHeader));
    const ImportResult two = ImportRecords(doc, ParseCsv(kHeader));
    ASSERT_TRUE(one.ok && two.ok);
    EXPECT_EQ(one.count, 0u);
    EXPECT_FALSE(one.category.first_child());
    EXPECT_NE(std::string(one.category.attribute("id").value()), two.category.attribute("id").value());
    EXPECT_EQ(std::distance(doc.records().children().begin(), doc.records().children().end()), 3);
}

TEST_F(CsvImportTest, FileIsReadOrTheFailureGivenAndNoCategoryMade) {
    const std::string path = dir.file("export.csv");
    test::writeFile(path, "\xEF\xBB\xBF" + kHeader + "Site,me,\"p,w\",http://s,\"multi\r\nline\"\r\n");
    std::string error;
    const auto table = LoadCsvFile(path, &error);
    ASSERT_TRUE(table.has_value()) << error;
    EXPECT_EQ(rows(*table), (std::vector<Row>{{"Site", "me", "p,w", "http://s", "multi\r\nline"}}));
    EXPECT_FALSE(LoadCsvFile(dir.file("missing.csv"), &error).has_value());
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(LoadCsvFile(dir.path().string(), &error).has_value());  // a folder
    EXPECT_EQ(ImportFailedText("/tmp/x.csv"), "/tmp/x.csv import failed");

    XmlDoc empty;
    ASSERT_TRUE(empty.loadXml("<datafile/>"));
    const ImportResult result = ImportRecords(empty, ParseCsv(kHeader + "a,b,c,d,e\n"));
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.errorText.empty());
    EXPECT_FALSE(empty.dom().first_child().first_child());
}

}  // namespace
