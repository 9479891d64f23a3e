// Any text given as a document (by encode, or inside a data file) must give
// a document or a clean refusal; a document that loads must write out text
// that loads again, and hold no character XML forbids once it came in clean.
// The first rewrite may still change text: a CR kept in a value is written
// raw and read back as a line end (known; see the notes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/XmlChars.h"
#include "document/XmlDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool clean = !keymora::xmlchars::firstForbidden(text).has_value();
    keymora::XmlDoc doc;
    if (!doc.loadXml(text)) return 0;
    const std::string written = doc.xml();
    keymora::XmlDoc again;
    if (!again.loadXml(written)) std::abort();
    const std::string rewritten = again.xml();
    keymora::XmlDoc third;
    if (!third.loadXml(rewritten) || third.xml() != rewritten) std::abort();
    if (clean && keymora::xmlchars::firstForbidden(written)) std::abort();
    return 0;
}
