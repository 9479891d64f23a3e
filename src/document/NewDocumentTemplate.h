#pragma once
// The document a new data file starts with: nine categories, label sets for
// card PINs and personal records, and the "Personal Information" starters.
#include <memory>

namespace keymora {

class XmlDoc;

// The template parsed into a document (so each entry's first child is
// `resource`), its declaration first. Every call gives new identifiers.
// Throws KmError when no identifier can be made or the text does not parse.
std::unique_ptr<XmlDoc> BuildNewDocument();

}  // namespace keymora
