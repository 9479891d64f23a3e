#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "document/DateText.h"
#include "document/NewDocumentTemplate.h"
#include "document/XmlDoc.h"
#include "testsupport/TestDocuments.h"

namespace keymora {
namespace {

using test::allIds;
using test::childNames;

// What other readers rely on: the declaration, the root's attributes in order, a well-formed node per id.
TEST(NewDocumentTemplate, IsAWellFormedDataFile) {
    auto doc = BuildNewDocument();
    const std::string text = doc->xml();
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><datafile", 0), 0u)
        << text.substr(0, 80);
    pugi::xml_node root = doc->datafile();
    std::vector<std::string> attrs;
    for (pugi::xml_attribute a : root.attributes()) attrs.emplace_back(a.name());
    EXPECT_EQ(attrs, (std::vector<std::string>{"version", "DateModified", "filetype"}));
    EXPECT_STREQ(root.attribute("version").value(), "1.5");
    EXPECT_STREQ(root.attribute("filetype").value(), "private");
    EXPECT_TRUE(datetext::parse(root.attribute("DateModified").value()).has_value());
    EXPECT_EQ(childNames(root), std::vector<std::string>{"records"});

    const auto ids = allIds(*doc);
    EXPECT_EQ(ids.size(), 21u);
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());
    for (pugi::xpath_node n : doc->dom().select_nodes("//*[@id]")) {
        const pugi::xml_node node = n.node();
        SCOPED_TRACE(node.attribute("value").value());
        EXPECT_TRUE(test::isGuidText(node.attribute("id").value()));
        ASSERT_TRUE(IsTreeNode(node)) << node.name();
        if (KindOf(node) != NodeKind::Entry) continue;
        std::vector<std::string> fields = {"resource", "userid", "password", "notes",
                                           "DateCreated", "DateModified", "URL"};
        if (node.child("labels")) fields.emplace_back("labels");
        EXPECT_EQ(childNames(node), fields);
        EXPECT_STREQ(node.child_value("DateCreated"), node.child_value("DateModified"));
        EXPECT_TRUE(datetext::parse(node.child_value("DateCreated")).has_value());
    }
}

TEST(NewDocumentTemplate, TwoDocumentsShareNoIdentifier) {
    auto first = BuildNewDocument();
    auto second = BuildNewDocument();
    std::set<std::string> ids;
    for (const auto& id : allIds(*first)) ids.insert(id);
    for (const auto& id : allIds(*second)) ids.insert(id);
    EXPECT_EQ(ids.size(), 42u);
}

TEST(NewDocumentTemplate, LabelSetsAreSeparateCopies) {
    auto doc = BuildNewDocument();
    auto labelValue = [](pugi::xml_node node) {
        return node.child("labels").child("label").attribute("value");
    };
    pugi::xml_node personal = doc->records().find_child_by_attribute("value", "Personal Information");
    pugi::xml_node mineSsn = personal.first_child().first_child();
    pugi::xml_node spouseSsn = personal.first_child().next_sibling().first_child();
    ASSERT_STREQ(labelValue(spouseSsn).value(), "Entry Type");

    labelValue(mineSsn).set_value("Changed");
    EXPECT_STREQ(labelValue(spouseSsn).value(), "Entry Type");
}

}  // namespace
}  // namespace keymora
