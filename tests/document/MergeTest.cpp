#include "document/Merge.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "document/XmlDoc.h"
#include "testsupport/TestDocuments.h"

using namespace keymora;
using merge::MergeSourceCategoryToDestination;

namespace {

using namespace test;

void load(XmlDoc& doc, const std::string& xml) {
    std::string error;
    ASSERT_TRUE(doc.loadXml(xml, &error)) << error;
}

// "Banking/Savings: A B" for every category and sub-category, in document order.
std::vector<std::string> outline(const XmlDoc& doc) {
    std::vector<std::string> lines;
    std::vector<std::pair<pugi::xml_node, std::string>> stack;
    for (pugi::xml_node c = doc.records().last_child(); c; c = c.previous_sibling())
        stack.emplace_back(c, c.attribute("value").value());
    while (!stack.empty()) {
        auto [node, path] = stack.back();
        stack.pop_back();
        std::string line = path + ":";
        for (pugi::xml_node e : node.children("record_detail"))
            line += std::string(" ") + e.child_value("resource");
        lines.push_back(line);
        std::vector<pugi::xml_node> subs;
        for (pugi::xml_node s : node.children("subcategory")) subs.push_back(s);
        for (auto it = subs.rbegin(); it != subs.rend(); ++it)
            stack.emplace_back(*it, path + "/" + it->attribute("value").value());
    }
    return lines;
}

// Loads both documents; merged() merges the source into the destination.
class MergeTest : public ::testing::Test {
protected:
    XmlDoc dest, source;
    merge::MergeOutcome merged(const std::string& destXml, const std::string& sourceXml,
                               const merge::ProgressFn& progress = {}) {
        load(dest, destXml);
        load(source, sourceXml);
        return MergeSourceCategoryToDestination(source, dest, progress);
    }
};

void expectUniqueIds(const XmlDoc& doc) {
    const auto ids = test::allIds(doc);
    const std::set<std::string> unique(ids.begin(), ids.end());
    EXPECT_EQ(unique.size(), ids.size());
    EXPECT_EQ(unique.count(""), 0u);
}

TEST_F(MergeTest, NewCategoriesAreAddedWholeAndMatchingIsCaseSensitive) {
    const auto outcome = merged(docXml(catXml("D1", "banking", entryXml("D2", "old"))),
                                docXml(catXml("S1", "Banking", subXml("S2", "Cards", entryXml("S3", "visa")) +
                                                                   entryXml("S4", "loan"))));
    ASSERT_TRUE(outcome.ok) << outcome.errorDescription;
    EXPECT_EQ(outline(dest), (std::vector<std::string>{"banking: old", "Banking: loan",
                                                       "Banking/Cards: visa"}));
    EXPECT_EQ(outcome.stats.categoriesCreated, 1u);
    EXPECT_EQ(outcome.stats.categoriesMatched, 0u);
    EXPECT_EQ(outcome.stats.entries, 2u);
    expectUniqueIds(dest);
}

TEST_F(MergeTest, MatchingCategoriesReceiveEntriesAndSubcategoriesMergeByName) {
    const auto outcome = merged(docXml(catXml("D1", "Personal Information",
                                 subXml("D2", "Mine", entryXml("D3", "SSN") + subXml("D4", "Old", entryXml("D5", "a"))) +
                                     entryXml("D6", "top")) +
                        catXml("D7", "Other", "")),
                        docXml(catXml("S1", "Personal Information",
                                   entryXml("S2", "top") +
                                       subXml("S3", "Mine", entryXml("S4", "SSN") + entryXml("S5", "Passport") +
                                                             subXml("S6", "Old", entryXml("S7", "b")) +
                                                             subXml("S8", "mine", "")) +
                                       subXml("S9", "Spouse", entryXml("S10", "Birthday")))));
    ASSERT_TRUE(outcome.ok) << outcome.errorDescription;
    // Entries are never compared: "SSN" and "top" are now there twice.
    EXPECT_EQ(outline(dest), (std::vector<std::string>{
                                 "Personal Information: top top",
                                 "Personal Information/Mine: SSN SSN Passport",
                                 "Personal Information/Mine/Old: a b",
                                 "Personal Information/Mine/mine:",
                                 "Personal Information/Spouse: Birthday",
                                 "Other:",
                             }));
    EXPECT_EQ(outcome.stats.categoriesCreated, 0u);
    EXPECT_EQ(outcome.stats.categoriesMatched, 1u);
    EXPECT_EQ(outcome.stats.subcategoriesCreated, 2u);
    EXPECT_EQ(outcome.stats.entries, 5u);
    expectUniqueIds(dest);
}

TEST_F(MergeTest, NoIdentifierOccursTwiceEvenWhenSourceSharesTheDestinationsIds) {
    // A copy of the same file merged into itself: every identifier collides.
    const std::string xml = docXml(catXml("A", "One", subXml("B", "Sub", entryXml("C", "x"))) +
                                     catXml("D", "Two", entryXml("E", "y")));
    ASSERT_TRUE(merged(xml, xml).ok);
    expectUniqueIds(dest);
    // Categories and sub-categories merged into existing ones (same ids); the two entries got new ones.
    EXPECT_EQ(test::allIds(dest).size(), 7u);
    EXPECT_EQ(dest.nodeById("A").attribute("value").as_string(), std::string("One"));
    EXPECT_EQ(dest.nodeById("C").parent(), dest.nodeById("B"));
    for (const std::string& id : test::allIds(dest))
        if (id.size() > 1) {
            EXPECT_TRUE(test::isGuidText(id)) << id;
        }
}

// A category inside a category comes over with its parent, not merged again after it has gone.
TEST_F(MergeTest, CategoryNestedInACategoryTravelsWithItsParent) {
    // "S2" in both: the nested category must be renumbered too (fuzzer).
    const auto outcome = merged(docXml(catXml("D1", "Banking", entryXml("S2", "old"))),
                                docXml(catXml("S1", "Outer", catXml("S2", "Inner", entryXml("S3", "deep")) +
                                                                 entryXml("S4", "top")) +
                                       catXml("S5", "Banking", entryXml("S6", "new"))));
    ASSERT_TRUE(outcome.ok) << outcome.errorDescription;
    EXPECT_EQ(outline(dest), (std::vector<std::string>{"Banking: old new", "Outer: top"}));
    EXPECT_EQ(dest.dom().select_nodes("//category[@value='Inner']/record_detail").size(), 1u);
    expectUniqueIds(dest);
}

// Documents built in memory can nest this deep: no recursion or walk up per level, and no result deeper than a file.
TEST_F(MergeTest, HundredThousandNestedLevelsMergeInOnePassAndAreRefused) {
    constexpr int kLevels = 100000;
    load(dest, docXml(catXml("D1", "Banking", subXml("D2", "Deep"))));
    load(source, docXml(catXml("S1", "Banking", subXml("S2", "Deep")) + catXml("S3", "Outer")));
    const auto chain = [](pugi::xml_node node, const char* name) {
        for (int level = 0; level < kLevels; ++level) {
            node = node.append_child(name);
            node.append_attribute("value") = "s";
        }
        return node;
    };
    const pugi::xml_node destBottom = chain(dest.nodeById("D2"), "subcategory");
    chain(source.nodeById("S2"), "subcategory").append_child("record_detail");
    chain(source.nodeById("S3"), "category");
    const auto outcome = MergeSourceCategoryToDestination(source, dest);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.errorDescription, "The merged document would nest deeper than 256 levels");
    EXPECT_FALSE(destBottom.child("record_detail"));
    EXPECT_EQ(dest.records().select_nodes("category").size(), 1u);  // no "Outer"
}

