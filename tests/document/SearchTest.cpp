#include "document/Search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/XmlDoc.h"
#include "testsupport/TestDocuments.h"

using namespace keymora;
using search::SearchNodes;

namespace {

using test::catXml;
using test::fullEntryXml;

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string xml = test::docXml(
            catXml("C1", "Banking",
                   test::subXml("S1", "Savings bank",
                                fullEntryXml("E1", {"My BANK login", "bob", "bankpass", "",
                                                    "http://bank.example"})) +
                       fullEntryXml("E2", {"CAFÉ ÉLAN", "alice", "abc", "opens at nine", ""})) +
            catXml("C2", "Other", fullEntryXml("E3", {"Mail", "carol", "xyz", "the bank statement", ""})));
        ASSERT_TRUE(doc.loadXml(xml));
    }

    std::vector<std::string> ids(const search::SearchOutcome& outcome) const {
        std::vector<std::string> list;
        for (const auto& row : outcome.rows) list.push_back(row.id);
        return list;
    }

    XmlDoc doc;
    XmlDoc scratch;
};

TEST_F(SearchTest, FindsSubstringsWithoutRegardToCaseOnlyInTheChosenFields) {
    const auto names = SearchNodes(doc, "bank", {"resource"});
    ASSERT_TRUE(names.ok);
    ASSERT_EQ(names.rows.size(), 1u);
    EXPECT_EQ(names.rows[0].id, "E1");
    EXPECT_EQ(names.rows[0].tag, "entry");
    EXPECT_EQ(names.rows[0].text, "My BANK login");

    // Notes and the sub-category name hold "bank" too, but were not chosen.
    EXPECT_EQ(ids(SearchNodes(doc, "bank", {"notes"})), std::vector<std::string>{"E3"});
    EXPECT_EQ(ids(SearchNodes(doc, "BANK", {"subcategory"})), std::vector<std::string>{"S1"});
    EXPECT_TRUE(SearchNodes(doc, "bank", {"userid"}).rows.empty());
}

// A regular expression, folding case beyond ASCII; "." is one character, so it spans both bytes of "É".
TEST_F(SearchTest, TextIsARegularExpressionMatchedWithoutCase) {
    using Ids = std::vector<std::string>;
    EXPECT_EQ(ids(SearchNodes(doc, "a.c", {"password"})), Ids{"E2"});
    EXPECT_EQ(ids(SearchNodes(doc, "^x[a-z]z$", {"password"})), Ids{"E3"});
    EXPECT_EQ(ids(SearchNodes(doc, "bob|carol", {"userid"})), (Ids{"E1", "E3"}));
    EXPECT_EQ(ids(SearchNodes(doc, "café", {"resource"})), Ids{"E2"});
    EXPECT_EQ(ids(SearchNodes(doc, "^caf. .lan$", {"resource"})), Ids{"E2"});
}

TEST_F(SearchTest, AnEntryIsListedOnceWithTheTextOfItsFirstMatch) {
    pugi::xml_document resultsDoc;
    pugi::xml_node results = resultsDoc.append_child("results");
    // "bank" is in E1's name and password.
    const auto nameFirst = SearchNodes(doc, "bank", {"resource", "password"}, results);
    ASSERT_EQ(nameFirst.rows.size(), 1u);
    EXPECT_EQ(nameFirst.rows[0].text, "My BANK login");
    EXPECT_EQ(nameFirst.rows[0].field, "resource");
    EXPECT_EQ(nameFirst.matchCount, 2u);

    // One result element per match, named by its key, in key order.
    std::vector<std::string> names;
    for (pugi::xml_node r : results.children()) {
        names.emplace_back(r.name());
        EXPECT_STREQ(r.attribute("type").value(), "entry");
        EXPECT_STREQ(r.attribute("id").value(), "E1");
    }
    EXPECT_EQ(names, (std::vector<std::string>{"resource", "password"}));
    EXPECT_STREQ(results.last_child().attribute("value").value(), "bankpass");

    const auto passwordFirst = SearchNodes(doc, "bank", {"password", "resource"});
    ASSERT_EQ(passwordFirst.rows.size(), 1u);
    EXPECT_EQ(passwordFirst.rows[0].text, "bankpass");
    EXPECT_EQ(passwordFirst.rows[0].field, "password");
}

