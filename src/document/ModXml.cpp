#include "document/ModXml.h"

#include <string>

namespace keymora::modXml {

namespace {

enum class Position { Child, Before, After, Nowhere };

Position positionFromWord(std::string_view word) {
    std::string lower(word);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (lower.empty() || lower == "child") return Position::Child;
    if (lower == "before") return Position::Before;
    if (lower == "after") return Position::After;
    return Position::Nowhere;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Where a new child goes: the node to insert before, or none to append.
// "before" an empty reference appends, as a DOM's insertBefore does; "after"
// a last child appends.
pugi::xml_node insertionPoint(Position position, pugi::xml_node reference) {
    if (position == Position::Before) return reference;
    if (position == Position::After && reference) return reference.next_sibling();
    return {};
}

void fill(pugi::xml_node element, std::string_view text, std::string_view attrName,
          std::string_view attrValue) {
    if (!text.empty()) element.text().set(text.data(), text.size());
    const std::string_view name = trimBlanks(attrName);
    if (!name.empty())
        element.append_attribute(std::string(name).c_str()).set_value(attrValue.data(), attrValue.size());
}

}  // namespace

pugi::xml_node CreateDetachedElement(XmlDoc& doc, std::string_view name) {
    if (name.empty()) return {};
    return doc.scratch().append_child(std::string(name).c_str());
}

pugi::xml_node AddDetached(pugi::xml_node parent, pugi::xml_node detached, std::string_view position,
                           pugi::xml_node reference) {
    if (!parent || !detached) return {};
    const Position where = positionFromWord(position);
    if (where == Position::Nowhere) return detached;
    const pugi::xml_node before = insertionPoint(where, reference);
    // A reference outside the parent yields an empty node: nothing is inserted.
    return before ? parent.insert_copy_before(detached, before) : parent.append_copy(detached);
}

pugi::xml_node AddNode(XmlDoc& doc, pugi::xml_node parent, std::string_view name, std::string_view text,
                       std::string_view attrName, std::string_view attrValue, std::string_view position,
                       pugi::xml_node reference) {
    if (name.empty()) return {};
    const std::string elementName(name);
    const Position where = positionFromWord(position);
    pugi::xml_node element;
    if (where == Position::Nowhere) {
        element = doc.scratch().append_child(elementName.c_str());
    } else {
        if (!parent) return {};
        const pugi::xml_node before = insertionPoint(where, reference);
        element = before ? parent.insert_child_before(elementName.c_str(), before)
                         : parent.append_child(elementName.c_str());
    }
    if (element) fill(element, text, attrName, attrValue);
    return element;
}

void SetNodeAttribute(pugi::xml_node node, std::string_view name, std::string_view value) {
    if (name.empty() || value.empty() || node.type() != pugi::node_element) return;
    const std::string attrName(name);
    pugi::xml_attribute attr = node.attribute(attrName.c_str());
    if (!attr) attr = node.append_attribute(attrName.c_str());
    attr.set_value(value.data(), value.size());
}

std::string GetNodeAttribute(pugi::xml_node node, std::string_view name) {
    if (name.empty()) return {};
    return node.attribute(std::string(name).c_str()).value();
}

}  // namespace keymora::modXml
