#include "app/DocumentLifecycle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStandardPaths>

#include <memory>

#include "app/SharedFiles.h"
#include "app/frmMain.h"
#include "docwindow/frmKMF.h"
#include "document/NewDocumentTemplate.h"
#include "session/DocumentSession.h"
#include "storage/DataFile.h"
#include "support/ClsReg.h"
#include "support/Options.h"
#include "ui/DocumentHost.h"
#include "ui/Prompt.h"

namespace keymora {

namespace {

constexpr const char* kPlaceholderMru = "Most Recently Used Files";

QString programTitle() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Keymora") : name;
}

// The text after the last path separator ("" when there is none).
QString fileTitleOf(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return cut < 0 ? QString() : path.mid(cut + 1);
}

QMdiSubWindow* subWindowOf(frmKMF& window) {
    return qobject_cast<QMdiSubWindow*>(window.parentWidget());
}

// Fills the session's credentials from the login dialog; false when cancelled.
bool takeCredentials(const LoginRequest& request, FileCredentials& credentials,
                     bool* modern = nullptr) {
    std::optional<Credentials> given = Prompt::current().credentials(request);
    if (!given) return false;
    assignUtf8(credentials.userId.value(), given->userId);
    assignUtf8(credentials.password.value(), given->password);
    if (modern != nullptr) *modern = given->modern;
    return true;
}

// A new, not yet shown document window in its subwindow.
frmKMF* createWindow(DocumentHost& host, std::unique_ptr<DocumentSession> session,
                     const QString& untitledName = {}) {
    auto* window = new frmKMF(&host, std::move(session), untitledName);
    QMdiSubWindow* sub = host.addWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowTitle(window->caption());
    QPointer<frmKMF> guard(window);
    QObject::connect(sub, &QMdiSubWindow::windowStateChanged, window,
                     [guard](Qt::WindowStates oldState, Qt::WindowStates newState) {
                         if (!guard) return;
                         const bool was = oldState.testFlag(Qt::WindowActive);
                         const bool is = newState.testFlag(Qt::WindowActive);
                         if (is && !was) guard->activated();
                         else if (was && !is) guard->deactivated();
                     });
    QObject::connect(window, &frmKMF::captionChanged, sub,
                     [sub](const QString& caption) { sub->setWindowTitle(caption); });
    QObject::connect(window, &QWidget::windowIconChanged, sub,
                     [sub](const QIcon& icon) { sub->setWindowIcon(icon); });
    return window;
}

void showWindow(DocumentHost& host, frmKMF& window) {
    QMdiSubWindow* sub = subWindowOf(window);
    if (sub != nullptr) {
        // Fill most of the frame, cascaded a little below earlier windows.
        QSize size(std::max(window.minimumWidth() + 20, 760), 520);
        if (QMdiArea* area = host.mdiArea()) {
            const QSize room = area->viewport()->size();
            const int shift = 24 * static_cast<int>(area->subWindowList().size() - 1) % 120;
            if (room.width() > 200 && room.height() > 200) {
                size = QSize(std::max(window.minimumWidth() + 20, room.width() - shift),
                             std::max(300, room.height() - shift));
                sub->move(shift, shift);
            }
        }
        sub->resize(size);
        sub->show();
        if (host.mdiArea() != nullptr) host.mdiArea()->setActiveSubWindow(sub);
    } else {
        window.show();
    }
    host.documentOpened(window);
    emit frmKMF::events().opened(&window);
}

}  // namespace

// --- helpers -----------------------------------------------------------------

QString defaultDataFolder() {
    QString folder = QString::fromStdString(options::PasswordFiles(clsReg()));
    if (folder.trimmed().isEmpty()) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (base.isEmpty()) base = QDir::homePath();
        folder = base + QStringLiteral("/Password Files");
    }
    QDir().mkpath(folder);
    return folder;
}

QString dataFileFilter() { return QStringLiteral("Keymora Files (*.kmf);;All Files (*)"); }

frmKMF* activeDocument(DocumentHost& host) {
    QMdiArea* area = host.mdiArea();
    if (area == nullptr) return nullptr;
    QMdiSubWindow* sub = area->activeSubWindow();
    if (sub == nullptr) sub = area->currentSubWindow();
    return sub != nullptr ? qobject_cast<frmKMF*>(sub->widget()) : nullptr;
}

// --- open --------------------------------------------------------------------