TEST_F(SearchTest, RowsFollowKeyOrderThenDocumentOrder) {
    const auto outcome = SearchNodes(doc, "a", {"userid", "category"});
    // userid: bob (no), alice (E2), carol (E3); then categories Banking, not Other.
    EXPECT_EQ(ids(outcome), (std::vector<std::string>{"E2", "E3", "C1"}));
    EXPECT_EQ(outcome.rows.back().tag, "category");
    EXPECT_EQ(outcome.rows.back().text, "Banking");
}

TEST_F(SearchTest, AllSevenFieldsListEveryNodeOnce) {
    std::vector<std::string> all(search::kFieldKeys.begin(), search::kFieldKeys.end());
    const auto outcome = SearchNodes(doc, ".", all);
    EXPECT_EQ(ids(outcome), (std::vector<std::string>{"C1", "C2", "S1", "E1", "E2", "E3"}));
}

TEST_F(SearchTest, InvalidPatternIsAnErrorNotACrash) {
    pugi::xml_document resultsDoc;
    pugi::xml_node results = resultsDoc.append_child("results");
    for (const char* text : {"ab(c", "[ab", "ab\\", "a{2,1}", "(?<", "\xff\xfe"}) {
        const auto outcome = SearchNodes(doc, text, {"resource", "notes"}, results);
        EXPECT_FALSE(outcome.ok) << text;
        EXPECT_TRUE(outcome.rows.empty()) << text;
        EXPECT_EQ(outcome.errorNumber, search::kPatternErrorNumber);
        EXPECT_FALSE(outcome.errorDescription.empty());
        const std::string dialog = outcome.errorDialogText();
        EXPECT_EQ(dialog.rfind("Error: 5017 ", 0), 0u) << dialog;
        EXPECT_NE(dialog.find("\r\nErl"), std::string::npos);
        EXPECT_NE(dialog.find("\r\n\r\nmodXML.SearchNodes"), std::string::npos);
    }
    EXPECT_TRUE(results.children().begin() == results.children().end());
}

TEST_F(SearchTest, NoFieldChosenFindsNothing) {
    const auto outcome = SearchNodes(doc, ".", std::vector<std::string>{});
    EXPECT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.rows.empty());
    // Unknown keys are not fields; an invalid pattern is not even looked at.
    EXPECT_TRUE(SearchNodes(doc, "(", {"DateCreated", "labels"}).ok);
    EXPECT_TRUE(SearchNodes(doc, ".", {"DateCreated"}).rows.empty());
}

TEST_F(SearchTest, OptionsElementKeepsTickingOrder) {
    pugi::xml_node options = search::CreateSearchOptions(scratch);
    ASSERT_TRUE(options);
    search::AddSearchField(options, "password");
    search::AddSearchField(options, "resource");
    search::AddSearchField(options, "password");  // already there
    search::AddSearchField(options, "bogus");
    EXPECT_EQ(search::SearchFields(options), (std::vector<std::string>{"password", "resource"}));

    const auto outcome = SearchNodes(doc, "bank", options);
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_EQ(outcome.rows[0].text, "bankpass");

    search::RemoveSearchField(options, "password");
    EXPECT_EQ(search::SearchFields(options), std::vector<std::string>{"resource"});
    EXPECT_EQ(SearchNodes(doc, "bank", options).rows[0].text, "My BANK login");
    search::RemoveSearchField(options, "resource");
    EXPECT_TRUE(SearchNodes(doc, "bank", options).rows.empty());
}

TEST_F(SearchTest, DamagedTextInOneFieldDoesNotStopTheSearch) {
    XmlDoc damaged;
    ASSERT_TRUE(damaged.loadXml(test::docXml(
        catXml("C", "x", fullEntryXml("A", {"bad \xff\xfe bytes", "", "", "", ""}) +
                             fullEntryXml("B", {"good bytes", "", "", "", ""})))));
    const auto outcome = SearchNodes(damaged, "bytes", {"resource"});
    EXPECT_TRUE(outcome.ok) << outcome.errorDescription;
    EXPECT_EQ(ids(outcome), (std::vector<std::string>{"A", "B"}));
}

}  // namespace

namespace {

TEST(SearchLimitTest, RunawayPatternIsAnErrorNotAHang) {
    XmlDoc doc;
    ASSERT_TRUE(doc.loadXml("<datafile><records><category id=\"C\" type=\"category\" value=\"" +
                            std::string(40, 'a') + "!\"/></records></datafile>"));
    const auto outcome = SearchNodes(doc, "(a+)+$", {"category"});
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.errorStep, 4);
    EXPECT_NE(outcome.errorDialogText().find("modXML.SearchNodes"), std::string::npos);
}

}  // namespace
