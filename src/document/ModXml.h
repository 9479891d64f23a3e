#pragma once
// The small DOM utilities every document command is built on.
#include <pugixml.hpp>

#include <string>
#include <string_view>

#include "document/XmlDoc.h"

namespace keymora::modXml {

// A new element not yet in the tree. It lives in a scratch document owned by
// the caller's XmlDoc (see XmlDoc::scratch); empty when the name is empty.
pugi::xml_node CreateDetachedElement(XmlDoc& doc, std::string_view name);

// Does nothing when name or value is empty; otherwise sets (or creates) it.
void SetNodeAttribute(pugi::xml_node node, std::string_view name, std::string_view value);
// The attribute's text, or "" when the name is empty or the attribute missing.
std::string GetNodeAttribute(pugi::xml_node node, std::string_view name);

}  // namespace keymora::modXml
