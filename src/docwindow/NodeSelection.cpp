#include "docwindow/NodeSelection.h"

namespace keymora {

std::string NodeSelection::currentId() const { return m_current.attribute("id").value(); }

QString NodeSelection::currentName() const { return QString::fromUtf8(NodeName(m_current)); }

void NodeSelection::setCurrent(pugi::xml_node node) {
    if (!IsTreeNode(node)) node = {};
    if (node == m_current) return;
    m_current = node;
    emit currentChanged();
}

}  // namespace keymora
