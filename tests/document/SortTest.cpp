#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/SortRoutines.h"
#include "document/TreeEditing.h"
#include "testsupport/TestDocuments.h"

namespace keymora {
namespace {

using namespace test;

// By code unit after lower-casing: '_' (0x5F) before 'a' (0x61); "Éclair" folds to U+00E9, after ASCII.
TEST(SortTreeLevelTest, IgnoresCaseInBothDirections) {
    auto doc = docFrom(catXml("C1", "Cat", entryXml("E1", "beta") + entryXml("E2", "Alpha") +
                                               entryXml("E3", "gamma") + entryXml("E4", "\xC3\x89" "clair") +
                                               entryXml("E5", "_under")));
    pugi::xml_node cat = doc->nodeById("C1");
    const EditResult up = SortTreeLevel(*doc, "E3", SortDirection::Ascending);
    ASSERT_TRUE(up.ok());
    EXPECT_EQ(up.parentId, "C1");
    EXPECT_EQ(childIds(cat), (std::vector<std::string>{"E5", "E2", "E1", "E3", "E4"}));
    ASSERT_TRUE(SortTreeLevel(*doc, "E3", SortDirection::Descending).ok());
    EXPECT_EQ(childIds(cat), (std::vector<std::string>{"E4", "E3", "E1", "E2", "E5"}));
}

TEST(SortTreeLevelTest, MixesSubCategoriesAndEntriesInOneList) {
    auto doc = docFrom(catXml("C1", "Cat",
                              subXml("S1", "mail", entryXml("E9", "inside")) + entryXml("E1", "Zoo") +
                                  subXml("S2", "Bank") + entryXml("E2", "apple") + entryXml("E3", "Lake")));
    ASSERT_TRUE(SortTreeLevel(*doc, "E1", SortDirection::Ascending).ok());
    pugi::xml_node cat = doc->nodeById("C1");
    EXPECT_EQ(childIds(cat), (std::vector<std::string>{"E2", "S2", "E3", "S1", "E1"}));
    // Sub-categories move with what they hold.
    EXPECT_EQ(childIds(doc->nodeById("S1")), std::vector<std::string>{"E9"});
}

TEST(SortTreeLevelTest, CategoriesLevelReportsNoParent) {
    auto doc = docFrom(catXml("C1", "Other") + catXml("C2", "ATM Pins") + catXml("C3", "email"));
    const EditResult r = SortTreeLevel(*doc, "C1", SortDirection::Ascending);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.parentId, "");
    EXPECT_EQ(r.id, "C1");
    EXPECT_EQ(childIds(doc->records()), (std::vector<std::string>{"C2", "C3", "C1"}));
}

TEST(SortTreeLevelTest, LabelsKeepTheirPlace) {
    const std::string labels = "<labels><label associated_tag=\"resource\" value=\"Bank\"/></labels>";
    auto doc = docFrom(catXml("C1", "Cat", labels + entryXml("E1", "b") + entryXml("E2", "a")));
    ASSERT_TRUE(SortTreeLevel(*doc, "E1", SortDirection::Ascending).ok());
    pugi::xml_node cat = doc->nodeById("C1");
    EXPECT_EQ(childNames(cat), (std::vector<std::string>{"labels", "record_detail", "record_detail"}));
    EXPECT_EQ(childIds(cat), (std::vector<std::string>{"E2", "E1"}));
    EXPECT_STREQ(cat.child("labels").child("label").attribute("value").value(), "Bank");
}

TEST(SortTreeLevelTest, SingleNodeAndMissingNode) {
    auto doc = docFrom(catXml("C1", "Cat", entryXml("E1", "only")));
    const std::string before = doc->xml();
    EXPECT_TRUE(SortTreeLevel(*doc, "E1", SortDirection::Descending).ok());
    EXPECT_EQ(doc->xml(), before);
    EXPECT_EQ(SortTreeLevel(*doc, "{NOPE}", SortDirection::Ascending).status, EditStatus::NotFound);
    EXPECT_EQ(SortTreeLevel(*doc, "", SortDirection::Ascending).status, EditStatus::EmptyIdentifier);
    EXPECT_EQ(doc->xml(), before);
}

// Equal but for case: the order is the partition steps' (middle pivot, half to even), not input order.
TEST(SortTreeLevelTest, EqualNamesFollowThePartitionSteps) {
    const std::vector<std::string> names = {"bank", "card", "atm", "Card", "BANK", "Bank", "CARD", "card"};
    std::string inner;
    for (std::size_t i = 0; i < names.size(); ++i) inner += entryXml("E" + std::to_string(i), names[i]);

    auto up = docFrom(catXml("C1", "Cat", inner));
    ASSERT_TRUE(SortTreeLevel(*up, "E0", SortDirection::Ascending).ok());
    EXPECT_EQ(childIds(up->nodeById("C1")),
              (std::vector<std::string>{"E2", "E4", "E5", "E0", "E6", "E7", "E1", "E3"}));

    auto down = docFrom(catXml("C1", "Cat", inner));
    ASSERT_TRUE(SortTreeLevel(*down, "E0", SortDirection::Descending).ok());
    EXPECT_EQ(childIds(down->nodeById("C1")),
              (std::vector<std::string>{"E6", "E3", "E7", "E1", "E5", "E0", "E4", "E2"}));
}

TEST(SortRoutinesTest, FoldKeyLowersLatinAndBeyond) {
    using modSortRoutines::FoldSortKey;
    EXPECT_EQ(FoldSortKey("AbC"), u"abc");
    EXPECT_EQ(FoldSortKey("\xC3\x89T\xC3\x89"), u"\u00e9t\u00e9");          // ÉTÉ
    EXPECT_EQ(FoldSortKey("\xC3\x97"), u"\u00d7");                           // × has no lower case
    EXPECT_EQ(FoldSortKey("\xF0\x9F\x94\x91"), u"\U0001F511");               // a key emoji, two code units
    EXPECT_EQ(FoldSortKey(std::string("a\xFF" "b", 3)), u"a\u00ffb");       // a stray byte
}

TEST(SortRoutinesTest, LargeLevelsOfEqualOrSortedKeys) {
    using modSortRoutines::SortRow;
    std::vector<SortRow> same(50000);
    for (std::size_t i = 0; i < same.size(); ++i) same[i] = {u"k", i};
    modSortRoutines::QuickSortAscending(same, 0, static_cast<std::ptrdiff_t>(same.size()) - 1);
    std::vector<bool> seen(same.size());
    for (const SortRow& r : same) seen[r.item] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 50000);

    std::vector<SortRow> rows(50000);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = {modSortRoutines::FoldSortKey(std::to_string(100000 + (i * 7919) % 50000)), i};
    }
    modSortRoutines::QuickSortDescending(rows, 0, static_cast<std::ptrdiff_t>(rows.size()) - 1);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(),
                               [](const SortRow& a, const SortRow& b) { return a.key > b.key; }));
    // Bounds outside the table sort nothing.
    std::vector<SortRow> two = {{u"b", 0}, {u"a", 1}};
    modSortRoutines::QuickSortAscending(two, 0, 5);
    EXPECT_EQ(two[0].item, 0u);
}

}  // namespace
}  // namespace keymora
