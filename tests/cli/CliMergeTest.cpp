// merge end to end: sources unlocked in order, failures reported per source.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>

#include "CliRunner.h"
#include "testsupport/TestDocuments.h"

namespace keymora::test {
namespace {

const std::string kDestXml =
    docXml(catXml("{C1}", "Personal Information", subXml("{S1}", "Mine", entryXml("{E1}", "Passport"))) +
           catXml("{C2}", "banking"));

// Same identifiers as the destination, on purpose: they must not stop the merge.
const std::string kSourceOneXml =
    docXml(catXml("{C1}", "Personal Information",
                  subXml("{S1}", "Mine", entryXml("{E1}", "Passport") + entryXml("{E2}", "Visa"))) +
           catXml("{C3}", "Banking", entryXml("{E3}", "Checking")));

const std::string kSourceTwoXml = docXml(catXml("{C4}", "Games", entryXml("{E4}", "Arcade")));
const std::string kTwoMerged = ": 1 entry merged; categories: 1 added, 0 matched; sub-categories: 0 added, 0 matched\n";
const std::string kWrongPassword = ": Document Merge failed.  Decryption Error.  Username or Password incorrect.\n";

class MergeFiles : public ::testing::Test {
protected:
    void SetUp() override {
        writeDataFile(dest, kDestXml, "ann", "d-pw");
        writeDataFile(srcOne, kSourceOneXml, "ann", "one-pw");
        writeDataFile(srcTwo, kSourceTwoXml, "ann", "two-pw");
    }
    TempDir dir;
    std::string dest = dir.file("dest.kmf");
    std::string srcOne = dir.file("one.kmf");
    std::string srcTwo = dir.file("two.kmf");

    CliResult merge(const std::string& input, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"merge", "-u", "ann"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(dest);
        args.push_back(srcOne);
        args.push_back(srcTwo);
        return runInProcess(args, input);
    }
    std::string ls() { return runInProcess({"ls", "-u", "ann", dest}, "d-pw\n").out; }
    std::size_t entriesInDest() { return readDataFile(dest, "ann", "d-pw")->dom().select_nodes("//record_detail").size(); }
    std::string unchanged() { return "Nothing was merged; " + dest + " was not changed.\n"; }
};

TEST_F(MergeFiles, MergesEverySourceByNameAndSummarises) {
    const auto r = merge("d-pw\none-pw\ntwo-pw\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, srcOne + ": 3 entries merged; categories: 1 added, 1 matched; sub-categories: 0 added, 1 matched\n" +
                         srcTwo + kTwoMerged + "Merge complete.\n");
    EXPECT_EQ(entriesInDest(), 5u);
}

TEST_F(MergeFiles, AWrongSourcePasswordSkipsThatSourceOnly) {
    const auto r = merge("d-pw\nWRONG\ntwo-pw\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, srcTwo + kTwoMerged + srcOne + kWrongPassword + "Merge complete.\n");
    EXPECT_EQ(ls(), "Personal Information/\n  Mine/\n    Passport\nbanking/\nGames/\n  Arcade\n");
}

TEST_F(MergeFiles, NothingMergedLeavesTheDestinationByteForByte) {
    const std::string before = readFile(dest);
    const auto r = merge("d-pw\nWRONG\npassword\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, srcOne + kWrongPassword + srcTwo +
                         ": A Password is required to continue.\nThe word \"Password\" will not be accepted.\n" +
                         unchanged());
    EXPECT_EQ(readFile(dest), before);

    // Running out of passwords is a failure of the sources that got none.
    const auto shortInput = merge("d-pw\n");
    EXPECT_EQ(shortInput.status, 1);
    EXPECT_NE(shortInput.err.find(srcTwo + ": No password was given on standard input.\n"),
              std::string::npos)
        << shortInput.err;
    EXPECT_EQ(readFile(dest), before);
}

TEST_F(MergeFiles, SharedAndMissingSourcesAreRefused) {
    writeDataFile(srcOne, docXml(catXml("{C5}", "S"), "shared"), "ann", "one-pw");
    std::filesystem::remove(srcTwo);
    const std::string before = readFile(dest);
    const auto r = merge("d-pw\none-pw\ntwo-pw\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, srcOne + ": Source Documents on a merge operation may not be a SHARED document.\n" +
                         srcTwo + ": Error: 53\nDescription: File Not Found\n" + unchanged());
    EXPECT_EQ(readFile(dest), before);
}

TEST_F(MergeFiles, TheDestinationUnderAnotherNameIsRefused) {
    const std::string link = dir.file("link.kmf");
    const std::string hard = dir.file("hard.kmf");
    std::filesystem::create_symlink(dest, link);
    std::filesystem::create_hard_link(dest, hard);
    const std::string before = readFile(dest);
    const auto r = runInProcess({"merge", "-u", "ann", dest, link, hard, dir.file("./dest.kmf")}, "d-pw\n");
    EXPECT_EQ(r.status, 1);
    const std::string refused = ": A data file cannot be merged into itself: every entry would be there twice.\n";
    EXPECT_EQ(r.err, link + refused + hard + refused + dir.file("./dest.kmf") + refused + unchanged());
    EXPECT_EQ(readFile(dest), before);
}

// Unwritable for this process: by its mode, or for root by the immutable flag; undone on destruction.
struct Unwritable {
    explicit Unwritable(std::string p) : path(std::move(p)) {
        if (::geteuid() != 0) {
            done = ::chmod(path.c_str(), 0400) == 0;
            return;
        }
        done = setFlag(true);
    }
    ~Unwritable() {
        if (done && ::geteuid() == 0) setFlag(false);
    }
    bool setFlag(bool on) const {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        int flags = 0;
        const bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                        ::ioctl(fd, FS_IOC_SETFLAGS, &(flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL)) == 0;
        if (fd >= 0) ::close(fd);
        return ok;
    }
    std::string path;
    bool done = false;
};

// The file cannot be written: that is the reason given, not "File in use".
TEST_F(MergeFiles, AnUnwritableDestinationOrPasswdFileSaysWhy) {
    const Unwritable guard(dest);
    if (!guard.done) GTEST_SKIP() << "cannot make a file unwritable here";
    for (const auto& args : {std::vector<std::string>{"merge", "-u", "ann", dest, srcTwo},
                             std::vector<std::string>{"passwd", "-u", "ann", dest}}) {
        const auto r = runInProcess(args, "d-pw\ntwo-pw\n");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind("Error: 75\nDescription: Path/File access error", 0), 0u) << r.err;
    }
}

TEST_F(MergeFiles, SourcesMayHaveTheirOwnUserName) {
    writeDataFile(srcOne, kSourceOneXml, "bob", "one-pw");
    writeDataFile(srcTwo, kSourceTwoXml, "bob", "two-pw");
    const auto r = merge("d-pw\none-pw\ntwo-pw\n", {"--source-user", "bob"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(entriesInDest(), 5u);
}

}  // namespace
}  // namespace keymora::test
