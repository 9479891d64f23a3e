#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "TreeFixture.h"
#include "document/DateText.h"
#include "document/GenerateGuid.h"
#include "document/Labels.h"
#include "document/NewDocumentTemplate.h"
#include "document/XmlDoc.h"

namespace keymora {
namespace {

using test::allIds;
using test::childNames;

struct LabelPair {
    std::string tag;
    std::string value;
    bool operator==(const LabelPair&) const = default;
};

std::vector<LabelPair> labelPairs(pugi::xml_node node) {
    std::vector<LabelPair> out;
    for (pugi::xml_node set : node.children("labels")) {
        for (pugi::xml_node l : set.children("label")) {
            out.push_back({l.attribute("associated_tag").value(), l.attribute("value").value()});
        }
    }
    return out;
}

std::vector<LabelPair> set(const char* resource, const char* userid, const char* password) {
    return {{"resource", resource}, {"userid", userid}, {"password", password},
            {"notes", "Notes"}, {"URL", "not used"}};
}

pugi::xml_node childByValue(pugi::xml_node parent, const char* value) {
    return parent.find_child_by_attribute("value", value);
}

TEST(NewDocumentTemplate, TextStartsWithDeclarationAndRootAttributesInOrder) {
    const std::string text = NewDocumentText();
    EXPECT_EQ(text.rfind("<?xml version='1.0' encoding='iso-8859-1' ?><datafile", 0), 0u) << text.substr(0, 80);

    auto doc = BuildNewDocument();
    pugi::xml_node root = doc->datafile();
    ASSERT_FALSE(root.empty());
    std::vector<std::string> attrs;
    for (pugi::xml_attribute a : root.attributes()) attrs.emplace_back(a.name());
    EXPECT_EQ(attrs, (std::vector<std::string>{"version", "DateModified", "filetype"}));
    EXPECT_STREQ(root.attribute("version").value(), "1.5");
    EXPECT_STREQ(root.attribute("filetype").value(), "private");
    EXPECT_TRUE(datetext::parse(root.attribute("DateModified").value()).has_value());
    EXPECT_EQ(childNames(root), std::vector<std::string>{"records"});
}

TEST(NewDocumentTemplate, CountsAndIdentifiers) {
    auto doc = BuildNewDocument();
    const pugi::xml_document& dom = doc->dom();
    EXPECT_EQ(dom.select_nodes("//category").size(), 9u);
    EXPECT_EQ(dom.select_nodes("//subcategory").size(), 3u);
    EXPECT_EQ(dom.select_nodes("//record_detail").size(), 9u);

    const auto ids = allIds(*doc);
    EXPECT_EQ(ids.size(), 21u);
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), 21u);
    for (const auto& id : ids) EXPECT_TRUE(IsGuidText(id)) << id;

    // Only categories, sub-categories and entries carry identifiers and kinds.
    for (pugi::xpath_node n : dom.select_nodes("//*[@id]")) {
        EXPECT_TRUE(IsTreeNode(n.node())) << n.node().name();
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

TEST(NewDocumentTemplate, CategoriesInOrderWithTheirLabelSets) {
    auto doc = BuildNewDocument();
    std::vector<std::string> names;
    for (pugi::xml_node c : doc->records().children()) {
        EXPECT_STREQ(c.name(), "category");
        EXPECT_STREQ(c.attribute("type").value(), "category");
        std::vector<std::string> attrs;
        for (pugi::xml_attribute a : c.attributes()) attrs.emplace_back(a.name());
        EXPECT_EQ(attrs, (std::vector<std::string>{"id", "type", "value"}));
        names.emplace_back(c.attribute("value").value());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Internet Sites", "ATM Pins", "Credit Card Pins",
                                               "Email Accounts", "Brokerage Firms", "Network Logins",
                                               "Software Keys", "Other", "Personal Information"}));

    for (const char* empty : {"Internet Sites", "Email Accounts", "Brokerage Firms", "Network Logins",
                              "Software Keys", "Other"}) {
        EXPECT_TRUE(childByValue(doc->records(), empty).first_child().empty()) << empty;
    }
    pugi::xml_node atm = childByValue(doc->records(), "ATM Pins");
    EXPECT_EQ(childNames(atm), std::vector<std::string>{"labels"});
    EXPECT_EQ(labelPairs(atm), set("Associated Bank", "not used", "PIN"));
    pugi::xml_node cards = childByValue(doc->records(), "Credit Card Pins");
    EXPECT_EQ(childNames(cards), std::vector<std::string>{"labels"});
    EXPECT_EQ(labelPairs(cards), set("Credit Card Name", "not used", "PIN"));
}

