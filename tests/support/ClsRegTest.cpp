#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/ClsReg.h"
#include "support/SettingsDamage.h"
#include "support/RegFile.h"
#include "testsupport/TempDir.h"

using keymora::clsReg;
using keymora::RegRoot;
using namespace keymora::test;

namespace {

constexpr RegRoot HKCU = RegRoot::CurrentUser;
const std::string kOptions = keymora::kOptionsKey;

std::vector<std::string> g_reports;

}  // namespace

// Stands in for the program's report (standard error and syslog) so damage reports can be counted.
void keymora::settingsdamage::Report(const std::string& message) { g_reports.push_back(message); }

namespace {

std::vector<std::filesystem::path> asideFiles(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> out;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename().string().rfind("settings.reg.damaged-", 0) == 0)
            out.push_back(entry.path());
    return out;
}

// The permission bits of the file, or -1 when it cannot be looked at.
int modeOf(const std::filesystem::path& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

std::string processValue(int process, int i) { return "p" + std::to_string(process) + "-" + std::to_string(i); }

class ClsRegTest : public ::testing::Test {
protected:
    void SetUp() override { g_reports.clear(); }

    TempDir m_dir;
    std::string m_path = m_dir.file("settings.reg");
    clsReg m_reg{m_path};
};

TEST_F(ClsRegTest, ReadsCreateNothingAndWritesCreateTheKeyAndItsParents) {
    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "clipboard timeout", "2000"), "2000");
    EXPECT_FALSE(m_reg.KeyExist(HKCU, kOptions));
    EXPECT_FALSE(std::filesystem::exists(m_path));

    ASSERT_TRUE(m_reg.WriteString(HKCU, kOptions, "use compression", "1"));
    EXPECT_TRUE(m_reg.KeyExist(HKCU, "Software"));
    EXPECT_TRUE(m_reg.KeyExist(HKCU, kOptions));
    EXPECT_FALSE(m_reg.KeyExist(HKCU, "Software\\Orrindale\\Keymora\\MRU"));

    ASSERT_TRUE(m_reg.CreateKey(HKCU, keymora::kMruKey));
    EXPECT_TRUE(m_reg.KeyExist(HKCU, keymora::kMruKey));
    EXPECT_TRUE(m_reg.ListValues(HKCU, keymora::kMruKey).empty());
    // Creating an existing key succeeds and keeps its values.
    EXPECT_TRUE(m_reg.CreateKey(HKCU, kOptions));
    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "use compression", ""), "1");

    // A fresh object on the same file sees everything: nothing lives in memory.
    clsReg other(m_path);
    EXPECT_TRUE(other.KeyExist(HKCU, keymora::kMruKey));
    EXPECT_EQ(other.ReadString(HKCU, kOptions, "use compression", ""), "1");

    EXPECT_FALSE(m_reg.WriteString(HKCU, "Software\\\\Bad", "x", "1"));
    EXPECT_FALSE(m_reg.CreateKey(HKCU, "A\\\\B"));
}

// How each byte and spelling is written is RegFileTest's; the store hands names, texts and keys over whole.
TEST_F(ClsRegTest, TextsAndNamesReachTheFileWhole) {
    const std::string nul("nul\0inside", 10);
    const std::string deep = "[k]\\a=b\\ d \\\xFF\x01";
    const std::string longText(100000, 'a');
    ASSERT_TRUE(m_reg.WriteString(HKCU, "Tricky", "na=me", nul));
    ASSERT_TRUE(m_reg.WriteString(HKCU, "Tricky", "", "line\nbreak\r\nend"));
    ASSERT_TRUE(m_reg.WriteString(HKCU, deep, "\n", "deep"));
    ASSERT_TRUE(m_reg.WriteString(HKCU, "K", "long", longText));
    ASSERT_TRUE(m_reg.WriteString(HKCU, "K", "empty", ""));

    clsReg fresh(m_path);
    EXPECT_EQ(fresh.ReadString(HKCU, "Tricky", "na=me", "dflt"), nul);
    EXPECT_EQ(fresh.ReadString(HKCU, "Tricky", "", "dflt"), "line\nbreak\r\nend");
    EXPECT_EQ(fresh.ReadString(HKCU, deep, "\n", "dflt"), "deep");
    EXPECT_EQ(fresh.ReadString(HKCU, "K", "long", "dflt"), longText);
    EXPECT_EQ(fresh.ReadString(HKCU, "K", "empty", "dflt"), "");  // a value, not a missing one
    const auto tricky = fresh.ListValues(HKCU, "Tricky");
    ASSERT_EQ(tricky.size(), 2U);
    EXPECT_EQ(tricky[1].name, "");
    EXPECT_TRUE(g_reports.empty());
}

