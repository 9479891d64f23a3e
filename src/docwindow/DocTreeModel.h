#pragma once
// Item model of the document tree: categories, sub-categories and entries,
// read straight from the DOM. Children of a node are listed the first time
// the view asks for them, so opening a file with many entries costs only
// what is on screen.
#include <QAbstractItemModel>
#include <QIcon>

#include <pugixml.hpp>

#include <string>
#include <unordered_map>
#include <vector>

namespace keymora {

class DocTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Roles { IdRole = Qt::UserRole + 1, TagRole };

    explicit DocTreeModel(QObject* parent = nullptr);

    // Shows the categories below records (an empty node shows nothing).
    void setRoot(pugi::xml_node records);
    pugi::xml_node root() const { return m_root; }

    pugi::xml_node nodeOf(const QModelIndex& index) const;
    // The index of a node shown in the tree; invalid for anything else.
    QModelIndex indexOf(pugi::xml_node node) const;
    // The node whose id is given, searched below the shown root.
    QModelIndex indexOfId(const std::string& id) const;

    // The children of element were changed in the DOM: list them again.
    void rebuildChildren(pugi::xml_node element);
    // The text of a node changed in the DOM.
    void nodeChanged(pugi::xml_node node);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    // A category or sub-category was renamed in place.
    void renamed(pugi::xml_node node);

private:
    using NodePtr = pugi::xml_node_struct*;
    const std::vector<NodePtr>& childrenOf(pugi::xml_node parent) const;
    void forget(NodePtr parent);
    bool isShownParent(pugi::xml_node node) const;

    pugi::xml_node m_root;
    mutable std::unordered_map<NodePtr, std::vector<NodePtr>> m_children;
    mutable std::unordered_map<NodePtr, int> m_row;
    QIcon m_category, m_subcategory, m_entry;
};

// Texts of a node as the tree shows them.
QString TreeTextOf(pugi::xml_node node);

}  // namespace keymora
