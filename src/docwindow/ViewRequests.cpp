// The document window's pop-up menus and keys: the node under the pointer (or
// the current item, for the menu key) becomes the selection, then the host
// pops up its Edit menu set up for it.
#include <QLineEdit>

#include "docwindow/DocTreeModel.h"
#include "docwindow/EntryEditor.h"
#include "docwindow/EntryPane.h"
#include "docwindow/ItemViewInput.h"
#include "docwindow/ListPane.h"
#include "docwindow/NodeSelection.h"
#include "docwindow/TreePane.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "ui/DocumentHost.h"

namespace keymora {

void frmKMF::connectViewInput() {
    auto* tree = new ItemViewInput(m_tree);
    connect(tree, &ItemViewInput::popupRequested, this, &frmKMF::popupFromTree);
    connect(tree, &ItemViewInput::deletePressed, this, &frmKMF::deleteFromTree);
    connect(tree, &ItemViewInput::renamePressed, this, &frmKMF::renameSelected);
    connect(m_list, &ListPane::popupRequested, this, &frmKMF::popupFromList);
    connect(m_list, &ListPane::deleteRequested, this, &frmKMF::deleteFromList);
    connect(m_list, &ListPane::emptySpaceDoubleClicked, this, [this] {
        runStep("frmKMF.lsvNodeEntries_DblClick", 1,
                [this] { addEntryAt(m_list->listedNode(), EntryPosition::Root); });
    });
}

void frmKMF::popupFromTree(const QModelIndex& index, const QPoint& globalPos) {
    if (displayLocked()) return;
    const pugi::xml_node node = m_tree->docModel()->nodeOf(index);
    if (node && (node != m_selection->current() || node != m_tree->selectedNode()))
        NodeClick(node.attribute("id").value());
    if (m_host) m_host->popupEditMenu(*this, globalPos);
}

// Empty list space stands for the node whose list it is.
void frmKMF::popupFromList(pugi::xml_node node, const QPoint& globalPos) {
    if (displayLocked()) return;
    if (!node) {
        m_list->shownView()->clearSelection();
        node = m_list->listedNode();
    }
    m_selection->setCurrent(node);
    if (m_host) m_host->popupEditMenu(*this, globalPos);
}

// The key acts on what the view it was pressed in shows selected, whatever
// the other view clicked last.
void frmKMF::deleteFromTree() {
    const pugi::xml_node node = m_tree->selectedNode();
    if (!node || displayLocked()) return;
    m_selection->setCurrent(node);
    deleteSelected();
}

void frmKMF::deleteFromList(pugi::xml_node node) {
    if (!node || displayLocked()) return;
    m_selection->setCurrent(node);
    deleteSelected();
}

void frmKMF::renameSelected() {
    const pugi::xml_node node = m_selection->current();
    if (!node || !editsAllowed()) return;
    if (IsContainer(node)) {
        m_tree->startRename(node);
        return;
    }
    // An entry is named in its own pane.
    NodeClick(node.attribute("id").value());
    if (!entryPaneVisible()) return;
    m_entryPane->txtResourceName->setFocus(Qt::ShortcutFocusReason);
    m_entryPane->txtResourceName->selectAll();
}

}  // namespace keymora
