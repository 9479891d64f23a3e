#pragma once
// The list of a category's or sub-category's children: sub-categories and
// entries with name, user ID and the two dates.
#include <QAbstractItemModel>
#include <QIcon>

#include <pugixml.hpp>

#include <vector>

namespace keymora {

class DocListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Roles { IdRole = Qt::UserRole + 1, TagRole };
    enum Column { NameColumn, UserIdColumn, CreatedColumn, ModifiedColumn, ColumnCount };

    explicit DocListModel(QObject* parent = nullptr);

    // Lists the children of node (cleared when node is empty).
    void load(pugi::xml_node node);
    void clear();
    pugi::xml_node listedNode() const { return m_node; }
    pugi::xml_node nodeAt(int row) const;
    int rowOf(pugi::xml_node node) const;
    void rowChanged(pugi::xml_node node);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    pugi::xml_node m_node;
    std::vector<pugi::xml_node> m_rows;
    QIcon m_subcategory, m_entry;
};

// "mm/dd/yyyy hh:mm:ss AM": a date text of a document shown in the list;
// a text that is not a date is shown as it is.
QString ListDateText(const char* stored);

}  // namespace keymora
