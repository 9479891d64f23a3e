#include "cli/Cli.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <new>

#include "cli/Command.h"
#include "cli/Commands.h"
#include "keymora/Version.h"
#include "support/KmError.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

constexpr const char* kDescription =
    "Keymora data files from the command line: show, list and write the encrypted\n"
    "files of the Keymora password keeper. Passwords are asked on the terminal\n"
    "without echo, or read one per line from standard input when it is not a terminal.";

int runParsed(Command& command, CliIo& io) {
    Context ctx{io.in, io.err, io.interactive, {}, io.out};
    struct OutputWiper {
        std::string& out;
        ~OutputWiper() { secureWipe(out); }
    } wiper{ctx.out};

    try {
        const int status = command.run(ctx);
        if (status == kExitOk) {
            io.out.write(ctx.out.data(), static_cast<std::streamsize>(ctx.out.size()));
            io.out.flush();
            if (!io.out) {
                io.err << "keymora-cli: the output could not be written.\n";
                return kExitFailure;
            }
        }
        return status;
    } catch (const CliError& e) {
        io.err << e.what() << '\n';
        return e.status();
    } catch (const KmError& e) {
        io.err << "Error: " << e.number() << "\nDescription: " << e.description() << '\n';
        return kExitFailure;
    } catch (const std::bad_alloc&) {
        io.err << "keymora-cli: out of memory.\n";
        return kExitFailure;
    } catch (const std::exception& e) {
        io.err << "keymora-cli: " << e.what() << '\n';
        return kExitFailure;
    }
}

}  // namespace

int runCli(int argc, char** argv, CliIo& io) {
    CLI::App app{kDescription, "keymora-cli"};
    app.set_version_flag("--version", std::string("keymora-cli ") + kVersionText,
                         "Show the version and exit");
    app.require_subcommand(1);
    app.fallthrough(false);

    auto commands = makeCommands();
    std::vector<std::pair<CLI::App*, Command*>> added;
    added.reserve(commands.size());
    for (auto& command : commands) added.emplace_back(command->add(app), command.get());

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e, io.out, io.err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, io.out, io.err);
        return kExitUsage;
    }

    for (auto& [sub, command] : added) {
        if (sub->parsed()) return runParsed(*command, io);
    }
    io.err << "keymora-cli: no command given; see keymora-cli --help\n";
    return kExitUsage;
}

int runCli(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err) {
    CliIo io{in, out, err, false};
    return runCli(argc, argv, io);
}

}  // namespace keymora::cli
