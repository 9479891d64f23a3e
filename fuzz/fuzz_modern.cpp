// The modern container's reader on any bytes: a clean refusal or the payload,
// never a crash, a hang or a large allocation. Input: one control byte, then
// the rest. Control bit 0 clear: the rest is a file, read with a fixed key
// (its header must be refused or checked without deriving anything). Bit 0
// set: the rest is a payload, sealed with that key; the file must open to the
// same payload, and with the bit chosen by the next two bytes flipped it must
// not open at all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "storage/DataFile.h"
#include "storage/ModernContainer.h"

namespace {

const keymora::modern::FileKey& fixedKey() {
    static const keymora::modern::FileKey key =
        keymora::modern::FileKey::derive("fuzz", "fuzz", {8192, 1, 1}, keymora::modern::Salt{});
    return key;
}

void readFile(std::string_view file) {
    keymora::modern::Header header;
    (void)keymora::modern::readHeader(file, header);
    if (auto text = keymora::datafile::decodeText("fuzz.kmf", file, fixedKey())) {
        (void)keymora::datafile::openDocument("fuzz.kmf", file, fixedKey());
    }
}

void sealAndFlip(std::string_view payload) {
    if (payload.size() < 2) return;
    const std::size_t flip = static_cast<std::uint8_t>(payload[0]) * 256u + static_cast<std::uint8_t>(payload[1]);
    const std::string plain(payload.substr(2));
    std::string file = keymora::modern::seal(std::string(plain), fixedKey());
    const auto opened = keymora::modern::open(file, fixedKey());
    if (!opened || *opened != plain) std::abort();
    const std::size_t bit = flip % (file.size() * 8);
    file[bit / 8] = static_cast<char>(file[bit / 8] ^ (1 << (bit % 8)));
    if (keymora::modern::open(file, fixedKey())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if ((data[0] & 1) == 0) {
        readFile(rest);
    } else {
        sealAndFlip(rest);
    }
    return 0;
}
