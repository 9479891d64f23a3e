// keymora-cli new: a data file holding the new-document template.
#include "cli/Commands.h"
#include "cli/Credentials.h"
#include "cli/DataFileAccess.h"
#include "cli/FileEditing.h"
#include "document/NewDocumentTemplate.h"
#include "document/XmlDoc.h"
#include "storage/DataFile.h"
#include "support/KmError.h"

namespace keymora::cli {

namespace {

class NewCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        auto* sub = app.add_subcommand(
            "new", "Write a new data file with the starting categories; asks the new password twice");
        sub->add_option("-u,--user", m_user, "User name to lock the file with")->required();
        sub->add_flag("-f,--force", m_force, "Replace FILE when it exists");
        sub->add_flag("--modern", m_modern, kModernFlagHelp);
        sub->add_option("FILE", m_file, "Data file to write")->required();
        return sub;
    }

    int run(Context& ctx) override {
        checkNewTarget(m_file, m_force);
        Credentials credentials;
        askNewCredentials(ctx, m_user, fileTitleOf(m_file), credentials);
        // The template carries its own creation date: nothing is stamped here.
        try {
            const std::unique_ptr<XmlDoc> doc = BuildNewDocument();
            const std::string bytes =
                encipherPayload(datafile::documentPayload(*doc), credentials, m_modern);
            datafile::writeFileAtomically(m_file, bytes);
        } catch (const KmError& e) {
            throw CliError(messageFor(e));
        }
        return kExitOk;
    }

private:
    std::string m_user;
    std::string m_file;
    bool m_force = false;
    bool m_modern = false;
};

}  // namespace

std::unique_ptr<Command> makeNewCommand() { return std::make_unique<NewCommand>(); }

}  // namespace keymora::cli
