#pragma once
// Small rules shared by the keymora-cli commands that write files.
#include <string>

#include "document/XmlDoc.h"

namespace keymora::cli {

// Refuses a folder, and an existing file unless it may be replaced (--force).
void checkNewTarget(const std::string& path, bool force);

// Sets the root's DateModified to the current time, as Save does before it
// writes. A document without its root is refused: it would not open again.
void stampBeforeSave(XmlDoc& doc, const std::string& path);

}  // namespace keymora::cli
