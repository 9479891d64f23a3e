// Save, Save As, Save All and the close prompt of document windows. The
// window's session writes the file, moves its lock and says what happened;
// the window's caption and title follow the session by themselves.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include "app/DocumentLifecycle.h"
#include "app/frmMain.h"
#include "docwindow/SaveMessages.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "support/RecentFiles.h"
#include "ui/DocumentHost.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

FileDialogRequest saveRequest(const QString& title) {
    FileDialogRequest r;
    r.title = title;
    r.folder = defaultDataFolder();
    r.filter = dataFileFilter();
    r.defaultSuffix = QStringLiteral("kmf");
    r.save = true;
    return r;
}

// The name a never-saved window is first saved under. Empty when there is
// none; a new file that must be saved is closed unsaved when the user gives up.
QString askFirstName(DocumentHost& host, frmKMF& window) {
    QPointer<frmKMF> guard(&window);
    for (;;) {
        const QString name = Prompt::current().saveFileName(saveRequest(LoadResString(sid::Save)));
        if (!guard) return {};
        if (!name.isEmpty()) return name;
        if (!window.session().saveRequired()) return {};
        const MsgAnswer answer = Prompt::current().message(
            QStringLiteral("You must save the file before use.\r\nPress Ok to Enter a file name.\r\n"
                           "Press Cancel to close this file."),
            QStringLiteral("File Save Required"), MsgIcon::Critical, MsgButtons::OkCancel);
        if (!guard) return {};
        if (answer == MsgAnswer::Ok) continue;
        window.session().discardChanges();
        CloseDocument(host, window);
        return {};
    }
}

}  // namespace

bool SaveDataFile(frmKMF& window, const QString& fileName) {
    DocumentSession& session = window.session();
    if (session.readOnly()) return true;
    const std::string path = fileName.toStdString();
    const SaveOutcome outcome = path == session.path() ? session.save() : session.saveAs(path);
    if (outcome.saved()) return true;
    showSaveFailure(outcome);
    return false;
}

bool SaveCommand(DocumentHost& host, frmKMF& window) {
    if (window.session().readOnly() || window.session().closed()) return false;
    const QString name = window.session().neverSaved() ? askFirstName(host, window) : window.fileName();
    if (name.isEmpty() || !SaveDataFile(window, name)) return false;
    recentfiles::RememberSaved(name.toStdString());
    host.refreshMruList();
    return true;
}

void SaveCommand(frmMain& main) {
    DocumentHost& host = hostOf(main);
    if (frmKMF* window = activeDocument(host)) SaveCommand(host, *window);
}

bool SaveAsCommand(DocumentHost& host, frmKMF& window) {
    QPointer<frmKMF> guard(&window);
    const QString name = Prompt::current().saveFileName(saveRequest(QStringLiteral("Save As")));
    if (!guard || name.isEmpty() || window.session().readOnly()) return false;
    if (!SaveDataFile(window, name)) return false;
    host.refreshMruList();
    return true;
}

void SaveAsCommand(frmMain& main) {
    DocumentHost& host = hostOf(main);
    if (frmKMF* window = activeDocument(host)) SaveAsCommand(host, *window);
}

bool QueryCloseDocument(DocumentHost& host, frmKMF& window) {
    if (!window.session().dirty()) return true;
    QPointer<frmKMF> guard(&window);
    const MsgAnswer answer =
        Prompt::current().message(LoadResString(sid::DocumentChangedText),
                                  LoadResString(sid::DocumentChangedTitle), MsgIcon::None,
                                  MsgButtons::YesNoCancel);
    if (!guard || answer == MsgAnswer::No) return true;
    if (answer != MsgAnswer::Yes) {
        host.setCanShutDown(false);
        return false;
    }
    QString name = window.fileName();
    if (window.session().neverSaved()) {
        name = Prompt::current().saveFileName(saveRequest(LoadResString(sid::Save)));
        if (!guard) return true;
        if (name.isEmpty()) {
            Prompt::current().message(LoadResString(sid::FilenameMissingText),
                                      LoadResString(sid::FilenameMissingTitle), MsgIcon::Question,
                                      MsgButtons::Ok);
            host.setCanShutDown(false);
            return false;
        }
    }
    // A save that failed keeps the window (and its changes) open.
    if (!SaveDataFile(window, name)) {
        host.setCanShutDown(false);
        return false;
    }
    return true;
}

void SaveAllCommand(DocumentHost& host) {
    QMdiArea* area = host.mdiArea();
    if (area == nullptr) return;
    QList<QPointer<frmKMF>> windows;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (auto* w = qobject_cast<frmKMF*>(sub->widget())) windows << w;
    for (const QPointer<frmKMF>& guarded : windows) {
        frmKMF* w = guarded.data();
        if (w != nullptr && w->session().dirty() && !w->session().readOnly()) SaveCommand(host, *w);
    }
}

void SaveAllCommand(frmMain& main) { SaveAllCommand(hostOf(main)); }

}  // namespace keymora
