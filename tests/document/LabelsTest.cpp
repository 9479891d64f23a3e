#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TreeFixture.h"
#include "document/Labels.h"
#include "document/NewDocumentTemplate.h"
#include "document/TreeEditing.h"

namespace keymora {
namespace {

using labels::Captions;
using labels::EditLabelsStatus;
using labels::Field;
using test::catXml;
using test::childNames;
using test::docFrom;
using test::entryXml;
using test::subXml;

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

TEST(IsValidLabelTest, CountsCharactersNotBytes) {
    EXPECT_FALSE(labels::IsValidLabel(""));
    EXPECT_TRUE(labels::IsValidLabel("A"));
    EXPECT_TRUE(labels::IsValidLabel(repeat("x", 15)));
    EXPECT_FALSE(labels::IsValidLabel(repeat("x", 16)));
    EXPECT_TRUE(labels::IsValidLabel(repeat("\xC3\xA9", 15)));   // 15 "é", 30 bytes
    EXPECT_FALSE(labels::IsValidLabel(repeat("\xC3\xA9", 16)));
    EXPECT_TRUE(labels::IsValidLabel(repeat("\xE2\x82\xAC", 15)));  // 15 "€"
    EXPECT_TRUE(labels::IsValidLabel(repeat("\xF0\x9F\x94\x91", 15)));
    EXPECT_EQ(labels::LabelLength("\xC3\xA9t\xC3\xA9"), 3u);
    // A stray byte is one character, never a crash.
    EXPECT_EQ(labels::LabelLength(std::string("\xC3", 1)), 1u);
    EXPECT_EQ(labels::LabelLength(std::string("\xE2\x82" "a", 3)), 3u);
}

TEST(IsValidLabelTest, MessageShowsTheLength) {
    EXPECT_EQ(labels::InvalidLabelMessage(repeat("x", 16)),
              "Labels must be between 1 and 15 characters long.  The text you have entered is 16 "
              "characters long.");
    EXPECT_EQ(labels::InvalidLabelMessage(""),
              "Labels must be between 1 and 15 characters long.  The text you have entered is 0 "
              "characters long.");
    EXPECT_NE(labels::InvalidLabelMessage(repeat("\xC3\xA9", 16)).find(" 16 characters"), std::string::npos);
}

TEST(LabelTagsTest, ComparedInLowerCase) {
    EXPECT_EQ(labels::FieldOfTag("URL"), Field::Url);
    EXPECT_EQ(labels::FieldOfTag("url"), Field::Url);
    EXPECT_EQ(labels::FieldOfTag("Resource"), Field::Resource);
    EXPECT_EQ(labels::FieldOfTag("USERID"), Field::UserId);
    EXPECT_FALSE(labels::FieldOfTag("DateCreated").has_value());
    EXPECT_EQ(labels::TagOf(Field::Url), "URL");
    EXPECT_EQ(labels::DefaultCaptions(), captions("Name", "User Name", "Password", "Notes", "URL"));
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
    // Existing labels keep their tags and places; an unknown tag is left as it is;
    // the fields that had no label get one, so nothing typed is lost.
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

TEST(EditLabelsTest, AtmPinsOfANewDocument) {
    auto doc = BuildNewDocument();
    pugi::xml_node atm = doc->records().find_child_by_attribute("value", "ATM Pins");
    const std::string atmId = atm.attribute("id").value();
    EntryFields f;
    f.resource = "First Bank";
    ASSERT_TRUE(AddEntry(*doc, atmId, "Root", f).ok());
    ASSERT_TRUE(AddEntry(*doc, atmId, "Root", f).ok());

    const Captions wanted = captions("Bank Name", "not used", "Card PIN", "Notes", "not used");
    ASSERT_EQ(labels::ApplyEditLabels(*doc, atmId, wanted).status, EditLabelsStatus::Done);
    EXPECT_EQ(atm.select_nodes("labels/label").size(), 5u);
    EXPECT_EQ(labels::CaptionsOf(atm), wanted);
    for (pugi::xml_node entry : atm.children("record_detail")) EXPECT_EQ(labels::CaptionsOf(entry), wanted);
    pugi::xml_node cards = doc->records().find_child_by_attribute("value", "Credit Card Pins");
    EXPECT_EQ(labels::CaptionsOf(cards)[Field::Password], "PIN");
    EXPECT_EQ(labels::CaptionsOf(cards)[Field::Resource], "Credit Card Name");
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

    // Fifteen accented letters are accepted.
    const auto accented = labels::ApplyEditLabels(*doc, "E1", captions(repeat("\xC3\xA9", 15).c_str(), "U", "P", "N", "L"));
    EXPECT_EQ(accented.status, EditLabelsStatus::Done);
    EXPECT_EQ(labels::CaptionsOf(doc->nodeById("E1"))[Field::Resource], repeat("\xC3\xA9", 15));
}

TEST(LabelBuilderTest, BuildsDetachedLabels) {
    pugi::xml_document scratch;
    pugi::xml_node label = labels::BuildLabel(scratch, "URL", "Web & <site>");
    EXPECT_STREQ(label.name(), "label");
    EXPECT_STREQ(label.attribute("associated_tag").value(), "URL");
    EXPECT_STREQ(label.attribute("value").value(), "Web & <site>");
    EXPECT_EQ(label.first_attribute().name(), std::string("associated_tag"));

    auto doc = docFrom(catXml("C1", "Cat"));
    pugi::xml_node copy = doc->nodeById("C1").append_copy(label);
    label.attribute("value").set_value("changed");
    EXPECT_STREQ(copy.attribute("value").value(), "Web & <site>");
}

}  // namespace
}  // namespace keymora
