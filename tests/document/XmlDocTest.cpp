#include "document/XmlDoc.h"

#include <gtest/gtest.h>

#include <string>

#include "document/Nesting.h"
#include "document/PugiMemory.h"

namespace keymora {
namespace {

const char* const kIndented = R"(<?xml version='1.0' encoding='iso-8859-1' ?>
<datafile version="1.5" DateModified="12/6/2026 1:05:09 PM" filetype="private">
  <records>
    <category id="{11111111-1111-4111-8111-111111111111}" type="category" value="Internet Sites">
      <record_detail id="{22222222-2222-4222-8222-222222222222}" type="entry">
        <resource>Bank</resource>
        <userid>me</userid>
        <password>secret</password>
        <notes></notes>
        <DateCreated>12/6/2026 1:05:09 PM</DateCreated>
        <DateModified>12/6/2026 1:05:09 PM</DateModified>
        <URL>https://bank.example</URL>
      </record_detail>
    </category>
    <category id="{33333333-3333-4333-8333-333333333333}" type="category" value="Other">
    </category>
  </records>
</datafile>
)";

int childCount(pugi::xml_node n) {
    int count = 0;
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) ++count;
    return count;
}

// Indentation goes, but an all-blank field is user data (a password of spaces) and survives a reopen.
TEST(XmlDoc, IndentationIsDroppedAndBlankFieldTextKept) {
    std::string text = kIndented;
    text.replace(text.find("<password>secret</password>"), 27, "<password>   </password>");
    text.replace(text.find("<notes></notes>"), 15, "<notes>\n\t</notes>");
    XmlDoc doc;
    ASSERT_TRUE(doc.loadXml(text));
    pugi::xml_node entry = doc.records().first_child().first_child();
    // Fields by position, as the entry pane reads them.
    pugi::xml_node field = entry.first_child();
    for (const char* name : {"resource", "userid", "password", "notes", "DateCreated", "DateModified", "URL"}) {
        ASSERT_TRUE(field);
        EXPECT_STREQ(field.name(), name);
        field = field.next_sibling();
    }
    EXPECT_FALSE(field);
    EXPECT_STREQ(entry.child("password").child_value(), "   ");
    EXPECT_STREQ(entry.child("notes").child_value(), "\n\t");
    EXPECT_EQ(childCount(doc.records().last_child()), 0);
    EXPECT_EQ(childCount(doc.datafile()), 1);

    // An empty category is written with attributes only; no indentation is written.
    const std::string xml = doc.xml();
    EXPECT_NE(xml.find(R"(<category id="{33333333-3333-4333-8333-333333333333}" type="category" value="Other"/>)"),
              std::string::npos)
        << xml;
    EXPECT_EQ(xml.find("\n "), std::string::npos);
    EXPECT_EQ(xml.find("\n<"), std::string::npos);

    XmlDoc again;
    ASSERT_TRUE(again.loadXml(xml));
    EXPECT_STREQ(again.records().first_child().first_child().child("password").child_value(), "   ");
}

TEST(XmlDoc, SerialisesWithOwnDeclarationOnlyAndRoundTrips) {
    XmlDoc doc;
    ASSERT_TRUE(doc.loadXml(kIndented));
    const std::string first = doc.xml();
    EXPECT_EQ(first.rfind("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><datafile ", 0), 0u) << first;

    XmlDoc again;
    ASSERT_TRUE(again.loadXml(first));
    EXPECT_EQ(again.xml(), first);

    XmlDoc bare;
    ASSERT_TRUE(bare.loadXml("<datafile><records/></datafile>"));
    EXPECT_EQ(bare.xml(), "<datafile><records/></datafile>");

    // Text beside elements is not in sound files, but it is kept where it was.
    XmlDoc mixed;
    ASSERT_TRUE(mixed.loadXml("<datafile>lead<records/>tail<x> </x></datafile>"));
    EXPECT_EQ(mixed.xml(), "<datafile>lead<records/>tail<x/></datafile>");
}

TEST(XmlDoc, NodeByIdFindsFirstInDocumentOrderAndNeverInterpretsTheId) {
    XmlDoc doc;
    ASSERT_TRUE(doc.loadXml(R"(<datafile><records>)"
                            R"(<category id="A" value="1"><subcategory id="B" value="2"/></category>)"
                            R"(<category id="B" value="3"/>)"
                            R"(<category id="" value="4"/>)"
                            R"(<category id="C" value="5"><subcategory id="C" value="6"/></category>)"
                            R"(</records></datafile>)"));
    EXPECT_STREQ(doc.nodeById("B").attribute("value").value(), "2");
    EXPECT_STREQ(doc.nodeById("C").attribute("value").value(), "5");
    EXPECT_STREQ(doc.nodeById("A").attribute("value").value(), "1");
    EXPECT_FALSE(doc.nodeById("D"));
    EXPECT_FALSE(doc.nodeById(""));
    // Text that would change the meaning of a joined expression finds nothing.
    EXPECT_FALSE(doc.nodeById("x' or '1'='1"));
    EXPECT_FALSE(doc.nodeById("\"]|//*[\""));
}

