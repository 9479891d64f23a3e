#include "session/DocumentSession.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "document/DateText.h"
#include "document/ModXml.h"
#include "document/VersionUpdates.h"
#include "session/DocumentListener.h"
#include "storage/CredentialRules.h"
#include "storage/DataFile.h"

namespace keymora {

namespace {

OpenOutcome failed(OpenStatus status, std::optional<KmError> error = std::nullopt) {
    OpenOutcome out;
    out.status = status;
    out.error = std::move(error);
    return out;
}

// Permission denied is how the lock layer says another program holds the file.
OpenOutcome readFailure(const KmError& error) {
    if (error.number() == errnum::kPermissionDenied) return failed(OpenStatus::InUse, error);
    return failed(OpenStatus::ReadFailed, error);
}

void trimInPlace(WipedString& text) {
    WipedString trimmed(credentials::TrimBlanks(text.value()));
    std::swap(text.value(), trimmed.value());
}

// Decrypts and parses; nothing for wrong credentials or a damaged file. A
// modern file is opened with `key` when it was written with that key's salt
// and parameters, else a key is derived from the header into `key`; a legacy
// file leaves `key` empty. The file's bytes are used up, so they are gone
// before the document is parsed.
std::unique_ptr<XmlDoc> decode(const std::string& path, std::string&& bytes,
                               const FileCredentials& credentials,
                               std::optional<modern::FileKey>& key) {
    std::unique_ptr<XmlDoc> doc;
    try {
        if (!modern::hasMagic(bytes)) {
            key.reset();
            doc = datafile::openDocument(path, std::move(bytes), credentials.userId.value(),
                                         credentials.password.value());
        } else {
            modern::Header header;
            if (modern::readHeader(bytes, header) != modern::HeaderCheck::Valid) return nullptr;
            if (!key || !key->fits(header)) {
                key = modern::FileKey::derive(credentials.userId.value(),
                                              credentials.password.value(), header.kdf, header.salt);
            }
            doc = datafile::openDocument(path, std::move(bytes), *key);
        }
    } catch (const std::exception&) {
        return nullptr;
    }
    if (!doc || !doc->datafile()) return nullptr;
    return doc;
}

// A modern file this program cannot read is refused before anything is asked.
bool needsNewerProgram(std::string_view bytes) {
    modern::Header header;
    return modern::hasMagic(bytes) &&
           modern::readHeader(bytes, header) == modern::HeaderCheck::Unsupported;
}

AccessMode accessOf(LockMode mode) {
    switch (mode) {
    case LockMode::Private: return AccessMode::Private;
    case LockMode::SharedWriter: return AccessMode::SharedWriter;
    case LockMode::SharedReader: break;
    }
    return AccessMode::SharedReader;
}

// The path still names the file the lock is on (nobody moved another file there).
bool lockGuardsPath(const FileLock& lock) {
    struct stat atPath {};
    if (!lock.held() || ::stat(lock.path().c_str(), &atPath) != 0) return false;
    return lock.identity() == FileIdentity{static_cast<std::uint64_t>(atPath.st_dev),
                                           static_cast<std::uint64_t>(atPath.st_ino)};
}

}  // namespace

// --- opening ------------------------------------------------------------------

OpenOutcome DocumentSession::open(const std::string& path, LockPolicy policy,
                                  const AskCredentials& ask) {
    FileLock editLock;
    if (policy == LockPolicy::ForEditing) {
        LockResult locked = FileLock::tryAcquire(path, LockMode::SharedWriter);
        if (!locked.ok()) return readFailure(*locked.error);
        editLock = std::move(locked.lock);
    }
    WipedString bytes;
    FileIdentity readFrom;
    try {
        bytes.value() = datafile::ReadFileContents(path, &readFrom);
    } catch (const KmError& e) {
        return readFailure(e);
    }
    if (bytes.value().empty()) return failed(OpenStatus::Empty);
    if (needsNewerProgram(bytes.value())) return failed(OpenStatus::NeedsNewerProgram);

    FileCredentials credentials;
    if (!ask(credentials)) return failed(OpenStatus::Cancelled);
    trimInPlace(credentials.userId);
    trimInPlace(credentials.password);

    std::optional<modern::FileKey> key;
    std::unique_ptr<XmlDoc> doc = decode(path, std::move(bytes.value()), credentials, key);
    if (!doc) return failed(OpenStatus::DecryptFailed);

    std::unique_ptr<DocumentSession> session(new DocumentSession);
    session->m_doc = std::move(doc);
    session->m_key = std::move(key);
    session->m_path = path;
    session->m_credentials = std::move(credentials);
    OpenOutcome out;
    if (policy == LockPolicy::ByFileType) {
        try {
            out.versionUpdated = modVersionUpdates::UpdateDocumentVersion(session->doc().datafile(), true);
        } catch (const std::exception&) {
            return failed(OpenStatus::DecryptFailed);
        }
        OpenStatus locked = session->lockByFileType();
        if (locked == OpenStatus::ReadFailed) {
            // The system's reason, asked again: the lock itself says only that it failed.
            return failed(locked, FileLock::tryAcquire(path, LockMode::Private).error);
        }
        if (locked == OpenStatus::Opened) locked = session->catchUpWithLocked(readFrom, out.versionUpdated);
        if (locked != OpenStatus::Opened) return failed(locked);
    } else if (policy == LockPolicy::ForEditing) {
        session->m_lock = std::move(editLock);
        session->m_access = AccessMode::SharedWriter;
    }
    out.status = OpenStatus::Opened;
    out.session = std::move(session);
    return out;
}

std::unique_ptr<DocumentSession> DocumentSession::create(std::unique_ptr<XmlDoc> doc,
                                                         FileCredentials credentials,
                                                         bool saveRequired, Protection protection,
                                                         const modern::Argon2Params& params) {
    std::unique_ptr<DocumentSession> session(new DocumentSession);
    session->m_doc = doc ? std::move(doc) : std::make_unique<XmlDoc>();
    session->m_saveRequired = saveRequired;
    session->takeCredentials(std::move(credentials), protection, params);
    return session;
}

// A private file is held exclusively. A shared file is held as its writer, or
// read only while another program writes it; failures of those locks leave
// the file open without a lock, as other readers of the format expect.
OpenStatus DocumentSession::lockByFileType() {
    m_lock.release();
    KindLock kind = lockByKind(m_path, sharedFile());
    if (kind.access == AccessMode::Private && !kind.locked.ok()) {
        // Held by another program (or by this one in another window).
        if (kind.locked.error->number() == errnum::kPermissionDenied) return OpenStatus::InUse;
        // A file that may not be written, for one: the caller gives the reason.
        return OpenStatus::ReadFailed;
    }
    m_access = kind.access;
    if (kind.locked.ok()) m_lock = std::move(kind.locked.lock);
    return OpenStatus::Opened;
}

// Another program may have saved the file between our read and our lock (the
// credentials prompt lies between): the document shown must be the one locked,
// or a save would overwrite what the other program wrote.
OpenStatus DocumentSession::catchUpWithLocked(const FileIdentity& readFrom, bool& versionUpdated) {
    if (!m_lock.held() || m_lock.identity() == readFrom) return OpenStatus::Opened;
    WipedString bytes;
    try {
        bytes.value() = datafile::ReadLockedFile(m_lock);
    } catch (const KmError& e) {
        return readFailure(e).status;
    }
    if (bytes.value().empty()) return OpenStatus::Empty;
    std::optional<modern::FileKey> key = m_key;
    std::unique_ptr<XmlDoc> doc = decode(m_path, std::move(bytes.value()), m_credentials, key);
    if (!doc) return OpenStatus::DecryptFailed;
    try {
        versionUpdated = modVersionUpdates::UpdateDocumentVersion(doc->datafile(), true) || versionUpdated;
    } catch (const std::exception&) {
        return OpenStatus::DecryptFailed;
    }
    std::swap(m_doc, doc);
    doc->clear();
    m_key = std::move(key);
    return OpenStatus::Opened;
}

DocumentSession::~DocumentSession() {
    m_listeners.clear();  // nobody may hear a session that is going away
    if (!m_closed) close();
}

bool DocumentSession::sharedFile() const {
    return m_doc && std::strcmp(m_doc->datafile().attribute("filetype").value(), "private") != 0;
}

std::optional<modern::Argon2Params> DocumentSession::modernParams() const {
    if (!m_key) return std::nullopt;
    return m_key->params();
}

bool DocumentSession::credentialsMatch(std::string_view userId, std::string_view password) const {
    return !m_closed && credentials::TrimmedView(userId) == m_credentials.userId.value() &&
           credentials::TrimmedView(password) == m_credentials.password.value();
}

// --- saving --------------------------------------------------------------------

SaveOutcome DocumentSession::save() { return writeTo(m_path); }

SaveOutcome DocumentSession::saveAs(const std::string& path) { return writeTo(path); }

void DocumentSession::saveInBackground() {
    if (m_closed || readOnly() || neverSaved()) return;
    if (m_saver.running()) {
        m_saveAgain = true;
        return;
    }
    startBackgroundSave();
}

void DocumentSession::startBackgroundSave() {
    pugi::xml_node root = m_doc->datafile();
    if (!root) {
        SaveOutcome out;
        out.status = SaveStatus::NoRoot;
        notify([&out](DocumentListener& l) { l.backgroundSaveFinished(out); });
        return;
    }
    modXml::SetNodeAttribute(root, "DateModified", datetext::now());
    // The snapshot: later edits change the document, not what is written.
    SaveJob job;
    m_doc->xmlInto(m_snapshotBuffer.value());
    job.text.value().swap(m_snapshotBuffer.value());
    if (m_key) {
        job.modernKey = m_key;
    } else {
        job.keyText.value().append(m_credentials.userId.value()).append(m_credentials.password.value());
    }
    job.path = m_path;
    if (m_lock.held()) {
        job.lockMode = m_lock.mode();
        if (m_path == m_lock.path()) job.ownLock = &m_lock;
    }
    m_saver.start(std::move(job), m_post, [this](SaveJobResult r) { backgroundSaveEnded(std::move(r)); });
}

void DocumentSession::backgroundSaveEnded(SaveJobResult result) {
    SaveOutcome out;
    m_snapshotBuffer = std::move(result.buffer);
    if (result.error) {
        out.error = std::move(result.error);
    } else {
        out.status = SaveStatus::Saved;
        if (result.lock.held()) m_lock = std::move(result.lock);
    }
    // The next save is under way before anyone hears of this one, so that
    // listeners see it pending.
    const bool again = std::exchange(m_saveAgain, false);
    if (again && !m_closed) {
        startBackgroundSave();
    } else if (out.saved()) {
        setDirty(false);
    }
    notify([&out](DocumentListener& l) { l.backgroundSaveFinished(out); });
}

void DocumentSession::waitForSaves() {
    while (m_saver.running()) m_saver.wait();
}

SaveOutcome DocumentSession::writeTo(const std::string& path, std::optional<LockMode> newMode) {
    waitForSaves();
    SaveOutcome out;
    if (m_closed || readOnly()) {
        out.status = SaveStatus::ReadOnly;
        return out;
    }
    pugi::xml_node root = m_doc->datafile();
    if (!root) {
        out.status = SaveStatus::NoRoot;
        return out;
    }
    modXml::SetNodeAttribute(root, "DateModified", datetext::now());
    const AccessMode accessBefore = m_access;
    try {
        WipedString bytes(m_key ? datafile::saveDocument(*m_doc, *m_key)
                                : datafile::saveDocument(*m_doc, m_credentials.userId.value(),
                                                         m_credentials.password.value()));
        if (m_lock.held() || newMode) {
            // The new file appears already locked, in the mode held before (or
            // the one asked for), so a private file stays unreadable to others
            // across the save.
            const LockMode mode = newMode.value_or(m_lock.mode());
            const FileLock* own = m_lock.held() && path == m_lock.path() ? &m_lock : nullptr;
            m_lock = datafile::replaceFileLocked(path, bytes.value(), mode, own);
            m_access = accessOf(mode);
        } else {
            datafile::writeFileAtomically(path, bytes.value());
        }
    } catch (const KmError& e) {
        out.error = e;
        return out;
    } catch (const std::exception& e) {
        out.error = KmError(5, "Save File", e.what());
        return out;
    }
    const bool stateChanged = path != m_path || m_saveRequired || m_access != accessBefore;
    m_path = path;
    m_saveRequired = false;
    setDirty(false);
    if (stateChanged) notify([](DocumentListener& l) { l.fileStateChanged(); });
    out.status = SaveStatus::Saved;
    return out;
}

// For good: there is no way back to a private file. The file is written at
// once and held as a shared file's writer from the moment it is replaced.
SaveOutcome DocumentSession::markShared() {
    SaveOutcome out;
    pugi::xml_node root = m_closed ? pugi::xml_node() : m_doc->datafile();
    if (m_closed || readOnly() || neverSaved() || !root) {
        out.status = root || m_closed || readOnly() ? SaveStatus::ReadOnly : SaveStatus::NoRoot;
        return out;
    }
    const pugi::xml_attribute before = root.attribute("filetype");
    const std::string oldValue = before.value();
    const bool hadValue = static_cast<bool>(before);
    modXml::SetNodeAttribute(root, "filetype", "shared");
    out = writeTo(m_path, LockMode::SharedWriter);
    if (!out.saved()) {
        // Nothing changed on disk, so nothing changes here either.
        if (hadValue) root.attribute("filetype").set_value(oldValue.c_str());
        else root.remove_attribute("filetype");
    }
    return out;
}

// --- reload and close -------------------------------------------------------------

// A private file exclusively; a shared one as its writer, or as a reader
// while another program writes it.
DocumentSession::KindLock DocumentSession::lockByKind(const std::string& path, bool shared) {
    if (!shared) return {FileLock::tryAcquire(path, LockMode::Private), AccessMode::Private};
    LockResult locked = FileLock::tryAcquire(path, LockMode::SharedWriter);
    if (locked.ok()) return {std::move(locked), AccessMode::SharedWriter};
    // Another writer holds it, or this user may not write it: read only.
    return {FileLock::tryAcquire(path, LockMode::SharedReader), AccessMode::SharedReader};
}

// A writer keeps its own lock (nobody else can have replaced the file under
// it); anyone else locks the file now at the path by its kind, as an open
// does, and a reader may so become the writer.
DocumentSession::KindLock DocumentSession::lockForReload() {
    if (m_lock.held() && m_access != AccessMode::SharedReader && lockGuardsPath(m_lock))
        return {LockResult{std::move(m_lock), std::nullopt}, m_access};
    m_lock.release();
    return lockByKind(m_path, sharedFile());
}

OpenOutcome DocumentSession::reload() {
    waitForSaves();
    if (m_closed || neverSaved()) return failed(OpenStatus::ReadFailed);
    // What is read comes through the lock held afterwards, so the window
    // never holds a writer's lock over older contents than the file's.
    KindLock kind = lockForReload();
    if (!kind.locked.ok()) {
        if (kind.access == AccessMode::Private) return readFailure(*kind.locked.error);
        // A shared file that cannot be locked is read as it is (open does the same).
        kind.locked.lock = FileLock();
    }
    std::unique_ptr<XmlDoc> doc;
    OpenOutcome out;
    // The file may have been written by another program meanwhile, in either kind.
    std::optional<modern::FileKey> key = m_key;
    try {
        WipedString bytes(kind.locked.lock.held() ? datafile::ReadLockedFile(kind.locked.lock)
                                                  : datafile::ReadFileContents(m_path));
        if (bytes.value().empty()) return keepAfterFailedReload(std::move(kind), failed(OpenStatus::Empty));
        doc = decode(m_path, std::move(bytes.value()), m_credentials, key);
        if (doc) out.versionUpdated = modVersionUpdates::UpdateDocumentVersion(doc->datafile(), true);
    } catch (const KmError& e) {
        return keepAfterFailedReload(std::move(kind), readFailure(e));
    } catch (const std::exception&) {
        doc.reset();
    }
    if (!doc) return keepAfterFailedReload(std::move(kind), failed(OpenStatus::DecryptFailed));

    notify([](DocumentListener& l) { l.documentAboutToBeReset(); });
    std::swap(m_doc, doc);
    doc->clear();
    m_key = std::move(key);
    m_lock = std::move(kind.locked.lock);
    m_access = kind.access;
    // Another program put a file of the other kind there: lock it as such.
    if (sharedFile() == (m_access == AccessMode::Private)) out.status = lockByFileType();
    else out.status = OpenStatus::Opened;
    notify([](DocumentListener& l) { l.documentReset(); });
    setDirty(false);
    notify([](DocumentListener& l) { l.fileStateChanged(); });
    return out;
}

// The document stays as it was, and so does the holder's part: a reader is
// not made the writer of a file whose contents it does not show.
OpenOutcome DocumentSession::keepAfterFailedReload(KindLock kind, OpenOutcome failure) {
    if (kind.access == m_access) {
        m_lock = std::move(kind.locked.lock);
    } else {
        kind.locked.lock.release();
        LockResult reader = FileLock::tryAcquire(m_path, LockMode::SharedReader);
        if (reader.ok()) m_lock = std::move(reader.lock);
    }
    return failure;
}

void DocumentSession::discardChanges() { setDirty(false); }

void DocumentSession::close() {
    if (m_closed) return;
    waitForSaves();
    notify([](DocumentListener& l) { l.documentAboutToBeReset(); });
    m_closed = true;
    m_lock.release();
    m_access = AccessMode::Unlocked;
    secureWipe(m_credentials.userId.value());
    secureWipe(m_credentials.password.value());
    m_key.reset();
    m_snapshotBuffer = WipedString();
    if (m_doc) m_doc->clear();
    notify([](DocumentListener& l) { l.documentReset(); });
    setDirty(false);
}

void DocumentSession::setCredentials(FileCredentials credentials) {
    const std::optional<modern::Argon2Params> params = modernParams();
    setCredentials(std::move(credentials), params ? Protection::Modern : Protection::Legacy,
                   params.value_or(modern::kDefaultParams));
}

void DocumentSession::setCredentials(FileCredentials credentials, Protection protection,
                                     const modern::Argon2Params& params) {
    if (refuseEdit()) return;
    const Protection before = this->protection();
    takeCredentials(std::move(credentials), protection, params);
    edited();
    if (before != protection) notify([](DocumentListener& l) { l.fileStateChanged(); });
}

// A modern key always gets a new salt here, so no two credentials share one.
void DocumentSession::takeCredentials(FileCredentials credentials, Protection protection,
                                      const modern::Argon2Params& params) {
    trimInPlace(credentials.userId);
    trimInPlace(credentials.password);
    if (protection == Protection::Modern) {
        m_key = modern::FileKey::create(credentials.userId.value(), credentials.password.value(),
                                        params);
    } else {
        m_key.reset();
    }
    std::swap(m_credentials.userId.value(), credentials.userId.value());
    std::swap(m_credentials.password.value(), credentials.password.value());
}

// --- notices --------------------------------------------------------------------------

void DocumentSession::addListener(DocumentListener* listener) {
    if (listener && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void DocumentSession::removeListener(DocumentListener* listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

// A listener may remove itself (or another) while it is told something.
void DocumentSession::notify(const std::function<void(DocumentListener&)>& fn) {
    const std::vector<DocumentListener*> listeners = m_listeners;
    for (DocumentListener* l : listeners)
        if (std::find(m_listeners.begin(), m_listeners.end(), l) != m_listeners.end()) fn(*l);
}

void DocumentSession::setDirty(bool dirty) {
    if (m_dirty == dirty) return;
    m_dirty = dirty;
    notify([dirty](DocumentListener& l) { l.dirtyChanged(dirty); });
}

void DocumentSession::edited() {
    setDirty(true);
    notify([](DocumentListener& l) { l.documentEdited(); });
}

void DocumentSession::markEdited() {
    if (!refuseEdit()) edited();
}

}  // namespace keymora
