#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "document/TreeEditing.h"
#include "testsupport/TestDocuments.h"

namespace keymora {
namespace {

using namespace test;

// C1 holds S1 (with S2 and three entries), E4 and E5; C2 is empty.
std::unique_ptr<XmlDoc> sample(const std::string& filetype = "private") {
    return docFrom(catXml("C1", "Home",
                          subXml("S1", "Bank", subXml("S2", "Old") + entryXml("E1", "one") +
                                                   entryXml("E2", "two") + entryXml("E3", "three")) +
                              entryXml("E4", "four") + entryXml("E5", "five")) +
                       catXml("C2", "Work"),
                   filetype);
}

std::set<std::string> idSet(const XmlDoc& doc) {
    const auto ids = allIds(doc);
    return {ids.begin(), ids.end()};
}

TEST(CopyNodeTest, CopyGetsNewIdentifiersThroughout) {
    auto doc = sample();
    const auto before = idSet(*doc);
    const EditResult r = CopyMoveNode(*doc, *doc, Relation::Child, "S1", "C2", TransferMode::Copy);
    ASSERT_TRUE(r.ok()) << StatusText(r.status);
    EXPECT_EQ(r.kind, NodeKind::SubCategory);
    EXPECT_EQ(doc->nodeById("C2").last_child(), r.node);

    // All five new and different from each other (their form is GenerateGuidTest's).
    EXPECT_EQ(idSet(*doc).size(), before.size() + 5);
    EXPECT_EQ(allIds(*doc).size(), before.size() + 5);
    EXPECT_FALSE(before.count(r.id));

    // The source keeps its identifiers and place; the copy keeps names and fields.
    EXPECT_EQ(childIds(doc->nodeById("S1")), (std::vector<std::string>{"S2", "E1", "E2", "E3"}));
    EXPECT_STREQ(r.node.attribute("value").value(), "Bank");
    EXPECT_STREQ(r.node.last_child().child("resource").text().get(), "three");
    EXPECT_STREQ(r.node.last_child().child("password").text().get(), "p");
}

TEST(CopyNodeTest, BeforeAfterTheLastAndIntoItsOwnSubtree) {
    auto doc = sample();
    const EditResult before = CopyMoveNode(*doc, *doc, Relation::Before, "E5", "E4", TransferMode::Copy);
    ASSERT_TRUE(before.ok());
    EXPECT_EQ(childIds(doc->nodeById("C1")), (std::vector<std::string>{"S1", before.id, "E4", "E5"}));
    const EditResult last = CopyMoveNode(*doc, *doc, Relation::After, "E1", "E5", TransferMode::Copy);
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(doc->nodeById("C1").last_child(), last.node);

    // A copy is taken before it is placed, so it can go inside its own source.
    const EditResult inside = CopyMoveNode(*doc, *doc, Relation::Child, "S1", "S2", TransferMode::Copy);
    ASSERT_TRUE(inside.ok());
    EXPECT_EQ(doc->nodeById("S2").last_child(), inside.node);
    EXPECT_EQ(childIds(inside.node).size(), 4u);
    EXPECT_TRUE(childIds(inside.node.first_child()).empty());  // the copied S2 was empty
}

TEST(CopyNodeTest, BetweenDocumentsLeavesTheSourceAlone) {
    auto source = sample();
    auto dest = docFrom(catXml("D1", "Elsewhere", entryXml("F1", "x")));
    const std::string sourceBefore = source->xml();
    const EditResult r = CopyMoveNode(*source, *dest, Relation::Before, "E4", "F1", TransferMode::Copy);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(source->xml(), sourceBefore);
    EXPECT_EQ(childIds(dest->nodeById("D1")), (std::vector<std::string>{r.id, "F1"}));
    EXPECT_NE(r.id, "E4");
}

TEST(MoveNodeTest, KeepsIdentifiersWithinOneDocument) {
    auto doc = sample();
    const auto before = idSet(*doc);
    const EditResult r = CopyMoveNode(*doc, *doc, Relation::Child, "S1", "C2", TransferMode::Move);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.id, "S1");
    EXPECT_EQ(idSet(*doc), before);
    EXPECT_EQ(childIds(doc->nodeById("C1")), (std::vector<std::string>{"E4", "E5"}));
    EXPECT_EQ(childIds(doc->nodeById("C2")), std::vector<std::string>{"S1"});
    EXPECT_EQ(childIds(doc->nodeById("S1")), (std::vector<std::string>{"S2", "E1", "E2", "E3"}));

