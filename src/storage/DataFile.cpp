#include "storage/DataFile.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "storage/CompressZIt.h"
#include "storage/Container.h"
#include "storage/FileErrors.h"
#include "storage/ModCrypto.h"
#include "storage/PendingFile.h"
#include "support/Cp1252.h"
#include "support/SecureWipe.h"

namespace keymora::datafile {

namespace {

constexpr const char* kReadSource = "ReadFileContents";
constexpr const char* kWriteSource = "WriteDataFile";

class Fd {
public:
    explicit Fd(int fd) noexcept : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const noexcept { return m_fd; }
    int release() noexcept {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset() noexcept {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

bool sameFile(int fd, const struct stat& st) noexcept {
    struct stat own {};
    return ::fstat(fd, &own) == 0 && own.st_dev == st.st_dev && own.st_ino == st.st_ino;
}

// A symbolic link is followed, so the file it names is replaced, not the link.
std::string resolveTarget(const std::string& path) {
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string resolved(real);
            std::free(real);
            return resolved;
        }
    }
    return path;
}

// Writes the new file beside path, optionally locks it, and renames it over
// path. Returns the lock (or an empty one when mode is not given). ownerOnly:
// readable by the owner only, whatever the file replaced allowed.
FileLock replace(const std::string& requested, std::string_view bytes,
                 const std::optional<LockMode>& mode, const FileLock* ownLock, bool ownerOnly) {
    const std::string path = resolveTarget(requested);

    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists) {
        if (!S_ISREG(existing.st_mode)) throw KmError(75, kWriteSource, "Path/File access error");
        // Another instance's write lock forbids replacing the file under it.
        // Our own lock is tested through its own descriptor, which excludes it.
        bool blocked;
        if (ownLock != nullptr && ownLock->held() && sameFile(ownLock->fd(), existing)) {
            blocked = FileLock::writerElsewhere(ownLock->fd());
        } else {
            Fd probe(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
            blocked = probe.get() >= 0 && FileLock::writerElsewhere(probe.get());
        }
        if (blocked) throw KmError(errnum::kPermissionDenied, kWriteSource, "Permission denied");
    }

    PendingFile::removeLeftovers(path);
    PendingFile pending(path, ownerOnly);
    pending.write(bytes);
    pending.finish(exists && !ownerOnly ? &existing : nullptr);
    FileLock lock;
    if (mode) {
        // Locked before it appears under path, so no other program slips in.
        LockResult locked = FileLock::adopt(::dup(pending.fd()), path, *mode);
        if (!locked.ok()) throw *locked.error;
        lock = std::move(locked.lock);
    }
    pending.commit();
    return lock;
}

// From the start of the file to its end, without moving the descriptor's offset.
std::string readWhole(int fd, off_t sizeHint) {
    if (sizeHint > CompressZIt::kMaxExpandedSize) throw KmError(7, kReadSource, "Out of memory");
    // One byte over the size, so the end of the file is seen without regrowth.
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(sizeHint) + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            // The file may have grown since fstat; read on until its end.
            if (static_cast<std::int64_t>(bytes.size()) >= CompressZIt::kMaxExpandedSize) {
                char probe;
                const ssize_t more = ::pread(fd, &probe, 1, static_cast<off_t>(have));
                if (more == 0) break;
                throw KmError(7, kReadSource, "Out of memory");
            }
            bytes.resize(std::max<std::size_t>(bytes.size() * 2, 4096));
        }
        const ssize_t n = ::pread(fd, bytes.data() + have, bytes.size() - have, static_cast<off_t>(have));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw fileError(errno, kReadSource);
        }
        if (n == 0) break;
        have += static_cast<std::size_t>(n);
    }
    bytes.resize(have);
    return bytes;
}

}  // namespace

std::string errorMessage(const KmError& error) {
    return "Error: " + std::to_string(error.number()) + "\r\nDescription: " + error.description();
}

std::string ReadFileContents(const std::string& path, FileIdentity* readFrom) {
    // Non-blocking so that a named pipe in place of a file cannot hang the open.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR || path.empty()) {
            throw KmError(errnum::kFileNotFound, kReadSource, "File Not Found");
        }
        throw fileError(err, kReadSource);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw fileError(errno, kReadSource);
    if (!S_ISREG(st.st_mode)) throw KmError(75, kReadSource, "Path/File access error");

    // Held while reading: fails only when a private holder has the file.
    if (const int err = FileLock::takeReadGate(fd.get()); err != 0) {
        if (err == EAGAIN || err == EACCES) {
            throw KmError(errnum::kPermissionDenied, kReadSource, "Permission denied");
        }
        throw fileError(err, kReadSource);
    }
    if (readFrom != nullptr) {
        *readFrom = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    }
    return readWhole(fd.get(), st.st_size);
}

std::string ReadLockedFile(const FileLock& lock) {
    struct stat st {};
    if (!lock.held() || ::fstat(lock.fd(), &st) != 0) throw fileError(EBADF, kReadSource);
    return readWhole(lock.fd(), st.st_size);
}