// Only a key without sub-keys goes, as in the registry.
TEST_F(ClsRegTest, DeleteKeyRemovesOnlyKeysWithoutSubKeys) {
    ASSERT_TRUE(m_reg.WriteString(HKCU, "Root\\A\\Deep", "x", "1"));
    ASSERT_TRUE(m_reg.CreateKey(HKCU, "Root A"));  // a sibling whose name shares the prefix
    EXPECT_FALSE(m_reg.DeleteKey(HKCU, "Root\\A"));
    EXPECT_TRUE(m_reg.DeleteKey(HKCU, "root\\a\\DEEP"));
    EXPECT_FALSE(m_reg.DeleteKey(HKCU, "Root\\A\\Deep"));  // already gone
    EXPECT_EQ(m_reg.ReadString(HKCU, "Root\\A\\Deep", "x", "gone"), "gone");
    EXPECT_TRUE(m_reg.DeleteKey(HKCU, "Root\\A"));
    EXPECT_TRUE(m_reg.DeleteKey(HKCU, "Root"));
    EXPECT_TRUE(m_reg.KeyExist(HKCU, "Root A"));
    EXPECT_FALSE(m_reg.DeleteKey(HKCU, ""));
}

TEST_F(ClsRegTest, FileAndFolderAreReadableOnlyByTheOwner) {
    const mode_t oldMask = umask(0);
    const std::string nested = (m_dir.path() / "cfg" / "keymora" / "settings.reg").string();
    clsReg reg(nested);
    const bool written = reg.WriteString(HKCU, kOptions, "x", "1");
    umask(oldMask);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(nested), 0600);
    EXPECT_EQ(modeOf(m_dir.path() / "cfg" / "keymora"), 0700);
    EXPECT_EQ(modeOf(nested + ".lock"), 0600);

    // A file someone loosened is replaced by a private one on the next write.
    ASSERT_EQ(chmod(nested.c_str(), 0644), 0);
    ASSERT_TRUE(reg.WriteString(HKCU, kOptions, "x", "2"));
    EXPECT_EQ(modeOf(nested), 0600);
    // No temporary files are left behind.
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.path() / "cfg" / "keymora"))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
}

// Puts the variable back as it was when the test ends.
struct EnvGuard {
    explicit EnvGuard(const char* n) : name(n) {
        if (const char* v = std::getenv(n)) old = v;
    }
    ~EnvGuard() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};

TEST(ClsRegLocation, FollowsTheEnvironment) {
    EnvGuard own("KEYMORA_CONFIG_DIR");
    EnvGuard xdg("XDG_CONFIG_HOME");
    EnvGuard home("HOME");
    setenv("HOME", "/home/someone", 1);
    unsetenv("KEYMORA_CONFIG_DIR");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(clsReg::defaultFilePath(), "/home/someone/.config/keymora/settings.reg");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(clsReg::defaultFilePath(), "/home/someone/.config/keymora/settings.reg");
    setenv("XDG_CONFIG_HOME", "/xdg", 1);
    EXPECT_EQ(clsReg::defaultFilePath(), "/xdg/keymora/settings.reg");
    setenv("KEYMORA_CONFIG_DIR", "/tmp/elsewhere", 1);
    EXPECT_EQ(clsReg::defaultFilePath(), "/tmp/elsewhere/settings.reg");

    TempDir dir;
    setenv("KEYMORA_CONFIG_DIR", dir.path().c_str(), 1);
    clsReg reg;
    ASSERT_TRUE(reg.WriteString(HKCU, kOptions, "x", "1"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "settings.reg"));
}

