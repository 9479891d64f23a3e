#include "storage/FileLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "storage/FileErrors.h"

namespace keymora {

namespace {

static_assert(sizeof(off_t) >= 8, "lock offsets need a 64-bit off_t");

// Far beyond the end of any data file; locks there never touch the data.
constexpr off_t kReadGate = static_cast<off_t>(0x7FFFFFFF00LL);
constexpr off_t kWriterSlot = kReadGate + 1;
constexpr const char* kSource = "FileLock";

int lockByte(int fd, off_t offset, short type) noexcept {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = offset;
    fl.l_len = 1;
    fl.l_pid = 0;  // required for open-file-description locks
    if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return 0;
    return errno;
}

bool isConflict(int err) noexcept { return err == EAGAIN || err == EACCES; }

// How often a file replaced between open and lock is opened again before it
// counts as in use.
constexpr int kReopenAttempts = 8;

int openForLock(const std::string& path, LockMode mode) noexcept {
    const int flags = (mode != LockMode::SharedReader ? O_RDWR : O_RDONLY) | O_CLOEXEC |
                      O_NOCTTY | O_NONBLOCK;
    return ::open(path.c_str(), flags);
}

FileIdentity identityOf(const struct stat& st) noexcept {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool namedByPath(const FileLock& lock) {
    struct stat st {};
    return ::stat(lock.path().c_str(), &st) == 0 && identityOf(st) == lock.identity();
}

}  // namespace

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_mode(other.m_mode), m_path(std::move(other.m_path)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_mode = other.m_mode;
        m_path = std::move(other.m_path);
    }
    return *this;
}

void FileLock::release() noexcept {
    if (m_fd >= 0) {
        // Closing the only descriptor of the description drops its locks.
        ::close(m_fd);
        m_fd = -1;
    }
    m_path.clear();
}

int FileLock::takeReadGate(int fd) noexcept { return lockByte(fd, kReadGate, F_RDLCK); }

int FileLock::holdWriterSlot(int fd) noexcept { return lockByte(fd, kWriterSlot, F_WRLCK); }

FileIdentity FileLock::identity() const noexcept {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return {};
    return identityOf(st);
}

LockResult FileLock::tryAcquire(const std::string& path, LockMode mode) {
    return lockOpened(openForLock(path, mode), path, mode);
}

LockResult FileLock::lockOpened(int fd, const std::string& path, LockMode mode) {
    for (int attempt = 1;; ++attempt) {
        if (fd < 0) {
            // A file this user may not write is not "in use": the system's reason
            // (error 75, as for a file that may not be read) tells what to fix.
            LockResult failed;
            failed.error = fileError(errno, kSource);
            return failed;
        }
        LockResult result = adopt(fd, path, mode);
        if (!result.ok() || namedByPath(result.lock)) return result;
        result.lock.release();
        if (attempt == kReopenAttempts) {
            result.error = KmError(errnum::kPermissionDenied, kSource, "Permission denied");
            return result;
        }
        fd = openForLock(path, mode);
    }
}

LockResult FileLock::adopt(int fd, const std::string& path, LockMode mode) {
    LockResult result;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        result.error = KmError(75, kSource, "Path/File access error");
        return result;
    }

    int err = 0;
    switch (mode) {
    case LockMode::Private:
        err = lockByte(fd, kReadGate, F_WRLCK);
        if (err == 0) err = lockByte(fd, kWriterSlot, F_WRLCK);
        break;
    case LockMode::SharedWriter:
        err = lockByte(fd, kReadGate, F_RDLCK);
        if (err == 0) err = lockByte(fd, kWriterSlot, F_WRLCK);
        break;
    case LockMode::SharedReader:
        err = lockByte(fd, kReadGate, F_RDLCK);
        if (err == 0) lockByte(fd, kWriterSlot, F_UNLCK);  // a new file's writer mark
        break;
    }
    if (err != 0) {
        ::close(fd);
        result.error = isConflict(err) ? KmError(errnum::kPermissionDenied, kSource, "Permission denied")
                                       : fileError(err, kSource);
        return result;
    }
    // Later reads and writes through the descriptor may block like any file.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    result.lock.m_fd = fd;
    result.lock.m_mode = mode;
    result.lock.m_path = path;
    return result;
}

bool FileLock::writerElsewhere(int fd) noexcept {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kWriterSlot;
    fl.l_len = 1;
    fl.l_pid = 0;
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

}  // namespace keymora
