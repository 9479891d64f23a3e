#pragma once
#include <pugixml.hpp>

namespace keymora::modVersionUpdates {

inline constexpr const char* kCurrentVersion = "1.5";

// The one place an older document format would be upgraded. Every version in
// use today is read as it is: nothing changes and the result is false.
bool UpdateDocumentVersion(pugi::xml_node datafile, bool fromOpen);

}  // namespace keymora::modVersionUpdates
