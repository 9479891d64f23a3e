#include "storage/PendingFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>

#include "storage/FileErrors.h"
#include "storage/FileLock.h"

namespace keymora {

namespace {

constexpr const char* kSource = "WriteDataFile";
constexpr std::size_t kSuffixLength = 6;
constexpr char kSuffixChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string hiddenPrefix(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return "." + (slash == std::string::npos ? path : path.substr(slash + 1)) + ".";
}

std::string hiddenName(const std::string& target) {
    unsigned char random[kSuffixLength] = {};
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        throw fileError(errno, kSource);
    }
    std::string name = folderOf(target) + "/" + hiddenPrefix(target);
    for (unsigned char r : random) name += kSuffixChars[r % (sizeof kSuffixChars - 1)];
    return name;
}

bool isLeftoverName(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + kSuffixLength || name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

// An unnamed file needs /proc to be given a name later without privileges.
int openUnnamed(const std::string& folder) noexcept {
    if (::access("/proc/self/fd", X_OK) != 0) return -1;
    return ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
}

}  // namespace

PendingFile::PendingFile(const std::string& target, bool ownerOnly) : m_target(target) {
    m_fd = openUnnamed(folderOf(target));
    if (m_fd < 0) {
        // mkostemp creates the file 0600.
        std::string name = folderOf(target) + "/" + hiddenPrefix(target) + "XXXXXX";
        m_fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (m_fd < 0) throw fileError(errno, kSource);
        m_name = name;
    }
    FileLock::holdWriterSlot(m_fd);
    // Neither the umask nor a folder's default access list may open it to others.
    struct stat st {};
    if (::fchmod(m_fd, 0600) != 0 || ::fstat(m_fd, &st) != 0) throw fileError(errno, kSource);
    if (ownerOnly && (st.st_mode & 077) != 0) throw KmError(75, kSource, "Path/File access error");
}

PendingFile::~PendingFile() {
    if (!m_name.empty()) ::unlink(m_name.c_str());
    if (m_fd >= 0) ::close(m_fd);
}

void PendingFile::write(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw fileError(errno, kSource);
        }
        done += static_cast<std::size_t>(n);
    }
}

void PendingFile::finish(const struct stat* keep) {
    if (::fsync(m_fd) != 0) throw fileError(errno, kSource);
    if (keep == nullptr) return;
    if (::fchmod(m_fd, keep->st_mode & 07777) != 0) throw fileError(errno, kSource);
    // The group where allowed; a file of another group stays ours.
    [[maybe_unused]] const int ignored = ::fchown(m_fd, static_cast<uid_t>(-1), keep->st_gid);
}

void PendingFile::commit() {
    if (m_name.empty()) {
        // rename cannot take a descriptor: the unnamed file gets a hidden name
        // for the moment between link and rename.
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        for (int attempt = 0; m_name.empty(); ++attempt) {
            std::string name = hiddenName(m_target);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_name = name;
            } else if (errno != EEXIST || attempt == 16) {
                throw fileError(errno, kSource);
            }
        }
    }
    if (::rename(m_name.c_str(), m_target.c_str()) != 0) throw fileError(errno, kSource);
    m_name.clear();
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) throw fileError(errno, kSource);

    // The rename itself must survive a crash too.
    const int folder = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void PendingFile::removeLeftovers(const std::string& target) noexcept {
    DIR* dir = ::opendir(folderOf(target).c_str());
    if (dir == nullptr) return;
    const std::string prefix = hiddenPrefix(target);
    const uid_t self = ::geteuid();
    while (const struct dirent* entry = ::readdir(dir)) {
        if (!isLeftoverName(entry->d_name, prefix)) continue;
        const int fd = ::openat(::dirfd(dir), entry->d_name,
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) continue;
        struct stat st {};
        // A writer still at work holds its file's writer slot.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == self &&
            !FileLock::writerElsewhere(fd)) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(dir);
}

}  // namespace keymora
