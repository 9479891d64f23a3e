#include "app/DocumentLifecycle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStandardPaths>

#include <memory>

#include "app/frmMain.h"
#include "docwindow/frmKMF.h"
#include "document/DateText.h"
#include "document/ModXml.h"
#include "document/NewDocumentTemplate.h"
#include "document/VersionUpdates.h"
#include "storage/CredentialRules.h"
#include "storage/DataFile.h"
#include "storage/FileLock.h"
#include "support/ClsReg.h"
#include "support/Options.h"
#include "support/SecureWipe.h"
#include "ui/DocumentHost.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

constexpr const char* kPlaceholderMru = "Most Recently Used Files";
constexpr const char* kPrivateKind = "Single User Private File";
constexpr const char* kSharedKind = "Multi User Shared File";
constexpr const char* kSharedReadOnlyKind = "Multi User Shared File (Read Only)";
constexpr const char* kReadWrite = "Read/Write Capable";
constexpr const char* kReadOnly = "Read Only";

QString programTitle() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Keymora") : name;
}

void wipe(QString& s) {
    s.fill(QChar(u'\0'));
    s.clear();
}

// The text after the last path separator ("" when there is none).
QString fileTitleOf(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return cut < 0 ? QString() : path.mid(cut + 1);
}

void showDecryptFailure() {
    Prompt::current().message(QString::fromLatin1(datafile::kDecryptFailedText),
                              QString::fromLatin1(datafile::kDecryptFailedTitle), MsgIcon::Critical,
                              MsgButtons::Ok);
}

FileDialogRequest saveRequest(const QString& title) {
    FileDialogRequest r;
    r.title = title;
    r.folder = defaultDataFolder();
    r.filter = dataFileFilter();
    r.defaultSuffix = QStringLiteral("kmf");
    r.save = true;
    return r;
}

QMdiSubWindow* subWindowOf(frmKMF& window) {
    return qobject_cast<QMdiSubWindow*>(window.parentWidget());
}

