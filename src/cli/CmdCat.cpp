// keymora-cli cat: the decoded XML text of a data file, as UTF-8.
#include "cli/Commands.h"
#include "cli/Credentials.h"
#include "cli/DataFileAccess.h"
#include "document/XmlDoc.h"
#include "storage/DataFile.h"
#include "support/Cp1252.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

class CatCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        auto* sub = app.add_subcommand(
            "cat", "Print the decoded XML text of a data file (UTF-8, passwords included)");
        sub->add_option("-u,--user", m_user, "User name of the file")->required();
        sub->add_option("FILE", m_file, "Data file")->required();
        return sub;
    }

    int run(Context& ctx) override {
        const std::string bytes = readDataFile(m_file);
        refuseUnsupported(bytes);
        Credentials credentials;
        askLogin(ctx, m_user, fileTitleOf(m_file), credentials);

        std::optional<std::string> text;
        try {
            text = datafile::decodeText(m_file, bytes, credentials.userId.value(),
                                        credentials.password.value());
        } catch (const KmError&) {
            text.reset();
        }
        if (!text) throw CliError(datafile::kDecryptFailedText);
        WipedString windows1252(std::move(*text));
        text.reset();

        // Wrong credentials only show as text that does not parse.
        WipedString utf8(cp1252::toUtf8(windows1252.value()));
        XmlDoc check;
        if (!check.loadXml(utf8.value())) throw CliError(datafile::kDecryptFailedText);
        check.clear();

        ctx.out.swap(utf8.value());
        return kExitOk;
    }

private:
    std::string m_user;
    std::string m_file;
};

}  // namespace

std::unique_ptr<Command> makeCatCommand() { return std::make_unique<CatCommand>(); }

}  // namespace keymora::cli
