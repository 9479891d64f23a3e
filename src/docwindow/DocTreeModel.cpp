#include "docwindow/DocTreeModel.h"

#include <vector>

#include "docwindow/NodeDrag.h"

#include "document/NodeKind.h"
#include "session/DocumentSession.h"
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

DocTreeModel::DocTreeModel(DocumentSession& session, QObject* parent)
    : QAbstractItemModel(parent),
      m_session(session),
      m_root(session.doc().records()),
      m_category(icons::category()),
      m_subcategory(icons::subcategory()),
      m_entry(icons::entry()) {
    m_session.addListener(this);
}

DocTreeModel::~DocTreeModel() { m_session.removeListener(this); }

// --- the lazy lists ---------------------------------------------------------------

bool DocTreeModel::isShownParent(pugi::xml_node node) const {
    return node && (node == m_root || IsContainer(node));
}

bool DocTreeModel::isShownChild(pugi::xml_node parent, pugi::xml_node child) const {
    const NodeKind kind = KindOf(child);
    if (parent == m_root) return kind == NodeKind::Category;
    return IsContainer(parent) && (kind == NodeKind::SubCategory || kind == NodeKind::Entry);
}

DocTreeModel::Rows* DocTreeModel::cachedChildren(pugi::xml_node parent) const {
    auto found = m_children.find(parent.internal_object());
    return found == m_children.end() ? nullptr : &found->second;
}

const DocTreeModel::Rows& DocTreeModel::childrenOf(pugi::xml_node parent) const {
    if (Rows* cached = cachedChildren(parent)) return *cached;
    Rows& rows = m_children[parent.internal_object()];
    if (isShownParent(parent))
        for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
            if (isShownChild(parent, c)) rows.push_back(c.internal_object());
    renumber(rows, 0);
    return rows;
}

void DocTreeModel::renumber(const Rows& rows, std::size_t from) const {
    for (std::size_t i = from; i < rows.size(); ++i) m_row[rows[i]] = static_cast<int>(i);
}

// A parent is reachable when its own row is known: every list above it was
// asked for by a view.
bool DocTreeModel::isReachable(pugi::xml_node parent) const {
    return parent && (parent == m_root || m_row.count(parent.internal_object()) != 0);
}

void DocTreeModel::forget(NodePtr top) {
    // A list of its own rather than recursion: depth comes from the file.
    std::vector<NodePtr> pending{top};
    while (!pending.empty()) {
        const NodePtr parent = pending.back();
        pending.pop_back();
        auto found = m_children.find(parent);
        if (found == m_children.end()) continue;
        const Rows rows = std::move(found->second);
        m_children.erase(found);
        for (NodePtr child : rows) {
            m_row.erase(child);
            pending.push_back(child);
        }
    }
}

// --- the session's notices ----------------------------------------------------------

void DocTreeModel::nodeInserted(pugi::xml_node node) {
    const pugi::xml_node parent = node.parent();
    if (!isShownChild(parent, node) || !isReachable(parent)) return;
    if (!cachedChildren(parent)) {
        // Listed now, as the views knew it before the insertion.
        Rows& rows = m_children[parent.internal_object()];
        for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
            if (c != node && isShownChild(parent, c)) rows.push_back(c.internal_object());
        renumber(rows, 0);
    }
    Rows& rows = *cachedChildren(parent);
    std::size_t row = 0;
    for (pugi::xml_node c = node.previous_sibling(); c; c = c.previous_sibling())
        if (isShownChild(parent, c)) ++row;
    row = std::min(row, rows.size());
    const QModelIndex parentIndex = indexOf(parent);
    beginInsertRows(parentIndex, static_cast<int>(row), static_cast<int>(row));
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(row), node.internal_object());
    renumber(rows, row);
    endInsertRows();
}

void DocTreeModel::nodeAboutToBeRemoved(pugi::xml_node node) {
    const pugi::xml_node parent = node.parent();
    Rows* rows = cachedChildren(parent);
    const auto known = m_row.find(node.internal_object());
    if (rows == nullptr || known == m_row.end()) {
        forget(node.internal_object());
        return;
    }
    const int row = known->second;
    beginRemoveRows(indexOf(parent), row, row);
    rows->erase(rows->begin() + row);
    m_row.erase(node.internal_object());
    forget(node.internal_object());
    renumber(*rows, static_cast<std::size_t>(row));
    endRemoveRows();
}

