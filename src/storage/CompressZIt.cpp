#include "storage/CompressZIt.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "support/SecureWipe.h"

namespace keymora {

namespace {

// The output buffer of a compression: 1% plus 12 bytes over the input,
// rounded half to even.
std::size_t compressBufferSize(std::size_t n) {
    const double size = static_cast<double>(n) * 0.01 + static_cast<double>(n) + 12.0;
    return static_cast<std::size_t>(std::nearbyint(size));
}

// Largest output zlib can possibly produce from `inputSize` bytes: deflate
// never expands one input byte to more than 1032 bytes.
std::int64_t maxPossibleExpansion(std::size_t inputSize) {
    return static_cast<std::int64_t>(inputSize) * CompressZIt::kMaxExpansionRatio + 1032;
}

// Runs `compress` over the bytes; fills `out` on Z_OK.
template <typename Buffer>
int compressInto(const Buffer& in, Buffer& out, std::int32_t& compressedSize) {
    if (in.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) ||
        static_cast<std::int64_t>(in.size()) > CompressZIt::kMaxExpandedSize) {
        return Z_MEM_ERROR;
    }
    Buffer buffer(compressBufferSize(in.size()), 0);
    uLongf size = static_cast<uLongf>(buffer.size());
    const int code = ::compress(reinterpret_cast<Bytef*>(buffer.data()), &size,
                                reinterpret_cast<const Bytef*>(in.data()),
                                static_cast<uLong>(in.size()));
    if (code != Z_OK) {
        secureWipe(buffer);
        return code;
    }
    buffer.resize(size);
    out.swap(buffer);
    compressedSize = static_cast<std::int32_t>(size);
    return Z_OK;
}

template <typename Buffer>
int uncompressInto(const Buffer& in, std::int32_t expectedSize, Buffer& out,
                   std::int32_t& originalSize) {
    // An expected size the stream could never fill is a damaged size field:
    // refuse it rather than allocate what it claims.
    if (expectedSize < 0) return Z_BUF_ERROR;
    const std::int64_t capacity = static_cast<std::int64_t>(expectedSize) + 1;
    if (capacity > CompressZIt::kMaxExpandedSize || capacity > maxPossibleExpansion(in.size())) {
        return Z_DATA_ERROR;
    }
    Buffer buffer(static_cast<std::size_t>(capacity), 0);
    uLongf size = static_cast<uLongf>(buffer.size());
    const int code = ::uncompress(reinterpret_cast<Bytef*>(buffer.data()), &size,
                                  reinterpret_cast<const Bytef*>(in.data()),
                                  static_cast<uLong>(in.size()));
    if (code != Z_OK) {
        secureWipe(buffer);
        return code;
    }
    buffer.resize(size);
    out.swap(buffer);
    originalSize = static_cast<std::int32_t>(size);
    return Z_OK;
}

}  // namespace

int CompressZIt::CompressString(std::string& text) {
    m_compressedSize = 0;
    m_originalSize = static_cast<std::int32_t>(
        std::min<std::size_t>(text.size(), std::numeric_limits<std::int32_t>::max()));
    std::string out;
    const int code = compressInto(text, out, m_compressedSize);
    if (code != Z_OK) {
        m_originalSize = 0;
        return code;
    }
    secureWipe(text);
    text.swap(out);
    return code;
}

int CompressZIt::DecompressString(std::string& text, std::int32_t expectedSize) {
    m_compressedSize = static_cast<std::int32_t>(
        std::min<std::size_t>(text.size(), std::numeric_limits<std::int32_t>::max()));
    m_originalSize = 0;
    std::string out;
    const int code = uncompressInto(text, expectedSize, out, m_originalSize);
    if (code != Z_OK) {
        m_compressedSize = 0;
        m_originalSize = 0;
        return code;
    }
    secureWipe(text);
    text.swap(out);
    return code;
}

int CompressZIt::CompressData(std::vector<std::uint8_t>& data) {
    // An array of one element (or none) is left as it is.
    if (data.size() <= 1) return Z_OK;
    m_compressedSize = 0;
    m_originalSize = static_cast<std::int32_t>(
        std::min<std::size_t>(data.size(), std::numeric_limits<std::int32_t>::max()));
    std::vector<std::uint8_t> out;
    const int code = compressInto(data, out, m_compressedSize);
    if (code != Z_OK) {
        m_originalSize = 0;
        return code;
    }
    secureWipe(data);
    data.swap(out);
    return code;
}

int CompressZIt::DecompressData(std::vector<std::uint8_t>& data, std::int32_t expectedSize) {
    if (data.size() <= 1) return Z_OK;
    m_compressedSize = static_cast<std::int32_t>(
        std::min<std::size_t>(data.size(), std::numeric_limits<std::int32_t>::max()));
    m_originalSize = 0;
    std::vector<std::uint8_t> out;
    const int code = uncompressInto(data, expectedSize, out, m_originalSize);
    if (code != Z_OK) {
        m_compressedSize = 0;
        m_originalSize = 0;
        return code;
    }
    secureWipe(data);
    data.swap(out);
    return code;
}

}  // namespace keymora
