#pragma once
// Identifier -> element, for commands that look up many nodes. A lookup through
// XmlDoc::nodeById walks the whole document; this walks it once.
//
// An index holds plain pugixml handles: build it again after anything that
// adds, removes or rebuilds nodes (loading, inserting, deleting, a
// cross-document move, sorting by copy). Moving a node inside one document
// with pugixml's insert_move_* keeps the handles, so the index stays valid.
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

    std::size_t size() const noexcept { return m_map.size(); }

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
