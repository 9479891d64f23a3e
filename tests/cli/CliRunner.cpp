#include "CliRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

#include "cli/Cli.h"
#include "testsupport/TempDir.h"

namespace keymora::test {

CliResult runInProcess(const std::vector<std::string>& args, const std::string& input) {
    std::vector<std::string> owned;
    owned.reserve(args.size() + 1);
    owned.emplace_back("keymora-cli");
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : owned) argv.push_back(a.data());
    argv.push_back(nullptr);

    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    result.status = cli::runCli(static_cast<int>(owned.size()), argv.data(), in, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

CliResult runProgram(const std::vector<std::string>& args, const std::string& input) {
    TempDir dir;
    const std::string inPath = dir.file("stdin");
    const std::string outPath = dir.file("stdout");
    const std::string errPath = dir.file("stderr");
    writeFile(inPath, input);

    std::vector<std::string> owned;
    owned.emplace_back(KEYMORA_CLI_PATH);
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : owned) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int in = open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0) _exit(126);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        // No controlling terminal: the program must read its secrets from stdin.
        setsid();
        execv(argv[0], argv.data());
        _exit(127);
    }
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0) {
    }
    CliResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

}  // namespace keymora::test
