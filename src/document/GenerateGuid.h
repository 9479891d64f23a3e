#pragma once
// Node identifiers: 128 random bits in the 38-character registry form
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <string>

namespace keymora {

// A new identifier from the system's cryptographic random source;
// "" when the source fails.
std::string GenerateGUID();

// Formats 16 bytes laid out as a Windows GUID (Data1..Data3 little-endian).
std::string FormatGuid(const std::array<std::uint8_t, 16>& bytes);

bool IsGuidText(std::string_view text) noexcept;

// New identifiers for the element, and for every record_detail and subcategory
// of the tree that holds it (its own subtree when it is not in a document).
void ResetUniqueIdentifiers(pugi::xml_node element);

}  // namespace keymora
