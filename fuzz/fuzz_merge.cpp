// Merging any decoded source into any document must succeed or leave the
// destination exactly as it was; after a success the destination still
// writes out text that loads, and no identifier of it occurs twice.
// Input: destination XML, a NUL byte, source XML.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>

#include "document/Merge.h"
#include "document/XmlDoc.h"

namespace {

bool idsUnique(const keymora::XmlDoc& doc) {
    std::unordered_set<std::string> seen;
    for (const pugi::xpath_node& n : doc.dom().select_nodes("//*[@id]")) {
        const std::string id = n.node().attribute("id").value();
        const std::string_view name = n.node().name();
        const bool counted = name == "category" || name == "subcategory" || name == "record_detail";
        if (counted && !seen.insert(id).second) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace keymora;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\0');
    if (cut == std::string_view::npos) return 0;
    XmlDoc destination, source;
    if (!destination.loadXml(input.substr(0, cut)) || !source.loadXml(input.substr(cut + 1))) return 0;
    const std::string before = destination.xml();
    const bool uniqueBefore = idsUnique(destination);
    const merge::MergeOutcome outcome = merge::MergeSourceCategoryToDestination(source, destination);
    const std::string after = destination.xml();
    if (!outcome.ok && after != before) std::abort();
    XmlDoc again;
    if (!again.loadXml(after)) std::abort();
    if (outcome.ok && uniqueBefore && !idsUnique(destination)) std::abort();
    return 0;
}
