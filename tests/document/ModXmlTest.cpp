#include "document/ModXml.h"

#include <gtest/gtest.h>

#include <string>

namespace keymora {
namespace {

using namespace modXml;

class ModXmlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_doc.loadXml("<datafile><records><category id='c'><a/></category></records></datafile>"));
        m_parent = m_doc.nodeById("c");
        ASSERT_TRUE(m_parent);
    }
    XmlDoc m_doc;
    pugi::xml_node m_parent;
};

// An empty name or value leaves the element as it was; a name is never doubled.
TEST_F(ModXmlTest, SetNodeAttributeIgnoresEmptyNameOrValue) {
    EXPECT_EQ(GetNodeAttribute(pugi::xml_node(), "id"), "");
    SetNodeAttribute(m_parent, "value", "Banks");
    SetNodeAttribute(m_parent, "value", "");
    SetNodeAttribute(m_parent, "", "x");
    SetNodeAttribute(m_parent, "expanded", "");
    SetNodeAttribute(m_parent, "value", "Shops");
    EXPECT_EQ(GetNodeAttribute(m_parent, "value"), "Shops");
    int attributes = 0;
    for (pugi::xml_attribute a = m_parent.first_attribute(); a; a = a.next_attribute()) ++attributes;
    EXPECT_EQ(attributes, 2);  // id and value
}

TEST_F(ModXmlTest, DetachedElementsStayOutOfTheSavedDocument) {
    const std::string before = m_doc.xml();
    pugi::xml_node loose = CreateDetachedElement(m_doc, "labels");
    ASSERT_TRUE(loose);
    SetNodeAttribute(loose, "value", "x");
    EXPECT_NE(loose.root(), m_doc.dom());
    EXPECT_EQ(m_doc.xml(), before);
    EXPECT_FALSE(CreateDetachedElement(m_doc, ""));
}

}  // namespace
}  // namespace keymora
