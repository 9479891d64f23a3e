// keymora-cli passwd: new credentials for a data file, which is encrypted
// again with them. The old password is needed to open it first.
#include "cli/Commands.h"
#include "cli/Credentials.h"
#include "cli/DataFileAccess.h"

namespace keymora::cli {

namespace {

class PasswdCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        auto* sub = app.add_subcommand(
            "passwd",
            "Lock a data file with new credentials; asks the current password, then the new one twice");
        sub->add_option("-u,--user", m_user, "Current user name of the file")->required();
        m_newUserOption = sub->add_option("--new-user", m_newUser,
                                          "New user name (default: the current one)");
        sub->add_option("FILE", m_file, "Data file")->required();
        return sub;
    }

    int run(Context& ctx) override {
        const auto session = openSession(ctx, m_file, m_user, LockPolicy::ForEditing);
        const std::string& newUser = m_newUserOption->count() > 0 ? m_newUser : m_user;
        Credentials fresh;
        askNewCredentials(ctx, newUser, fileTitleOf(m_file), fresh);
        // The document is encrypted again with the new key when it is saved.
        session->setCredentials(std::move(fresh));
        saveSession(*session);
        return kExitOk;
    }

private:
    std::string m_user;
    std::string m_newUser;
    CLI::Option* m_newUserOption = nullptr;
    std::string m_file;
};

}  // namespace

std::unique_ptr<Command> makePasswdCommand() { return std::make_unique<PasswdCommand>(); }

}  // namespace keymora::cli
