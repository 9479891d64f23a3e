#pragma once
// The lock a document window holds on its data file, shared between program
// instances through open-file-description locks on two bytes far beyond the
// end of the file (the data itself is never locked, so plain readers of the
// bytes are not disturbed):
//   read gate    - Private holds it exclusively; every other holder, and
//                  every ReadFileContents while it reads, holds it shared.
//   writer slot  - Private and SharedWriter hold it exclusively.
// So a private file's holder makes other reads fail as in use, a shared
// writer lets readers in and refuses a second writer, and readers never
// block each other or the writer.
#include <cstdint>
#include <optional>
#include <string>

#include "support/KmError.h"

namespace keymora {

enum class LockMode {
    Private,       // exclusive read/write
    SharedWriter,  // read/write, others may read
    SharedReader,  // read only
};

struct LockResult;

// Which file a descriptor or a path names.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

class FileLock {
public:
    FileLock() noexcept = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens the file and takes the locks of the mode. Errors: 70 "Permission
    // denied" when another holder is in the way (or the file may not be
    // written in a writing mode), 53 "File Not Found", others by errno.
    static LockResult tryAcquire(const std::string& path, LockMode mode);

    // Takes the locks on fd, opened on path a moment ago. Another program may
    // have renamed a new file over path in between, and a lock on the file it
    // replaced guards nothing: the file path names once the lock is held is
    // the one locked, or the failure says it is in use.
    static LockResult lockOpened(int fd, const std::string& path, LockMode mode);

    // Takes the locks of the mode on an open descriptor, which it owns from
    // now on (closed on failure). The descriptor must be writable in the
    // writing modes.
    static LockResult adopt(int fd, const std::string& path, LockMode mode);

    // Takes the read gate shared on an open descriptor of its own (held until
    // that descriptor is closed). Returns 0 or the errno of the failure;
    // EAGAIN means a private holder has the file.
    static int takeReadGate(int fd) noexcept;

    // Takes the writer slot exclusively on an open descriptor (a file being
    // written before it replaces another). Returns 0 or the errno.
    static int holdWriterSlot(int fd) noexcept;

    // True when some other open file description holds the writer slot of
    // the file behind fd (a private holder or a shared writer).
    static bool writerElsewhere(int fd) noexcept;

    bool held() const noexcept { return m_fd >= 0; }
    LockMode mode() const noexcept { return m_mode; }
    // The locked descriptor (-1 when nothing is held); writes through it keep the lock.
    int fd() const noexcept { return m_fd; }
    const std::string& path() const noexcept { return m_path; }
    // The locked file; empty when nothing is held.
    FileIdentity identity() const noexcept;

    void release() noexcept;

private:
    int m_fd = -1;
    LockMode m_mode = LockMode::SharedReader;
    std::string m_path;
};

struct LockResult {
    FileLock lock;
    std::optional<KmError> error;
    bool ok() const noexcept { return !error.has_value(); }
};

}  // namespace keymora
