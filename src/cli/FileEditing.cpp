#include "cli/FileEditing.h"

#include <filesystem>

#include "cli/Command.h"
#include "document/DateText.h"
#include "document/ModXml.h"

namespace keymora::cli {

void checkNewTarget(const std::string& path, bool force) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(fs::status(path, ec))) throw CliError(path + ": is a folder.");
    if (fs::exists(fs::symlink_status(path, ec)) && !force) {
        throw CliError(path + ": the file exists; use --force to replace it.");
    }
}

void stampBeforeSave(XmlDoc& doc, const std::string& path) {
    pugi::xml_node root = doc.datafile();
    if (!root) throw CliError(path + ": Datafile is corrupted.  The file was not saved.");
    modXml::SetNodeAttribute(root, "DateModified", datetext::now());
}

}  // namespace keymora::cli
