#include "document/GenerateGuid.h"

#include <botan/system_rng.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <exception>

namespace keymora {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHex(std::string& out, std::uint32_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHexDigits[(value >> shift) & 0xFu];
}

std::uint32_t littleEndian(const std::array<std::uint8_t, 16>& b, std::size_t at, std::size_t count) {
    std::uint32_t v = 0;
    for (std::size_t i = count; i-- > 0;) v = (v << 8) | b[at + i];
    return v;
}

void setNewId(pugi::xml_node element) {
    const std::string id = GenerateGUID();
    pugi::xml_attribute attr = element.attribute("id");
    if (!attr) attr = element.append_attribute("id");
    attr.set_value(id.c_str());
}

bool isResetKind(pugi::xml_node n) noexcept {
    return n.type() == pugi::node_element &&
           (std::strcmp(n.name(), "record_detail") == 0 || std::strcmp(n.name(), "subcategory") == 0);
}

// The element at the top of the tree that holds n: the root element of a
// document (datafile), or a detached element in a scratch area.
pugi::xml_node treeTop(pugi::xml_node n) {
    if (n.type() == pugi::node_document) return n;
    while (n.parent() && n.parent().type() != pugi::node_document) n = n.parent();
    return n;
}

// Formats 16 bytes laid out as a Windows GUID (Data1..Data3 little-endian).
std::string formatGuid(const std::array<std::uint8_t, 16>& bytes) {
    std::string text;
    text.reserve(38);
    text += '{';
    appendHex(text, littleEndian(bytes, 0, 4), 8);
    text += '-';
    appendHex(text, littleEndian(bytes, 4, 2), 4);
    text += '-';
    appendHex(text, littleEndian(bytes, 6, 2), 4);
    text += '-';
    for (std::size_t i = 8; i < 16; ++i) {
        if (i == 10) text += '-';
        appendHex(text, bytes[i], 2);
    }
    text += '}';
    return text;
}

}  // namespace

std::string GenerateGUID() {
    std::array<std::uint8_t, 16> bytes{};
    try {
        Botan::system_rng().randomize(bytes.data(), bytes.size());
    } catch (const std::exception&) {
        return {};
    }
    // Version 4 (random) in the high nibble of the third field, which is
    // stored little-endian; RFC 4122 variant in the first byte of the fourth.
    bytes[7] = static_cast<std::uint8_t>((bytes[7] & 0x0F) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    return formatGuid(bytes);
}

void ResetUniqueIdentifiers(pugi::xml_node element) {
    if (!element) return;
    if (element.type() == pugi::node_element) setNewId(element);
    const pugi::xml_node top = treeTop(element);
    if (top != element && isResetKind(top)) setNewId(top);
    pugi::xml_node n = top.first_child();
    while (n) {
        if (n != element && isResetKind(n)) setNewId(n);
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && n != top && !n.next_sibling()) n = n.parent();
        if (!n || n == top) break;
        n = n.next_sibling();
    }
}

}  // namespace keymora
