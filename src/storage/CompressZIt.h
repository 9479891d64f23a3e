#pragma once
// zlib one-shot compress/uncompress over byte strings, keeping the sizes of the
// last operation. Returns zlib's codes; never throws for bad input.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keymora {

class CompressZIt {
public:
    // Largest expansion we will allocate for: zlib cannot expand one input byte
    // into more than 1032 output bytes, and no data file is near this cap.
    static constexpr std::int64_t kMaxExpansionRatio = 1032;
    static constexpr std::int64_t kMaxExpandedSize = 1LL << 30;  // 1 GiB

    int CompressString(std::string& text);
    // Compresses text into out (text is left as it is), with room in out for
    // `spare` more bytes so that appending them moves nothing.
    int CompressStringTo(std::string_view text, std::string& out, std::size_t spare);
    int DecompressString(std::string& text, std::int32_t expectedSize);
    int CompressData(std::vector<std::uint8_t>& data);
    int DecompressData(std::vector<std::uint8_t>& data, std::int32_t expectedSize);

    std::int32_t CompressedSize() const noexcept { return m_compressedSize; }
    std::int32_t OriginalSize() const noexcept { return m_originalSize; }

private:
    std::int32_t m_compressedSize = 0;
    std::int32_t m_originalSize = 0;
};

}  // namespace keymora