TEST_F(MergeTest, NamesWithQuotesMergeLikeAnyOther) {
    const auto outcome =
        merged(docXml(catXml("D1", "Bob&apos;s &quot;bank&quot;", subXml("D2", "It&apos;s", entryXml("D3", "a")))),
               docXml(catXml("S1", "Bob&apos;s &quot;bank&quot;", subXml("S2", "It&apos;s", entryXml("S3", "b"))) +
                      catXml("S4", "&quot;]|//x[&apos;", entryXml("S5", "c"))));
    ASSERT_TRUE(outcome.ok) << outcome.errorDescription;
    EXPECT_EQ(outline(dest), (std::vector<std::string>{"Bob's \"bank\":", "Bob's \"bank\"/It's: a b",
                                                       "\"]|//x[': c"}));
    EXPECT_EQ(outcome.stats.categoriesMatched, 1u);
    EXPECT_EQ(outcome.stats.subcategoriesMatched, 1u);
}

TEST_F(MergeTest, ProgressReportsEachStepInOrder) {
    std::vector<std::string> statuses;
    std::vector<int> values;
    int maximum = 0;
    const auto outcome = merged(docXml(catXml("D1", "Known", "")),
                                docXml(catXml("S1", "Known", entryXml("S2", "a")) + catXml("S3", "Fresh", "")),
                                [&](const merge::MergeProgress& p) {
                                    statuses.push_back(p.status);
                                    values.push_back(p.value);
                                    maximum = p.maximum;
                                });
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(maximum, 3);
    // Each category is looked for, then found or created, in source order.
    std::vector<std::string> steps;
    for (const std::string& s : statuses)
        if (s.rfind("Looking", 0) == 0 || s.rfind("Found", 0) == 0 || s.rfind("Created", 0) == 0)
            if (steps.empty() || steps.back() != s) steps.push_back(s);
    EXPECT_EQ(steps, (std::vector<std::string>{"Looking for Category: Known", "Found Known in dest doc",
                                               "Looking for Category: Fresh", "Created Category Fresh"}));
    EXPECT_EQ(values.front(), 1);
    EXPECT_EQ(values.back(), 3);
}