namespace {

std::string legacyKeyText(std::string_view userId, std::string_view password) {
    std::string key;
    key.reserve(userId.size() + password.size());
    key.append(userId).append(password);
    return key;
}

// Parses Windows-1252 text, which is wiped.
std::unique_ptr<XmlDoc> parseText(std::optional<std::string> text) {
    if (!text) return nullptr;
    cp1252::toUtf8InPlace(*text);
    std::string utf8 = std::move(*text);
    text.reset();
    // The decrypted payload may have come from the heap, which keeps freed
    // memory: give it back before the parser needs its own.
    ::malloc_trim(0);
    auto doc = std::make_unique<XmlDoc>();
    // The document takes over the buffer and wipes it, also on a parse error.
    if (!doc->loadXmlInPlace(std::move(utf8))) return nullptr;
    return doc;
}

std::optional<std::string> decodePayloadOf(std::string_view fileName, std::optional<std::string> payload) {
    if (!payload) return std::nullopt;
    return container::decodePayload(fileName, std::move(*payload));
}

}  // namespace

std::optional<std::string> decodeText(std::string_view fileName, std::string&& fileBytes,
                                      const modern::FileKey& key) {
    return decodePayloadOf(fileName, modern::open(std::move(fileBytes), key));
}

std::optional<std::string> decodeText(std::string_view fileName, std::string_view fileBytes,
                                      const modern::FileKey& key) {
    return decodeText(fileName, std::string(fileBytes), key);
}

std::optional<std::string> decodeText(std::string_view fileName, std::string&& fileBytes,
                                      std::string_view userId, std::string_view password) {
    std::string bytes(std::move(fileBytes));
    if (!modern::hasMagic(bytes)) {
        WipedString key(legacyKeyText(userId, password));
        try {
            return container::decodeInPlace(fileName, std::move(bytes), key.value());
        } catch (const KmError&) {
            return std::nullopt;
        }
    }
    modern::Header header;
    switch (modern::readHeader(bytes, header)) {
    case modern::HeaderCheck::Unsupported:
        throw KmError(kUnsupportedFileError, "modern.readHeader", modern::kNeedsNewerProgramText);
    case modern::HeaderCheck::Truncated:
        return std::nullopt;
    case modern::HeaderCheck::Valid:
        break;
    }
    const modern::FileKey key = modern::FileKey::derive(userId, password, header.kdf, header.salt);
    return decodeText(fileName, std::move(bytes), key);
}

std::optional<std::string> decodeText(std::string_view fileName, std::string_view fileBytes,
                                      std::string_view userId, std::string_view password) {
    return decodeText(fileName, std::string(fileBytes), userId, password);
}

std::unique_ptr<XmlDoc> openDocument(std::string_view fileName, std::string&& fileBytes,
                                     std::string_view userId, std::string_view password) {
    return parseText(decodeText(fileName, std::move(fileBytes), userId, password));
}

std::unique_ptr<XmlDoc> openDocument(std::string_view fileName, std::string_view fileBytes,
                                     std::string_view userId, std::string_view password) {
    return parseText(decodeText(fileName, fileBytes, userId, password));
}

std::unique_ptr<XmlDoc> openDocument(std::string_view fileName, std::string&& fileBytes,
                                     const modern::FileKey& key) {
    return parseText(decodeText(fileName, std::move(fileBytes), key));
}

std::unique_ptr<XmlDoc> openDocument(std::string_view fileName, std::string_view fileBytes,
                                     const modern::FileKey& key) {
    return parseText(decodeText(fileName, fileBytes, key));
}

std::string documentPayload(const XmlDoc& doc) {
    // One buffer throughout: serialised, converted, compressed.
    std::string bytes = doc.xml();
    payloadFromXml(bytes);
    return bytes;
}

void payloadFromXml(std::string& utf8) {
    std::string payload = payloadOfXml(utf8);
    utf8.swap(payload);
}

std::string payloadOfXml(std::string& utf8) {
    try {
        cp1252::fromUtf8XmlTextInPlace(utf8);
        std::string payload = container::encodePayload(utf8);
        secureWipe(utf8);
        return payload;
    } catch (...) {
        secureWipe(utf8);
        throw;
    }
}

std::string saveDocument(const XmlDoc& doc, std::string_view userId, std::string_view password) {
    WipedString key(legacyKeyText(userId, password));
    std::string bytes = documentPayload(doc);
    try {
        modCrypto::ApplyInPlace(bytes, key.value());
    } catch (...) {
        secureWipe(bytes);
        throw;
    }
    return bytes;
}

std::string saveDocument(const XmlDoc& doc, const modern::FileKey& key) {
    return modern::seal(documentPayload(doc), key);
}

void writeFileAtomically(const std::string& path, std::string_view bytes,
                         const FileLock* ownLock) {
    replace(path, bytes, std::nullopt, ownLock, false);
}

void writePrivateFile(const std::string& path, std::string_view bytes) {
    replace(path, bytes, std::nullopt, nullptr, true);
}

FileLock replaceFileLocked(const std::string& path, std::string_view bytes, LockMode mode,
                           const FileLock* ownLock) {
    return replace(path, bytes, mode, ownLock, false);
}

}  // namespace keymora::datafile
