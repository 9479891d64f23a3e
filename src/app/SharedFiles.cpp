#include "app/SharedFiles.h"

#include <QPointer>

#include "app/DocumentLifecycle.h"
#include "docwindow/SaveMessages.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "storage/DataFile.h"
#include "ui/DocumentHost.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {
constexpr int kRefreshQuestionId = 1157;

// Yes, and the window is still there to act on (it may close while the question is up).
bool answeredYes(const frmKMF& window, const QString& text, const QString& title) {
    QPointer<const frmKMF> guard(&window);
    const MsgAnswer answer = Prompt::current().message(text, title, MsgIcon::Question, MsgButtons::YesNo);
    return guard && answer == MsgAnswer::Yes;
}
}  // namespace

void AskNotifyOfChanges(frmKMF& window) {
    if (answeredYes(window,
                    QStringLiteral("This is a shared file that you only have read access in.\r\n"
                                   "Would you like to be notified when the current Read/Write owner saves "
                                   "changes?"),
                    QStringLiteral("Notify you of changes?")))
        window.watchForChanges();
}

bool ReloadDataFile(DocumentHost& host, frmKMF& window) {
    DocumentSession& session = window.session();
    if (session.closed() || session.neverSaved() || window.displayLocked()) return false;
    const OpenOutcome outcome = session.reload();
    switch (outcome.status) {
        case OpenStatus::Opened:
            if (outcome.versionUpdated) session.markEdited();
            window.announceAccess();
            return true;
        case OpenStatus::DecryptFailed:
            session.discardChanges();
            CloseDocument(host, window);
            break;
        default:
            break;
    }
    ShowOpenFailure(outcome);
    return false;
}

bool RefreshCommand(DocumentHost& host, frmKMF& window) {
    if (window.session().closed() || window.displayLocked()) return false;
    if (window.session().dirty() &&
        !answeredYes(window, LoadResString(kRefreshQuestionId), QStringLiteral("Refresh")))
        return false;
    return ReloadDataFile(host, window);
}

bool MarkSharedCommand(DocumentHost& host, frmKMF& window) {
    DocumentSession& session = window.session();
    if (session.closed() || session.readOnly() || session.sharedFile() || window.displayLocked())
        return false;
    if (!answeredYes(window,
                     QStringLiteral("This operation may not be undone once it is completed.  The file will "
                                    "forever be marked as a shared file.\r\n\r\n"
                                    "Are you sure you want to permanently mark this file as shared?"),
                     QStringLiteral("Permanent File Attribute Change")))
        return false;
    QPointer<frmKMF> guard(&window);
    // The file is written under its name, so a new document needs one first.
    if (session.neverSaved() && (!SaveCommand(host, window) || !guard)) return false;
    const SaveOutcome outcome = session.markShared();
    if (!outcome.saved()) {
        showSaveFailure(outcome);
        return false;
    }
    window.announceAccess();
    return true;
}

}  // namespace keymora
