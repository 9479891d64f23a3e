#include "document/IdIndex.h"

#include "document/XmlDoc.h"

namespace keymora {

namespace {

// Pre-order walk without recursion, so deep nesting cannot exhaust the stack.
template <typename Visit>
void walkElements(pugi::xml_node root, Visit&& visit) {
    if (root.empty()) return;
    pugi::xml_node node = root;
    for (;;) {
        if (node.type() == pugi::node_element) visit(node);
        if (pugi::xml_node child = node.first_child(); !child.empty()) {
            node = child;
            continue;
        }
        while (node != root && node.next_sibling().empty()) node = node.parent();
        if (node == root) return;
        node = node.next_sibling();
    }
}

}  // namespace

void IdIndex::build(const XmlDoc& doc) { build(doc.dom()); }

void IdIndex::build(pugi::xml_node root) {
    m_map.clear();
    insert(root);
}

pugi::xml_node IdIndex::find(std::string_view id) const {
    if (id.empty()) return {};
    auto it = m_map.find(id);
    return it == m_map.end() ? pugi::xml_node() : it->second;
}

void IdIndex::insert(pugi::xml_node subtree) {
    walkElements(subtree, [this](pugi::xml_node node) {
        const char* id = node.attribute("id").value();
        if (*id != '\0') m_map.try_emplace(id, node);
    });
}

void IdIndex::erase(pugi::xml_node subtree) {
    walkElements(subtree, [this](pugi::xml_node node) {
        const char* id = node.attribute("id").value();
        if (*id == '\0') return;
        auto it = m_map.find(std::string_view(id));
        if (it != m_map.end() && it->second == node) m_map.erase(it);
    });
}

}  // namespace keymora
