#include "cli/Commands.h"

namespace keymora::cli {

std::vector<std::unique_ptr<Command>> makeCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(makeCatCommand());
    commands.push_back(makeLsCommand());
    commands.push_back(makeEncodeCommand());
    return commands;
}

}  // namespace keymora::cli
