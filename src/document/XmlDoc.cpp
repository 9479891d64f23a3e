#include "document/XmlDoc.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "document/Nesting.h"
#include "document/PugiMemory.h"
#include "support/SecureWipe.h"

namespace keymora {

namespace {

// The node after n in document order below root, skipping n's children
// when intoChildren is false; empty at the end.
pugi::xml_node nextInTree(pugi::xml_node n, pugi::xml_node root, bool intoChildren) noexcept {
    if (intoChildren && n.first_child()) return n.first_child();
    while (n && n != root && !n.next_sibling()) n = n.parent();
    if (!n || n == root) return {};
    return n.next_sibling();
}

// The first node below root, in document order, for which found() is true.
// Iterative, so deep trees from damaged files cannot exhaust the stack.
template <typename Found>
pugi::xml_node findInTree(pugi::xml_node root, Found found) {
    for (pugi::xml_node n = root.first_child(); n; n = nextInTree(n, root, true)) {
        if (found(n)) return n;
    }
    return {};
}

// Text nodes that hold only white space are indentation and are dropped, so
// entry fields can be read by position. The one exception is the sole text of
// an entry's field: a password of blanks is data, and dropping it would lose it.
// An element's leading text is kept in the element itself rather than in a
// node of its own: a document of entries needs 40% less memory that way.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_doctype |
                                   pugi::parse_ws_pcdata_single | pugi::parse_embed_pcdata;

// Data files never declare a document type; one in a file can only be there
// to declare entities, which are not expanded anyway.
bool hasDoctype(const pugi::xml_document& doc) noexcept {
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype) return true;
    return false;
}

}  // namespace

bool nestsDeeperThan(const pugi::xml_node doc, std::size_t limit) noexcept {
    std::size_t depth = 1;  // of n
    pugi::xml_node n = doc.first_child();
    while (n) {
        if (n.type() == pugi::node_element && depth > limit) return true;
        if (n.first_child()) {
            n = n.first_child();
            ++depth;
            continue;
        }
        while (!n.next_sibling()) {
            n = n.parent();
            --depth;
            if (n == doc) return false;
        }
        n = n.next_sibling();
    }
    return false;
}

namespace {

bool isBlankText(const char* text) noexcept {
    for (; *text != '\0'; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n') return false;
    }
    return true;
}

bool isEntryField(pugi::xml_node element) noexcept {
    const pugi::xml_node entry = element.parent();
    return entry.type() == pugi::node_element && std::strcmp(entry.name(), "record_detail") == 0;
}

// One pass over a parsed document, by the parser's own walk: finds an
// element nested too deep, and removes the blank text the parser kept that is
// not an entry field's value. The parser keeps blank text only as an
// element's sole content, which it holds in the element itself (see
// kParseOptions).
class AfterParse final : public pugi::xml_tree_walker {
public:
    bool tooDeep = false;

    bool for_each(pugi::xml_node& n) override {
        if (n.type() != pugi::node_element) return true;
        // The children of the document are on level 1.
        if (static_cast<std::size_t>(depth()) >= kMaxNestingDepth) {
            tooDeep = true;
            return false;
        }
        const char* value = n.value();
        if (*value != '\0' && isBlankText(value) && !isEntryField(n)) n.text().set("");
        return true;
    }
};

bool isXmlBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The parser skips text outside the root element; a sound file has none
// before its first markup or after its last.
bool startsAndEndsWithMarkup(std::string_view text) noexcept {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty() && isXmlBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isXmlBlank(text.back())) text.remove_suffix(1);
    return !text.empty() && text.front() == '<' && text.back() == '>';
}

// A well-formed document has exactly one element at the top and no text there.
bool hasSingleDocumentElement(const pugi::xml_document& doc) noexcept {
    int elements = 0;
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        switch (n.type()) {
        case pugi::node_element: ++elements; break;
        case pugi::node_pcdata:
        case pugi::node_cdata: return false;
        default: break;
        }
    }
    return elements == 1;
}