// A new, not yet shown document window in its subwindow.
frmKMF* createWindow(DocumentHost& host) {
    auto* window = new frmKMF(&host);
    QMdiSubWindow* sub = host.addWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
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

// Removes a window that never became visible to the user.
void discardWindow(frmKMF* window) {
    window->releaseEverything();
    if (QMdiSubWindow* sub = subWindowOf(*window)) {
        sub->hide();
        sub->deleteLater();
        if (sub->mdiArea() != nullptr) sub->mdiArea()->removeSubWindow(sub);
    } else {
        window->deleteLater();
    }
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

// Takes the lock the file's kind calls for and sets the title strip.
// False when a private file cannot be locked.
bool lockAndLabel(frmKMF& window, const QString& fileName) {
    const std::string path = fileName.toStdString();
    const std::string fileType = window.XMLDoc().datafile().attribute("filetype").value();
    if (fileType == "private") {
        window.setTitleLabels(QString::fromLatin1(kPrivateKind), QString::fromLatin1(kReadWrite), false);
        window.iFileType = 0;
        LockResult r = FileLock::tryAcquire(path, LockMode::Private);
        if (!r.ok()) return false;
        window.FileHandle = std::make_unique<FileLock>(std::move(r.lock));
        return true;
    }
    // Shared: a second writer falls back to reading.
    LockResult r = FileLock::tryAcquire(path, LockMode::SharedWriter);
    window.setTitleLabels(QString::fromLatin1(kSharedKind), QString::fromLatin1(kReadWrite), false);
    window.RequireChangeNotification = false;
    if (!r.ok() && r.error->number() == errnum::kPermissionDenied) {
        r = FileLock::tryAcquire(path, LockMode::SharedReader);
        window.setTitleLabels(QString::fromLatin1(kSharedReadOnlyKind), QString::fromLatin1(kReadOnly),
                              true);
        window.ReadOnlyFile = true;
        window.RequireChangeNotification = true;
    }
    if (r.ok()) window.FileHandle = std::make_unique<FileLock>(std::move(r.lock));
    window.iFileType = 1;
    window.FormActivated = true;
    return true;
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

std::string ReadFileContentsWithMessages(const QString& fileName) {
    try {
        return datafile::ReadFileContents(fileName.toStdString());
    } catch (const KmError& e) {
        if (e.number() == errnum::kPermissionDenied) {
            Prompt::current().message(QString::fromLatin1(datafile::kFileInUseText),
                                      QString::fromLatin1(datafile::kFileInUseText),
                                      MsgIcon::Information, MsgButtons::Ok);
        } else {
            Prompt::current().message(QString::fromStdString(datafile::errorMessage(e)),
                                      programTitle(), MsgIcon::None, MsgButtons::Ok);
        }
    } catch (const std::exception& e) {
        Prompt::current().message(QStringLiteral("Error: 5\r\nDescription: ") + QString::fromUtf8(e.what()),
                                  programTitle(), MsgIcon::None, MsgButtons::Ok);
    }
    return {};
}

// --- open --------------------------------------------------------------------

bool OpenDataFile(DocumentHost& host, const QString& fileName) {
    if (fileName == QLatin1String(kPlaceholderMru)) return false;

    LoginRequest request;
    request.instructions = QStringLiteral("Enter the User Name and \r\nPassword to UN-Lock ") +
                           fileTitleOf(fileName);

    WipedString bytes(ReadFileContentsWithMessages(fileName));
    if (bytes.value().empty()) return false;

    std::optional<Credentials> given = Prompt::current().credentials(request);
    if (!given) return false;
    WipedString user(credentials::TrimBlanks(given->userId.toStdString()));
    WipedString password(credentials::TrimBlanks(given->password.toStdString()));
    wipe(given->password);

    std::unique_ptr<XmlDoc> doc;
    try {
        doc = datafile::openDocument(fileName.toStdString(), bytes.value(), user.value(),
                                     password.value());
    } catch (const std::exception&) {
        doc.reset();
    }
    if (!doc || !doc->datafile()) {
        showDecryptFailure();
        return false;
    }

    frmKMF* window = createWindow(host);
    window->gsUserID = user.value();
    window->gsUserPassword = password.value();
    bool changed = false;
    try {
        changed = modVersionUpdates::UpdateDocumentVersion(doc->datafile(), true);
    } catch (const std::exception&) {
        discardWindow(window);
        showDecryptFailure();
        return false;
    }
    window->setDocument(std::move(doc));
    window->setCaption(fileName);
    window->ParseAndLoadXMLFile();
    if (!lockAndLabel(*window, fileName)) {
        discardWindow(window);
        showDecryptFailure();
        return false;
    }
    showWindow(host, *window);
    if (changed) window->MarkDocumentDirty();
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

// --- save --------------------------------------------------------------------

bool SaveDataFile(frmKMF& window, const QString& fileName) {
    if (window.ReadOnlyFile) return true;
    pugi::xml_node root = window.XMLDoc().datafile();
    if (!root) {
        Prompt::current().message(
            QStringLiteral("Datafile is corrupted.  Close WITHOUT SAVING to attempt to recover it."),
            QStringLiteral("Corrupted Data File"), MsgIcon::Critical, MsgButtons::Ok);
        return false;
    }
    modXml::SetNodeAttribute(root, "DateModified", datetext::now());
    try {
        WipedString bytes(datafile::saveDocument(window.XMLDoc(), window.gsUserID, window.gsUserPassword));
        const std::string path = fileName.toStdString();
        if (window.FileHandle && window.FileHandle->held()) {
            // The new file appears already locked; the old lock goes with the old file.
            FileLock lock = datafile::replaceFileLocked(path, bytes.value(), LockMode::SharedWriter,
                                                        window.FileHandle.get());
            window.FileHandle = std::make_unique<FileLock>(std::move(lock));
        } else {
            datafile::writeFileAtomically(path, bytes.value());
        }
    } catch (const KmError& e) {
        Prompt::current().message(QString::fromStdString(datafile::errorMessage(e)) +
                                      QStringLiteral("\r\n\r\nThe file was not saved."),
                                  QStringLiteral("Save"), MsgIcon::Critical, MsgButtons::Ok);
        return false;
    } catch (const std::exception& e) {
        Prompt::current().message(QStringLiteral("Error: 5\r\nDescription: ") + QString::fromUtf8(e.what()) +
                                      QStringLiteral("\r\n\r\nThe file was not saved."),
                                  QStringLiteral("Save"), MsgIcon::Critical, MsgButtons::Ok);
        return false;
    }
    return true;
}

namespace {

// The recent-files rule of Save: below ten entries a new name is appended,
// from ten on it moves to the top.
void rememberSavedName(DocumentHost& host, const QString& name) {
    clsReg reg;
    const int count = QString::fromStdString(reg.ReadString(RegRoot::CurrentUser, kMruKey, "MRUNumber", "0"))
                          .trimmed()
                          .toInt();
    const std::string text = name.toStdString();
    if (count >= 10) {
        host.addToMru(name);
        return;
    }
    for (int i = 1; i <= count; ++i)
        if (reg.ReadString(RegRoot::CurrentUser, kMruKey, "File" + std::to_string(i), "") == text) return;
    reg.WriteString(RegRoot::CurrentUser, kMruKey, "File" + std::to_string(count + 1), text);
    reg.WriteString(RegRoot::CurrentUser, kMruKey, "MRUNumber", std::to_string(count + 1));
}

}  // namespace

bool SaveCommand(DocumentHost& host, frmKMF& window) {
    if (window.ReadOnlyFile) return false;
    QPointer<frmKMF> guard(&window);
    QString name;
    if (window.neverSaved()) {
        for (;;) {
            name = Prompt::current().saveFileName(saveRequest(LoadResString(sid::Save)));
            if (!guard) return false;
            if (!name.isEmpty()) break;
            if (window.tag() != QLatin1String(frmKMF::kSaveRequiredTag)) return false;
            const MsgAnswer answer = Prompt::current().message(
                QStringLiteral("You must save the file before use.\r\nPress Ok to Enter a file name.\r\n"
                               "Press Cancel to close this file."),
                QStringLiteral("File Save Required"), MsgIcon::Critical, MsgButtons::OkCancel);
            if (!guard) return false;
            if (answer == MsgAnswer::Ok) continue;
            window.IsDirty = false;
            CloseDocument(host, window);
            return false;
        }
        const QString oldTag = window.tag();
        window.setTag(QString());
        if (!SaveDataFile(window, name)) {
            window.setTag(oldTag);
            return false;
        }
        window.setCaption(name);
    } else {
        name = window.fileName();
        if (!SaveDataFile(window, name)) return false;
        if (std::string(window.XMLDoc().datafile().attribute("filetype").value()) == "private") {
            window.setTitleLabels(QString::fromLatin1(kPrivateKind), QString::fromLatin1(kReadWrite), false);
            window.iFileType = 0;
        }
    }
    rememberSavedName(host, name);
    host.refreshMruList();
    window.markClean();
    return true;
}

void SaveCommand(frmMain& main) {
    DocumentHost& host = hostOf(main);
    if (frmKMF* window = activeDocument(host)) SaveCommand(host, *window);
}

bool SaveAsCommand(DocumentHost& host, frmKMF& window) {
    QPointer<frmKMF> guard(&window);
    const QString name = Prompt::current().saveFileName(saveRequest(QStringLiteral("Save As")));
    if (!guard || name.isEmpty() || window.ReadOnlyFile) return false;
    if (!SaveDataFile(window, name)) return false;
    host.refreshMruList();
    window.setTag(QString());
    window.setCaption(name);
    window.markClean();
    return true;
}

void SaveAsCommand(frmMain& main) {
    DocumentHost& host = hostOf(main);
    if (frmKMF* window = activeDocument(host)) SaveAsCommand(host, *window);
}

// --- new ---------------------------------------------------------------------

frmKMF* NewDocumentCommand(DocumentHost& host) {
    LoginRequest request;
    request.instructions = QStringLiteral("Enter a User Name and\r\nPassword to Lock this file");
    request.confirm = true;
    std::optional<Credentials> given = Prompt::current().credentials(request);
    if (!given) return nullptr;
    WipedString user(credentials::TrimBlanks(given->userId.toStdString()));
    WipedString password(credentials::TrimBlanks(given->password.toStdString()));
    wipe(given->password);

    std::unique_ptr<XmlDoc> doc;
    try {
        doc = BuildNewDocument();
    } catch (const KmError& e) {
        Prompt::current().message(QString::fromStdString(datafile::errorMessage(e)), programTitle(),
                                  MsgIcon::Critical, MsgButtons::Ok);
        return nullptr;
    }
    frmKMF* window = createWindow(host);
    window->setCaption(QStringLiteral("Document ") + QString::number(host.nextDocumentNumber()));
    window->setTag(QString::fromLatin1(frmKMF::kSaveRequiredTag));
    window->gsUserID = user.value();
    window->gsUserPassword = password.value();
    window->setDocument(std::move(doc));
    window->ParseAndLoadXMLFile();
    showWindow(host, *window);
    return window;
}

frmKMF* NewDocumentCommand(frmMain& main) { return NewDocumentCommand(hostOf(main)); }

// --- close -------------------------------------------------------------------

bool QueryCloseDocument(DocumentHost& host, frmKMF& window) {
    if (!window.IsDirty) return true;
    QPointer<frmKMF> guard(&window);
    const MsgAnswer answer =
        Prompt::current().message(LoadResString(sid::DocumentChangedText),
                                  LoadResString(sid::DocumentChangedTitle), MsgIcon::None,
                                  MsgButtons::YesNoCancel);
    if (!guard) return true;
    if (answer == MsgAnswer::No) return true;
    if (answer != MsgAnswer::Yes) {
        host.setCanShutDown(false);
        return false;
    }
    QString name;
    if (!window.neverSaved()) {
        name = window.fileName();
    } else {
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

void SaveAllCommand(DocumentHost& host) {
    QMdiArea* area = host.mdiArea();
    if (area == nullptr) return;
    QList<QPointer<frmKMF>> windows;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (auto* w = qobject_cast<frmKMF*>(sub->widget())) windows << w;
    for (const QPointer<frmKMF>& guarded : windows) {
        frmKMF* w = guarded.data();
        if (w != nullptr && w->IsDirty && !w->ReadOnlyFile) SaveCommand(host, *w);
    }
}

void SaveAllCommand(frmMain& main) { SaveAllCommand(hostOf(main)); }

}  // namespace keymora
