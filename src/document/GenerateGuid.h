#pragma once
// Node identifiers: 128 random bits in the 38-character registry form
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
#include <pugixml.hpp>

#include <string>

namespace keymora {

// A new identifier from the system's cryptographic random source;
// "" when the source fails.
std::string GenerateGUID();

// New identifiers for the element, and for every record_detail and subcategory
// of the tree that holds it. That tree is the one under the element's topmost
// ancestor: in a document, the whole document; for a detached element (one
// standing in a scratch area, see XmlDoc::scratch), its own subtree.
void ResetUniqueIdentifiers(pugi::xml_node element);

}  // namespace keymora