// Grows by doubling and wipes each buffer it leaves behind.
class WipingStringWriter final : public pugi::xml_writer {
public:
    // Writes into `reuse`, which keeps its buffer when that is large enough.
    WipingStringWriter(std::string& reuse, std::size_t expected) {
        m_out.swap(reuse);
        m_out.clear();
        if (m_out.capacity() < expected) {
            secureWipe(m_out);
            std::string().swap(m_out);
            reserve(m_out, expected);
        }
    }
    void write(const void* data, std::size_t size) override {
        if (m_out.size() + size > m_out.capacity()) {
            std::string bigger;
            reserve(bigger, std::max(m_out.capacity() * 2, m_out.size() + size));
            bigger.append(m_out);
            secureWipe(m_out);
            m_out.swap(bigger);
        }
        m_out.append(static_cast<const char*>(data), size);
    }
    std::string take() { return std::move(m_out); }

private:
    static void reserve(std::string& s, std::size_t bytes) {
        s.reserve(bytes);
        pugimemory::adviseHugePages(s.data(), s.capacity());
    }
    std::string m_out;
};

}  // namespace

pugi::xml_node firstElementNamed(pugi::xml_node from, std::string_view name) noexcept {
    if (!from) return {};
    if (from.type() == pugi::node_element && name == from.name()) return from;
    return findInTree(from, [name](pugi::xml_node n) {
        return n.type() == pugi::node_element && name == n.name();
    });
}

XmlDoc::~XmlDoc() { wipeContent(); }

void XmlDoc::wipeContent() noexcept {
    // Strings the parser did not leave in m_buffer live in blocks that the
    // document's allocator wipes when they are freed (PugiMemory).
    secureWipe(m_buffer);
    m_buffer.shrink_to_fit();
}

void XmlDoc::clear() {
    wipeContent();
    m_doc.reset();
    m_scratch.reset();
    m_loadedSize = 0;
}

bool XmlDoc::loadXml(std::string_view utf8, std::string* errorText) {
    std::string copy;
    copy.reserve(utf8.size());
    pugimemory::adviseHugePages(copy.data(), copy.capacity());
    copy.assign(utf8);
    return loadXmlInPlace(std::move(copy), errorText);
}

bool XmlDoc::loadXmlInPlace(std::string&& utf8, std::string* errorText) {
    pugimemory::install();
    clear();
    m_buffer = std::move(utf8);
    // The caller's string is empty now; the text lives on only in m_buffer.
    const bool framed = startsAndEndsWithMarkup(m_buffer);
    const pugi::xml_parse_result result =
        m_doc.load_buffer_inplace(m_buffer.data(), m_buffer.size(), kParseOptions, pugi::encoding_utf8);
    std::string error;
    if (!framed) {
        error = "Text outside the root element";
    } else if (!result) {
        error = std::string(result.description()) + " at offset " + std::to_string(result.offset);
    } else if (hasDoctype(m_doc)) {
        error = "The document declares a document type; data files never do";
    } else if (!hasSingleDocumentElement(m_doc)) {
        error = "The document must hold exactly one root element and no text outside it";
    } else if (AfterParse walk; !m_doc.traverse(walk) || walk.tooDeep) {
        error = "The document nests deeper than " + std::to_string(kMaxNestingDepth) + " levels";
    }
    if (!error.empty()) {
        clear();
        if (errorText != nullptr) *errorText = std::move(error);
        return false;
    }
    m_loadedSize = m_buffer.size();
    return true;
}

std::string XmlDoc::xml() const {
    std::string out;
    xmlInto(out);
    return out;
}

void XmlDoc::xmlInto(std::string& out) const {
    WipingStringWriter writer(out, m_loadedSize + m_loadedSize / 16 + 256);
    save(writer);
    out = writer.take();
}

void XmlDoc::save(pugi::xml_writer& writer) const {
    m_doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
}

pugi::xml_node XmlDoc::datafile() const { return firstElementNamed(m_doc, "datafile"); }

pugi::xml_node XmlDoc::records() const {
    // "//records" in document order; in every sound file that is datafile's only child.
    return firstElementNamed(m_doc, "records");
}

pugi::xml_node XmlDoc::nodeById(std::string_view id) const {
    if (id.empty()) return {};
    return findInTree(m_doc, [id](pugi::xml_node n) {
        if (n.type() != pugi::node_element) return false;
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
            if (std::strcmp(a.name(), "id") == 0 && id == a.value()) return true;
        }
        return false;
    });
}

}  // namespace keymora
