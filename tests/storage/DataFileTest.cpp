#include "storage/DataFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "storage/Container.h"
#include "testsupport/TempDir.h"

using namespace keymora;
namespace fs = std::filesystem;

namespace {

// UTF-8: "Café", a euro sign, and Chinese text that Windows-1252 lacks.
const std::string kXml =
    "<datafile version=\"1.0\" filetype=\"private\"><records>"
    "<category type=\"category\" name=\"Caf\xC3\xA9 \xE2\x82\xAC\" id=\"{A}\">"
    "<record_detail type=\"entry\" id=\"{B}\"><resource>\xE4\xB8\xAD\xE6\x96\x87</resource>"
    "<password>p&amp;ss&lt;</password></record_detail></category></records></datafile>";

std::unique_ptr<XmlDoc> parsed(const std::string& xml) {
    auto doc = std::make_unique<XmlDoc>();
    EXPECT_TRUE(doc->loadXml(xml));
    return doc;
}

std::size_t filesIn(const fs::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

int modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return static_cast<int>(st.st_mode & 07777);
}

}  // namespace

TEST(DataFile, SaveThenOpenGivesTheDocumentBack) {
    const auto doc = parsed(kXml);
    // What the bytes on disk hold is StreamingEncoderTest's.
    const std::string bytes = datafile::saveDocument(*doc, "user", "pass");
    const auto opened = datafile::openDocument("a.kmf", bytes, "user", "pass");
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->xml(), kXml);
    // The boundary between user name and password is not part of the key.
    EXPECT_NE(datafile::openDocument("a.kmf", bytes, "us", "erpass"), nullptr);
}

TEST(DataFile, WrongCredentialsAndDamageGiveNothing) {
    const auto doc = parsed(kXml);
    const std::string bytes = datafile::saveDocument(*doc, "user", "pass");
    EXPECT_EQ(datafile::openDocument("a.kmf", bytes, "user", "Pass"), nullptr);
    // Damage to the file is ContainerTest's. A payload that expands but is not XML.
    const std::string notXml = container::encode("just some words", "userpass");
    EXPECT_EQ(datafile::openDocument("a.kmf", notXml, "user", "pass"), nullptr);
}

TEST(DataFile, ReadFileContentsAndItsErrors) {
    test::TempDir dir;
    const std::string path = dir.file("a.kmf");
    std::string bytes;
    for (int i = 0; i < 100000; ++i) bytes.push_back(static_cast<char>(i * 7));
    test::writeFile(path, bytes);
    EXPECT_EQ(datafile::ReadFileContents(path), bytes);
    test::writeFile(path, "");
    EXPECT_EQ(datafile::ReadFileContents(path), "");

    // A folder and a named pipe are refused without hanging.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    for (const std::string& odd : {dir.path().string(), dir.file("pipe")}) {
        try {
            datafile::ReadFileContents(odd);
            ADD_FAILURE() << odd;
        } catch (const KmError& e) {
            EXPECT_NE(e.number(), 53);
            EXPECT_NE(e.number(), 70);
            EXPECT_EQ(datafile::errorMessage(e).rfind("Error: ", 0), 0u);
        }
    }
}

TEST(DataFile, AtomicWriteCreatesPrivateFilesAndKeepsModes) {
    test::TempDir dir;
    const std::string path = dir.file("new.kmf");
    datafile::writeFileAtomically(path, "first");
    EXPECT_EQ(test::readFile(path), "first");
    EXPECT_EQ(modeOf(path), 0600);

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    datafile::writeFileAtomically(path, "second, longer");
    EXPECT_EQ(test::readFile(path), "second, longer");
    EXPECT_EQ(modeOf(path), 0640);
    datafile::writeFileAtomically(path, "3");
    EXPECT_EQ(test::readFile(path), "3");
    EXPECT_EQ(filesIn(dir.path()), 1u);  // no temporary file left

    // A link is followed: the file it names is replaced, the link stays.
    const std::string link = dir.file("link.kmf");
    fs::create_symlink(path, link);
    datafile::writeFileAtomically(link, "via link");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::readFile(path), "via link");
}

TEST(DataFile, FailedWriteKeepsTheOldFile) {
    test::TempDir dir;
    const std::string path = dir.file("keep.kmf");
    test::writeFile(path, "old contents");

    // A missing folder.
    EXPECT_THROW(datafile::writeFileAtomically(dir.file("nope/x.kmf"), "new"), KmError);

    // A write that runs out of room, in a child limited to small files.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            datafile::writeFileAtomically(path, std::string(100000, 'n'));
        } catch (const KmError&) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(test::readFile(path), "old contents");
    EXPECT_EQ(filesIn(dir.path()), 1u);

    // An unwritable folder (the superuser writes anyway).
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
        EXPECT_THROW(datafile::writeFileAtomically(path, "new"), KmError);
        ASSERT_EQ(::chmod(dir.path().c_str(), 0700), 0);
        EXPECT_EQ(test::readFile(path), "old contents");
    }
}

TEST(DataFile, AtomicWriteRespectsOtherWritersLocks) {
    test::TempDir dir;
    const std::string path = dir.file("locked.kmf");
    test::writeFile(path, "old");

    LockResult other = FileLock::tryAcquire(path, LockMode::SharedWriter);
    ASSERT_TRUE(other.ok());
    try {
        datafile::writeFileAtomically(path, "new");
        ADD_FAILURE() << "replaced a file another writer holds";
    } catch (const KmError& e) {
        EXPECT_EQ(e.number(), 70);
    }
    EXPECT_EQ(test::readFile(path), "old");
    // The holder itself may write, and gets the new file locked at once.
    FileLock moved = datafile::replaceFileLocked(path, "new", LockMode::SharedWriter, &other.lock);
    other.lock.release();
    EXPECT_EQ(test::readFile(path), "new");
    ASSERT_TRUE(moved.held());
    EXPECT_EQ(moved.mode(), LockMode::SharedWriter);

    // A reader's lock does not stop a writer.
    moved.release();
    LockResult reader = FileLock::tryAcquire(path, LockMode::SharedReader);
    ASSERT_TRUE(reader.ok());
    datafile::writeFileAtomically(path, "newer");
    EXPECT_EQ(test::readFile(path), "newer");
}
