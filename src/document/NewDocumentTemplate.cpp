#include "document/NewDocumentTemplate.h"

#include <array>
#include <sstream>
#include <string>

#include "document/DateText.h"
#include "document/GenerateGuid.h"
#include "document/Labels.h"
#include "document/XmlDoc.h"
#include "support/KmError.h"

namespace keymora {

namespace {

constexpr const char* kSource = "modNewDocument.BuildNewDocument";
constexpr const char* kDeclaration = "<?xml version='1.0' encoding='iso-8859-1' ?>";

std::string newId() {
    std::string id = GenerateGUID();
    if (id.empty()) throw KmError(0, kSource, "A node identifier could not be generated.");
    return id;
}

pugi::xml_node addNode(pugi::xml_node parent, const char* element, const char* type,
                       const char* value) {
    pugi::xml_node node = parent.append_child(element);
    node.append_attribute("id").set_value(newId().c_str());
    node.append_attribute("type").set_value(type);
    if (value != nullptr) node.append_attribute("value").set_value(value);
    return node;
}

labels::Captions captions(const char* resource, const char* userid, const char* password) {
    labels::Captions c;
    c[labels::Field::Resource] = resource;
    c[labels::Field::UserId] = userid;
    c[labels::Field::Password] = password;
    c[labels::Field::Notes] = "Notes";
    c[labels::Field::Url] = "not used";
    return c;
}

struct Starter {
    const char* resource;
    const char* userid;
    const char* password;
    int labelSet;  // index into the sets, -1 for none
};

enum Set { kSetA, kSetB, kSetC, kSetD, kSetE, kSetCount };

void addEntry(pugi::xml_node sub, const Starter& s, const std::string& stamp,
              const std::array<pugi::xml_node, kSetCount>& sets) {
    pugi::xml_node entry = addNode(sub, "record_detail", "entry", nullptr);
    auto field = [&entry](const char* name, const char* text) {
        pugi::xml_node f = entry.append_child(name);
        if (*text != '\0') f.text().set(text);
    };
    field("resource", s.resource);
    field("userid", s.userid);
    field("password", s.password);
    field("notes", "");
    field("DateCreated", stamp.c_str());
    field("DateModified", stamp.c_str());
    field("URL", "");
    if (s.labelSet >= 0) entry.append_copy(sets[static_cast<std::size_t>(s.labelSet)]);
}

// The template as text: the declaration followed by the serialised tree.
std::string newDocumentText() {
    // Each label set is built once, detached, and every carrier gets its own copy.
    pugi::xml_document setStore;
    pugi::xml_node holder = setStore.append_child("sets");
    const std::array<pugi::xml_node, kSetCount> sets = {
        labels::BuildLabelSet(holder, captions("Associated Bank", "not used", "PIN")),
        labels::BuildLabelSet(holder, captions("Credit Card Name", "not used", "PIN")),
        labels::BuildLabelSet(holder, captions("Entry Type", "SSN For", "SSN")),
        labels::BuildLabelSet(holder, captions("Entry Type", "DL# for", "Drivers License")),
        labels::BuildLabelSet(holder, captions("Entry Type", "Birthday for", "Birthday")),
    };

    pugi::xml_document build;
    pugi::xml_node datafile = build.append_child("datafile");
    datafile.append_attribute("version").set_value("1.5");
    datafile.append_attribute("DateModified").set_value(datetext::now().c_str());
    datafile.append_attribute("filetype").set_value("private");
    pugi::xml_node records = datafile.append_child("records");

    addNode(records, "category", "category", "Internet Sites");
    addNode(records, "category", "category", "ATM Pins").append_copy(sets[kSetA]);
    addNode(records, "category", "category", "Credit Card Pins").append_copy(sets[kSetB]);
    for (const char* name : {"Email Accounts", "Brokerage Firms", "Network Logins", "Software Keys", "Other"}) {
        addNode(records, "category", "category", name);
    }

    pugi::xml_node personal = addNode(records, "category", "category", "Personal Information");
    const std::string stamp = datetext::now();
    struct Group {
        const char* name;
        std::array<Starter, 3> entries;
    };
    const std::array<Group, 3> groups = {{
        {"Mine",
         {{{"Social Security Number", "Me", "Enter your Social Security Number Here", kSetC},
           {"Driver's License", "", "Enter your Driver's License Number Here", kSetD},
           {"Anniversary", "", "", -1}}}},
        {"My Spouse",
         {{{"Social Security Number", "", "Enter your Spouses Social Security Number Here", kSetC},
           {"Driver's License", "", "", kSetD},
           {"Birthday", "", "", kSetE}}}},
        {"My Children",
         {{{"Social Security Number", "", "", kSetC},
           {"Driver's License", "", "", kSetD},
           {"Birthday", "", "", kSetE}}}},
    }};
    for (const Group& g : groups) {
        pugi::xml_node sub = addNode(personal, "subcategory", "subcategory", g.name);
        for (const Starter& s : g.entries) addEntry(sub, s, stamp, sets);
    }

    std::ostringstream out;
    build.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return kDeclaration + out.str();
}

}  // namespace

std::unique_ptr<XmlDoc> BuildNewDocument() {
    auto doc = std::make_unique<XmlDoc>();
    std::string error;
    if (!doc->loadXml(newDocumentText(), &error)) {
        throw KmError(0, kSource, "The new document could not be built: " + error);
    }
    return doc;
}

}  // namespace keymora
