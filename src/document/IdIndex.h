#pragma once
// Identifier -> element, for commands that look up many nodes. A lookup through
// XmlDoc::nodeById walks the whole document; this walks it once.
//
// Keeping it valid: an index holds plain pugixml handles, so
//  - before removing a subtree from the document, call erase(subtree);
//  - after inserting a subtree, call insert(subtree);
//  - after anything else that rebuilds nodes (loading, a cross-document move
//    that copies and removes, sorting by copy), build it again.
// Moving a node inside one document with pugixml's insert_move_* keeps the
// handles, so the index stays valid.
#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <unordered_map>

namespace keymora {

class XmlDoc;

class IdIndex {
public:
    IdIndex() = default;
    explicit IdIndex(const XmlDoc& doc) { build(doc); }

    // Indexes every category, sub-category and entry with a non-empty `id`
    // below root (root included).
    // When two nodes share an identifier the first in document order wins,
    // as with the XPath lookup.
    void build(const XmlDoc& doc);
    void build(pugi::xml_node root);

    // The node with that identifier, or an empty node.
    pugi::xml_node find(std::string_view id) const;
    bool contains(std::string_view id) const { return !find(id).empty(); }

    // Adds the identifiers of a subtree just inserted; an identifier already
    // present keeps its older node.
    void insert(pugi::xml_node subtree);
    // Removes the identifiers of a subtree about to be removed (only those
    // that point into this subtree).
    void erase(pugi::xml_node subtree);

    std::size_t size() const noexcept { return m_map.size(); }
    void clear() noexcept { m_map.clear(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_map<std::string, pugi::xml_node, Hash, std::equal_to<>> m_map;
};

}  // namespace keymora
