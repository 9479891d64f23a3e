// With a terminal on standard input the password is asked there, without echo.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "testsupport/TempDir.h"

namespace keymora::test {
namespace {

// Reads the terminal's master side until `until` (empty: until closed); gives up after 20 s.
std::string readUntil(int master, const std::string& until) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!until.empty() && got.find(until) != std::string::npos) break;
        pollfd pfd{master, POLLIN, 0};
        if (poll(&pfd, 1, 200) <= 0) continue;
        char buf[512];
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) break;  // EIO once the program has closed the terminal
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

TEST(CliTerminal, AsksThePasswordWithoutEchoingIt) {
    const std::string kmf = std::string(KEYMORA_SOURCE_DIR) + "/examples/example.kmf";
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(KEYMORA_CLI_PATH, KEYMORA_CLI_PATH, "ls", "-u", "demo", kmf.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    const std::string prompt = readUntil(master, "Password to unlock example.kmf: ");
    ASSERT_NE(prompt.find("Password to unlock example.kmf: "), std::string::npos) << prompt;
    const std::string typed = "keymora\n";
    ASSERT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));

    const std::string rest = readUntil(master, "");
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 200 && done == 0; ++i) {
        done = waitpid(pid, &status, WNOHANG);
        if (done == 0) usleep(50 * 1000);
    }
    if (done == 0) {
        // Still waiting for input: fail rather than hang.
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "the program did not finish: " << rest;
    }
    close(master);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << rest;
    EXPECT_NE(rest.find("Internet Sites/"), std::string::npos) << rest;
    EXPECT_EQ(rest.find("keymora"), std::string::npos) << "the password was echoed: " << rest;
}

}  // namespace
}  // namespace keymora::test
