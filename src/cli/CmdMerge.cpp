// keymora-cli merge: the categories of other data files folded into one, by
// name. Each source is unlocked with its own password; one that fails is
// reported and leaves the destination as it was.
#include "cli/Commands.h"
#include "cli/Credentials.h"
#include "cli/DataFileAccess.h"
#include "storage/CredentialRules.h"
#include "storage/MergeFile.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

std::string plainLines(std::string text) {
    std::string::size_type pos = 0;
    while ((pos = text.find("\r\n", pos)) != std::string::npos) text.erase(pos, 1);
    return text;
}

std::string counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string summaryOf(const std::string& source, const merge::MergeStats& s) {
    return source + ": " + counted(s.entries, "entry", "entries") + " merged; categories: " +
           std::to_string(s.categoriesCreated) + " added, " + std::to_string(s.categoriesMatched) +
           " matched; sub-categories: " + std::to_string(s.subcategoriesCreated) + " added, " +
           std::to_string(s.subcategoriesMatched) + " matched\n";
}

class MergeCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        auto* sub = app.add_subcommand(
            "merge",
            "Merge the categories of SRC files into DEST by name; asks DEST's password, then each SRC's");
        sub->footer(
            "A source that fails is reported and brings nothing in; DEST is saved only when\n"
            "something was merged. Exit status 1 when any source failed.");
        sub->add_option("-u,--user", m_user, "User name of DEST")->required();
        m_sourceUserOption = sub->add_option("--source-user", m_sourceUser,
                                             "User name of the sources (default: DEST's)");
        sub->add_option("DEST", m_dest, "Data file to merge into")->required();
        sub->add_option("SRC", m_sources, "Data files to merge from, in this order")->required();
        return sub;
    }

    int run(Context& ctx) override {
        for (const std::string& source : m_sources) {
            if (source.empty()) {
                throw CliError(std::string(mergefile::kEmptySourceText), kExitUsage);
            }
        }
        const std::string sourceUser = m_sourceUserOption->count() > 0 ? m_sourceUser : m_user;

        const auto dest = openSession(ctx, m_dest, m_user, LockPolicy::ForEditing);
        std::string summary;
        std::string failures;
        std::size_t merged = 0;
        for (const std::string& source : m_sources) {
            std::string refusal;
            const auto ask = [&](const std::string&) -> std::optional<mergefile::SourceCredentials> {
                WipedString typed;
                try {
                    readSecret(ctx, "Password to unlock " + fileTitleOf(source) + ": ",
                               typed.value());
                } catch (const CliError& e) {
                    refusal = e.what();
                    return std::nullopt;
                }
                const auto verdict = credentials::CheckLogin(sourceUser, typed.value());
                if (!verdict.accepted) {
                    refusal = plainLines(verdict.text);
                    return std::nullopt;
                }
                return mergefile::SourceCredentials{sourceUser, typed.value()};
            };
            const mergefile::Result result = dest->merge(source, ask);
            if (result.merged()) {
                ++merged;
                summary += summaryOf(source, result.stats);
                continue;
            }
            const std::string text =
                result.message ? plainLines(result.message->text) : refusal;
            failures += source + ": " + text + "\n";
        }

        if (merged == 0) {
            ctx.err << failures << "Nothing was merged; " << m_dest << " was not changed.\n";
            return kExitFailure;
        }
        saveSession(*dest);
        if (!failures.empty()) {
            // Not every source came in: the whole story goes to standard error.
            ctx.err << summary << failures << mergefile::kMergeCompleteText << '\n';
            return kExitFailure;
        }
        summary += mergefile::kMergeCompleteText;
        summary += '\n';
        ctx.out.swap(summary);
        return kExitOk;
    }

private:
    std::string m_user;
    std::string m_sourceUser;
    CLI::Option* m_sourceUserOption = nullptr;
    std::string m_dest;
    std::vector<std::string> m_sources;
};

}  // namespace

std::unique_ptr<Command> makeMergeCommand() { return std::make_unique<MergeCommand>(); }

}  // namespace keymora::cli
