#include "document/Labels.h"

#include "document/NodeKind.h"
#include "document/XmlDoc.h"

namespace keymora::labels {

namespace {

constexpr std::array<std::string_view, kFieldCount> kTags = {"resource", "userid", "password",
                                                             "notes", "URL"};
constexpr std::array<std::string_view, kFieldCount> kDefaults = {"Name", "User Name", "Password",
                                                                 "Notes", "URL"};

constexpr std::array<Field, kFieldCount> kAllFields = {Field::Resource, Field::UserId,
                                                       Field::Password, Field::Notes, Field::Url};

bool equalsLower(std::string_view text, std::string_view lowerTag) noexcept {
    if (text.size() != lowerTag.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerTag[i]) return false;
    }
    return true;
}

}  // namespace

std::string_view TagOf(Field field) noexcept { return kTags[static_cast<std::size_t>(field)]; }

std::optional<Field> FieldOfTag(std::string_view tag) noexcept {
    if (equalsLower(tag, "resource")) return Field::Resource;
    if (equalsLower(tag, "userid")) return Field::UserId;
    if (equalsLower(tag, "password")) return Field::Password;
    if (equalsLower(tag, "notes")) return Field::Notes;
    if (equalsLower(tag, "url")) return Field::Url;
    return std::nullopt;
}

Captions DefaultCaptions() {
    Captions c;
    for (std::size_t i = 0; i < kFieldCount; ++i) c.text[i] = std::string(kDefaults[i]);
    return c;
}

std::size_t LabelLength(std::string_view utf8) noexcept {
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t width = 1;
        if (lead >= 0xF0 && lead <= 0xF4) {
            width = 4;
        } else if (lead >= 0xE0) {
            width = lead <= 0xEF ? 3 : 1;
        } else if (lead >= 0xC2) {
            width = 2;
        }
        // A sequence cut short or with a bad continuation byte counts byte by byte.
        if (width > 1) {
            if (i + width > utf8.size()) {
                width = 1;
            } else {
                for (std::size_t k = 1; k < width; ++k) {
                    if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) {
                        width = 1;
                        break;
                    }
                }
            }
        }
        i += width;
        ++count;
    }
    return count;
}

bool IsValidLabel(std::string_view utf8) noexcept {
    const std::size_t n = LabelLength(utf8);
    return n >= 1 && n <= kMaxLabelLength;
}

std::string InvalidLabelMessage(std::string_view utf8) {
    return "Labels must be between 1 and 15 characters long.  The text you have entered is " +
           std::to_string(LabelLength(utf8)) + " characters long.";
}

pugi::xml_node BuildLabel(pugi::xml_node parent, std::string_view tag, std::string_view caption) {
    pugi::xml_node label = parent.append_child("label");
    label.append_attribute("associated_tag").set_value(std::string(tag).c_str());
    label.append_attribute("value").set_value(std::string(caption).c_str());
    return label;
}

pugi::xml_node BuildLabelSet(pugi::xml_node parent, const Captions& captions) {
    pugi::xml_node set = parent.append_child("labels");
    for (Field f : kAllFields) BuildLabel(set, TagOf(f), captions[f]);
    return set;
}

bool HasLabels(pugi::xml_node node) {
    for (pugi::xml_node set : node.children("labels")) {
        if (!set.child("label").empty()) return true;
    }
    return false;
}

Captions CaptionsOf(pugi::xml_node node) {
    Captions c = DefaultCaptions();
    for (pugi::xml_node set : node.children("labels")) {
        for (pugi::xml_node label : set.children("label")) {
            if (auto f = FieldOfTag(label.attribute("associated_tag").value())) {
                c[*f] = label.attribute("value").value();
            }
        }
    }
    return c;
}

std::optional<EditLabelsForm> PrepareEditLabels(const XmlDoc& doc, std::string_view id) {
    if (id.empty()) return std::nullopt;
    pugi::xml_node node = doc.nodeById(id);
    if (!IsTreeNode(node)) return std::nullopt;
    EditLabelsForm form;
    form.captions = CaptionsOf(node);
    form.isEntry = KindOf(node) == NodeKind::Entry;
    form.scope = form.isEntry ? "Edit single Entry" : "Edit ALL Entries under this (sub)category";
    return form;
}

void WriteLabels(pugi::xml_node node, const Captions& captions) {
    std::array<bool, kFieldCount> written{};
    pugi::xml_node firstSet;
    for (pugi::xml_node set : node.children("labels")) {
        if (firstSet.empty()) firstSet = set;
        for (pugi::xml_node label : set.children("label")) {
            if (auto f = FieldOfTag(label.attribute("associated_tag").value())) {
                pugi::xml_attribute value = label.attribute("value");
                if (value.empty()) value = label.append_attribute("value");
                value.set_value(captions[*f].c_str());
                written[static_cast<std::size_t>(*f)] = true;
            }
        }
    }
    if (firstSet.empty()) {
        // Entries keep their fields first; a (sub)category keeps its labels first.
        firstSet = KindOf(node) == NodeKind::Entry ? node.append_child("labels")
                                                   : node.prepend_child("labels");
    }
    // Fields without a label get one, so no box the user filled in is dropped.
    for (Field f : kAllFields) {
        if (!written[static_cast<std::size_t>(f)]) BuildLabel(firstSet, TagOf(f), captions[f]);
    }
}

EditLabelsResult ApplyEditLabels(XmlDoc& doc, std::string_view id, const Captions& captions) {
    EditLabelsResult result;
    for (Field f : kAllFields) {
        if (!IsValidLabel(captions[f])) {
            result.status = EditLabelsStatus::InvalidLabel;
            result.invalidField = f;
            return result;
        }
    }
    if (id.empty()) return result;
    pugi::xml_node node = doc.nodeById(id);
    const NodeKind kind = KindOf(node);
    if (kind == NodeKind::None) return result;

    if (kind != NodeKind::Entry) {
        for (pugi::xml_node entry : node.children("record_detail")) {
            WriteLabels(entry, captions);
            ++result.entriesChanged;
        }
    } else {
        result.entriesChanged = 1;
    }
    WriteLabels(node, captions);
    result.status = EditLabelsStatus::Done;
    return result;
}

}  // namespace keymora::labels
