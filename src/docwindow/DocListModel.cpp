#include "docwindow/DocListModel.h"

#include <QCollator>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <limits>
#include <numeric>

#include "document/DateText.h"
#include "document/NodeKind.h"
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

}  // namespace

DocListModel::DocListModel(QObject* parent)
    : QAbstractTableModel(parent), m_subcategory(icons::subcategory()), m_entry(icons::entry()) {}

void DocListModel::load(pugi::xml_node node) {
    beginResetModel();
    m_node = node;
    m_rows.clear();
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        const NodeKind kind = KindOf(c);
        if (kind == NodeKind::SubCategory || kind == NodeKind::Entry) m_rows.push_back(c);
    }
    endResetModel();
}

void DocListModel::clear() { load({}); }

pugi::xml_node DocListModel::nodeAt(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return {};
    return m_rows[static_cast<std::size_t>(row)];
}

int DocListModel::rowOf(pugi::xml_node node) const {
    const auto it = std::find(m_rows.begin(), m_rows.end(), node);
    return it == m_rows.end() ? -1 : static_cast<int>(it - m_rows.begin());
}

void DocListModel::rowChanged(pugi::xml_node node) {
    const int row = rowOf(node);
    if (row >= 0) emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

int DocListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DocListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DocListModel::data(const QModelIndex& index, int role) const {
    const pugi::xml_node node = nodeAt(index.row());
    if (!node) return {};
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

void DocListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount || m_rows.empty()) return;
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<pugi::xml_node> old = m_rows;

    // Keys are computed once per row.
    std::vector<std::size_t> order_(m_rows.size());
    std::iota(order_.begin(), order_.end(), 0);
    if (column == CreatedColumn || column == ModifiedColumn) {
        const char* field = column == CreatedColumn ? "DateCreated" : "DateModified";
        std::vector<long long> keys(m_rows.size(), 0);
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            const auto when = datetext::parse(fieldText(m_rows[i], field));
            keys[i] = when ? std::chrono::duration_cast<std::chrono::seconds>(
                                 when->time_since_epoch()).count()
                           : std::numeric_limits<long long>::min();
        }
        std::stable_sort(order_.begin(), order_.end(),
                         [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    } else {
        std::vector<QString> keys(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            keys[i] = data(index(static_cast<int>(i), column), Qt::DisplayRole).toString();
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        collator.setNumericMode(true);
        std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
            return collator.compare(keys[a], keys[b]) < 0;
        });
    }
    if (order == Qt::DescendingOrder) std::reverse(order_.begin(), order_.end());
    for (std::size_t i = 0; i < order_.size(); ++i) m_rows[i] = old[order_[i]];

    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& idx : before) {
        const int row = rowOf(old[static_cast<std::size_t>(idx.row())]);
        after.push_back(index(row, idx.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

}  // namespace keymora
