#pragma once
// Small rules shared by the keymora-cli commands that write files.
#include <string>

namespace keymora::cli {

// Refuses a folder, and an existing file unless it may be replaced (--force).
void checkNewTarget(const std::string& path, bool force);

}  // namespace keymora::cli
