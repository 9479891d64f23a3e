#pragma once
// The tree of a document window: the document's categories, sub-categories
// and entries. A click or a key that selects a node chooses it; a slow second click on a category or sub-category renames it. The
// expanded state of each branch is kept in the document and restored when
// the document is loaded.
#include <QElapsedTimer>
#include <QTreeView>

#include <functional>
#include <memory>

#include <pugixml.hpp>

#include <string>
#include <unordered_map>

namespace keymora {

class DocTreeModel;
class DocumentSession;

// What a drag in the tree asks its window: whether a node may be dragged
// (and its drag data), what a drop on a node (or on empty space) would do,
// and the drop itself.
struct TreeDragHooks {
    std::function<std::unique_ptr<QMimeData>(pugi::xml_node node)> dragData;
    std::function<Qt::DropAction(pugi::xml_node target, Qt::KeyboardModifiers keys)> dropAction;
    // The drop itself; what was done (IgnoreAction: nothing).
    std::function<Qt::DropAction(pugi::xml_node target, Qt::KeyboardModifiers keys, const QPoint& globalPos)> drop;
};

class TreePane : public QTreeView {
    Q_OBJECT
public:
    TreePane(DocumentSession& session, QWidget* parent);

    DocTreeModel* docModel() const { return m_model; }
    // Expands what the document says was expanded; shows a progress window
    // when that takes a while.
    void loadTree();
    bool loading() const { return m_loading; }

    // Makes node the tree's current and selected one without choosing it
    // again; an empty node leaves nothing selected.
    void showCurrent(pugi::xml_node node);
    pugi::xml_node selectedNode() const;
    // Selects the category or sub-category and edits its name in place:
    // typing replaces the name, Escape keeps it.
    void startRename(pugi::xml_node node);
    // The node under a point of the viewport; empty over blank space.
    pugi::xml_node nodeAt(const QPoint& viewportPos) const;

    void setDragHooks(TreeDragHooks hooks) { m_drag = std::move(hooks); }
    // The drag data for the selected node; nothing when it may not be dragged.
    std::unique_ptr<QMimeData> dragData() const;

    // Which categories and sub-categories are expanded, by id; given back
    // after the document was read again, to the nodes that are still there.
    using ExpandedState = std::unordered_map<std::string, bool>;
    ExpandedState expandedState() const;
    void restoreExpandedState(const ExpandedState& state);

signals:
    // The user selected a node, or clicked the selected node again.
    void nodeChosen(pugi::xml_node node);
    // Any left click in the tree (a shown password is masked then).
    void clickedInTree();
    // The model was rebuilt from the document (merge, reload).
    void reloaded();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void onSelectionChanged();
    void onClicked(const QModelIndex& index);
    // True when this click on node is the slow second click that renames it.
    bool secondClickOn(pugi::xml_node node);
    void restoreExpanded(pugi::xml_node node);

    // Ends the drag look: auto-scroll, drop highlight.
    void endDragLook();

    TreeDragHooks m_drag;
    DocumentSession& m_session;
    DocTreeModel* m_model = nullptr;
    bool m_loading = false;
    bool m_showing = false;        // the current index is being set by the program
    pugi::xml_node m_nodeAtPress;  // the selected node when the mouse went down
    pugi::xml_node m_lastClicked;
    QElapsedTimer m_sinceLastClick;
};

}  // namespace keymora
