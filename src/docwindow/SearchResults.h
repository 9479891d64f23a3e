#pragma once
// The results panel under the tree: one row per node a search found, with the
// text it matched. The rows are a snapshot; a click names the node by its
// identifier, so it is found again however the tree changed since.
#include <QAbstractListModel>
#include <QGroupBox>
#include <QIcon>

#include <string>
#include <vector>

#include "document/Search.h"

class QTreeView;

namespace keymora {

class SearchResultsModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { IdRole = Qt::UserRole + 1, TagRole };

    explicit SearchResultsModel(QObject* parent);
    ~SearchResultsModel() override;

    void setRows(std::vector<search::SearchRow> rows);
    void clear() { setRows({}); }
    const search::SearchRow& row(int r) const { return m_rows[static_cast<std::size_t>(r)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void wipeRows();
    std::vector<search::SearchRow> m_rows;  // matched texts may be passwords
    QIcon m_category, m_subcategory, m_entry;
};

class SearchResultsPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit SearchResultsPanel(QWidget* parent);

    SearchResultsModel* model() const { return m_model; }
    QTreeView* view() const { return m_view; }
    int hitCount() const { return m_model->rowCount(); }

signals:
    // A hit was clicked: its node's identifier and its 1-based place in the list.
    void hitClicked(const std::string& id, int position);

private:
    SearchResultsModel* m_model = nullptr;
    QTreeView* m_view = nullptr;
};

}  // namespace keymora