void ShowOpenFailure(const OpenOutcome& outcome) {
    switch (outcome.status) {
        case OpenStatus::InUse:
            Prompt::current().message(QString::fromLatin1(datafile::kFileInUseText),
                                      QString::fromLatin1(datafile::kFileInUseText),
                                      MsgIcon::Information, MsgButtons::Ok);
            return;
        case OpenStatus::ReadFailed: {
            const KmError error = outcome.error.value_or(KmError(5, "Open", "The file could not be read"));
            Prompt::current().message(QString::fromStdString(datafile::errorMessage(error)),
                                      programTitle(), MsgIcon::None, MsgButtons::Ok);
            return;
        }
        case OpenStatus::DecryptFailed:
            Prompt::current().message(QString::fromLatin1(datafile::kDecryptFailedText),
                                      QString::fromLatin1(datafile::kDecryptFailedTitle),
                                      MsgIcon::Critical, MsgButtons::Ok);
            return;
        case OpenStatus::NeedsNewerProgram:
            Prompt::current().message(QString::fromLatin1(modern::kNeedsNewerProgramText),
                                      QString::fromLatin1(modern::kNeedsNewerProgramTitle),
                                      MsgIcon::Critical, MsgButtons::Ok);
            return;
        case OpenStatus::Opened:
        case OpenStatus::Empty:
        case OpenStatus::Cancelled:
            return;
    }
}


bool OpenDataFile(DocumentHost& host, const QString& fileName) {
    if (fileName == QLatin1String(kPlaceholderMru) || fileName.isEmpty()) return false;
    // The session keeps the path for every later save: never a relative one.
    const QString path = QFileInfo(fileName).absoluteFilePath();
    LoginRequest request;
    request.instructions =
        QStringLiteral("Enter the User Name and \r\nPassword to UN-Lock ") + fileTitleOf(path);
    OpenOutcome outcome =
        DocumentSession::open(path.toStdString(), LockPolicy::ByFileType,
                              [&request](FileCredentials& c) { return takeCredentials(request, c); });
    if (!outcome.opened()) {
        ShowOpenFailure(outcome);
        return false;
    }
    frmKMF* window = createWindow(host, std::move(outcome.session));
    showWindow(host, *window);
    // The format step changed the document before anyone could hear it.
    if (outcome.versionUpdated) window->session().markEdited();
    window->announceAccess();
    if (window->session().readOnly()) AskNotifyOfChanges(*window);
    return true;
}

bool OpenDataFile(frmMain& main, const QString& fileName) { return OpenDataFile(hostOf(main), fileName); }

void OpenCommand(DocumentHost& host) {
    FileDialogRequest r;
    r.title = QStringLiteral("Open Keymora File");
    r.folder = defaultDataFolder();
    r.filter = dataFileFilter();
    r.defaultSuffix = QStringLiteral("kmf");
    const QString name = Prompt::current().openFileName(r);
    if (name.isEmpty()) return;
    if (OpenDataFile(host, name)) {
        host.addToMru(name);
        host.refreshMruList();
    }
}

void OpenCommand(frmMain& main) { OpenCommand(hostOf(main)); }

// --- new ---------------------------------------------------------------------

frmKMF* NewDocumentCommand(DocumentHost& host) {
    LoginRequest request;
    request.instructions = QStringLiteral("Enter a User Name and\r\nPassword to Lock this file");
    request.confirm = true;
    // Legacy unless chosen, so that new files stay exchangeable.
    request.offerModern = true;
    FileCredentials credentials;
    bool modern = false;
    if (!takeCredentials(request, credentials, &modern)) return nullptr;
    std::unique_ptr<XmlDoc> doc;
    try {
        doc = BuildNewDocument();
    } catch (const KmError& e) {
        Prompt::current().message(QString::fromStdString(datafile::errorMessage(e)), programTitle(),
                                  MsgIcon::Critical, MsgButtons::Ok);
        return nullptr;
    }
    // A new file must be saved before it is used.
    auto session = DocumentSession::create(std::move(doc), std::move(credentials), true,
                                           modern ? Protection::Modern : Protection::Legacy);
    const QString untitled = QStringLiteral("Document ") + QString::number(host.nextDocumentNumber());
    frmKMF* window = createWindow(host, std::move(session), untitled);
    showWindow(host, *window);
    return window;
}

frmKMF* NewDocumentCommand(frmMain& main) { return NewDocumentCommand(hostOf(main)); }

// --- close -------------------------------------------------------------------

bool CloseDocument(DocumentHost& host, frmKMF& window) {
    (void)host;
    QMdiSubWindow* sub = subWindowOf(window);
    return sub != nullptr ? sub->close() : window.close();
}

bool CloseDocument(frmMain& main) {
    DocumentHost& host = hostOf(main);
    frmKMF* window = activeDocument(host);
    return window != nullptr && CloseDocument(host, *window);
}

bool CloseAllForExit(DocumentHost& host) {
    host.setCanShutDown(true);
    QMdiArea* area = host.mdiArea();
    if (area == nullptr) return true;
    for (;;) {
        QList<QMdiSubWindow*> open;
        for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::ActivationHistoryOrder))
            if (!sub->isHidden()) open << sub;
        if (open.isEmpty()) return true;
        QMdiSubWindow* sub = area->activeSubWindow();
        if (sub == nullptr || sub->isHidden()) sub = open.last();
        const bool closed = sub->close();
        if (!host.canShutDown() || !closed) return false;
    }
}

bool CloseAllForExit(frmMain& main) { return CloseAllForExit(hostOf(main)); }

}  // namespace keymora
