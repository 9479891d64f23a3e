#include "document/VersionUpdates.h"

namespace keymora::modVersionUpdates {

bool UpdateDocumentVersion(pugi::xml_node datafile, bool /*fromOpen*/) {
    // Read for the day a format change needs it; a missing attribute reads as "".
    [[maybe_unused]] const char* version = datafile.attribute("version").as_string("");
    return false;
}

}  // namespace keymora::modVersionUpdates
