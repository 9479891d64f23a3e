#pragma once
// The document a new data file starts with: nine categories, label sets for
// card PINs and personal records, and the "Personal Information" starters.
#include <memory>
#include <string>

namespace keymora {

class XmlDoc;

inline constexpr const char* kNewDocumentDeclaration = "<?xml version='1.0' encoding='iso-8859-1' ?>";

// The template as text: the declaration followed by the serialised tree.
// Every call gives new identifiers. Throws KmError when no identifier can be made.
std::string NewDocumentText();

// The template parsed into a document (so each entry's first child is `resource`).
// Throws KmError when no identifier can be made or the text does not parse.
std::unique_ptr<XmlDoc> BuildNewDocument();

}  // namespace keymora