TEST(NewDocumentTemplate, PersonalInformationEntries) {
    auto doc = BuildNewDocument();
    pugi::xml_node personal = childByValue(doc->records(), "Personal Information");
    ASSERT_FALSE(personal.empty());

    struct Expected {
        const char* sub;
        const char* resource;
        const char* userid;
        const char* password;
        std::vector<LabelPair> labels;
    };
    const auto c = set("Entry Type", "SSN For", "SSN");
    const auto d = set("Entry Type", "DL# for", "Drivers License");
    const auto e = set("Entry Type", "Birthday for", "Birthday");
    const std::vector<Expected> expected = {
        {"Mine", "Social Security Number", "Me", "Enter your Social Security Number Here", c},
        {"Mine", "Driver's License", "", "Enter your Driver's License Number Here", d},
        {"Mine", "Anniversary", "", "", {}},
        {"My Spouse", "Social Security Number", "", "Enter your Spouses Social Security Number Here", c},
        {"My Spouse", "Driver's License", "", "", d},
        {"My Spouse", "Birthday", "", "", e},
        {"My Children", "Social Security Number", "", "", c},
        {"My Children", "Driver's License", "", "", d},
        {"My Children", "Birthday", "", "", e},
    };

    std::vector<std::string> subs;
    for (pugi::xml_node s : personal.children()) {
        EXPECT_STREQ(s.name(), "subcategory");
        EXPECT_STREQ(s.attribute("type").value(), "subcategory");
        subs.emplace_back(s.attribute("value").value());
    }
    EXPECT_EQ(subs, (std::vector<std::string>{"Mine", "My Spouse", "My Children"}));

    std::string stamp;
    std::size_t i = 0;
    for (pugi::xml_node s : personal.children()) {
        for (pugi::xml_node entry : s.children()) {
            ASSERT_LT(i, expected.size());
            const Expected& x = expected[i++];
            SCOPED_TRACE(std::string(x.sub) + " / " + x.resource);
            EXPECT_STREQ(s.attribute("value").value(), x.sub);
            EXPECT_STREQ(entry.name(), "record_detail");
            EXPECT_STREQ(entry.attribute("type").value(), "entry");
            std::vector<std::string> fields = {"resource", "userid", "password", "notes",
                                               "DateCreated", "DateModified", "URL"};
            if (!x.labels.empty()) fields.emplace_back("labels");
            EXPECT_EQ(childNames(entry), fields);
            EXPECT_STREQ(entry.child("resource").text().get(), x.resource);
            EXPECT_STREQ(entry.child("userid").text().get(), x.userid);
            EXPECT_STREQ(entry.child("password").text().get(), x.password);
            EXPECT_TRUE(entry.child("notes").first_child().empty());
            EXPECT_TRUE(entry.child("URL").first_child().empty());
            EXPECT_EQ(labelPairs(entry), x.labels);

            const std::string created = entry.child("DateCreated").text().get();
            EXPECT_EQ(created, entry.child("DateModified").text().get());
            EXPECT_TRUE(datetext::parse(created).has_value()) << created;
            if (stamp.empty()) stamp = created;
            EXPECT_EQ(created, stamp);
        }
    }
    EXPECT_EQ(i, expected.size());
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
    // Through the Edit Labels operation as well.
    auto captions = labels::CaptionsOf(spouseSsn);
    captions[labels::Field::Password] = "Number";
    ASSERT_EQ(labels::ApplyEditLabels(*doc, spouseSsn.attribute("id").value(), captions).status,
              labels::EditLabelsStatus::Done);
    pugi::xml_node childrenSsn = personal.last_child().first_child();
    EXPECT_EQ(labels::CaptionsOf(childrenSsn)[labels::Field::Password], "SSN");
    EXPECT_EQ(labels::CaptionsOf(spouseSsn)[labels::Field::Password], "Number");
}

}  // namespace
}  // namespace keymora
