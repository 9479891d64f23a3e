// Any bytes given as a data file must give a document or a clean failure.
// Input: one control byte (low five bits: key length; top bit: old-file
// name), the key text, then the file bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "storage/Container.h"
#include "storage/DataFile.h"
#include "storage/ModernContainer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t control = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t keyLength = std::min<std::size_t>(control & 0x1F, rest.size());
    const std::string_view key = rest.substr(0, keyLength);
    const std::string_view file = rest.substr(keyLength);
    const char* name = (control & 0x80) != 0 ? "fuzz.KmfOldFile" : "fuzz.kmf";

    // The payload coding on its own, without the cipher in front.
    (void)keymora::container::decodePayload(name, std::string(file));
    (void)keymora::container::decode(name, file, key);
    // A modern header may ask for up to a second of key derivation by design;
    // that reader has its own target with a key derived once.
    if (keymora::modern::hasMagic(file)) return 0;
    if (auto doc = keymora::datafile::openDocument(name, file, key, "")) {
        (void)doc->xml();
    }
    return 0;
}
