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
