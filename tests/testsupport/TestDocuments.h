#pragma once
// Small XML documents with readable identifiers, and checks several test areas make on documents.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/NodeKind.h"
#include "document/XmlDoc.h"
#include "testsupport/DataFiles.h"

namespace keymora::test {

// The exact written form, checked without the program's code: {8-4-4-4-12 upper-case hex digits}.
inline bool isGuidText(std::string_view id) {
    const std::string_view form = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (id.size() != form.size()) return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const bool hex = (id[i] >= '0' && id[i] <= '9') || (id[i] >= 'A' && id[i] <= 'F');
        if (form[i] == 'X' ? !hex : id[i] != form[i]) return false;
    }
    return true;
}

inline std::string entryXml(const std::string& id, const std::string& name,
                            const std::string& extra = "") {
    return "<record_detail id=\"" + id + "\" type=\"entry\"><resource>" + name +
           "</resource><userid>u</userid><password>p</password><notes/>"
           "<DateCreated>1/2/2020 3:04:05 PM</DateCreated>"
           "<DateModified>1/2/2020 3:04:05 PM</DateModified><URL/>" +
           extra + "</record_detail>";
}

// An entry with every field given (as XML text: escape what needs it).
struct EntryFieldsXml {
    std::string resource, userid, password, notes, url;
};
inline std::string fullEntryXml(const std::string& id, const EntryFieldsXml& f) {
    return "<record_detail id=\"" + id + "\" type=\"entry\"><resource>" + f.resource +
           "</resource><userid>" + f.userid + "</userid><password>" + f.password +
           "</password><notes>" + f.notes + "</notes><DateCreated/><DateModified/><URL>" + f.url +
           "</URL></record_detail>";
}

inline std::string subXml(const std::string& id, const std::string& name,
                          const std::string& inner = "") {
    return "<subcategory id=\"" + id + "\" type=\"subcategory\" value=\"" + name + "\">" + inner +
           "</subcategory>";
}

inline std::string catXml(const std::string& id, const std::string& name,
                          const std::string& inner = "") {
    return "<category id=\"" + id + "\" type=\"category\" value=\"" + name + "\">" + inner +
           "</category>";
}

inline std::string docXml(const std::string& categories, const std::string& filetype = "private") {
    return "<datafile version=\"1.5\" DateModified=\"1/2/2020 3:04:05 PM\" filetype=\"" +
           filetype + "\"><records>" + categories + "</records></datafile>";
}

inline std::unique_ptr<XmlDoc> docFrom(const std::string& categories,
                                       const std::string& filetype = "private") {
    auto doc = std::make_unique<XmlDoc>();
    std::string error;
    EXPECT_TRUE(doc->loadXml(docXml(categories, filetype), &error)) << error;
    return doc;
}

// Identifiers of the tree-node children of a node, in document order.
inline std::vector<std::string> childIds(pugi::xml_node node) {
    std::vector<std::string> ids;
    for (pugi::xml_node c : node.children())
        if (IsTreeNode(c)) ids.emplace_back(c.attribute("id").value());
    return ids;
}

// Every identifier of the document in document order.
inline std::vector<std::string> allIds(const XmlDoc& doc) {
    std::vector<std::string> ids;
    for (pugi::xpath_node n : doc.dom().select_nodes("//*[@id]"))
        ids.emplace_back(n.node().attribute("id").value());
    return ids;
}

// Names of the element children of a node, in order.
inline std::vector<std::string> childNames(pugi::xml_node node) {
    std::vector<std::string> names;
    for (pugi::xml_node c : node.children()) names.emplace_back(c.name());
    return names;
}

}  // namespace keymora::test
