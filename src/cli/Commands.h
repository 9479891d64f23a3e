#pragma once
// The list of keymora-cli commands. A new command is one new file defining its
// make...Command() function, declared here and added in Commands.cpp.
#include <memory>
#include <vector>

#include "cli/Command.h"

namespace keymora::cli {

std::unique_ptr<Command> makeCatCommand();
std::unique_ptr<Command> makeEncodeCommand();
std::unique_ptr<Command> makeLsCommand();
std::unique_ptr<Command> makeNewCommand();
std::unique_ptr<Command> makeSearchCommand();
std::unique_ptr<Command> makeImportCommand();
std::unique_ptr<Command> makeExportCommand();
std::unique_ptr<Command> makeMergeCommand();
std::unique_ptr<Command> makeGenerateCommand();
std::unique_ptr<Command> makePasswdCommand();
std::unique_ptr<Command> makeInfoCommand();

// Every command, in the order `--help` lists them.
std::vector<std::unique_ptr<Command>> makeCommands();

}  // namespace keymora::cli
