#pragma once
// Runs keymora-cli in-process or as the real program with given input, and collects its output.
#include <string>
#include <vector>

namespace keymora::test {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// In-process through runCli; `input` is standard input (not a terminal).
CliResult runInProcess(const std::vector<std::string>& args, const std::string& input = {});

// The built program, started with standard input from `input`.
CliResult runProgram(const std::vector<std::string>& args, const std::string& input = {});

}  // namespace keymora::test
