#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/IdIndex.h"
#include "document/TreeEditing.h"
#include "testsupport/TestDocuments.h"

namespace keymora {
namespace {

using namespace test;

const char* kLabelsAtm =
    "<labels><label associated_tag=\"resource\" value=\"Bank\"/>"
    "<label associated_tag=\"url\" value=\"Site\"/>"
    "<label associated_tag=\"notes\" value=\"Remarks\"/></labels>";

std::unique_ptr<XmlDoc> sample() {
    return docFrom(catXml("C1", "Cards", std::string(kLabelsAtm) + entryXml("E1", "one") + entryXml("E2", "two") +
                                             subXml("S1", "Inner", entryXml("E3", "three"))) +
                   catXml("C2", "Empty"));
}

EntryFields fields(const std::string& name) {
    EntryFields f;
    f.resource = name;
    f.userid = "someone";
    f.password = "s3cret";
    f.url = "https://example.org/";
    f.notes = "line 1\nline 2";
    return f;
}

TEST(AddCategoryTest, AppendsNamedCategoryToRecords) {
    auto doc = sample();
    const EditResult r = AddCategory(*doc);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(test::isGuidText(r.id));
    EXPECT_EQ(r.kind, NodeKind::Category);
    EXPECT_EQ(r.parentId, "");
    EXPECT_EQ(doc->records().last_child(), r.node);
    EXPECT_STREQ(r.node.attribute("value").value(), "New Category");
    EXPECT_TRUE(r.node.first_child().empty());

    const EditResult named = AddCategory(*doc, "Bank & \"Co\" 'x'");
    ASSERT_TRUE(named.ok());
    EXPECT_NE(named.id, r.id);
    EXPECT_STREQ(doc->nodeById(named.id).attribute("value").value(), "Bank & \"Co\" 'x'");
}

TEST(AddSubCategoryTest, UnderCategoriesAndSubCategoriesOnly) {
    auto doc = sample();
    const EditResult r = AddSubCategory(*doc, "C1");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.kind, NodeKind::SubCategory);
    EXPECT_EQ(r.parentId, "C1");
    EXPECT_EQ(r.parentName, "Cards");
    EXPECT_EQ(doc->nodeById("C1").last_child(), r.node);
    EXPECT_STREQ(r.node.attribute("value").value(), "New Sub-Category");
    EXPECT_STREQ(r.node.attribute("type").value(), "subcategory");

    const EditResult nested = AddSubCategory(*doc, "S1", "Deeper");
    ASSERT_TRUE(nested.ok());
    EXPECT_EQ(doc->nodeById("S1").last_child(), nested.node);