    const EditResult after = CopyMoveNode(*doc, *doc, Relation::After, "E4", "E5", TransferMode::Move);
    ASSERT_TRUE(after.ok());
    EXPECT_EQ(childIds(doc->nodeById("C1")), (std::vector<std::string>{"E5", "E4"}));
    const EditResult front = CopyMoveNode(*doc, *doc, Relation::Before, "E3", "S2", TransferMode::Move);
    ASSERT_TRUE(front.ok());
    EXPECT_EQ(childIds(doc->nodeById("S1")), (std::vector<std::string>{"E3", "S2", "E1", "E2"}));
}

TEST(MoveNodeTest, AcrossDocumentsKeepsIdentifiersUnlessTaken) {
    auto source = sample();
    // The destination already holds an "E2" (say, a copy of the same file).
    auto dest = docFrom(catXml("D1", "Elsewhere", entryXml("F1", "x") + entryXml("E2", "theirs")));
    const EditResult r = CopyMoveNode(*source, *dest, Relation::Child, "S1", "D1", TransferMode::Move);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.id, "S1");
    for (const char* id : {"S1", "S2", "E1", "E2", "E3"}) EXPECT_TRUE(source->nodeById(id).empty()) << id;
    for (const char* id : {"S1", "S2", "E1", "E3"}) EXPECT_FALSE(dest->nodeById(id).empty()) << id;
    EXPECT_EQ(childIds(dest->nodeById("D1")), (std::vector<std::string>{"F1", "E2", "S1"}));
    EXPECT_EQ(childIds(source->nodeById("C1")), (std::vector<std::string>{"E4", "E5"}));
    const auto ids = allIds(*dest);
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());
    EXPECT_STREQ(dest->nodeById("E2").child("resource").text().get(), "theirs");
}

TEST(MoveNodeTest, OntoItselfOrIntoItsOwnSubtreeChangesNothing) {
    auto doc = sample();
    const std::string before = doc->xml();
    EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Child, "S1", "S2", TransferMode::Move).status,
              EditStatus::IntoItself);
    EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Before, "S1", "E2", TransferMode::Move).status,
              EditStatus::IntoItself);
    EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::After, "S1", "S1", TransferMode::Move).status,
              EditStatus::IntoItself);
    EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Child, "S1", "S1", TransferMode::Move).status,
              EditStatus::IntoItself);
    EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::After, "C1", "C1", TransferMode::Move).status,
              EditStatus::IntoItself);
    EXPECT_EQ(doc->xml(), before);
}

TEST(CopyMoveNodeTest, RefusesPlacesThatBreakTheTree) {
    auto doc = sample();
    const std::string before = doc->xml();
    for (TransferMode mode : {TransferMode::Copy, TransferMode::Move}) {
        EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Child, "C2", "C1", mode).status, EditStatus::WrongKind);
        EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Before, "C2", "E4", mode).status, EditStatus::WrongKind);
        EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::After, "E4", "C2", mode).status, EditStatus::WrongKind);
        EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Child, "E4", "E5", mode).status, EditStatus::WrongKind);
        EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Child, "S2", "E5", mode).status, EditStatus::WrongKind);
        EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Child, "E4", "", mode).status, EditStatus::EmptyIdentifier);
        EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Child, "", "C2", mode).status, EditStatus::EmptyIdentifier);
        EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Child, "{NOPE}", "C2", mode).status, EditStatus::NotFound);
        EXPECT_EQ(CopyMoveNode(*doc, *doc, Relation::Child, "E4", "{NOPE}", mode).status, EditStatus::NotFound);
        EXPECT_EQ(CopyMoveNode(*doc, *doc, static_cast<Relation>(2), "E4", "C2", mode).status,
                  EditStatus::BadPosition);
    }
    EXPECT_EQ(doc->xml(), before);

    // Categories go before or after categories.
    const EditResult cat = CopyMoveNode(*doc, *doc, Relation::Before, "C2", "C1", TransferMode::Move);
    ASSERT_TRUE(cat.ok());
    EXPECT_EQ(childIds(doc->records()), (std::vector<std::string>{"C2", "C1"}));
}

TEST(CopyMoveNodeTest, SharedToPrivateIsRefused) {
    auto shared = sample("shared");
    auto priv = docFrom(catXml("D1", "Mine"));
    const std::string sharedBefore = shared->xml();
    const std::string privBefore = priv->xml();
    for (TransferMode mode : {TransferMode::Copy, TransferMode::Move})
        EXPECT_EQ(CopyMoveNode(*shared, *priv, Relation::Child, "E4", "D1", mode).status,
                  EditStatus::SharedToPrivate);
    EXPECT_EQ(shared->xml(), sharedBefore);
    EXPECT_EQ(priv->xml(), privBefore);

    // Private into shared, and within the shared file, are fine.
    EXPECT_TRUE(CopyMoveNode(*priv, *shared, Relation::Before, "D1", "C2", TransferMode::Copy).ok());
    EXPECT_TRUE(CopyMoveNode(*shared, *shared, Relation::Child, "E4", "C2", TransferMode::Move).ok());
}

}  // namespace
}  // namespace keymora
