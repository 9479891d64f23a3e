// The built keymora-cli on its shipped example file (each command is checked in process elsewhere).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "CliRunner.h"
#include "testsupport/ProcessState.h"
#include "testsupport/TempDir.h"

namespace keymora::test {
namespace {

TEST(ExampleFile, OpensWithTheDocumentedCredentialsAndMatchesItsSource) {
    const std::string kmf = std::string(KEYMORA_SOURCE_DIR) + "/examples/example.kmf";
    const std::string xml = std::string(KEYMORA_SOURCE_DIR) + "/examples/example.xml";
    const auto cat = runProgram({"cat", "-u", "demo", kmf}, "keymora\n");
    ASSERT_EQ(cat.status, 0) << cat.err;
    EXPECT_EQ(cat.out, readFile(xml));

    const auto ls = runInProcess({"ls", "-u", "demo", kmf}, "keymora\n");
    ASSERT_EQ(ls.status, 0) << ls.err;
    EXPECT_NE(ls.out.find("Internet Sites/\n"), std::string::npos);
    EXPECT_NE(ls.out.find("\n    Lab/\n      Raspberry Pi\n"), std::string::npos) << ls.out;
}

// A core file of a program that has read a password would hold it.
TEST(ProgramStart, TurnsCoreDumpsOffBeforeAskingForAPassword) {
    const std::string kmf = std::string(KEYMORA_SOURCE_DIR) + "/examples/example.kmf";
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(input[0], STDIN_FILENO);
        close(input[1]);
        execl(KEYMORA_CLI_PATH, KEYMORA_CLI_PATH, "cat", "-u", "demo", kmf.c_str(), nullptr);
        _exit(127);
    }
    close(input[0]);
    // The program now waits for the password on its standard input.
    bool off = false;
    for (int i = 0; i < 100 && !off; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        off = coreDumpsOff(pid);
    }
    close(input[1]);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(off);
}

}  // namespace
}  // namespace keymora::test
