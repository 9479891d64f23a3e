#include "document/Merge.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "document/GenerateGuid.h"
#include "document/XmlDoc.h"

using namespace keymora;
using merge::MergeSourceCategoryToDestination;

namespace {

std::string entry(const std::string& id, const std::string& name) {
    return "<record_detail id=\"" + id + "\" type=\"entry\"><resource>" + name +
           "</resource><userid/><password>pw-" + name +
           "</password><notes/><DateCreated/><DateModified/><URL/></record_detail>";
}

std::string category(const std::string& id, const std::string& name, const std::string& inner) {
    return "<category id=\"" + id + "\" type=\"category\" value=\"" + name + "\">" + inner + "</category>";
}

std::string sub(const std::string& id, const std::string& name, const std::string& inner) {
    return "<subcategory id=\"" + id + "\" type=\"subcategory\" value=\"" + name + "\">" + inner +
           "</subcategory>";
}

std::string document(const std::string& categories) {
    return "<datafile version=\"1.5\" DateModified=\"x\" filetype=\"private\"><records>" + categories +
           "</records></datafile>";
}

void load(XmlDoc& doc, const std::string& xml) {
    std::string error;
    ASSERT_TRUE(doc.loadXml(xml, &error)) << error;
}

// "Banking/Savings: A, B" lines describing every category and sub-category
// with its entries, in document order.
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

std::vector<std::string> allIds(const XmlDoc& doc) {
    std::vector<std::string> ids;
    for (const pugi::xpath_node& n : doc.dom().select_nodes("//*[@id]"))
        ids.emplace_back(n.node().attribute("id").value());
    return ids;
}

void expectUniqueIds(const XmlDoc& doc) {
    const auto ids = allIds(doc);
    const std::set<std::string> unique(ids.begin(), ids.end());
    EXPECT_EQ(unique.size(), ids.size());
    EXPECT_EQ(unique.count(""), 0u);
}

TEST(MergeTest, NewCategoriesAreAddedWholeAndMatchingIsCaseSensitive) {
    XmlDoc dest, source;
    load(dest, document(category("D1", "banking", entry("D2", "old"))));
    load(source, document(category("S1", "Banking", sub("S2", "Cards", entry("S3", "visa")) +
                                                        entry("S4", "loan"))));
    const auto outcome = MergeSourceCategoryToDestination(source, dest);
    ASSERT_TRUE(outcome.ok) << outcome.errorDescription;
    EXPECT_EQ(outline(dest), (std::vector<std::string>{"banking: old", "Banking: loan",
                                                       "Banking/Cards: visa"}));
    EXPECT_EQ(outcome.stats.categoriesCreated, 1u);
    EXPECT_EQ(outcome.stats.categoriesMatched, 0u);
    EXPECT_EQ(outcome.stats.entries, 2u);
    expectUniqueIds(dest);
}

TEST(MergeTest, MatchingCategoriesReceiveEntriesAndSubcategoriesMergeByName) {
    XmlDoc dest, source;
    load(dest, document(category("D1", "Personal Information",
                                 sub("D2", "Mine", entry("D3", "SSN") + sub("D4", "Old", entry("D5", "a"))) +
                                     entry("D6", "top")) +
                        category("D7", "Other", "")));
    load(source, document(category("S1", "Personal Information",
                                   entry("S2", "top") +
                                       sub("S3", "Mine", entry("S4", "SSN") + entry("S5", "Passport") +
                                                             sub("S6", "Old", entry("S7", "b")) +
                                                             sub("S8", "mine", "")) +
                                       sub("S9", "Spouse", entry("S10", "Birthday")))));
    const auto outcome = MergeSourceCategoryToDestination(source, dest);
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

TEST(MergeTest, NoIdentifierOccursTwiceEvenWhenSourceSharesTheDestinationsIds) {
    // A copy of the same file merged into itself: every identifier collides.
    const std::string xml = document(category("A", "One", sub("B", "Sub", entry("C", "x"))) +
                                     category("D", "Two", entry("E", "y")));
    XmlDoc dest, source;
    load(dest, xml);
    load(source, xml);
    ASSERT_TRUE(MergeSourceCategoryToDestination(source, dest).ok);
    expectUniqueIds(dest);
    // Categories and sub-categories merged into the existing ones, which kept
    // their identifiers; the two entries came in with new ones.
    EXPECT_EQ(allIds(dest).size(), 7u);
    EXPECT_EQ(dest.nodeById("A").attribute("value").as_string(), std::string("One"));
    EXPECT_EQ(dest.nodeById("C").parent(), dest.nodeById("B"));
    for (const std::string& id : allIds(dest))
        if (id.size() > 1) {
            EXPECT_TRUE(IsGuidText(id)) << id;
        }
}

TEST(MergeTest, NamesWithQuotesMergeLikeAnyOther) {
    XmlDoc dest, source;
    load(dest, document(category("D1", "Bob&apos;s &quot;bank&quot;", sub("D2", "It&apos;s", entry("D3", "a")))));
    load(source, document(category("S1", "Bob&apos;s &quot;bank&quot;", sub("S2", "It&apos;s", entry("S3", "b"))) +
                          category("S4", "&quot;]|//x[&apos;", entry("S5", "c"))));
    const auto outcome = MergeSourceCategoryToDestination(source, dest);
    ASSERT_TRUE(outcome.ok) << outcome.errorDescription;
    EXPECT_EQ(outline(dest), (std::vector<std::string>{"Bob's \"bank\":", "Bob's \"bank\"/It's: a b",
                                                       "\"]|//x[': c"}));
    EXPECT_EQ(outcome.stats.categoriesMatched, 1u);
    EXPECT_EQ(outcome.stats.subcategoriesMatched, 1u);
}

TEST(MergeTest, ProgressReportsEachStepInOrder) {
    XmlDoc dest, source;
    load(dest, document(category("D1", "Known", "")));
    load(source, document(category("S1", "Known", entry("S2", "a")) + category("S3", "Fresh", "")));
    std::vector<std::string> statuses;
    std::vector<int> values;
    int maximum = 0;
    const auto outcome = MergeSourceCategoryToDestination(source, dest, [&](const merge::MergeProgress& p) {
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

TEST(MergeTest, AFailingMergeLeavesTheDestinationExactlyAsItWas) {
    XmlDoc dest, source;
    load(dest, document(category("D1", "Known", entry("D2", "a"))));
    load(source, document(category("S1", "Known", entry("S2", "b")) + category("S3", "Fresh", "")));
    const std::string before = dest.xml();
    int calls = 0;
    const auto outcome = MergeSourceCategoryToDestination(source, dest, [&](const merge::MergeProgress& p) {
        // Fail part-way: after the first category went in.
        if (++calls > 1 && p.status == "Looking for Category: Fresh") throw std::runtime_error("stopped");
    });
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.errorDescription, "stopped");
    EXPECT_EQ(dest.xml(), before);

    XmlDoc noRecords, other;
    load(noRecords, "<datafile filetype=\"private\"/>");
    const std::string bare = noRecords.xml();
    load(other, document(category("S1", "A", "")));
    const auto missing = MergeSourceCategoryToDestination(other, noRecords);
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.errorDescription.empty());
    EXPECT_EQ(noRecords.xml(), bare);

    const std::string self = dest.xml();
    EXPECT_FALSE(MergeSourceCategoryToDestination(dest, dest).ok);
    EXPECT_EQ(dest.xml(), self);
}

TEST(MergeTest, SameNamedSourceCategoriesBothLandInOne) {
    XmlDoc dest, source;
    load(dest, document(""));
    load(source, document(category("S1", "Dup", entry("S2", "a")) + category("S3", "Dup", entry("S4", "b"))));
    ASSERT_TRUE(MergeSourceCategoryToDestination(source, dest).ok);
    EXPECT_EQ(outline(dest), std::vector<std::string>{"Dup: a b"});
}

TEST(MergeTest, MovingWithinOneDocumentKeepsIdentifiers) {
    XmlDoc doc;
    load(doc, document(category("A", "From", sub("B", "S", entry("C", "x")) + entry("D", "y")) +
                       category("E", "To", sub("F", "S", entry("G", "z")))));
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
