#include "docwindow/DocTreeModel.h"

#include <cstring>
#include <functional>

#include "document/NodeKind.h"
#include "ui/Icons.h"

namespace keymora {

QString TreeTextOf(pugi::xml_node node) {
    switch (KindOf(node)) {
        case NodeKind::Category:
        case NodeKind::SubCategory:
            return QString::fromUtf8(node.attribute("value").value());
        case NodeKind::Entry:
            // The entry's name is its first child (the resource field).
            return QString::fromUtf8(node.first_child().child_value());
        case NodeKind::None:
            break;
    }
    return {};
}

DocTreeModel::DocTreeModel(QObject* parent)
    : QAbstractItemModel(parent),
      m_category(icons::category()),
      m_subcategory(icons::subcategory()),
      m_entry(icons::entry()) {}

void DocTreeModel::setRoot(pugi::xml_node records) {
    beginResetModel();
    m_root = records;
    m_children.clear();
    m_row.clear();
    endResetModel();
}

bool DocTreeModel::isShownParent(pugi::xml_node node) const {
    return node == m_root || IsContainer(node);
}

const std::vector<DocTreeModel::NodePtr>& DocTreeModel::childrenOf(pugi::xml_node parent) const {
    auto found = m_children.find(parent.internal_object());
    if (found != m_children.end()) return found->second;
    std::vector<NodePtr>& list = m_children[parent.internal_object()];
    if (parent == m_root) {
        for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
            if (KindOf(c) == NodeKind::Category) list.push_back(c.internal_object());
    } else if (IsContainer(parent)) {
        for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
            const NodeKind kind = KindOf(c);
            if (kind == NodeKind::SubCategory || kind == NodeKind::Entry)
                list.push_back(c.internal_object());
        }
    }
    for (std::size_t i = 0; i < list.size(); ++i) m_row[list[i]] = static_cast<int>(i);
    return list;
}

void DocTreeModel::forget(NodePtr parent) {
    auto found = m_children.find(parent);
    if (found == m_children.end()) return;
    std::vector<NodePtr> list = std::move(found->second);
    m_children.erase(found);
    // Only the pointers are used here: the nodes may already be gone.
    for (NodePtr child : list) {
        m_row.erase(child);
        forget(child);
    }
}

pugi::xml_node DocTreeModel::nodeOf(const QModelIndex& index) const {
    if (!index.isValid()) return m_root;
    return pugi::xml_node(static_cast<NodePtr>(index.internalPointer()));
}

QModelIndex DocTreeModel::indexOf(pugi::xml_node node) const {
    if (!node || node == m_root || !m_root) return {};
    pugi::xml_node parent = node.parent();
    if (!parent || !isShownParent(parent)) return {};
    if (parent != m_root && !indexOf(parent).isValid()) return {};
    childrenOf(parent);
    auto row = m_row.find(node.internal_object());
    if (row == m_row.end()) return {};
    return createIndex(row->second, 0, node.internal_object());
}

QModelIndex DocTreeModel::indexOfId(const std::string& id) const {
    if (id.empty() || !m_root) return {};
    pugi::xml_node found = m_root.find_node([&id](pugi::xml_node n) {
        return std::strcmp(n.attribute("id").value(), id.c_str()) == 0;
    });
    return indexOf(found);
}

void DocTreeModel::rebuildChildren(pugi::xml_node element) {
    if (!element) return;
    if (element == m_root || element == m_root.parent() || !m_root) {
        setRoot(m_root);
        return;
    }
    const QModelIndex parentIndex = indexOf(element);
    if (!parentIndex.isValid()) return;
    auto found = m_children.find(element.internal_object());
    if (found != m_children.end() && !found->second.empty()) {
        beginRemoveRows(parentIndex, 0, static_cast<int>(found->second.size()) - 1);
        forget(element.internal_object());
        endRemoveRows();
    } else {
        forget(element.internal_object());
    }
    std::size_t count = 0;
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
        const NodeKind kind = KindOf(c);
        if (kind == NodeKind::SubCategory || kind == NodeKind::Entry) ++count;
    }
    if (count > 0) {
        beginInsertRows(parentIndex, 0, static_cast<int>(count) - 1);
        childrenOf(element);
        endInsertRows();
    }
    emit dataChanged(parentIndex, parentIndex);
}

void DocTreeModel::nodeChanged(pugi::xml_node node) {
    const QModelIndex idx = indexOf(node);
    if (idx.isValid()) emit dataChanged(idx, idx);
}

QModelIndex DocTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    const pugi::xml_node p = nodeOf(parent);
    if (!p) return {};
    const auto& list = childrenOf(p);
    if (static_cast<std::size_t>(row) >= list.size()) return {};
    return createIndex(row, 0, list[static_cast<std::size_t>(row)]);
}

QModelIndex DocTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    const pugi::xml_node node = nodeOf(child);
    const pugi::xml_node p = node.parent();
    if (!p || p == m_root) return {};
    return indexOf(p);
}

int DocTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    const pugi::xml_node p = nodeOf(parent);
    if (!p || !isShownParent(p)) return 0;
    return static_cast<int>(childrenOf(p).size());
}

int DocTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool DocTreeModel::hasChildren(const QModelIndex& parent) const {
    const pugi::xml_node p = nodeOf(parent);
    if (!p || !isShownParent(p)) return false;
    auto found = m_children.find(p.internal_object());
    if (found != m_children.end()) return !found->second.empty();
    for (pugi::xml_node c = p.first_child(); c; c = c.next_sibling()) {
        const NodeKind kind = KindOf(c);
        if (p == m_root ? kind == NodeKind::Category
                        : (kind == NodeKind::SubCategory || kind == NodeKind::Entry))
            return true;
    }
    return false;
}

QVariant DocTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const pugi::xml_node node = nodeOf(index);
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return TreeTextOf(node);
        case Qt::DecorationRole:
            switch (KindOf(node)) {
                case NodeKind::Category: return m_category;
                case NodeKind::SubCategory: return m_subcategory;
                case NodeKind::Entry: return m_entry;
                case NodeKind::None: break;
            }
            return {};
        case IdRole:
            return QString::fromUtf8(node.attribute("id").value());
        case TagRole:
            return QString::fromUtf8(node.attribute("type").value());
        default:
            return {};
    }
}

Qt::ItemFlags DocTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
                      Qt::ItemIsDropEnabled;
    if (IsContainer(nodeOf(index))) f |= Qt::ItemIsEditable;
    else f |= Qt::ItemNeverHasChildren;
    return f;
}

bool DocTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) return false;
    pugi::xml_node node = nodeOf(index);
    if (!IsContainer(node)) return false;
    const QByteArray text = value.toString().toUtf8();
    if (text.isEmpty() || text == node.attribute("value").value()) return false;
    pugi::xml_attribute attr = node.attribute("value");
    if (!attr) attr = node.append_attribute("value");
    attr.set_value(text.constData());
    emit dataChanged(index, index);
    emit renamed(node);
    return true;
}

}  // namespace keymora
