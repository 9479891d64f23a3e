#pragma once
// Opening, creating, saving and closing document windows. Every message,
// file dialog and credential request goes through Prompt::current().
#include <QString>

namespace keymora {

class frmMain;
class frmKMF;
class DocumentHost;
struct OpenOutcome;

// The host a main window gives its document windows (owned by the adapter).
DocumentHost& hostOf(frmMain& main);

// The document window of the host's active subwindow, or nullptr.
frmKMF* activeDocument(DocumentHost& host);

// Opens the file (a relative name counts from the current folder), asks for
// the credentials once its bytes are in, and shows a new window. True when a
// window was created and shown; on any failure the message has been shown,
// no window remains and no lock is held. The recent-files list is left to the
// caller.
bool OpenDataFile(DocumentHost& host, const QString& fileName);
bool OpenDataFile(frmMain& main, const QString& fileName);

// The message for an open or reload that failed; nothing for an empty file
// or a cancelled login.
void ShowOpenFailure(const OpenOutcome& outcome);

// File Open: dialog in the default folder, then OpenDataFile, then the
// recent-files list.
void OpenCommand(DocumentHost& host);
void OpenCommand(frmMain& main);

// Writes the window's document to fileName through its session, which moves
// the lock there. Read-only documents are not written (returns true, nothing
// done). On failure the message has been shown, the old file is untouched,
// false is returned.
bool SaveDataFile(frmKMF& window, const QString& fileName);

// File Save / Save As on the active document window (or the given one).
bool SaveCommand(DocumentHost& host, frmKMF& window);
void SaveCommand(frmMain& main);
bool SaveAsCommand(DocumentHost& host, frmKMF& window);
void SaveAsCommand(frmMain& main);

// File New: credentials, template, "Document " + number. nullptr on cancel.
frmKMF* NewDocumentCommand(DocumentHost& host);
frmKMF* NewDocumentCommand(frmMain& main);

// The close prompt of one window (Yes/No/Cancel, "Filename missing"). True
// when the window may close; false sets the host's CanShutDown to false.
bool QueryCloseDocument(DocumentHost& host, frmKMF& window);
// Closes the window's subwindow (runs the prompt). True when it closed.
bool CloseDocument(DocumentHost& host, frmKMF& window);
bool CloseDocument(frmMain& main);  // the active one

// Closes every document window one at a time, the active one first; stops at
// the first refusal. True when none is left.
bool CloseAllForExit(DocumentHost& host);
bool CloseAllForExit(frmMain& main);

// Saves every dirty document as Save would (asking a name for never-saved ones).
void SaveAllCommand(DocumentHost& host);
void SaveAllCommand(frmMain& main);

// The default folder of the open and save dialogs (created when missing).
QString defaultDataFolder();
QString dataFileFilter();

}  // namespace keymora
