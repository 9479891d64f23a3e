#include "cli/FileEditing.h"

#include <filesystem>

#include "cli/Command.h"

namespace keymora::cli {

void checkNewTarget(const std::string& path, bool force) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(fs::status(path, ec))) throw CliError(path + ": is a folder.");
    if (fs::exists(fs::symlink_status(path, ec)) && !force) {
        throw CliError(path + ": the file exists; use --force to replace it.");
    }
}

}  // namespace keymora::cli
