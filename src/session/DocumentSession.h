#pragma once
// One open data file: the document, where it lives on disk, the credentials
// that key it, the lock held on it and whether it has unsaved changes. Every
// change of the document goes through here and is announced to listeners;
// the desktop windows and keymora-cli both open, edit and save through it.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/CsvImport.h"
#include "document/Labels.h"
#include "document/TreeEditing.h"
#include "document/XmlDoc.h"
#include "session/SaveWorker.h"
#include "storage/FileLock.h"
#include "storage/MergeFile.h"
#include "storage/ModernContainer.h"
#include "support/KmError.h"
#include "support/SecureWipe.h"

namespace keymora {

class DocumentListener;

// A data file's user name and password, blanks trimmed; wiped when dropped.
struct FileCredentials {
    WipedString userId;
    WipedString password;
};

// How the file is held against other Keymora programs.
enum class AccessMode {
    Unlocked,      // nothing held: a new document, or a file only being read
    Private,       // nobody else may read or write it
    SharedWriter,  // others may read it; a second writer is refused
    SharedReader,  // read only; another program may be writing it
};

enum class LockPolicy {
    None,        // read the file and hold nothing (listing, export)
    ForEditing,  // a writer's lock from before the read until close
    ByFileType,  // the file's own kind decides: private files exclusively,
                 // shared ones as writer, or as reader while another writes
};

enum class OpenStatus { Opened, Cancelled, Empty, ReadFailed, InUse, DecryptFailed, NeedsNewerProgram };

// How the file is enciphered: the legacy cipher, which the earlier Windows
// version also reads, or the modern container (Argon2id, ChaCha20-Poly1305).
enum class Protection { Legacy, Modern };

class DocumentSession;

struct OpenOutcome {
    OpenStatus status = OpenStatus::ReadFailed;
    std::optional<KmError> error;  // with ReadFailed: what the system said
    std::unique_ptr<DocumentSession> session;
    bool versionUpdated = false;  // the format step changed the document
    bool opened() const noexcept { return status == OpenStatus::Opened; }
};

enum class SaveStatus { Saved, ReadOnly, NoRoot, Failed };

struct SaveOutcome {
    SaveStatus status = SaveStatus::Failed;
    std::optional<KmError> error;  // with Failed
    bool saved() const noexcept { return status == SaveStatus::Saved; }
};

// Fills in the credentials; false when the user cancelled.
using AskCredentials = std::function<bool(FileCredentials& credentials)>;

class DocumentSession {
public:
    // Reads the file, asks the credentials (only once the bytes are in),
    // decrypts, parses and locks as the policy says. Nothing stays locked on
    // failure.
    static OpenOutcome open(const std::string& path, LockPolicy policy, const AskCredentials& ask);
    // A document that is not on disk yet; saveRequired marks a new file that
    // must be saved before it is used.
    static std::unique_ptr<DocumentSession> create(
        std::unique_ptr<XmlDoc> doc, FileCredentials credentials, bool saveRequired,
        Protection protection = Protection::Legacy,
        const modern::Argon2Params& params = modern::kDefaultParams);

    DocumentSession(const DocumentSession&) = delete;
    DocumentSession& operator=(const DocumentSession&) = delete;
    ~DocumentSession();

    // --- state --------------------------------------------------------------
    XmlDoc& doc() noexcept { return *m_doc; }
    const XmlDoc& doc() const noexcept { return *m_doc; }
    const std::string& path() const noexcept { return m_path; }
    bool neverSaved() const noexcept { return m_path.empty(); }
    bool saveRequired() const noexcept { return m_saveRequired; }
    AccessMode access() const noexcept { return m_access; }
    bool readOnly() const noexcept { return m_access == AccessMode::SharedReader; }
    bool lockHeld() const noexcept { return m_lock.held(); }
    // The root's `filetype` is anything but "private".
    bool sharedFile() const;
    bool dirty() const noexcept { return m_dirty; }
    bool closed() const noexcept { return m_closed; }
    const std::string& userId() const noexcept { return m_credentials.userId.value(); }
    bool credentialsMatch(std::string_view userId, std::string_view password) const;
    Protection protection() const noexcept {
        return m_key ? Protection::Modern : Protection::Legacy;
    }
    // The key derivation of a modern file; nothing for a legacy one.
    std::optional<modern::Argon2Params> modernParams() const;

