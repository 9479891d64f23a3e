// Find on a document window: the search dialog, the results panel under the
// tree and the click on a hit.
#include <QTreeView>

#include "docwindow/SearchResults.h"
#include "docwindow/TreePane.h"
#include "docwindow/frmKMF.h"
#include "docwindow/frmSearch.h"
#include "document/Search.h"
#include "session/DocumentSession.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

void frmKMF::SearchDocument() {
    if (displayLocked() || m_session->closed()) return;
    frmSearch dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;  // an open panel keeps its hits
    const QString text = dialog.searchText();
    const std::vector<std::string> keys = dialog.fieldKeys();
    runStep("frmKMF.SearchDocument", 3, [&] { searchFor(text, keys); });
}

void frmKMF::searchFor(const QString& text, const std::vector<std::string>& fieldKeys) {
    const std::string pattern = text.toStdString();
    search::SearchOutcome outcome;
    for (;;) {
        outcome = search::SearchNodes(m_session->doc(), pattern, fieldKeys);
        if (outcome.ok) break;
        // The search's own error dialog; what was found before the failure stays.
        const MsgAnswer answer = Prompt::current().message(
            QString::fromStdString(outcome.errorDialogText()), QString(), MsgIcon::Critical,
            MsgButtons::AbortRetryIgnore);
        if (answer != MsgAnswer::Retry) break;
    }
    if (outcome.rows.empty()) {
        Prompt::current().message(LoadResString(1191), LoadResString(1192), MsgIcon::Information,
                                  MsgButtons::Ok);
        return;
    }
    m_results->model()->setRows(std::move(outcome.rows));
    m_results->show();
    emit searchResultsShown(true);
}

void frmKMF::HideSearchResults() {
    m_results->model()->clear();
    m_results->hide();
    emit searchResultsShown(false);
}

bool frmKMF::searchResultsVisible() const { return !m_results->isHidden(); }

// Like a click in the tree, but the node is looked up by its identifier: the
// hits are a snapshot and the node may have moved or gone since.
void frmKMF::showSearchHit(const std::string& id, int position) {
    emit searchHitShown(QString::fromStdString(id), position);
    if (displayLocked()) return;
    const pugi::xml_node node = m_session->doc().nodeById(id);
    if (!IsTreeNode(node)) return;
    m_tree->showCurrent(node);
    showNode(node);
}

}  // namespace keymora
