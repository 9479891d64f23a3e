// keymora-cli import: the rows of a CSV file as entries of a new category.
#include "cli/Commands.h"
#include "cli/DataFileAccess.h"
#include "document/CsvImport.h"

namespace keymora::cli {

namespace {

class ImportCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        auto* sub = app.add_subcommand(
            "import",
            "Add the rows of a CSV file as entries of a new category \"Imported Items ...\"");
        sub->add_option("-u,--user", m_user, "User name of the file")->required();
        sub->add_option("FILE", m_file, "Data file to add to")->required();
        sub->add_option("CSV", m_csv, "Comma-separated file to import")->required();
        return sub;
    }

    int run(Context& ctx) override {
        // The rows are read first: a file that cannot be imported costs no password.
        std::string why;
        std::optional<csvimport::CsvTable> table = csvimport::LoadCsvFile(m_csv, &why);
        if (!table) throw CliError(csvimport::ImportFailedText(m_csv) + "\n" + why + ".");

        const auto session = openSession(ctx, m_file, m_user, LockPolicy::ForEditing);
        const csvimport::ImportResult result = session->import(*table);
        if (!result.ok) {
            throw CliError(csvimport::ImportFailedText(m_csv) + "\n" + result.errorText + ".");
        }
        saveSession(*session);
        ctx.out = csvimport::ImportCompleteText(result.count, result.categoryName) + "\n";
        return kExitOk;
    }

private:
    std::string m_user;
    std::string m_file;
    std::string m_csv;
};

}  // namespace

std::unique_ptr<Command> makeImportCommand() { return std::make_unique<ImportCommand>(); }

}  // namespace keymora::cli
