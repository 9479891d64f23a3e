#include "document/GenerateGuid.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "document/ModXml.h"
#include "document/XmlDoc.h"

namespace keymora {
namespace {

// "{" 8 "-" 4 "-" 4 "-" 4 "-" 12 upper-case hexadecimal digits "}", checked
// without the code under test.
bool hasRegistryForm(const std::string& id) {
    const std::string pattern = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (id.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const bool hex = (id[i] >= '0' && id[i] <= '9') || (id[i] >= 'A' && id[i] <= 'F');
        if (pattern[i] == 'X' ? !hex : id[i] != pattern[i]) return false;
    }
    return true;
}

TEST(GenerateGuid, FormVersionAndUniqueness) {
    std::set<std::string> seen;
    for (int i = 0; i < 10000; ++i) {
        const std::string id = GenerateGUID();
        ASSERT_TRUE(hasRegistryForm(id)) << id;
        ASSERT_TRUE(IsGuidText(id)) << id;
        EXPECT_EQ(id[15], '4') << id;                              // random version
        EXPECT_NE(std::string("89AB").find(id[20]), std::string::npos) << id;  // RFC 4122 variant
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 10000u);
}

TEST(GenerateGuid, FormatsLikeAWindowsGuidWithLeadingZeros) {
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < 16; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    // The first three fields are little-endian numbers, the last eight bytes in order.
    EXPECT_EQ(FormatGuid(bytes), "{03020100-0504-0706-0809-0A0B0C0D0E0F}");

    std::array<std::uint8_t, 16> small{};
    small[0] = 0xCD;
    small[1] = 0xAB;
    small[4] = 0x01;
    small[15] = 0x0F;
    EXPECT_EQ(FormatGuid(small), "{0000ABCD-0001-0000-0000-00000000000F}");
}

TEST(GenerateGuid, RecognisesOnlyTheWrittenForm) {
    EXPECT_TRUE(IsGuidText("{0000ABCD-0001-0000-0000-00000000000F}"));
    EXPECT_FALSE(IsGuidText("{0000abcd-0001-0000-0000-00000000000F}"));
    EXPECT_FALSE(IsGuidText("0000ABCD-0001-0000-0000-00000000000F"));
    EXPECT_FALSE(IsGuidText("{0000ABCD-0001-0000-0000-00000000000F"));
    EXPECT_FALSE(IsGuidText("{0000ABCD0-001-0000-0000-00000000000F}"));
    EXPECT_FALSE(IsGuidText("{0000ABCG-0001-0000-0000-00000000000F}"));
    EXPECT_FALSE(IsGuidText(""));
}

const char* const kTwoCategories =
    "<datafile><records>"
    "<category id='{C1}' type='category' value='One'>"
    "<subcategory id='{S1}' type='subcategory' value='Sub'>"
    "<record_detail id='{E1}' type='entry'><resource>a</resource></record_detail>"
    "<record_detail id='{E2}' type='entry'><resource>b</resource></record_detail>"
    "<record_detail id='{E3}' type='entry'><resource>c</resource></record_detail>"
    "</subcategory></category>"
    "<category id='{C2}' type='category' value='Two'>"
    "<record_detail id='{E4}' type='entry'><resource>d</resource></record_detail>"
    "</category></records></datafile>";

std::map<std::string, std::string> idsByResourceOrValue(pugi::xml_node top) {
    std::map<std::string, std::string> ids;
    for (pugi::xpath_node x : top.select_nodes("descendant-or-self::*[@id]")) {
        pugi::xml_node n = x.node();
        const std::string key = n.child("resource") ? n.child_value("resource") : n.attribute("value").value();
        ids[key] = n.attribute("id").value();
    }
    return ids;
}

TEST(ResetUniqueIdentifiers, DetachedCopyGetsNewIdsAndTheDocumentKeepsItsOwn) {
    XmlDoc doc;
    ASSERT_TRUE(doc.loadXml(kTwoCategories));
    const std::string original = doc.xml();
    pugi::xml_node copy = doc.scratch().append_copy(doc.nodeById("{S1}"));
    pugi::xml_node otherDetached = doc.scratch().append_copy(doc.nodeById("{C2}"));

    ResetUniqueIdentifiers(copy);

    EXPECT_EQ(doc.xml(), original);
    const auto ids = idsByResourceOrValue(copy);
    ASSERT_EQ(ids.size(), 4u);
    std::set<std::string> distinct;
    for (const auto& [key, id] : ids) {
        EXPECT_TRUE(IsGuidText(id)) << key;
        EXPECT_FALSE(doc.nodeById(id)) << key;
        distinct.insert(id);
    }
    EXPECT_EQ(distinct.size(), 4u);
    // Another detached element in the same scratch area is a tree of its own.
    EXPECT_STREQ(otherDetached.attribute("id").value(), "{C2}");
    EXPECT_STREQ(otherDetached.child("record_detail").attribute("id").value(), "{E4}");

    // Resetting an element inside a detached copy covers that whole copy.
    const std::string copyId = copy.attribute("id").value();
    ResetUniqueIdentifiers(copy.child("record_detail"));
    EXPECT_NE(copy.attribute("id").value(), copyId);
    EXPECT_STREQ(otherDetached.attribute("id").value(), "{C2}");
}

TEST(ResetUniqueIdentifiers, InADocumentCoversTheWholeDocument) {
    XmlDoc doc;
    ASSERT_TRUE(doc.loadXml(kTwoCategories));
    pugi::xml_node first = doc.nodeById("{C1}");
    ResetUniqueIdentifiers(first);

    const auto ids = idsByResourceOrValue(doc.datafile());
    ASSERT_EQ(ids.size(), 7u);
    // The element itself, and every sub-category and entry of the document,
    // in either category; other categories keep theirs.
    EXPECT_NE(ids.at("One"), "{C1}");
    EXPECT_EQ(ids.at("Two"), "{C2}");
    std::set<std::string> distinct;
    for (const auto& [key, id] : ids) {
        if (key == "Two") continue;
        EXPECT_TRUE(IsGuidText(id)) << key;
        distinct.insert(id);
    }
    EXPECT_EQ(distinct.size(), 6u);
    EXPECT_EQ(doc.nodeById(ids.at("One")), first);
}

TEST(ResetUniqueIdentifiers, GivesAnIdToAnElementWithoutOne) {
    XmlDoc doc;
    pugi::xml_node loose = modXml::CreateDetachedElement(doc, "category");
    ResetUniqueIdentifiers(loose);
    EXPECT_TRUE(IsGuidText(loose.attribute("id").value()));
    ResetUniqueIdentifiers(pugi::xml_node());  // nothing to do, and no crash
}

}  // namespace
}  // namespace keymora
