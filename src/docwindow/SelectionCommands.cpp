// The document window's item commands. Each acts on the window's one
// selected node; nothing happens without one or while the window is locked,
// and nothing that edits happens while the file is read only.
#include <QPointer>

#include <optional>
#include <string>

#include "docwindow/ListPane.h"
#include "docwindow/LockCover.h"
#include "docwindow/NodeSelection.h"
#include "docwindow/TreePane.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "support/ClsReg.h"
#include "support/Options.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"
#include "ui/frmEditLabels.h"
#include "ui/frmNewItem.h"

namespace keymora {

namespace {
constexpr int kDeleteQuestionId = 1148;
constexpr int kDeleteQuestionTitleId = 1149;
}  // namespace

bool frmKMF::editsAllowed() const {
    return !displayLocked() && !m_session->readOnly() && !m_session->closed();
}

// The node whose children the list shows for the selection: the selection
// itself, or an entry's own level.
pugi::xml_node frmKMF::listedContainerOfSelection() const {
    const pugi::xml_node node = m_selection->current();
    if (IsContainer(node)) return node;
    return IsContainer(node.parent()) ? node.parent() : pugi::xml_node();
}

void frmKMF::deleteSelected() {
    const pugi::xml_node node = m_selection->current();
    if (!node || !editsAllowed()) return;
    const std::string id = node.attribute("id").value();
    if (options::ConfirmEntryDeletes(clsReg())) {
        const QString question = ReplacePlaceholder(LoadResString(kDeleteQuestionId),
                                                    QStringLiteral("entry text"),
                                                    QString::fromUtf8(NodeName(node)));
        QPointer<frmKMF> self(this);
        const MsgAnswer answer = Prompt::current().message(
            question, LoadResString(kDeleteQuestionTitleId), MsgIcon::None, MsgButtons::YesNo);
        if (!self || answer != MsgAnswer::Yes) return;
    }
    m_session->deleteNode(id);
}

// A category goes under the file's root, so it needs no selection: a file
// whose last category was deleted must still be able to get a new one.
void frmKMF::addCategory() {
    if (!editsAllowed()) return;
    const EditResult result = m_session->addCategory();
    if (!result.ok()) return;
    NodeClick(result.id);
    m_tree->startRename(result.node);
}

void frmKMF::addSubCategory() {
    const pugi::xml_node node = m_selection->current();
    if (!IsContainer(node) || !editsAllowed()) return;
    const EditResult result = m_session->addSubCategory(node.attribute("id").value());
    if (!result.ok()) return;
    NodeClick(result.id);
    m_tree->startRename(result.node);
}

void frmKMF::addEntry(EntryPosition position) { addEntryAt(m_selection->current(), position); }

// Root goes under a category or sub-category, Before and After next to an entry.
void frmKMF::addEntryAt(pugi::xml_node at, EntryPosition position) {
    if (!at || !editsAllowed()) return;
    if (IsContainer(at) != (position == EntryPosition::Root)) return;
    const std::string id = at.attribute("id").value();
    const std::optional<labels::Captions> captions = AddEntryCaptions(m_session->doc(), id);
    if (!captions) return;
    QPointer<frmKMF> self(this);
    frmNewItem dialog(*captions, this);
    const int answer = dialog.exec();
    // The file may have been reloaded or locked while the dialog was open.
    if (answer != QDialog::Accepted || !self || !editsAllowed()) return;
    const EditResult result = m_session->addEntry(id, position, dialog.fields());
    if (result.ok()) NodeClick(result.id);
}

void frmKMF::editLabels() {
    const pugi::xml_node node = m_selection->current();
    if (!node || !editsAllowed()) return;
    const std::string id = node.attribute("id").value();
    const std::optional<labels::EditLabelsForm> form = labels::PrepareEditLabels(m_session->doc(), id);
    if (!form) return;
    QPointer<frmKMF> self(this);
    frmEditLabels dialog(*form, this);
    if (dialog.exec() != QDialog::Accepted || !self || !editsAllowed()) return;
    m_session->editLabels(id, dialog.captions());
}

void frmKMF::sortSelectedLevel(SortDirection direction) {
    const pugi::xml_node node = m_selection->current();
    if (!node || !editsAllowed()) return;
    m_session->sortLevel(node.attribute("id").value(), direction);
}

void frmKMF::upLevel() {
    const pugi::xml_node node = m_selection->current();
    if (!node || displayLocked()) return;
    const pugi::xml_node parent = node.parent();
    if (IsTreeNode(parent)) NodeClick(parent.attribute("id").value());
}

void frmKMF::setListViewOfSelection(int mode) {
    const pugi::xml_node container = listedContainerOfSelection();
    if (!container || displayLocked() || mode < 0 || mode > 3) return;
    m_list->setListViewMode(mode);
    m_session->setViewAttribute(container, "listview", std::to_string(mode));
}

}  // namespace keymora
