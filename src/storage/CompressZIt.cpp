#include "storage/CompressZIt.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>

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

// libdeflate writes standard zlib streams (any `uncompress` reads them) at
// several times zlib's speed. Level 1 keeps a save of a large document well
// under a second's fraction; its files are some 10% larger than zlib's default.
constexpr int kCompressionLevel = 1;

struct Compressor {
    libdeflate_compressor* p = libdeflate_alloc_compressor(kCompressionLevel);
    ~Compressor() { libdeflate_free_compressor(p); }
};

struct Decompressor {
    libdeflate_decompressor* p = libdeflate_alloc_decompressor();
    ~Decompressor() { libdeflate_free_decompressor(p); }
};

// Compresses `in` into a fresh buffer of `capacity` bytes; on Z_OK `out`
// takes the result. Output that does not fit is Z_BUF_ERROR, as with zlib.
template <typename Buffer>
int deflateInto(const Buffer& in, std::size_t capacity, Buffer& out, std::int32_t& resultSize) {
    Compressor c;
    if (c.p == nullptr) return Z_MEM_ERROR;
    // Not zero-filled: of a buffer the size of the text only the compressed
    // part is ever touched.
    const std::unique_ptr<std::uint8_t[]> raw(new (std::nothrow) std::uint8_t[capacity]);
    if (!raw) return Z_MEM_ERROR;
    const std::size_t size = libdeflate_zlib_compress(c.p, in.data(), in.size(), raw.get(), capacity);
    if (size == 0) return Z_BUF_ERROR;
    Buffer buffer(raw.get(), raw.get() + size);
    secureWipe(raw.get(), size);
    out.swap(buffer);
    resultSize = static_cast<std::int32_t>(size);
    return Z_OK;
}

// Expands the zlib stream at the start of `in` (what follows it is ignored)
// into at most `capacity` bytes. A failed attempt's buffer is wiped.
template <typename Buffer>
int inflateInto(const Buffer& in, std::size_t capacity, Buffer& out, std::int32_t& resultSize) {
    Decompressor d;
    if (d.p == nullptr) return Z_MEM_ERROR;
    Buffer buffer(capacity, 0);
    std::size_t used = 0;
    std::size_t size = 0;
    const libdeflate_result result = libdeflate_zlib_decompress_ex(
        d.p, in.data(), in.size(), buffer.data(), buffer.size(), &used, &size);
    if (result != LIBDEFLATE_SUCCESS) {
        secureWipe(buffer);
        return result == LIBDEFLATE_INSUFFICIENT_SPACE ? Z_BUF_ERROR : Z_DATA_ERROR;
    }
    buffer.resize(size);
    out.swap(buffer);
    resultSize = static_cast<std::int32_t>(size);
    return Z_OK;
}

template <typename Buffer>
int compressInto(const Buffer& in, Buffer& out, std::int32_t& compressedSize) {
    if (in.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) ||
        static_cast<std::int64_t>(in.size()) > CompressZIt::kMaxExpandedSize) {
        return Z_MEM_ERROR;
    }
    return deflateInto(in, compressBufferSize(in.size()), out, compressedSize);
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
    return inflateInto(in, static_cast<std::size_t>(capacity), out, originalSize);
}

// The in-place forms shared by the string and byte-array methods: the sizes
// of the last operation are set, and reset to 0 when it fails.
template <typename Buffer>
int compressInPlace(Buffer& data, std::int32_t& compressedSize, std::int32_t& originalSize) {
    compressedSize = 0;
    originalSize = static_cast<std::int32_t>(
        std::min<std::size_t>(data.size(), std::numeric_limits<std::int32_t>::max()));
    Buffer out;
    const int code = compressInto(data, out, compressedSize);
    if (code != Z_OK) {
        originalSize = 0;
        return code;
    }
    secureWipe(data);
    data.swap(out);
    return code;
}

template <typename Buffer>
int decompressInPlace(Buffer& data, std::int32_t expectedSize, std::int32_t& compressedSize,
                      std::int32_t& originalSize) {
    compressedSize = static_cast<std::int32_t>(
        std::min<std::size_t>(data.size(), std::numeric_limits<std::int32_t>::max()));
    originalSize = 0;
    Buffer out;
    const int code = uncompressInto(data, expectedSize, out, originalSize);
    if (code != Z_OK) {
        compressedSize = 0;
        originalSize = 0;
        return code;
    }
    secureWipe(data);
    data.swap(out);
    return code;
}

}  // namespace

int CompressZIt::CompressString(std::string& text) {
    return compressInPlace(text, m_compressedSize, m_originalSize);
}

int CompressZIt::CompressStringTo(std::string_view text, std::string& out, std::size_t spare) {
    m_compressedSize = 0;
    m_originalSize = 0;
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) ||
        static_cast<std::int64_t>(text.size()) > kMaxExpandedSize) {
        return Z_MEM_ERROR;
    }
    Compressor c;
    if (c.p == nullptr) return Z_MEM_ERROR;
    const std::size_t capacity = compressBufferSize(text.size());
    const std::unique_ptr<std::uint8_t[]> raw(new (std::nothrow) std::uint8_t[capacity]);
    if (!raw) return Z_MEM_ERROR;
    const std::size_t size = libdeflate_zlib_compress(c.p, text.data(), text.size(), raw.get(), capacity);
    if (size == 0) return Z_BUF_ERROR;
    std::string result;
    result.reserve(size + spare);
    result.assign(reinterpret_cast<const char*>(raw.get()), size);
    secureWipe(raw.get(), size);
    secureWipe(out);
    out.swap(result);
    m_compressedSize = static_cast<std::int32_t>(size);
    m_originalSize = static_cast<std::int32_t>(text.size());
    return Z_OK;
}

int CompressZIt::DecompressString(std::string& text, std::int32_t expectedSize) {
    return decompressInPlace(text, expectedSize, m_compressedSize, m_originalSize);
}

int CompressZIt::CompressData(std::vector<std::uint8_t>& data) {
    // An array of one element (or none) is left as it is.
    if (data.size() <= 1) return Z_OK;
    return compressInPlace(data, m_compressedSize, m_originalSize);
}

int CompressZIt::DecompressData(std::vector<std::uint8_t>& data, std::int32_t expectedSize) {
    if (data.size() <= 1) return Z_OK;
    return decompressInPlace(data, expectedSize, m_compressedSize, m_originalSize);
}

}  // namespace keymora
