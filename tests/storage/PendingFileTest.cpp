// New contents before they replace a file: unreadable to others, and nothing readable after a kill.
#include "storage/PendingFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "storage/DataFile.h"
#include "storage/FileLock.h"
#include "testsupport/TempDir.h"

using namespace keymora;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(PendingFile, OwnerOnlyBeforeTheFirstByteWhateverTheUmask) {
    test::TempDir dir;
    const mode_t old = ::umask(0);
    {
        PendingFile pending(dir.file("out.csv"), true);
        struct stat st {};
        ASSERT_EQ(::fstat(pending.fd(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        EXPECT_EQ(st.st_size, 0);
    }
    ::umask(old);
    EXPECT_TRUE(namesIn(dir.path()).empty());  // given up: nothing stays
}

TEST(PendingFile, KilledWhileWritingLeavesNoCopy) {
    test::TempDir dir;
    const std::string target = dir.file("a.kmf");
    test::writeFile(target, "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PendingFile pending(target, true);
        pending.write("secret text");
        pending.finish(nullptr);
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    // Without unnamed files, a hidden copy stays until the next write of the same file removes it.
    if (namesIn(dir.path()).size() > 1) datafile::writeFileAtomically(target, "old");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"a.kmf"});
    EXPECT_EQ(test::readFile(target), "old");
}

TEST(PendingFile, LeftoversAreRemovedButNotAFileBeingWritten) {
    test::TempDir dir;
    const std::string target = dir.file("a.kmf");
    test::writeFile(dir.file(".a.kmf.Ab12Cd"), "left by a killed program");
    test::writeFile(dir.file(".a.kmf.Zz99Yy"), "being written");
    test::writeFile(dir.file(".b.kmf.Ab12Cd"), "another file's");
    const int live = ::open(dir.file(".a.kmf.Zz99Yy").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(live, 0);
    ASSERT_EQ(FileLock::holdWriterSlot(live), 0);

    datafile::writeFileAtomically(target, "new");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{".a.kmf.Zz99Yy", ".b.kmf.Ab12Cd", "a.kmf"}));
    ::close(live);
    datafile::writeFileAtomically(target, "newer");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{".b.kmf.Ab12Cd", "a.kmf"}));
}
