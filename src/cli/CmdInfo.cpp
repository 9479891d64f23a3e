// keymora-cli info: which protection a data file has, read from its first
// bytes; no password is needed.
#include "cli/Commands.h"
#include "cli/DataFileAccess.h"
#include "storage/ModernContainer.h"

namespace keymora::cli {

namespace {

constexpr const char* kLegacyText =
    "legacy: RC4 with a 40-bit key from MD5 of user name and password; no tamper detection";

std::string protectionOf(const std::string& path, std::string_view bytes) {
    if (!modern::hasMagic(bytes)) return kLegacyText;
    modern::Header header;
    switch (modern::readHeader(bytes, header)) {
    case modern::HeaderCheck::Valid:
        return "modern: " + modern::describe(header.kdf);
    case modern::HeaderCheck::Unsupported:
        throw CliError(path + ": " + modern::kNeedsNewerProgramText);
    case modern::HeaderCheck::Truncated:
        break;
    }
    throw CliError(path + ": the file is cut short; it cannot be read.");
}

class InfoCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        auto* sub = app.add_subcommand(
            "info", "Show how a data file is protected (no password needed)");
        sub->add_option("FILE", m_file, "Data file")->required();
        return sub;
    }

    int run(Context& ctx) override {
        const std::string bytes = readDataFile(m_file);
        ctx.out = protectionOf(m_file, bytes) + "\n";
        return kExitOk;
    }

private:
    std::string m_file;
};

}  // namespace

std::unique_ptr<Command> makeInfoCommand() { return std::make_unique<InfoCommand>(); }

}  // namespace keymora::cli
