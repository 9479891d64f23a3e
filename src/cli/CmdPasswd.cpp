// keymora-cli passwd: new credentials for a data file, which is encrypted
// again with them. The old password is needed to open it first.
#include "cli/Commands.h"
#include "cli/Credentials.h"
#include "cli/DataFileAccess.h"
#include "session/DocumentSession.h"

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
        auto* modernFlag = sub->add_flag("--modern", m_modern, kModernFlagHelp);
        sub->add_flag("--legacy", m_legacy,
                      "Use the legacy protection, which the earlier Windows version reads")
            ->excludes(modernFlag);
        sub->add_option("FILE", m_file, "Data file")->required();
        return sub;
    }

    int run(Context& ctx) override {
        const auto session = openSession(ctx, m_file, m_user, LockPolicy::ForEditing);
        const std::string& newUser = m_newUserOption->count() > 0 ? m_newUser : m_user;
        Credentials fresh;
        askNewCredentials(ctx, newUser, fileTitleOf(m_file), fresh);
        // The document is encrypted again with the new key when it is saved;
        // without either flag it keeps the protection it has.
        if (m_modern || m_legacy) {
            session->setCredentials(std::move(fresh),
                                    m_modern ? Protection::Modern : Protection::Legacy);
        } else {
            session->setCredentials(std::move(fresh));
        }
        saveSession(*session);
        return kExitOk;
    }

private:
    std::string m_user;
    std::string m_newUser;
    CLI::Option* m_newUserOption = nullptr;
    std::string m_file;
    bool m_modern = false;
    bool m_legacy = false;
};

}  // namespace

std::unique_ptr<Command> makePasswdCommand() { return std::make_unique<PasswdCommand>(); }

}  // namespace keymora::cli
