#pragma once
// The list of a category's or sub-category's children: sub-categories and
// entries with name, user ID and the two dates. It hears every edit from the
// session: rows come and go one by one, and a list whose node is removed
// empties.
#include <QAbstractTableModel>
#include <QIcon>

#include <pugixml.hpp>

#include <vector>

#include "session/DocumentListener.h"

namespace keymora {

class DocumentSession;

class DocListModel : public QAbstractTableModel, private DocumentListener {
    Q_OBJECT
public:
    enum Roles { IdRole = Qt::UserRole + 1, TagRole };
    enum Column { NameColumn, UserIdColumn, CreatedColumn, ModifiedColumn, ColumnCount };

    explicit DocListModel(DocumentSession& session, QObject* parent = nullptr);
    ~DocListModel() override;

    // Lists the children of node (nothing when node is empty), unsorted.
    void load(pugi::xml_node node);
    void clear() { load({}); }
    pugi::xml_node listedNode() const { return m_node; }
    pugi::xml_node nodeAt(int row) const;
    int rowOf(pugi::xml_node node) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Sorted lists stay sorted when rows are added.
    void sort(int column, Qt::SortOrder order) override;

private:
    // DocumentListener
    void nodeInserted(pugi::xml_node node) override;
    void nodeAboutToBeRemoved(pugi::xml_node node) override;
    void nodeChanged(pugi::xml_node node) override;
    void childrenReordered(pugi::xml_node parent) override;
    void documentAboutToBeReset() override;
    void documentReset() override;

    bool listed(pugi::xml_node node) const;
    std::vector<std::size_t> sortedOrder(int column) const;
    // Puts the rows in a new order, keeping every persistent index on its node.
    void reorder(const std::vector<pugi::xml_node>& rows);

    DocumentSession& m_session;
    pugi::xml_node m_node;
    std::vector<pugi::xml_node> m_rows;
    int m_sortColumn = -1;  // -1: the document's order
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QIcon m_subcategory, m_entry;
};

// "mm/dd/yyyy hh:mm:ss AM": a date text of a document shown in the list;
// a text that is not a date is shown as it is.
QString ListDateText(const char* stored);

}  // namespace keymora
