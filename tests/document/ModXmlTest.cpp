#include "document/ModXml.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace keymora {
namespace {

using namespace modXml;

std::vector<std::string> childNames(pugi::xml_node n) {
    std::vector<std::string> names;
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) names.emplace_back(c.name());
    return names;
}

bool inTree(const XmlDoc& doc, pugi::xml_node n) { return n && n.root() == doc.dom(); }

class ModXmlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_doc.loadXml("<datafile><records><category id='c'><a/><b/><c/></category></records></datafile>"));
        m_parent = m_doc.nodeById("c");
        ASSERT_TRUE(m_parent);
    }
    XmlDoc m_doc;
    pugi::xml_node m_parent;
};

TEST_F(ModXmlTest, AddNodeAppendsForChildEmptyAndMissingPosition) {
    pugi::xml_node x = AddNode(m_doc, m_parent, "x", "text", "type", "entry");
    pugi::xml_node y = AddNode(m_doc, m_parent, "y", "", "", "", "");
    pugi::xml_node z = AddNode(m_doc, m_parent, "z", "", "", "", "CHILD");
    EXPECT_EQ(childNames(m_parent), (std::vector<std::string>{"a", "b", "c", "x", "y", "z"}));
    EXPECT_STREQ(x.child_value(), "text");
    EXPECT_STREQ(x.attribute("type").value(), "entry");
    // No text means no text node: the field is written as an empty element.
    EXPECT_FALSE(y.first_child());
    EXPECT_FALSE(y.first_attribute());
    EXPECT_NE(m_doc.xml().find("<y/>"), std::string::npos);
    EXPECT_TRUE(inTree(m_doc, z));
    // An attribute needs a non-blank name; its value may be empty.
    EXPECT_FALSE(AddNode(m_doc, m_parent, "n", "t", "   ", "v").first_attribute());
    pugi::xml_node padded = AddNode(m_doc, m_parent, "n", "t", " value ", "");
    ASSERT_TRUE(padded.attribute("value"));
    EXPECT_STREQ(padded.attribute("value").value(), "");
}

TEST_F(ModXmlTest, AddNodeBeforeAndAfterReference) {
    pugi::xml_node b = m_parent.child("b");
    AddNode(m_doc, m_parent, "before_b", "", "", "", "Before", b);
    AddNode(m_doc, m_parent, "after_b", "", "", "", "after", b);
    EXPECT_EQ(childNames(m_parent), (std::vector<std::string>{"a", "before_b", "b", "after_b", "c"}));

    // After the last child: appended at the end.
    pugi::xml_node last = AddNode(m_doc, m_parent, "after_c", "", "", "", "AFTER", m_parent.child("c"));
    EXPECT_EQ(m_parent.last_child(), last);
    // Before no reference: appended too, as a DOM's insertBefore does.
    pugi::xml_node end = AddNode(m_doc, m_parent, "before_none", "", "", "", "before");
    EXPECT_EQ(m_parent.last_child(), end);
    EXPECT_EQ(childNames(m_parent),
              (std::vector<std::string>{"a", "before_b", "b", "after_b", "c", "after_c", "before_none"}));
}

TEST_F(ModXmlTest, AddNodeWithOtherPositionWordOrStrangeReferenceChangesNoTree) {
    const std::string before = m_doc.xml();
    for (const char* word : {"inside", "first", " child"}) {
        pugi::xml_node n = AddNode(m_doc, m_parent, "loose", "t", "id", "x", word, m_parent.child("a"));
        ASSERT_TRUE(n) << word;
        EXPECT_FALSE(inTree(m_doc, n)) << word;
        EXPECT_STREQ(n.child_value(), "t");
        EXPECT_STREQ(n.attribute("id").value(), "x");
    }
    // A reference under another parent: nothing is made at all.
    EXPECT_FALSE(AddNode(m_doc, m_parent, "x", "", "", "", "before", m_doc.records()));
    EXPECT_EQ(m_doc.xml(), before);
    EXPECT_FALSE(m_doc.nodeById("x"));
}

TEST_F(ModXmlTest, SetNodeAttributeIgnoresEmptyNameOrValue) {
    EXPECT_EQ(GetNodeAttribute(m_parent, "value"), "");
    EXPECT_EQ(GetNodeAttribute(pugi::xml_node(), "id"), "");
    SetNodeAttribute(m_parent, "value", "Banks");
    EXPECT_EQ(GetNodeAttribute(m_parent, "value"), "Banks");
    SetNodeAttribute(m_parent, "value", "");
    EXPECT_EQ(GetNodeAttribute(m_parent, "value"), "Banks");
    SetNodeAttribute(m_parent, "value", "Shops");
    EXPECT_EQ(GetNodeAttribute(m_parent, "value"), "Shops");
    SetNodeAttribute(m_parent, "", "x");
    SetNodeAttribute(m_parent, "expanded", "");
    EXPECT_FALSE(m_parent.attribute("expanded"));
    EXPECT_EQ(std::string(m_parent.first_attribute().name()), "id");
    EXPECT_FALSE(m_parent.first_attribute().next_attribute().next_attribute());
    // One attribute per name, however often it is set.
    SetNodeAttribute(m_parent, "value", "Again");
    int values = 0;
    for (pugi::xml_attribute a = m_parent.first_attribute(); a; a = a.next_attribute())
        values += std::string(a.name()) == "value";
    EXPECT_EQ(values, 1);
}

TEST_F(ModXmlTest, DetachedLabelsAreCopiedIntoEachNode) {
    pugi::xml_node labels = CreateDetachedElement(m_doc, "labels");
    ASSERT_TRUE(labels);
    EXPECT_FALSE(inTree(m_doc, labels));
    for (const char* tag : {"resource", "userid", "password", "notes", "URL"}) {
        pugi::xml_node label = CreateDetachedElement(m_doc, "label");
        SetNodeAttribute(label, "associated_tag", tag);
        SetNodeAttribute(label, "value", std::string("Caption ") + tag);
        AddDetached(labels, label);
    }
    EXPECT_EQ(m_doc.xml().find("labels"), std::string::npos);

    pugi::xml_node first = AddDetached(m_parent, labels);
    pugi::xml_node second = AddDetached(m_parent.child("a"), labels);
    ASSERT_TRUE(inTree(m_doc, first));
    ASSERT_TRUE(inTree(m_doc, second));
    EXPECT_EQ(m_parent.last_child(), first);
    EXPECT_EQ(childNames(first).size(), 5u);
    EXPECT_STREQ(first.child("label").attribute("value").value(), "Caption resource");

    // Deep copies: editing one leaves the other and the original alone.
    SetNodeAttribute(first.child("label"), "value", "Changed");
    EXPECT_STREQ(second.child("label").attribute("value").value(), "Caption resource");
    EXPECT_STREQ(labels.child("label").attribute("value").value(), "Caption resource");
}

TEST_F(ModXmlTest, AddDetachedHonoursPosition) {
    pugi::xml_node loose = CreateDetachedElement(m_doc, "labels");
    pugi::xml_node copy = AddDetached(m_parent, loose, "before", m_parent.first_child());
    EXPECT_EQ(m_parent.first_child(), copy);
    EXPECT_NE(copy, loose);
    pugi::xml_node after = AddDetached(m_parent, loose, "after", m_parent.child("a"));
    EXPECT_EQ(childNames(m_parent), (std::vector<std::string>{"labels", "a", "labels", "b", "c"}));
    EXPECT_EQ(after.previous_sibling(), m_parent.child("a"));
    EXPECT_FALSE(CreateDetachedElement(m_doc, ""));
}

}  // namespace
}  // namespace keymora