    const std::string before = doc->xml();
    EXPECT_EQ(AddSubCategory(*doc, "E1").status, EditStatus::WrongKind);
    EXPECT_EQ(AddSubCategory(*doc, "{NOPE}").status, EditStatus::NotFound);
    EXPECT_EQ(AddSubCategory(*doc, "").status, EditStatus::EmptyIdentifier);
    EXPECT_EQ(doc->xml(), before);
}

TEST(AddEntryTest, RootAppendsFieldsInOrderWithOneTimestamp) {
    auto doc = sample();
    const EditResult r = AddEntry(*doc, "C1", "Root", fields("new one"));
    ASSERT_TRUE(r.ok()) << StatusText(r.status);
    EXPECT_TRUE(test::isGuidText(r.id));
    EXPECT_EQ(doc->nodeById("C1").last_child(), r.node);
    EXPECT_EQ(KindOf(r.node), NodeKind::Entry);
    EXPECT_EQ(childNames(r.node), (std::vector<std::string>{"resource", "userid", "password", "notes",
                                                              "DateCreated", "DateModified", "URL"}));
    EXPECT_STREQ(r.node.child("resource").text().get(), "new one");
    EXPECT_STREQ(r.node.child("userid").text().get(), "someone");
    EXPECT_STREQ(r.node.child("password").text().get(), "s3cret");
    EXPECT_STREQ(r.node.child("notes").text().get(), "line 1\nline 2");
    EXPECT_STREQ(r.node.child("URL").text().get(), "https://example.org/");
    const std::string created = r.node.child("DateCreated").text().get();
    EXPECT_FALSE(created.empty());
    EXPECT_EQ(created, r.node.child("DateModified").text().get());
    // The category's labels stay with the category.
    EXPECT_TRUE(r.node.child("labels").empty());

    // Empty fields are still there, in the same order.
    const EditResult empty = AddEntry(*doc, "S1", "root", EntryFields{});
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(childNames(empty.node), childNames(r.node));
    EXPECT_TRUE(empty.node.child("resource").first_child().empty());
}

TEST(AddEntryTest, BeforeAndAfterTheSelectedEntry) {
    auto doc = sample();
    pugi::xml_node cards = doc->nodeById("C1");
    const EditResult before = AddEntry(*doc, "E2", "BEFORE", fields("b"));
    ASSERT_TRUE(before.ok());
    EXPECT_EQ(childIds(cards), (std::vector<std::string>{"E1", before.id, "E2", "S1"}));
    EXPECT_EQ(before.parentId, "C1");

    const EditResult after = AddEntry(*doc, "E1", EntryPosition::After, fields("a"));
    ASSERT_TRUE(after.ok());
    EXPECT_EQ(childIds(cards), (std::vector<std::string>{"E1", after.id, before.id, "E2", "S1"}));
    // The labels element keeps its place in front.
    EXPECT_STREQ(cards.first_child().name(), "labels");

    // After the last child: appended at the end.
    const EditResult last = AddEntry(*doc, "E3", "After", fields("last"));
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(childIds(doc->nodeById("S1")), (std::vector<std::string>{"E3", last.id}));
}

TEST(AddEntryTest, RefusedWhereAnEntryCannotStand) {
    auto doc = sample();
    const std::string before = doc->xml();
    EXPECT_EQ(AddEntry(*doc, "E1", "Root", fields("x")).status, EditStatus::WrongKind);
    EXPECT_EQ(AddEntry(*doc, "C1", "Before", fields("x")).status, EditStatus::WrongKind);
    EXPECT_EQ(AddEntry(*doc, "C2", "After", fields("x")).status, EditStatus::WrongKind);
    EXPECT_EQ(AddEntry(*doc, "C1", "Under", fields("x")).status, EditStatus::BadPosition);
    EXPECT_EQ(AddEntry(*doc, "{NOPE}", "Root", fields("x")).status, EditStatus::NotFound);
    EXPECT_EQ(AddEntry(*doc, "", "Root", fields("x")).status, EditStatus::EmptyIdentifier);
    EXPECT_EQ(doc->xml(), before);
}

TEST(AddEntryTest, CaptionsComeFromTheSelectedElement) {
    auto doc = sample();
    const auto cat = AddEntryCaptions(*doc, "C1");
    ASSERT_TRUE(cat.has_value());
    EXPECT_EQ((*cat)[labels::Field::Resource], "Bank");
    EXPECT_EQ((*cat)[labels::Field::Url], "Site");  // tag written "url"
    EXPECT_EQ((*cat)[labels::Field::Notes], "Remarks");
    EXPECT_EQ((*cat)[labels::Field::UserId], "User Name");
    EXPECT_EQ((*cat)[labels::Field::Password], "Password");

    // An entry without labels shows the standard captions, not its category's.
    const auto entry = AddEntryCaptions(*doc, "E1");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(*entry, labels::DefaultCaptions());
    EXPECT_FALSE(AddEntryCaptions(*doc, "{NOPE}").has_value());
}

TEST(DeleteNodeTest, RemovesEverythingBelowAndNamesTheParent) {
    auto doc = sample();
    const EditResult entry = DeleteNode(*doc, "E3");
    ASSERT_TRUE(entry.ok());
    EXPECT_EQ(entry.kind, NodeKind::Entry);
    EXPECT_EQ(entry.parentId, "S1");
    EXPECT_EQ(entry.parentName, "Inner");
    EXPECT_TRUE(doc->nodeById("E3").empty());

    const EditResult cat = DeleteNode(*doc, "C1");
    ASSERT_TRUE(cat.ok());
    EXPECT_EQ(cat.kind, NodeKind::Category);
    EXPECT_EQ(cat.parentId, "");
    for (const char* gone : {"C1", "E1", "E2", "S1"}) EXPECT_TRUE(doc->nodeById(gone).empty()) << gone;
    EXPECT_EQ(childIds(doc->records()), std::vector<std::string>{"C2"});

    const std::string before = doc->xml();
    EXPECT_EQ(DeleteNode(*doc, "C1").status, EditStatus::NotFound);
    EXPECT_EQ(DeleteNode(*doc, "").status, EditStatus::EmptyIdentifier);
    EXPECT_EQ(doc->xml(), before);
}

TEST(IdIndexTest, FindsTheFirstNodeInDocumentOrder) {
    // A damaged file where two nodes share an identifier.
    auto doc = docFrom(catXml("C1", "A", entryXml("DUP", "first")) + catXml("C2", "B", entryXml("DUP", "second")));
    const IdIndex index(*doc);
    EXPECT_EQ(index.size(), 3u);
    EXPECT_EQ(index.find("DUP"), doc->nodeById("DUP"));
    EXPECT_STREQ(index.find("DUP").child("resource").text().get(), "first");
    EXPECT_EQ(index.find("C2"), doc->nodeById("C2"));
    EXPECT_TRUE(index.find("").empty());
    EXPECT_TRUE(index.find("{NOPE}").empty());
}

}  // namespace
}  // namespace keymora
