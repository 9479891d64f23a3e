// No password, user name or document text reaches the system log on error paths (writers replaced at link).
#include <gtest/gtest.h>

#include <cstdlib>

#include "CliRunner.h"
#include "storage/ModCrypto.h"
#include "support/ClsReg.h"
#include "support/ErrorHandling.h"
#include "support/EventLog.h"
#include "support/SettingsDamage.h"
#include "testsupport/DataFiles.h"
#include "testsupport/TestDocuments.h"

namespace {
std::vector<std::string> g_logged;
}  // namespace

void keymora::eventlog::Write(const std::string& source, const std::string& message) {
    g_logged.push_back(source + ": " + message);
}
void keymora::settingsdamage::Report(const std::string& message) { g_logged.push_back(message); }

namespace keymora::test {
namespace {

TEST(SystemLog, ErrorPathsLogNoSecret) {
    TempDir dir;
    const std::string oldConfig = std::getenv("KEYMORA_CONFIG_DIR") ? std::getenv("KEYMORA_CONFIG_DIR") : "";
    setenv("KEYMORA_CONFIG_DIR", dir.path().c_str(), 1);
    ASSERT_TRUE(clsReg().WriteString(RegRoot::CurrentUser, modErrorHandling::kLogKey, "Enabled", "True"));
    const std::string kmf = dir.file("a.kmf");
    writeDataFile(kmf, docXml(catXml("{C}", "log-category", fullEntryXml("{E}", {"log-entry", "log-login", "log-secret", "log-note", ""}))),
                  "log-user", "log-pass");
    writeFile(dir.file("src.kmf"), readFile(kmf));
    writeFile(dir.file("bad.kmf"), readFile(kmf).substr(0, 40));
    writeFile(dir.file("bad.xml"), "<datafile><log-secret");

    const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
        {{"cat", "-u", "log-user", kmf}, "log-wrong\n"},
        {{"cat", "-u", "log-user", dir.file("bad.kmf")}, "log-pass\n"},
        {{"passwd", "-u", "log-user", kmf}, "log-pass\nlog-new1\nlog-new2\n"},
        {{"import", "-u", "log-user", kmf, dir.path().string()}, "log-pass\n"},
        {{"merge", "-u", "log-user", kmf, dir.file("src.kmf")}, "log-pass\nlog-wrong\n"},
        {{"export", "-u", "log-user", "-o", dir.path().string(), kmf}, "log-pass\n"},
        {{"export", "-u", "log-user", "-o", dir.file("none/x.csv"), kmf}, "log-pass\n"},
        {{"encode", "-u", "log-user", dir.file("bad.xml"), dir.file("b.kmf")}, "log-pass\nlog-pass\n"},
    };
    for (const auto& [args, input] : runs) EXPECT_NE(runInProcess(args, input).status, 0) << args[0];
    // The one error path that is logged today: the cipher refusing its input.
    std::string out;
    EXPECT_THROW(modCrypto::Encrypt("", "log-userlog-pass", out), KmError);

    setenv("KEYMORA_CONFIG_DIR", oldConfig.c_str(), 1);

    ASSERT_FALSE(g_logged.empty());
    for (const std::string& record : g_logged) {
        for (const char* secret : {"log-user", "log-pass", "log-new", "log-wrong", "log-secret",
                                   "log-entry", "log-login", "log-note", "log-category"}) {
            EXPECT_EQ(record.find(secret), std::string::npos) << record;
        }
    }
}

}  // namespace
}  // namespace keymora::test