TEST_F(MergeTest, AFailingMergeLeavesTheDestinationExactlyAsItWas) {
    load(dest, docXml(catXml("D1", "Known", entryXml("D2", "a"))));
    const std::string before = dest.xml();
    int calls = 0;
    // Fail part-way: after the first category went in.
    const auto outcome = merged(before, docXml(catXml("S1", "Known", entryXml("S2", "b")) + catXml("S3", "Fresh", "")),
                                [&](const merge::MergeProgress& p) {
                                    if (++calls > 1 && p.status == "Looking for Category: Fresh")
                                        throw std::runtime_error("stopped");
                                });
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.errorDescription, "stopped");
    EXPECT_EQ(dest.xml(), before);

    XmlDoc noRecords, other;
    load(noRecords, "<datafile filetype=\"private\"/>");
    const std::string bare = noRecords.xml();
    load(other, docXml(catXml("S1", "A", "")));
    const auto missing = MergeSourceCategoryToDestination(other, noRecords);
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.errorDescription.empty());
    EXPECT_EQ(noRecords.xml(), bare);

    const std::string self = dest.xml();
    EXPECT_FALSE(MergeSourceCategoryToDestination(dest, dest).ok);
    EXPECT_EQ(dest.xml(), self);
}

TEST_F(MergeTest, SameNamedSourceCategoriesBothLandInOne) {
    ASSERT_TRUE(
        merged(docXml(""), docXml(catXml("S1", "Dup", entryXml("S2", "a")) + catXml("S3", "Dup", entryXml("S4", "b"))))
            .ok);
    EXPECT_EQ(outline(dest), std::vector<std::string>{"Dup: a b"});
}

TEST_F(MergeTest, MovingWithinOneDocumentKeepsIdentifiers) {
    XmlDoc& doc = dest;
    load(doc, docXml(catXml("A", "From", subXml("B", "S", entryXml("C", "x")) + entryXml("D", "y")) +
                       catXml("E", "To", subXml("F", "S", entryXml("G", "z")))));
    const pugi::xml_node from = doc.nodeById("A");
    const pugi::xml_node to = doc.nodeById("E");
    merge::MergeSubcategories(from, to);
    merge::MoveEntries(from, to);
    EXPECT_EQ(outline(doc), (std::vector<std::string>{"From:", "From/S:", "To: y", "To/S: z x"}));
    EXPECT_EQ(doc.nodeById("C").parent(), doc.nodeById("F"));
    // Into its own subtree: nothing happens.
    merge::MoveEntries(doc.nodeById("E"), doc.nodeById("F"));
    EXPECT_EQ(doc.nodeById("D").parent(), doc.nodeById("E"));
}

}  // namespace