TEST(XmlDoc, MalformedTextLeavesAnEmptyDocumentAndSays) {
    for (const char* bad : {"", "   ", "<datafile>", "<datafile></records>", "<a/><b/>", "text<a/>",
                            "<a/>text", "\xEF\xBB\xBF", "<?xml version='1.0'?>"}) {
        XmlDoc doc;
        ASSERT_TRUE(doc.loadXml(kIndented));
        std::string error;
        EXPECT_FALSE(doc.loadXml(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
        EXPECT_FALSE(doc.datafile()) << bad;
        EXPECT_FALSE(doc.dom().first_child()) << bad;
        EXPECT_EQ(doc.xml(), "");
    }
}

// Declarations are refused, and nesting is bounded so no walk of the tree runs out of stack.
TEST(XmlDoc, DoctypeAndExcessiveNestingAreRefused) {
    const auto nested = [](std::size_t levels) {
        std::string xml;
        for (std::size_t i = 0; i < levels; ++i) xml += "<a>";
        for (std::size_t i = 0; i < levels; ++i) xml += "</a>";
        return xml;
    };
    XmlDoc doc;
    std::string error;
    EXPECT_FALSE(doc.loadXml("<!DOCTYPE datafile><datafile/>", &error));
    EXPECT_NE(error.find("document type"), std::string::npos) << error;
    EXPECT_FALSE(doc.loadXml("<!DOCTYPE d [<!ENTITY e \"x\">]><datafile>&e;</datafile>"));
    EXPECT_TRUE(doc.loadXml(nested(kMaxNestingDepth)));
    EXPECT_FALSE(doc.loadXml(nested(kMaxNestingDepth + 1), &error));
    EXPECT_EQ(error, "The document nests deeper than 256 levels");
    EXPECT_FALSE(doc.loadXml(nested(1000000)));
}

TEST(XmlDoc, InPlaceLoadAndClear) {
    XmlDoc doc;
    std::string text = kIndented;
    ASSERT_TRUE(doc.loadXmlInPlace(std::move(text)));
    EXPECT_STREQ(doc.nodeById("{22222222-2222-4222-8222-222222222222}").child_value("password"), "secret");
    // The tree stays sound after edits that replace buffer text with longer text.
    pugi::xml_node pass = doc.nodeById("{22222222-2222-4222-8222-222222222222}").child("password");
    pass.text().set("a much longer secret than the one parsed in place");
    XmlDoc reread;
    ASSERT_TRUE(reread.loadXml(doc.xml()));
    EXPECT_STREQ(reread.nodeById("{22222222-2222-4222-8222-222222222222}").child_value("password"),
                 "a much longer secret than the one parsed in place");

    doc.clear();
    EXPECT_FALSE(doc.datafile());
    EXPECT_EQ(doc.xml(), "");
    ASSERT_TRUE(doc.loadXml("<datafile/>"));
    EXPECT_EQ(doc.xml(), "<datafile/>");
}

TEST(XmlDoc, LargeDocumentsGiveTheirMemoryBack) {
    const std::size_t before = pugimemory::regionBytes();
    {
        std::string text = "<datafile><records><category id='c'>";
        for (int i = 0; i < 5000; ++i)
            text += "<record_detail id='e" + std::to_string(i) +
                    "' type='entry'><resource>r</resource><userid>u</userid><password>p</password>"
                    "<notes/><DateCreated/><DateModified/><URL/></record_detail>";
        text += "</category></records></datafile>";
        XmlDoc doc;
        ASSERT_TRUE(doc.loadXmlInPlace(std::move(text)));
        EXPECT_GT(pugimemory::regionBytes(), before);
        EXPECT_STREQ(doc.nodeById("e4999").child_value("password"), "p");
        // Text far larger than a node page takes a block of its own.
        const std::string big(1 << 20, 'n');
        doc.nodeById("e0").child("notes").text().set(big.c_str());
        XmlDoc copy;
        ASSERT_TRUE(copy.loadXml(doc.xml()));
        EXPECT_EQ(std::string(copy.nodeById("e0").child_value("notes")), big);
    }
    EXPECT_EQ(pugimemory::regionBytes(), before);
}

}  // namespace
}  // namespace keymora
