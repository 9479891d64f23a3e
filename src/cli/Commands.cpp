#include "cli/Commands.h"

namespace keymora::cli {

std::vector<std::unique_ptr<Command>> makeCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(makeCatCommand());
    commands.push_back(makeLsCommand());
    commands.push_back(makeEncodeCommand());
    commands.push_back(makeNewCommand());
    commands.push_back(makeSearchCommand());
    commands.push_back(makeImportCommand());
    commands.push_back(makeExportCommand());
    commands.push_back(makeMergeCommand());
    commands.push_back(makeGenerateCommand());
    commands.push_back(makePasswdCommand());
    commands.push_back(makeInfoCommand());
    return commands;
}

}  // namespace keymora::cli
