// Any bytes given as the settings file must be read without failing, and
// what was read must write out and read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/RegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace rf = keymora::regfile;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const rf::ParseResult parsed = rf::parse(text);
    if (!parsed.headerOk) return 0;
    const rf::ParseResult again = rf::parse(rf::serialize(parsed.data));
    if (!again.headerOk || !again.badLines.empty() || !(again.data == parsed.data)) std::abort();
    return 0;
}
