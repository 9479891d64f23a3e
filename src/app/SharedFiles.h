#pragma once
// Shared files: Mark Shared, Refresh and the reload behind it, and the
// question a read-only user of a shared file is asked when it opens.
namespace keymora {

class DocumentHost;
class frmKMF;

// "Notify you of changes?": Yes starts the window's change watcher.
void AskNotifyOfChanges(frmKMF& window);

// Reads the window's file again with its credentials, keeping the selected
// node and the expanded branches that are still there. True when re-read.
// Credentials that no longer open the file (the writer changed them) close
// the window after the decryption-failure message; other failures say what
// happened and keep the document on screen.
bool ReloadDataFile(DocumentHost& host, frmKMF& window);

// Refresh: asks first when there are unsaved changes, which it then drops.
bool RefreshCommand(DocumentHost& host, frmKMF& window);

// Mark Shared: asks, then marks the file shared for good and saves it; a
// never-saved document is given a name first.
bool MarkSharedCommand(DocumentHost& host, frmKMF& window);

}  // namespace keymora
