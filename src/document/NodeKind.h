#pragma once
// The kind of a tree node is read from its `type` attribute, never from the
// element name.
#include <pugixml.hpp>

#include <cstring>

namespace keymora {

enum class NodeKind { None, Category, SubCategory, Entry };

inline NodeKind KindOf(pugi::xml_node node) noexcept {
    if (node.type() != pugi::node_element) return NodeKind::None;
    const char* type = node.attribute("type").value();
    if (std::strcmp(type, "category") == 0) return NodeKind::Category;
    if (std::strcmp(type, "subcategory") == 0) return NodeKind::SubCategory;
    if (std::strcmp(type, "entry") == 0) return NodeKind::Entry;
    return NodeKind::None;
}

inline bool IsTreeNode(pugi::xml_node node) noexcept { return KindOf(node) != NodeKind::None; }

// Categories and sub-categories hold other nodes; entries hold fields.
inline bool IsContainer(pugi::xml_node node) noexcept {
    const NodeKind kind = KindOf(node);
    return kind == NodeKind::Category || kind == NodeKind::SubCategory;
}

}  // namespace keymora

namespace keymora {

// The text a node shows in the tree: `value` of a (sub)category, the entry's
// name (its first field).
inline const char* NodeName(pugi::xml_node node) noexcept {
    if (KindOf(node) == NodeKind::Entry) return node.first_child().text().get();
    return node.attribute("value").value();
}

}  // namespace keymora
