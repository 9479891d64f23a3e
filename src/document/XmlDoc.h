#pragma once
// The document of one data file: a pugixml DOM holding UTF-8 text. It is the
// only copy of the user's records while a window is open.
#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace keymora {

class XmlDoc {
public:
    XmlDoc() = default;
    XmlDoc(const XmlDoc&) = delete;
    XmlDoc& operator=(const XmlDoc&) = delete;
    ~XmlDoc();

    // Parses UTF-8 XML text. Text nodes holding only white space are dropped,
    // so entry fields can be read by position. The XML declaration, when
    // present, is kept as the first node. On a parse error the document is
    // left empty and false is returned (errorText gets the parser's words).
    bool loadXml(std::string_view utf8, std::string* errorText = nullptr);
    // Same, taking over the buffer (parsed in place, then wiped on destruction).
    bool loadXmlInPlace(std::string&& utf8, std::string* errorText = nullptr);

    // UTF-8 serialisation without indentation, as the data files hold it. No
    // declaration is added beyond the one the document holds. The result holds
    // secrets: callers wipe it (secureWipe) when done.
    std::string xml() const;
    // The same into out, whose buffer is used again when it is large enough
    // (its old text is overwritten; a buffer it leaves is wiped).
    void xmlInto(std::string& out) const;
    // The same text, handed to a writer piece by piece (no full copy in memory).
    void save(pugi::xml_writer& writer) const;
    // Size of the text the document was parsed from (0 for a built one).
    std::size_t loadedSize() const noexcept { return m_loadedSize; }

    pugi::xml_document& dom() noexcept { return m_doc; }
    const pugi::xml_document& dom() const noexcept { return m_doc; }

    // Where detached elements live until they are copied into the tree
    // (see modXml::CreateDetachedElement). Nothing here is ever saved.
    pugi::xml_document& scratch() noexcept { return m_scratch; }

    // "//datafile" and "//records": empty nodes when missing.
    pugi::xml_node datafile() const;
    pugi::xml_node records() const;

    // "//*[@id='X']": the first node in document order with that identifier.
    // An empty identifier finds nothing.
    pugi::xml_node nodeById(std::string_view id) const;

    // Wipes and drops the content (used when a window closes).
    void clear();

private:
    void wipeContent() noexcept;

    pugi::xml_document m_doc;
    pugi::xml_document m_scratch;
    // The parsed text; the DOM points into it, so it lives as long as the DOM.
    std::string m_buffer;
    // Size of the last text parsed: a good first guess for the serialised size.
    std::size_t m_loadedSize = 0;
};

// The first element named `name` in document order below `from` (itself included).
pugi::xml_node firstElementNamed(pugi::xml_node from, std::string_view name) noexcept;

}  // namespace keymora
