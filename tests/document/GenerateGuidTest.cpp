#include "document/GenerateGuid.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "document/ModXml.h"
#include "document/XmlDoc.h"
#include "testsupport/TestDocuments.h"

namespace keymora {
namespace {

using test::isGuidText;

TEST(GenerateGuid, FormVersionAndUniqueness) {
    std::set<std::string> seen;
    for (int i = 0; i < 10000; ++i) {
        const std::string id = GenerateGUID();
        ASSERT_TRUE(isGuidText(id)) << id;
        EXPECT_EQ(id[15], '4') << id;                              // random version
        EXPECT_NE(std::string("89AB").find(id[20]), std::string::npos) << id;  // RFC 4122 variant
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 10000u);
}

const std::string kTwoCategories = test::docXml(
    test::catXml("{C1}", "One",
                 test::subXml("{S1}", "Sub",
                              test::entryXml("{E1}", "a") + test::entryXml("{E2}", "b") + test::entryXml("{E3}", "c"))) +
    test::catXml("{C2}", "Two", test::entryXml("{E4}", "d")));

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
        EXPECT_TRUE(isGuidText(id)) << key;
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
    // The element and every sub-category and entry, in either category; other categories keep theirs.
    EXPECT_NE(ids.at("One"), "{C1}");
    EXPECT_EQ(ids.at("Two"), "{C2}");
    std::set<std::string> distinct;
    for (const auto& [key, id] : ids) {
        if (key == "Two") continue;
        EXPECT_TRUE(isGuidText(id)) << key;
        distinct.insert(id);
    }
    EXPECT_EQ(distinct.size(), 6u);
    EXPECT_EQ(doc.nodeById(ids.at("One")), first);
}

TEST(ResetUniqueIdentifiers, GivesAnIdToAnElementWithoutOne) {
    XmlDoc doc;
    pugi::xml_node loose = modXml::CreateDetachedElement(doc, "category");
    ResetUniqueIdentifiers(loose);
    EXPECT_TRUE(isGuidText(loose.attribute("id").value()));
    ResetUniqueIdentifiers(pugi::xml_node());  // nothing to do, and no crash
}

}  // namespace
}  // namespace keymora