// Several processes writing at once must not lose one another's values.
TEST_F(ClsRegTest, ConcurrentProcessesLoseNothing) {
    constexpr int kProcesses = 3;
    constexpr int kWrites = 40;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            clsReg reg(m_path);
            int failures = 0;
            for (int i = 0; i < kWrites; ++i)
                if (!reg.WriteString(HKCU, keymora::kMruKey, processValue(p, i), processValue(p, i) + "-value"))
                    ++failures;
            _exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(m_reg.ListValues(HKCU, keymora::kMruKey).size(),
              static_cast<std::size_t>(kProcesses * kWrites));
    for (int p = 0; p < kProcesses; ++p)
        for (int i = 0; i < kWrites; ++i)
            EXPECT_EQ(m_reg.ReadString(HKCU, keymora::kMruKey, processValue(p, i), ""), processValue(p, i) + "-value");
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(ClsRegTest, ConcurrentThreadsLoseNothing) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([this, t] {
            clsReg reg(m_path);
            for (int i = 0; i < 40; ++i) reg.WriteString(HKCU, "T", processValue(t, i), "v");
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(m_reg.ListValues(HKCU, "T").size(), 80U);
}

TEST_F(ClsRegTest, GarbageFileIsReportedOnceSetAsideAndReadAsEmpty) {
    std::string junk = "\x7F" "ELF\x01\x02";
    junk += std::string("\0\0\xFF\n[broken", 12);
    std::mt19937 rng(7);
    for (int i = 0; i < 4000; ++i) junk.push_back(static_cast<char>(rng() & 0xFFU));
    writeFile(m_path, junk);

    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "clipboard timeout", "2000"), "2000");
    EXPECT_FALSE(m_reg.KeyExist(HKCU, kOptions));
    ASSERT_EQ(g_reports.size(), 1U);
    EXPECT_THAT(g_reports[0], ::testing::HasSubstr("settings.reg"));
    EXPECT_FALSE(std::filesystem::exists(m_path));
    const auto aside = asideFiles(m_dir.path());
    ASSERT_EQ(aside.size(), 1U);
    EXPECT_EQ(readFile(aside[0].string()), junk);  // nothing is destroyed

    ASSERT_TRUE(m_reg.WriteString(HKCU, kOptions, "clipboard timeout", "3000"));
    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "clipboard timeout", ""), "3000");
    EXPECT_EQ(g_reports.size(), 1U);
}

TEST_F(ClsRegTest, DamageFoundByAWriteIsSetAsideBeforeWriting) {
    writeFile(m_path, "#keymora-sett");  // cut inside the first line
    ASSERT_TRUE(m_reg.WriteString(HKCU, kOptions, "x", "1"));
    EXPECT_EQ(g_reports.size(), 1U);
    ASSERT_EQ(asideFiles(m_dir.path()).size(), 1U);
    EXPECT_EQ(readFile(asideFiles(m_dir.path())[0].string()), "#keymora-sett");
    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "x", ""), "1");
}

