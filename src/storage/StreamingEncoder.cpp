#include "storage/StreamingEncoder.h"

#include <algorithm>

#include "storage/CompressZIt.h"
#include "storage/ModCrypto.h"
#include "support/Cp1252.h"
#include "support/KmError.h"
#include "support/SecureWipe.h"

namespace keymora {

namespace {

constexpr std::size_t kSizeFieldLength = 10;
constexpr const char* kSource = "CompressZIt.CompressString";

// Length of a UTF-8 sequence from its lead byte; 1 for anything else.
std::size_t sequenceLength(unsigned char lead) noexcept {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// Where an unfinished sequence at the end of the text begins (size when none).
std::size_t completePrefix(std::string_view text) noexcept {
    const std::size_t n = text.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, n); ++back) {
        const auto c = static_cast<unsigned char>(text[n - back]);
        if ((c & 0xC0) == 0x80) continue;  // continuation byte: look further back
        return sequenceLength(c) > back ? n - back : n;
    }
    return n;
}

}  // namespace

StreamingEncoder::StreamingEncoder(std::size_t expectedTextSize) {
    if (deflateInit(&m_zs, Z_DEFAULT_COMPRESSION) != Z_OK) m_failed = true;
    // Documents compress to well under half their size; regrowth (old and new
    // buffer side by side) is then rare.
    m_out.reserve(std::max<std::size_t>(expectedTextSize / 2 + 64, 1 << 20));
}

StreamingEncoder::~StreamingEncoder() {
    if (!m_failed) deflateEnd(&m_zs);
    secureWipe(m_out);
    secureWipe(m_carry);
    secureWipe(m_piece);
}

void StreamingEncoder::write(const void* data, std::size_t size) {
    if (m_failed) return;
    std::string_view text(static_cast<const char*>(data), size);
    if (!m_carry.empty()) {
        m_carry.append(text);
        text = m_carry;
    }
    const std::size_t complete = completePrefix(text);
    m_piece = cp1252::fromUtf8XmlText(text.substr(0, complete));
    std::string rest(text.substr(complete));
    secureWipe(m_carry);
    m_carry = std::move(rest);
    m_textSize += m_piece.size();
    deflateBytes(m_piece, Z_NO_FLUSH);
    secureWipe(m_piece.data(), m_piece.size());
}

void StreamingEncoder::deflateBytes(std::string_view bytes, int flush) {
    m_zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    m_zs.avail_in = static_cast<uInt>(bytes.size());
    for (;;) {
        if (m_out.size() == m_out.capacity()) {
            // Grow by hand so the old buffer is wiped, not just freed.
            std::string bigger;
            bigger.reserve(m_out.capacity() * 2);
            bigger.append(m_out);
            secureWipe(m_out);
            m_out.swap(bigger);
        }
        const std::size_t have = m_out.size();
        // A bounded window: resize() zero-fills, and the reserved tail should
        // stay untouched until zlib writes there.
        const std::size_t room = std::min<std::size_t>(m_out.capacity() - have, 256 * 1024);
        m_out.resize(have + room);
        m_zs.next_out = reinterpret_cast<Bytef*>(m_out.data() + have);
        m_zs.avail_out = static_cast<uInt>(room);
        const int code = deflate(&m_zs, flush);
        m_out.resize(have + room - m_zs.avail_out);
        if (code == Z_STREAM_ERROR) {
            m_failed = true;
            return;
        }
        if (flush == Z_FINISH ? code == Z_STREAM_END : m_zs.avail_in == 0 && m_zs.avail_out != 0)
            return;
    }
}

std::string StreamingEncoder::finish(std::string_view keyTextUtf8) {
    if (!m_failed) {
        // A sequence cut at the very end is invalid UTF-8; it becomes '?'.
        if (!m_carry.empty()) {
            m_piece = cp1252::fromUtf8XmlText(m_carry);
            m_textSize += m_piece.size();
            deflateBytes(m_piece, Z_NO_FLUSH);
        }
        deflateBytes({}, Z_FINISH);
    }
    if (m_failed || m_textSize > static_cast<std::uint64_t>(CompressZIt::kMaxExpandedSize)) {
        throw KmError(7, kSource, "Out of memory");
    }
    std::string field = std::to_string(m_textSize);
    field.resize(kSizeFieldLength, ' ');
    std::string payload;
    payload.swap(m_out);
    payload += field;
    try {
        modCrypto::ApplyInPlace(payload, keyTextUtf8);
    } catch (...) {
        secureWipe(payload);
        throw;
    }
    return payload;
}

}  // namespace keymora
