#pragma once
// What every keymora-cli command is: a sub-command of the parser plus the work
// it does once the command line has been read.
#include <CLI/CLI.hpp>

#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace keymora::cli {

// What a running command may use. Text for standard output is collected in
// `out` and printed only when the command succeeds, so a failure never leaves
// half an answer behind; the buffer is wiped afterwards (it may hold secrets).
// A listing that cannot fail once it starts is written to `stream` as it is
// made instead, so its size never has to fit in memory.
struct Context {
    std::istream& in;
    std::ostream& err;
    bool interactive = false;
    std::string out;
    std::ostream& stream;
};

// A failure with the text to show on standard error.
class CliError : public std::runtime_error {
public:
    explicit CliError(const std::string& text, int status = kExitFailure)
        : std::runtime_error(text), m_status(status) {}
    int status() const noexcept { return m_status; }

private:
    int m_status;
};

class Command {
public:
    virtual ~Command() = default;
    // Adds the sub-command and its options to the program's parser.
    virtual CLI::App* add(CLI::App& app) = 0;
    // Runs after a successful parse when this sub-command was chosen.
    virtual int run(Context& ctx) = 0;
};

}  // namespace keymora::cli