void DocTreeModel::nodeChanged(pugi::xml_node node) {
    const auto known = m_row.find(node.internal_object());
    if (known == m_row.end()) return;
    const QModelIndex changed = createIndex(known->second, 0, node.internal_object());
    emit dataChanged(changed, changed);
}

void DocTreeModel::childrenAboutToBeReordered(pugi::xml_node parent) {
    if (!cachedChildren(parent)) return;
    QList<QPersistentModelIndex> parents;
    if (parent != m_root) parents << QPersistentModelIndex(indexOf(parent));
    emit layoutAboutToBeChanged(parents, QAbstractItemModel::VerticalSortHint);
}

void DocTreeModel::childrenReordered(pugi::xml_node parent) {
    if (!cachedChildren(parent)) return;
    const QModelIndexList before = persistentIndexList();
    m_children.erase(parent.internal_object());
    childrenOf(parent);  // same nodes, the document's new order
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        const auto row = m_row.find(static_cast<NodePtr>(old.internalPointer()));
        after << (row == m_row.end() ? QModelIndex()
                                     : createIndex(row->second, old.column(), old.internalPointer()));
    }
    changePersistentIndexList(before, after);
    QList<QPersistentModelIndex> parents;
    if (parent != m_root) parents << QPersistentModelIndex(indexOf(parent));
    emit layoutChanged(parents, QAbstractItemModel::VerticalSortHint);
}

void DocTreeModel::documentAboutToBeReset() {
    beginResetModel();
    m_children.clear();
    m_row.clear();
    m_root = {};
}

void DocTreeModel::documentReset() {
    m_root = m_session.doc().records();
    endResetModel();
}

// --- QAbstractItemModel --------------------------------------------------------------

pugi::xml_node DocTreeModel::nodeOf(const QModelIndex& index) const {
    if (!index.isValid()) return m_root;
    return pugi::xml_node(static_cast<NodePtr>(index.internalPointer()));
}

QModelIndex DocTreeModel::indexOf(pugi::xml_node node) const {
    if (!node || node == m_root || !m_root) return {};
    // The chain up to the root, then its rows from the top down, so that each
    // level's rows are in place before the next; no recursion per level.
    std::vector<pugi::xml_node> chain;
    for (pugi::xml_node n = node; n != m_root; n = n.parent()) {
        if (!n || !isShownChild(n.parent(), n)) return {};
        chain.push_back(n);
    }
    auto row = m_row.end();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        childrenOf(it->parent());
        row = m_row.find(it->internal_object());
        if (row == m_row.end()) return {};
    }
    return createIndex(row->second, 0, node.internal_object());
}

QModelIndex DocTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || parent.column() > 0) return {};
    const pugi::xml_node p = nodeOf(parent);
    if (!isShownParent(p)) return {};
    const Rows& rows = childrenOf(p);
    if (static_cast<std::size_t>(row) >= rows.size()) return {};
    return createIndex(row, 0, rows[static_cast<std::size_t>(row)]);
}

QModelIndex DocTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    const pugi::xml_node p = nodeOf(child).parent();
    if (!p || p == m_root) return {};
    return indexOf(p);
}

int DocTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    const pugi::xml_node p = nodeOf(parent);
    if (!isShownParent(p)) return 0;
    return static_cast<int>(childrenOf(p).size());
}

int DocTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool DocTreeModel::hasChildren(const QModelIndex& parent) const {
    if (parent.column() > 0) return false;
    const pugi::xml_node p = nodeOf(parent);
    if (!isShownParent(p)) return false;
    if (const Rows* rows = cachedChildren(p)) return !rows->empty();
    for (pugi::xml_node c = p.first_child(); c; c = c.next_sibling())
        if (isShownChild(p, c)) return true;
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

QStringList DocTreeModel::mimeTypes() const { return {QString::fromLatin1(nodedrag::kMimeType)}; }

Qt::ItemFlags DocTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
                      Qt::ItemIsDropEnabled;
    if (IsContainer(nodeOf(index))) {
        if (!m_session.readOnly()) f |= Qt::ItemIsEditable;
    }
    else f |= Qt::ItemNeverHasChildren;
    return f;
}

bool DocTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) return false;
    return m_session.rename(nodeOf(index), value.toString().toStdString());
}

}  // namespace keymora
