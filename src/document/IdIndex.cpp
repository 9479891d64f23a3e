#include "document/IdIndex.h"

#include "document/NodeKind.h"
#include "document/XmlDoc.h"

namespace keymora {

namespace {

// Pre-order walk over the tree nodes, without recursion so deep nesting
// cannot exhaust the stack. The fields and labels inside an entry carry no
// identifiers, so entries are not entered.
template <typename Visit>
void walkTreeNodes(pugi::xml_node root, Visit&& visit) {
    if (root.empty()) return;
    pugi::xml_node node = root;
    for (;;) {
        bool enter = node.type() == pugi::node_element || node.type() == pugi::node_document;
        if (IsTreeNode(node)) {
            visit(node);
            enter = KindOf(node) != NodeKind::Entry;
        }
        if (pugi::xml_node child = enter ? node.first_child() : pugi::xml_node(); !child.empty()) {
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
    walkTreeNodes(root, [this](pugi::xml_node node) {
        const char* id = node.attribute("id").value();
        if (*id != '\0') m_map.try_emplace(id, node);
    });
}

pugi::xml_node IdIndex::find(std::string_view id) const {
    if (id.empty()) return {};
    auto it = m_map.find(id);
    return it == m_map.end() ? pugi::xml_node() : it->second;
}

}  // namespace keymora
