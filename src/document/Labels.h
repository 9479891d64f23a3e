#pragma once
// Display labels: captions of the five entry fields, stored in the document as
// <labels><label associated_tag="..." value="..."/>...</labels> on an entry, a
// category or a sub-category.
#include <pugixml.hpp>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace keymora {
class XmlDoc;
}

namespace keymora::labels {

// The five fields in the order labels are written.
enum class Field : std::size_t { Resource = 0, UserId, Password, Notes, Url };
inline constexpr std::size_t kFieldCount = 5;

// "resource", "userid", "password", "notes", "URL".
std::string_view TagOf(Field field) noexcept;
// The field a tag names, compared in lower case ("URL" and "url" are one field).
std::optional<Field> FieldOfTag(std::string_view tag) noexcept;

// One caption per field, indexed by Field.
struct Captions {
    std::array<std::string, kFieldCount> text;

    std::string& operator[](Field f) { return text[static_cast<std::size_t>(f)]; }
    const std::string& operator[](Field f) const { return text[static_cast<std::size_t>(f)]; }
    bool operator==(const Captions&) const = default;
};

// "Name", "User Name", "Password", "Notes", "URL".
Captions DefaultCaptions();

inline constexpr std::size_t kMaxLabelLength = 15;

// Length in characters (UTF-8 code points; a stray byte counts as one).
std::size_t LabelLength(std::string_view utf8) noexcept;
// 1 to 15 characters.
bool IsValidLabel(std::string_view utf8) noexcept;
// The message shown when a box holds a label of the wrong length.
std::string InvalidLabelMessage(std::string_view utf8);
inline constexpr const char* kInvalidLabelTitle = "Invalid Label Length";

// Appends <label associated_tag=tag value=caption/> to parent and returns it.
// To get a detached label, pass an element of a scratch document.
pugi::xml_node BuildLabel(pugi::xml_node parent, std::string_view tag, std::string_view caption);
// Appends a <labels> element with the five labels in field order.
pugi::xml_node BuildLabelSet(pugi::xml_node parent, const Captions& captions);

// True when the node has at least one labels/label child.
bool HasLabels(pugi::xml_node node);

// The node's own captions: the value of each of its labels/label children
// (by lower-cased tag; a later label of the same tag wins), defaults for the rest.
Captions CaptionsOf(pugi::xml_node node);

// What the Edit Labels dialog needs before it is shown.
struct EditLabelsForm {
    Captions captions;    // the five boxes
    std::string scope;    // "Edit single Entry" or "Edit ALL Entries under this (sub)category"
    bool isEntry = false;
};
// Nothing when no category, sub-category or entry has that identifier.
std::optional<EditLabelsForm> PrepareEditLabels(const XmlDoc& doc, std::string_view id);

enum class EditLabelsStatus {
    Done,          // labels written; mark the document dirty
    NotFound,      // no node with that identifier: nothing changed
    InvalidLabel,  // a caption of the wrong length: nothing changed
    ReadOnly,      // the file is open read only: nothing changed
};

struct EditLabelsResult {
    EditLabelsStatus status = EditLabelsStatus::NotFound;
    std::optional<Field> invalidField;  // with InvalidLabel: the first offending box
    std::size_t entriesChanged = 0;     // entries directly affected (1 for an entry)
};

// Writes the captions to one node: existing labels of the five tags get the new
// value (other tags are left alone), missing ones are added, and a node without
// labels gets a new set in field order.
void WriteLabels(pugi::xml_node node, const Captions& captions);

// Edit Labels: for an entry, its own labels; for a category or sub-category,
// the labels of every entry directly in it and then its own labels.
EditLabelsResult ApplyEditLabels(XmlDoc& doc, std::string_view id, const Captions& captions);

}  // namespace keymora::labels
