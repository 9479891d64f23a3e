#pragma once
// Item model of the document tree: categories, sub-categories and entries,
// read straight from the DOM. Children of a node are listed the first time
// the view asks for them, so opening a file with many entries costs only
// what is on screen. It hears every edit from the session and moves only the
// rows that changed.
#include <QAbstractItemModel>
#include <QIcon>

#include <pugixml.hpp>

#include <unordered_map>
#include <vector>

#include "session/DocumentListener.h"

namespace keymora {

class DocumentSession;

class DocTreeModel : public QAbstractItemModel, private DocumentListener {
    Q_OBJECT
public:
    enum Roles { IdRole = Qt::UserRole + 1, TagRole };

    explicit DocTreeModel(DocumentSession& session, QObject* parent = nullptr);
    ~DocTreeModel() override;

    pugi::xml_node root() const { return m_root; }
    pugi::xml_node nodeOf(const QModelIndex& index) const;
    // The index of a node shown in the tree; invalid for anything else.
    QModelIndex indexOf(pugi::xml_node node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Nodes are dragged by their identifier; the window decides what a drop does.
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    // Renames a category or sub-category through the session.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    using NodePtr = pugi::xml_node_struct*;
    using Rows = std::vector<NodePtr>;

    // DocumentListener
    void nodeInserted(pugi::xml_node node) override;
    void nodeAboutToBeRemoved(pugi::xml_node node) override;
    void nodeChanged(pugi::xml_node node) override;
    void childrenAboutToBeReordered(pugi::xml_node parent) override;
    void childrenReordered(pugi::xml_node parent) override;
    void documentAboutToBeReset() override;
    void documentReset() override;

    bool isShownParent(pugi::xml_node node) const;
    bool isShownChild(pugi::xml_node parent, pugi::xml_node child) const;
    // The listed children of parent (listed now when nobody asked before).
    const Rows& childrenOf(pugi::xml_node parent) const;
    Rows* cachedChildren(pugi::xml_node parent) const;
    // Whether parent's children can be reached from the top of the model.
    bool isReachable(pugi::xml_node parent) const;
    void renumber(const Rows& rows, std::size_t from) const;
    // Drops what is held below parent (only pointers are used: the nodes may be gone).
    void forget(NodePtr parent);

    DocumentSession& m_session;
    pugi::xml_node m_root;
    mutable std::unordered_map<NodePtr, Rows> m_children;
    mutable std::unordered_map<NodePtr, int> m_row;
    QIcon m_category, m_subcategory, m_entry;
};

// Texts of a node as the tree shows them.
QString TreeTextOf(pugi::xml_node node);

}  // namespace keymora
