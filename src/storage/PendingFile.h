#pragma once
// The new contents of a file while they are written, before they replace it.
// Nobody else can read them: the file has no name at all where the file
// system allows it (so it vanishes with the program if that dies), else a
// hidden name ".<name>.XXXXXX" next to the target; either way it is created
// readable by its owner only, before any byte is in it. It carries a writer's
// lock from the start, so a hidden file left by a killed program can be told
// from one being written, and is removed at the next write of the target.
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace keymora {

class PendingFile {
public:
    // In the folder of target (already resolved, not a link). Throws KmError;
    // with ownerOnly also when the folder's file system cannot keep others out.
    PendingFile(const std::string& target, bool ownerOnly);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int fd() const noexcept { return m_fd; }
    void write(std::string_view bytes);
    // Flushes the bytes to disk; then, when keep is given, takes over its
    // permissions and group.
    void finish(const struct stat* keep);
    // Puts the file in place of the target, closes its descriptor (a lock
    // taken on a duplicate stays) and flushes the folder.
    void commit();

    // Removes hidden files of the target's pattern, owned by this user, that
    // nobody is writing any more.
    static void removeLeftovers(const std::string& target) noexcept;

private:
    std::string m_target;
    std::string m_name;  // the hidden name, once it has one
    int m_fd = -1;
};

}  // namespace keymora
