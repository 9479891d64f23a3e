#include "docwindow/SearchResults.h"

#include <QTreeView>
#include <QVBoxLayout>

#include "support/SecureWipe.h"
#include "ui/Icons.h"
#include "ui/PasswordMask.h"

namespace keymora {

SearchResultsModel::SearchResultsModel(QObject* parent)
    : QAbstractListModel(parent),
      m_category(icons::category()),
      m_subcategory(icons::subcategory()),
      m_entry(icons::entry()) {}

SearchResultsModel::~SearchResultsModel() { wipeRows(); }

void SearchResultsModel::wipeRows() {
    for (search::SearchRow& r : m_rows) secureWipe(r.text);
    m_rows.clear();
}

void SearchResultsModel::setRows(std::vector<search::SearchRow> rows) {
    beginResetModel();
    wipeRows();
    m_rows = std::move(rows);
    endResetModel();
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const search::SearchRow& r = row(index.row());
    switch (role) {
    // A matched password stays hidden, as it is in the entry pane: the hit
    // names the entry, a click shows it there.
    case Qt::DisplayRole:
        return r.field == "password" ? PasswordMask().repeated(8) : QString::fromStdString(r.text);
    case Qt::DecorationRole:
        if (r.tag == "category") return m_category;
        if (r.tag == "subcategory") return m_subcategory;
        return m_entry;
    case IdRole: return QString::fromStdString(r.id);
    case TagRole: return QString::fromStdString(r.tag);
    default: return {};
    }
}

SearchResultsPanel::SearchResultsPanel(QWidget* parent) : QGroupBox(QStringLiteral("Search Results"), parent) {
    setObjectName(QStringLiteral("fraSearchResults"));
    m_model = new SearchResultsModel(this);
    m_view = new QTreeView(this);
    m_view->setObjectName(QStringLiteral("tvSearchResults"));
    m_view->setHeaderHidden(true);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);  // a hundred thousand hits cost only what is on screen
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setModel(m_model);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_view);
    connect(m_view, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit hitClicked(m_model->row(index.row()).id, index.row() + 1);
    });
}

}  // namespace keymora
