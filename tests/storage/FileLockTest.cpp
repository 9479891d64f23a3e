#include "storage/FileLock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "storage/DataFile.h"
#include "testsupport/TempDir.h"

using namespace keymora;

namespace {

// What another instance sees, in a child process: 0 success, 70 in use, else an unexpected failure.
enum class Attempt { Read, Private, SharedWriter, SharedReader };

int outcome(const std::function<void()>& action) {
    try {
        action();
        return 0;
    } catch (const KmError& e) {
        return e.number() == 70 ? 70 : 99;
    } catch (...) {
        return 98;
    }
}

int attemptIn(const std::string& path, Attempt attempt) {
    switch (attempt) {
    case Attempt::Read:
        return outcome([&] {
            if (datafile::ReadFileContents(path) != "contents") throw 1;
        });
    case Attempt::Private:
    case Attempt::SharedWriter:
    case Attempt::SharedReader: {
        const LockMode mode = attempt == Attempt::Private        ? LockMode::Private
                              : attempt == Attempt::SharedWriter ? LockMode::SharedWriter
                                                                 : LockMode::SharedReader;
        LockResult r = FileLock::tryAcquire(path, mode);
        if (r.ok()) return r.lock.held() ? 0 : 97;
        return r.error->number() == 70 ? 70 : 99;
    }
    }
    return 96;
}

int inOtherProcess(const std::string& path, Attempt attempt) {
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) ::_exit(attemptIn(path, attempt));
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -2;
    return WEXITSTATUS(status);
}

class FileLockTest : public ::testing::Test {
protected:
    void SetUp() override { test::writeFile(m_path, "contents"); }
    test::TempDir m_dir;
    std::string m_path = m_dir.file("shared.kmf");
};

}  // namespace

TEST_F(FileLockTest, PrivateHolderShutsEveryoneOut) {
    LockResult held = FileLock::tryAcquire(m_path, LockMode::Private);
    ASSERT_TRUE(held.ok());
    EXPECT_EQ(inOtherProcess(m_path, Attempt::Read), 70);
    EXPECT_EQ(inOtherProcess(m_path, Attempt::Private), 70);
    EXPECT_EQ(inOtherProcess(m_path, Attempt::SharedWriter), 70);
    EXPECT_EQ(inOtherProcess(m_path, Attempt::SharedReader), 70);
    try {
        datafile::ReadFileContents(m_path);
        ADD_FAILURE() << "read a privately held file";
    } catch (const KmError& e) {
        EXPECT_EQ(e.number(), 70);
        EXPECT_EQ(e.description(), "Permission denied");
    }

    held.lock.release();
    EXPECT_FALSE(held.lock.held());
    EXPECT_EQ(inOtherProcess(m_path, Attempt::Read), 0);
    EXPECT_EQ(inOtherProcess(m_path, Attempt::Private), 0);
}

TEST_F(FileLockTest, SharedWriterAdmitsReadersButNoSecondWriter) {
    LockResult writer = FileLock::tryAcquire(m_path, LockMode::SharedWriter);
    ASSERT_TRUE(writer.ok());
    EXPECT_EQ(inOtherProcess(m_path, Attempt::Read), 0);
    EXPECT_EQ(inOtherProcess(m_path, Attempt::SharedReader), 0);
    EXPECT_EQ(inOtherProcess(m_path, Attempt::SharedWriter), 70);
    EXPECT_EQ(inOtherProcess(m_path, Attempt::Private), 70);
    // The second writer's fallback: read only.
    LockResult reader = FileLock::tryAcquire(m_path, LockMode::SharedReader);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(reader.lock.mode(), LockMode::SharedReader);

    // When the writer goes, the slot is free for another instance.
    writer.lock = FileLock();
    EXPECT_EQ(inOtherProcess(m_path, Attempt::SharedWriter), 0);
    // A reader still open keeps a private lock out.
    EXPECT_EQ(inOtherProcess(m_path, Attempt::Private), 70);
}

TEST_F(FileLockTest, ReadersBlockNoReaderNorWriter) {
    LockResult first = FileLock::tryAcquire(m_path, LockMode::SharedReader);
    LockResult second = FileLock::tryAcquire(m_path, LockMode::SharedReader);
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(inOtherProcess(m_path, Attempt::Read), 0);
    EXPECT_EQ(inOtherProcess(m_path, Attempt::SharedReader), 0);
    EXPECT_EQ(inOtherProcess(m_path, Attempt::SharedWriter), 0);
}

TEST_F(FileLockTest, MovingALockKeepsItHeldOnce) {
    LockResult held = FileLock::tryAcquire(m_path, LockMode::Private);
    ASSERT_TRUE(held.ok());
    FileLock moved = std::move(held.lock);
    EXPECT_FALSE(held.lock.held());  // NOLINT(bugprone-use-after-move): moved-from state is defined
    EXPECT_TRUE(moved.held());
    EXPECT_EQ(moved.path(), m_path);
    EXPECT_EQ(inOtherProcess(m_path, Attempt::Read), 70);
    {
        FileLock sink = std::move(moved);
        EXPECT_EQ(inOtherProcess(m_path, Attempt::Read), 70);
    }
    EXPECT_EQ(inOtherProcess(m_path, Attempt::Read), 0);
}

// A writer renamed its file over the path between our open and lock: lock the new one or be refused.
TEST_F(FileLockTest, LockLandsOnTheFileThePathNamesNow) {
    const int stale = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(stale, 0);
    FileLock writer = datafile::replaceFileLocked(m_path, "newer", LockMode::SharedWriter);
    LockResult refused = FileLock::lockOpened(::dup(stale), m_path, LockMode::SharedWriter);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error->number(), 70);

    const FileIdentity current = writer.identity();
    writer.release();
    LockResult locked = FileLock::lockOpened(stale, m_path, LockMode::SharedWriter);
    ASSERT_TRUE(locked.ok());
    EXPECT_EQ(locked.lock.identity(), current);
    EXPECT_EQ(datafile::ReadLockedFile(locked.lock), "newer");
}

TEST_F(FileLockTest, ErrorsOfTheOpenItself) {
    LockResult missing = FileLock::tryAcquire(m_dir.file("missing.kmf"), LockMode::SharedReader);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error->number(), 53);
    EXPECT_FALSE(missing.lock.held());

    LockResult folder = FileLock::tryAcquire(m_dir.path().string(), LockMode::SharedReader);
    ASSERT_FALSE(folder.ok());
    EXPECT_NE(folder.error->number(), 70);

    if (::geteuid() != 0) {
        // A file this user may not write cannot be held for writing: the shared open falls back to read only.
        ASSERT_EQ(::chmod(m_path.c_str(), 0400), 0);
        LockResult writer = FileLock::tryAcquire(m_path, LockMode::SharedWriter);
        ASSERT_FALSE(writer.ok());
        EXPECT_EQ(writer.error->number(), 75);
        EXPECT_TRUE(FileLock::tryAcquire(m_path, LockMode::SharedReader).ok());
    }
}
