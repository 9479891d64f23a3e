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

LockResult FileLock::tryAcquire(const std::string& path, LockMode mode) {
    LockResult result;
    const bool writing = mode != LockMode::SharedReader;
    const int flags = (writing ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        // A file this user may not write is not "in use": the system's reason
        // (error 75, as for a file that may not be read) tells what to fix.
        result.error = fileError(errno, kSource);
        return result;
    }
    return adopt(fd, path, mode);
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