    // --- the file -------------------------------------------------------------
    // Stamps the root's DateModified and writes the file through a temporary
    // file and a rename; the lock, when one is held, moves to the new file in
    // the same mode. A read-only file is never written.
    SaveOutcome save();
    SaveOutcome saveAs(const std::string& path);
    // Auto Save: the document is serialised here, the rest of the save runs
    // on a worker and its end comes back through the poster (listeners hear
    // backgroundSaveFinished). At most one runs; edits made meanwhile lead to
    // exactly one more. A failed save leaves the session dirty. Nothing
    // happens for a read-only or never-saved file.
    void saveInBackground();
    // A background save runs, or is due after the one running.
    bool savePending() const noexcept { return m_saver.running(); }
    // Waits until no background save is left, applying each outcome here.
    // Everything that touches the file or the lock (save, reload, close) does
    // this first.
    void waitForSaves();
    // How the end of a background save reaches the owner's thread.
    void setPoster(PostToOwner post) { m_post = std::move(post); }
    // Marks the file shared for good and writes it at once under its path;
    // afterwards it is held as a shared file's writer. Refused (ReadOnly) for
    // a read-only or never-saved file; on failure the document is unchanged.
    SaveOutcome markShared();
    // Reads the file again with the stored credentials, through the lock
    // held afterwards: a writer keeps its lock, a reader becomes the writer
    // when nobody else writes the file now. On failure the document and the
    // reader's part stay (the caller decides whether the window stays).
    OpenOutcome reload();
    // The changes are given up (closing without saving).
    void discardChanges();
    // Releases the lock, wipes the credentials and drops the document.
    void close();
    // New credentials; the file is written with them at the next save. A
    // modern file gets a new salt and its key is derived here, once.
    void setCredentials(FileCredentials credentials);
    // The same, and the protection the file is written with from now on.
    void setCredentials(FileCredentials credentials, Protection protection,
                        const modern::Argon2Params& params = modern::kDefaultParams);
    // An edit made before any listener could hear it (the format step at open).
    void markEdited();

    // --- listeners --------------------------------------------------------------
    void addListener(DocumentListener* listener);
    void removeListener(DocumentListener* listener);

    // --- edits (refused with EditStatus::ReadOnly on a read-only file) ----------
    EditResult addCategory();
    EditResult addSubCategory(std::string_view parentId);
    EditResult addEntry(std::string_view selectedId, EntryPosition position, const EntryFields& fields);
    EditResult deleteNode(std::string_view id);
    EditResult sortLevel(std::string_view id, SortDirection direction);
    // A category's or sub-category's name; false when nothing changed.
    bool rename(pugi::xml_node node, std::string_view name);
    // One field of an entry; stamps the entry's DateModified. False when
    // nothing changed.
    bool updateField(pugi::xml_node entry, labels::Field field, std::string_view text);
    labels::EditLabelsResult editLabels(std::string_view id, const labels::Captions& captions);
    // Copies or moves a node within one open file or between two.
    static EditResult transfer(DocumentSession& source, DocumentSession& destination,
                               Relation relation, std::string_view sourceId,
                               std::string_view targetId, TransferMode mode);
    mergefile::Result merge(const std::string& sourcePath, const mergefile::CredentialsFn& ask,
                            const merge::ProgressFn& progress = {});
    csvimport::ImportResult import(const csvimport::CsvTable& table,
                                   const csvimport::ProgressFn& progress = {});
    // How a node is shown (expanded, list mode, sort column): stored in the
    // file but not an edit, so nothing is marked dirty.
    void setViewAttribute(pugi::xml_node node, const char* name, std::string_view value);

private:
    DocumentSession() = default;
    struct KindLock {
        LockResult locked;
        AccessMode access;  // what the holder is, also when the lock itself failed
    };
    static KindLock lockByKind(const std::string& path, bool shared);
    OpenStatus lockByFileType();
    void takeCredentials(FileCredentials credentials, Protection protection,
                         const modern::Argon2Params& params);
    OpenStatus catchUpWithLocked(const FileIdentity& readFrom, bool& versionUpdated);
    void startBackgroundSave();
    void backgroundSaveEnded(SaveJobResult result);
    KindLock lockForReload();
    OpenOutcome keepAfterFailedReload(KindLock kind, OpenOutcome failure);
    // newMode: the lock to hold on the written file instead of the present one.
    SaveOutcome writeTo(const std::string& path, std::optional<LockMode> newMode = std::nullopt);
    // Announces the node a successful add put in place.
    EditResult inserted(EditResult result);
    bool refuseEdit() const noexcept { return m_closed || readOnly(); }

    void notify(const std::function<void(DocumentListener&)>& fn);
    void edited();
    void setDirty(bool dirty);

    std::unique_ptr<XmlDoc> m_doc;
    std::string m_path;
    FileCredentials m_credentials;
    // The derived key of a modern file, kept so that a save derives nothing.
    std::optional<modern::FileKey> m_key;
    FileLock m_lock;
    AccessMode m_access = AccessMode::Unlocked;
    bool m_saveRequired = false;
    bool m_dirty = false;
    bool m_closed = false;
    std::vector<DocumentListener*> m_listeners;
    PostToOwner m_post;
    bool m_saveAgain = false;  // edits came in while a background save ran
    // The last background save's text buffer, wiped: the next snapshot is
    // written into memory already in use rather than fresh pages.
    WipedString m_snapshotBuffer;
    // Last member: it is destroyed (and joins its thread) before the rest.
    SaveWorker m_saver;
};

// Field position inside an entry element (1 name ... 7 URL).
int FieldPosition(labels::Field field) noexcept;
// The n-th child of an entry (1-based); empty when missing.
pugi::xml_node EntryFieldAt(pugi::xml_node entry, int position) noexcept;

}  // namespace keymora
