#pragma once
// The small DOM utilities every document command is built on.
#include <pugixml.hpp>

#include <string>
#include <string_view>

#include "document/XmlDoc.h"

namespace keymora::modXml {

// A new element not yet in the tree. It lives in a scratch document owned by
// the caller's XmlDoc until appended with AddDetached (which copies it in).
pugi::xml_node CreateDetachedElement(XmlDoc& doc, std::string_view name);
// Inserts a deep copy of a detached element (or any node) under parent and
// returns the copy; position words as for AddNode. With any other word the
// detached element itself is returned, still outside the tree. An empty node
// comes back when the reference is not a child of parent.
pugi::xml_node AddDetached(pugi::xml_node parent, pugi::xml_node detached,
                           std::string_view position = "child", pugi::xml_node reference = {});

// Creates an element with text and (when attrName is not blank) one attribute,
// inserts it by position ("child"/"" = last child, "before"/"after" the
// reference; compared in lower case) and returns it. "after" a last child or
// "before" an empty reference appends. Any other position word: the element
// is returned but not in the tree (it stays in the scratch area). An empty
// node comes back when the name is empty or the reference is not a child of
// parent.
pugi::xml_node AddNode(XmlDoc& doc, pugi::xml_node parent, std::string_view name,
                       std::string_view text, std::string_view attrName,
                       std::string_view attrValue, std::string_view position = "child",
                       pugi::xml_node reference = {});

// Does nothing when name or value is empty; otherwise sets (or creates) it.
void SetNodeAttribute(pugi::xml_node node, std::string_view name, std::string_view value);
// The attribute's text, or "" when the name is empty or the attribute missing.
std::string GetNodeAttribute(pugi::xml_node node, std::string_view name);

}  // namespace keymora::modXml
