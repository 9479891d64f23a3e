#include "document/ModXml.h"

#include <string>

namespace keymora::modXml {

pugi::xml_node CreateDetachedElement(XmlDoc& doc, std::string_view name) {
    if (name.empty()) return {};
    return doc.scratch().append_child(std::string(name).c_str());
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
