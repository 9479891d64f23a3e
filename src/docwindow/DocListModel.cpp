#include "docwindow/DocListModel.h"

#include <QCollator>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <limits>
#include <numeric>

#include "document/DateText.h"
#include "document/NodeKind.h"
#include "session/DocumentSession.h"
#include "ui/Icons.h"

namespace keymora {

QString ListDateText(const char* stored) {
    const auto when = datetext::parse(stored);
    if (!when) return QString::fromUtf8(stored);
    const std::time_t t = std::chrono::system_clock::to_time_t(*when);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[40];
    if (std::strftime(buf, sizeof buf, "%m/%d/%Y %I:%M:%S %p", &tm) == 0)
        return QString::fromUtf8(stored);
    return QString::fromLatin1(buf);
}

namespace {

const char* fieldText(pugi::xml_node entry, const char* name) {
    return entry.child(name).child_value();
}

bool isListable(pugi::xml_node node) {
    const NodeKind kind = KindOf(node);
    return kind == NodeKind::SubCategory || kind == NodeKind::Entry;
}

bool isInside(pugi::xml_node node, pugi::xml_node ancestor) {
    for (pugi::xml_node n = node; n; n = n.parent())
        if (n == ancestor) return true;
    return false;
}

long long dateKey(pugi::xml_node node, const char* field) {
    const auto when = datetext::parse(fieldText(node, field));
    if (!when) return std::numeric_limits<long long>::min();
    return std::chrono::duration_cast<std::chrono::seconds>(when->time_since_epoch()).count();
}

}  // namespace

DocListModel::DocListModel(DocumentSession& session, QObject* parent)
    : QAbstractTableModel(parent),
      m_session(session),
      m_subcategory(icons::subcategory()),
      m_entry(icons::entry()) {
    m_session.addListener(this);
}

DocListModel::~DocListModel() { m_session.removeListener(this); }

void DocListModel::load(pugi::xml_node node) {
    beginResetModel();
    m_node = node;
    m_rows.clear();
    m_sortColumn = -1;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (isListable(c)) m_rows.push_back(c);
    endResetModel();
}

pugi::xml_node DocListModel::nodeAt(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return {};
    return m_rows[static_cast<std::size_t>(row)];
}

int DocListModel::rowOf(pugi::xml_node node) const {
    const auto it = std::find(m_rows.begin(), m_rows.end(), node);
    return it == m_rows.end() ? -1 : static_cast<int>(it - m_rows.begin());
}

bool DocListModel::listed(pugi::xml_node node) const {
    return m_node && isListable(node) && node.parent() == m_node;
}

// --- the session's notices ----------------------------------------------------------

void DocListModel::nodeInserted(pugi::xml_node node) {
    if (!listed(node)) return;
    std::size_t row = m_rows.size();
    if (m_sortColumn < 0) {
        row = 0;
        for (pugi::xml_node c = node.previous_sibling(); c; c = c.previous_sibling())
            if (isListable(c)) ++row;
        row = std::min(row, m_rows.size());
    }
    beginInsertRows({}, static_cast<int>(row), static_cast<int>(row));
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(row), node);
    endInsertRows();
    if (m_sortColumn >= 0) sort(m_sortColumn, m_sortOrder);
}

void DocListModel::nodeAboutToBeRemoved(pugi::xml_node node) {
    if (m_node && isInside(m_node, node)) {
        clear();  // the listed node itself goes
        return;
    }
    const int row = listed(node) ? rowOf(node) : -1;
    if (row < 0) return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void DocListModel::nodeChanged(pugi::xml_node node) {
    const int row = listed(node) ? rowOf(node) : -1;
    if (row >= 0) emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void DocListModel::childrenReordered(pugi::xml_node parent) {
    // A list sorted by a column keeps its order.
    if (parent != m_node || !m_node || m_sortColumn >= 0) return;
    std::vector<pugi::xml_node> rows;
    for (pugi::xml_node c = m_node.first_child(); c; c = c.next_sibling())
        if (isListable(c)) rows.push_back(c);
    reorder(rows);
}

void DocListModel::documentAboutToBeReset() {
    beginResetModel();
    m_node = {};
    m_rows.clear();
    m_sortColumn = -1;
}

void DocListModel::documentReset() { endResetModel(); }

// --- sorting ---------------------------------------------------------------------------

std::vector<std::size_t> DocListModel::sortedOrder(int column) const {
    std::vector<std::size_t> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    if (column == CreatedColumn || column == ModifiedColumn) {
        const char* field = column == CreatedColumn ? "DateCreated" : "DateModified";
        std::vector<long long> keys(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i) keys[i] = dateKey(m_rows[i], field);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
        return order;
    }
    // Keys are computed once per row.
    std::vector<QString> keys(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        keys[i] = data(index(static_cast<int>(i), column), Qt::DisplayRole).toString();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return collator.compare(keys[a], keys[b]) < 0;
    });
    return order;
}

void DocListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount) return;
    m_sortColumn = column;
    m_sortOrder = order;
    if (m_rows.empty()) return;
    std::vector<std::size_t> positions = sortedOrder(column);
    if (order == Qt::DescendingOrder) std::reverse(positions.begin(), positions.end());
    std::vector<pugi::xml_node> rows(m_rows.size());
    for (std::size_t i = 0; i < positions.size(); ++i) rows[i] = m_rows[positions[i]];
    reorder(rows);
}

void DocListModel::reorder(const std::vector<pugi::xml_node>& rows) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<pugi::xml_node> nodesBefore;
    nodesBefore.reserve(before.size());
    for (const QModelIndex& idx : before) nodesBefore.push_back(nodeAt(idx.row()));
    m_rows = rows;
    QModelIndexList after;
    after.reserve(before.size());
    for (std::size_t i = 0; i < nodesBefore.size(); ++i) {
        const int row = rowOf(nodesBefore[i]);
        after << (row < 0 ? QModelIndex() : index(row, before[static_cast<qsizetype>(i)].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// --- QAbstractTableModel ----------------------------------------------------------------

int DocListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DocListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DocListModel::data(const QModelIndex& index, int role) const {
    const pugi::xml_node node = nodeAt(index.row());
    if (!node || index.parent().isValid()) return {};
    const bool entry = KindOf(node) == NodeKind::Entry;
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case NameColumn:
                    return QString::fromUtf8(entry ? fieldText(node, "resource")
                                                   : node.attribute("value").value());
                case UserIdColumn:
                    return entry ? QString::fromUtf8(fieldText(node, "userid")) : QString();
                case CreatedColumn:
                    return entry ? ListDateText(fieldText(node, "DateCreated")) : QString();
                case ModifiedColumn:
                    return entry ? ListDateText(fieldText(node, "DateModified")) : QString();
                default:
                    return {};
            }
        case Qt::DecorationRole:
            if (index.column() == NameColumn) return entry ? m_entry : m_subcategory;
            return {};
        case IdRole:
            return QString::fromUtf8(node.attribute("id").value());
        case TagRole:
            return QString::fromUtf8(node.attribute("type").value());
        default:
            return {};
    }
}

QVariant DocListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case NameColumn: return QStringLiteral("Name");
        case UserIdColumn: return QStringLiteral("User ID");
        case CreatedColumn: return QStringLiteral("Date Created");
        case ModifiedColumn: return QStringLiteral("Date Modified");
        default: return {};
    }
}

}  // namespace keymora
