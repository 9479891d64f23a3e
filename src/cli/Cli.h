#pragma once
// keymora-cli as a library call, so tests can run every command in-process.
#include <iosfwd>

namespace keymora::cli {

// The streams a run uses. When `interactive` is set, secrets are asked on the
// controlling terminal without echo; otherwise each is one line of `in`.
struct CliIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool interactive = false;
};

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the command could not do its work
inline constexpr int kExitUsage = 2;    // the command line was wrong

int runCli(int argc, char** argv, CliIo& io);
// Non-interactive: secrets come from `in`.
int runCli(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace keymora::cli