// Which lines are unreadable is RegFileTest's; the store reports them once, without their text, and goes on.
TEST_F(ClsRegTest, UnreadableLinesAreSkippedAndTheRestIsKept) {
    const std::string text = std::string(keymora::regfile::kHeader) +
                             "\n[Software\\Orrindale\\Keymora\\options]\n"
                             "clipboard timeout=s:5000\n"
                             "password=s:hunter2%4\n"  // escape cut short
                             "[unclosed\n"
                             "orphan=s:lost with its section\n"
                             "[Software\\Orrindale\\Keymora\\MRU]\n"
                             "File1=s:/home/u/a.kmf\n"
                             "File2=s:/home/u/b.k";  // last line without its newline
    writeFile(m_path, text);

    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "clipboard timeout", ""), "5000");
    EXPECT_EQ(m_reg.ReadString(HKCU, keymora::kMruKey, "File1", ""), "/home/u/a.kmf");
    EXPECT_EQ(m_reg.ReadString(HKCU, keymora::kMruKey, "File2", ""), "/home/u/b.k");
    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "password", "dflt"), "dflt");
    ASSERT_EQ(g_reports.size(), 1U);
    EXPECT_THAT(g_reports[0], ::testing::HasSubstr("3 unreadable line"));
    EXPECT_THAT(g_reports[0], ::testing::Not(::testing::HasSubstr("hunter2")));
    EXPECT_THAT(g_reports[0], ::testing::Not(::testing::HasSubstr("lost with")));

    // The file as it was is kept, and the store itself was rewritten clean.
    const auto aside = asideFiles(m_dir.path());
    ASSERT_EQ(aside.size(), 1U);
    EXPECT_EQ(readFile(aside[0].string()), text);
    const auto reparsed = keymora::regfile::parse(readFile(m_path));
    EXPECT_TRUE(reparsed.headerOk);
    EXPECT_TRUE(reparsed.badLines.empty());
    EXPECT_EQ(m_reg.ListValues(HKCU, kOptions).size(), 1U);
    EXPECT_EQ(g_reports.size(), 1U);
}

TEST_F(ClsRegTest, AbsurdlyLargeFileIsSetAsideWithoutBeingRead) {
    writeFile(m_path, std::string(keymora::regfile::kHeader) + "\n");
    std::filesystem::resize_file(m_path, keymora::regfile::kMaxFileSize + 1);
    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "x", "dflt"), "dflt");
    EXPECT_EQ(g_reports.size(), 1U);
    EXPECT_EQ(asideFiles(m_dir.path()).size(), 1U);

    // A write that would make the file that large is refused instead.
    EXPECT_FALSE(
        m_reg.WriteString(HKCU, kOptions, "big", std::string(keymora::regfile::kMaxFileSize, 'x')));
    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "big", "dflt"), "dflt");
}

TEST_F(ClsRegTest, SettingsPathThatIsAFolderFailsCleanly) {
    std::filesystem::create_directory(m_path);
    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "x", "dflt"), "dflt");
    EXPECT_FALSE(m_reg.WriteString(HKCU, kOptions, "x", "1"));
    EXPECT_FALSE(m_reg.KeyExist(HKCU, kOptions));
    EXPECT_TRUE(std::filesystem::is_directory(m_path));
    ASSERT_EQ(g_reports.size(), 1U);
    EXPECT_THAT(g_reports[0], ::testing::HasSubstr("(it is not a plain file)"));
}

// A named pipe in place of the file must not block: a hanging child is stopped by its alarm.
TEST_F(ClsRegTest, NamedPipeInPlaceOfTheFileDoesNotBlock) {
    ASSERT_EQ(::mkfifo(m_path.c_str(), 0600), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(20);
        const bool ok = m_reg.ReadString(HKCU, kOptions, "x", "dflt") == "dflt" &&
                        !m_reg.WriteString(HKCU, kOptions, "x", "1");
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Settings kept elsewhere through a link stay there.
TEST_F(ClsRegTest, ALinkedSettingsFileIsWrittenThrough) {
    const std::string target = m_dir.file("elsewhere.reg");
    std::filesystem::create_symlink("elsewhere.reg", m_path);
    ASSERT_TRUE(m_reg.WriteString(HKCU, kOptions, "x", "1"));
    ASSERT_TRUE(m_reg.WriteString(HKCU, kOptions, "y", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(m_path));
    EXPECT_THAT(readFile(target), ::testing::HasSubstr("y=s:2"));
    EXPECT_EQ(m_reg.ReadString(HKCU, kOptions, "x", "dflt"), "1");
}

}  // namespace
