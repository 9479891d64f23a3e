#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/Labels.h"
#include "document/TreeEditing.h"
#include "testsupport/TestDocuments.h"

namespace keymora {
namespace {

using labels::Captions;
using labels::EditLabelsStatus;
using labels::Field;
using namespace test;

struct Pair {
    std::string tag;
    std::string value;
    bool operator==(const Pair&) const = default;
};

std::vector<Pair> pairs(pugi::xml_node node) {
    std::vector<Pair> out;
    for (pugi::xml_node set : node.children("labels")) {
        for (pugi::xml_node l : set.children("label")) {
            out.push_back({l.attribute("associated_tag").value(), l.attribute("value").value()});
        }
    }
    return out;
}

Captions captions(const char* r, const char* u, const char* p, const char* n, const char* url) {
    Captions c;
    c[Field::Resource] = r;
    c[Field::UserId] = u;
    c[Field::Password] = p;
    c[Field::Notes] = n;
    c[Field::Url] = url;
    return c;
}

std::string repeat(const std::string& s, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += s;
    return out;
}

TEST(IsValidLabelTest, CountsCharactersNotBytesAndSaysHowMany) {
    EXPECT_FALSE(labels::IsValidLabel(""));
    EXPECT_TRUE(labels::IsValidLabel(repeat("x", 15)));
    EXPECT_FALSE(labels::IsValidLabel(repeat("x", 16)));
    EXPECT_TRUE(labels::IsValidLabel(repeat("\xC3\xA9", 15)));   // 15 "é", 30 bytes
    EXPECT_FALSE(labels::IsValidLabel(repeat("\xC3\xA9", 16)));
    EXPECT_TRUE(labels::IsValidLabel(repeat("\xF0\x9F\x94\x91", 15)));
    // A stray byte is one character, never a crash.
    EXPECT_EQ(labels::LabelLength(std::string("\xC3", 1)), 1u);
    EXPECT_EQ(labels::LabelLength(std::string("\xE2\x82" "a", 3)), 3u);

    EXPECT_EQ(labels::InvalidLabelMessage(repeat("\xC3\xA9", 16)),
              "Labels must be between 1 and 15 characters long.  The text you have entered is 16 "
              "characters long.");
}

TEST(EditLabelsTest, EntryWithoutLabelsGetsFiveInOrder) {
    auto doc = docFrom(catXml("C1", "Cat", entryXml("E1", "one")));
    const auto form = labels::PrepareEditLabels(*doc, "E1");
    ASSERT_TRUE(form.has_value());
    EXPECT_TRUE(form->isEntry);
    EXPECT_EQ(form->scope, "Edit single Entry");
    EXPECT_EQ(form->captions, labels::DefaultCaptions());

    const auto r = labels::ApplyEditLabels(*doc, "E1", captions("Card", "Holder", "PIN", "Remarks", "Site"));
    ASSERT_EQ(r.status, EditLabelsStatus::Done);
    EXPECT_EQ(r.entriesChanged, 1u);
    pugi::xml_node entry = doc->nodeById("E1");
    EXPECT_EQ(childNames(entry), (std::vector<std::string>{"resource", "userid", "password", "notes",
                                                             "DateCreated", "DateModified", "URL", "labels"}));
    EXPECT_EQ(pairs(entry), (std::vector<Pair>{{"resource", "Card"}, {"userid", "Holder"}, {"password", "PIN"},
                                               {"notes", "Remarks"}, {"URL", "Site"}}));
    // The category is not touched when an entry is edited.
    EXPECT_TRUE(doc->nodeById("C1").child("labels").empty());
}

TEST(EditLabelsTest, ExistingLabelsAreUpdatedByLowerCasedTag) {
    const std::string labelsXml =
        "<labels><label associated_tag=\"url\" value=\"Web\"/>"
        "<label associated_tag=\"PASSWORD\" value=\"Code\"/>"
        "<label associated_tag=\"colour\" value=\"Red\"/></labels>";
    auto doc = docFrom(catXml("C1", "Cat", entryXml("E1", "one", labelsXml)));
    const auto form = labels::PrepareEditLabels(*doc, "E1");
    ASSERT_TRUE(form.has_value());
    EXPECT_EQ(form->captions, captions("Name", "User Name", "Code", "Notes", "Web"));

    ASSERT_EQ(labels::ApplyEditLabels(*doc, "E1", captions("Name2", "User2", "Code2", "Notes2", "Web2")).status,
              EditLabelsStatus::Done);
    pugi::xml_node entry = doc->nodeById("E1");
    EXPECT_EQ(entry.select_nodes("labels").size(), 1u);
    // Existing labels keep tags and places, unknown tags stay; unlabelled fields get one, so nothing is lost.
    EXPECT_EQ(pairs(entry), (std::vector<Pair>{{"url", "Web2"}, {"PASSWORD", "Code2"}, {"colour", "Red"},
                                               {"resource", "Name2"}, {"userid", "User2"}, {"notes", "Notes2"}}));
    EXPECT_EQ(labels::CaptionsOf(entry), captions("Name2", "User2", "Code2", "Notes2", "Web2"));
}

TEST(EditLabelsTest, CategoryAndTheEntriesDirectlyInIt) {
    auto doc = docFrom(catXml("C1", "Cat",
                              entryXml("E1", "one") + subXml("S1", "Sub", entryXml("E3", "deep")) +
                                  entryXml("E2", "two")));
    const auto form = labels::PrepareEditLabels(*doc, "C1");
    ASSERT_TRUE(form.has_value());
    EXPECT_FALSE(form->isEntry);
    EXPECT_EQ(form->scope, "Edit ALL Entries under this (sub)category");

    const Captions wanted = captions("Bank", "not used", "PIN", "Notes", "not used");
    const auto r = labels::ApplyEditLabels(*doc, "C1", wanted);
    ASSERT_EQ(r.status, EditLabelsStatus::Done);
    EXPECT_EQ(r.entriesChanged, 2u);
    pugi::xml_node cat = doc->nodeById("C1");
    EXPECT_STREQ(cat.first_child().name(), "labels");
    EXPECT_EQ(labels::CaptionsOf(cat), wanted);
    EXPECT_EQ(labels::CaptionsOf(doc->nodeById("E1")), wanted);
    EXPECT_EQ(labels::CaptionsOf(doc->nodeById("E2")), wanted);
    EXPECT_FALSE(labels::HasLabels(doc->nodeById("E3")));
    EXPECT_FALSE(labels::HasLabels(doc->nodeById("S1")));

    // Each entry holds its own copy.
    doc->nodeById("E1").child("labels").child("label").attribute("value").set_value("Changed");
    EXPECT_EQ(labels::CaptionsOf(doc->nodeById("E2"))[Field::Resource], "Bank");
    EXPECT_EQ(labels::CaptionsOf(cat)[Field::Resource], "Bank");
}

TEST(EditLabelsTest, InvalidOrMissingChangesNothing) {
    auto doc = docFrom(catXml("C1", "Cat", entryXml("E1", "one")));
    const std::string before = doc->xml();
    const auto tooLong = labels::ApplyEditLabels(*doc, "E1", captions("Name", "User", "0123456789abcdef", "N", "U"));
    EXPECT_EQ(tooLong.status, EditLabelsStatus::InvalidLabel);
    EXPECT_EQ(tooLong.invalidField, Field::Password);
    const auto empty = labels::ApplyEditLabels(*doc, "E1", captions("Name", "User", "P", "", "U"));
    EXPECT_EQ(empty.status, EditLabelsStatus::InvalidLabel);
    EXPECT_EQ(empty.invalidField, Field::Notes);
    EXPECT_EQ(labels::ApplyEditLabels(*doc, "{NOPE}", labels::DefaultCaptions()).status,
              EditLabelsStatus::NotFound);
    EXPECT_EQ(labels::ApplyEditLabels(*doc, "", labels::DefaultCaptions()).status, EditLabelsStatus::NotFound);
    EXPECT_EQ(doc->xml(), before);
    EXPECT_FALSE(labels::PrepareEditLabels(*doc, "{NOPE}").has_value());
}

}  // namespace
}  // namespace keymora
