// keymora-cli generate: a random password of one character class.
#include <iostream>

#include "cli/Commands.h"
#include "storage/PasswordGenerator.h"
#include "support/KmError.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

class GenerateCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        std::string classes;
        for (std::size_t i = 0; i < passwordgen::kClasses.size(); ++i) {
            classes += "\n  " + std::to_string(i) + ": " + passwordgen::kClasses[i].caption;
        }
        auto* sub = app.add_subcommand("generate", "Print a random password");
        sub->add_option("-p,--pattern", m_pattern, "Kind of characters (default 4):" + classes)
            ->check(CLI::Range(0, static_cast<int>(passwordgen::kClasses.size()) - 1));
        sub->add_option("-l,--length", m_length,
                        "Number of characters, 0 to " + std::to_string(passwordgen::kMaxLength) +
                            " (default " + std::to_string(passwordgen::kDefaultLength) + ")")
            ->check(CLI::Range(0, passwordgen::kMaxLength));
        return sub;
    }

    int run(Context& ctx) override {
        WipedString password;
        try {
            password.value() = passwordgen::GenPassword(
                m_length, passwordgen::kClasses[static_cast<std::size_t>(m_pattern)].pattern);
        } catch (const KmError& e) {
            throw CliError("The password could not be generated: " + e.description());
        }
        ctx.out.reserve(password.value().size() + 1);
        ctx.out += password.value();
        ctx.out += '\n';
        return kExitOk;
    }

private:
    int m_pattern = passwordgen::kDefaultClass;
    int m_length = passwordgen::kDefaultLength;
};

}  // namespace

std::unique_ptr<Command> makeGenerateCommand() { return std::make_unique<GenerateCommand>(); }

}  // namespace keymora::cli
