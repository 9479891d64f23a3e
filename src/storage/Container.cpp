#include "storage/Container.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "storage/CompressZIt.h"
#include "storage/ModCrypto.h"
#include "support/KmError.h"
#include "support/SecureWipe.h"

namespace keymora::container {

namespace {

constexpr std::size_t kSizeFieldLength = 10;
constexpr std::string_view kOldFileExtension = ".kmfoldfile";
constexpr std::string_view kBareXmlPrefix = "<datafile";

bool endsWithOldFileExtension(std::string_view name) {
    if (name.size() < kOldFileExtension.size()) return false;
    const std::string_view tail = name.substr(name.size() - kOldFileExtension.size());
    return std::equal(tail.begin(), tail.end(), kOldFileExtension.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

// The number in the last ten characters: digits, then blanks only, at least
// one digit. Nothing when they are not a size field.
std::optional<std::int64_t> sizeFieldValue(std::string_view payload) {
    if (payload.size() < kSizeFieldLength) return std::nullopt;
    const std::string_view field = payload.substr(payload.size() - kSizeFieldLength);
    std::size_t i = 0;
    std::int64_t value = 0;
    while (i < field.size() && field[i] >= '0' && field[i] <= '9') {
        value = value * 10 + (field[i] - '0');
        ++i;
    }
    if (i == 0) return std::nullopt;
    for (; i < field.size(); ++i) {
        if (field[i] != ' ') return std::nullopt;
    }
    return value;
}

// A zlib header: deflate method and a valid check value.
bool startsLikeZlib(std::string_view payload) {
    if (payload.size() < 2) return false;
    const auto cmf = static_cast<unsigned char>(payload[0]);
    const auto flg = static_cast<unsigned char>(payload[1]);
    return (cmf & 0x0F) == 8 && (cmf >> 4) <= 7 && (cmf * 256u + flg) % 31u == 0;
}

// Inflates the zlib stream at the start of the payload, ignoring what follows
// it: a file overwritten in place by a shorter one without being cut keeps
// the old tail after the new size field. The stream must end inside the
// payload; output is bounded by what zlib can produce from the input.
std::optional<std::string> inflateLeading(std::string_view payload) {
    if (!startsLikeZlib(payload) || payload.size() > std::numeric_limits<uInt>::max()) {
        return std::nullopt;
    }
    const std::int64_t cap = std::min<std::int64_t>(
        CompressZIt::kMaxExpandedSize,
        static_cast<std::int64_t>(payload.size()) * CompressZIt::kMaxExpansionRatio + 1032);

    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return std::nullopt;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(payload.data()));
    zs.avail_in = static_cast<uInt>(payload.size());

    std::string out;
    std::size_t initial = std::max<std::size_t>(payload.size() * 4, 64 * 1024);
    out.resize(std::min<std::size_t>(initial, static_cast<std::size_t>(cap)));
    std::size_t have = 0;
    int code = Z_OK;
    for (;;) {
        if (have == out.size()) {
            if (out.size() >= static_cast<std::size_t>(cap)) break;
            std::string bigger;
            bigger.resize(std::min<std::size_t>(out.size() * 2, static_cast<std::size_t>(cap)));
            std::copy_n(out.data(), have, bigger.data());
            secureWipe(out);
            out.swap(bigger);
        }
        const std::size_t room =
            std::min<std::size_t>(out.size() - have, std::numeric_limits<uInt>::max());
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + have);
        zs.avail_out = static_cast<uInt>(room);
        code = inflate(&zs, Z_NO_FLUSH);
        have += room - zs.avail_out;
        if (code == Z_STREAM_END) break;
        if (code != Z_OK) break;  // damaged stream, or input ran out (Z_BUF_ERROR)
    }
    const bool ended = code == Z_STREAM_END;
    const bool trailing = zs.avail_in > 0;
    inflateEnd(&zs);
    if (!ended || !trailing) {
        secureWipe(out);
        return std::nullopt;
    }
    out.resize(have);
    return out;
}

// Wipes the payload on every way out of decodePayload.
struct WipeOnExit {
    std::string& text;
    ~WipeOnExit() { secureWipe(text); }
};

}  // namespace

// No copy of the text is made: its buffer is left for the caller to reuse.
std::string encodePayload(std::string_view xmlBytes) {
    const std::size_t n = xmlBytes.size();
    if (static_cast<std::int64_t>(n) > CompressZIt::kMaxExpandedSize) {
        throw KmError(7, "container.encodePayload", "Out of memory");
    }
    CompressZIt zip;
    std::string payload;
    // A failed compression is an error rather than a payload no reader accepts.
    if (zip.CompressStringTo(xmlBytes, payload, kSizeFieldLength) != Z_OK) {
        throw KmError(7, "CompressZIt.CompressString", "Out of memory");
    }
    std::string field = std::to_string(n);
    field.resize(kSizeFieldLength, ' ');
    payload += field;
    return payload;
}

void encodePayloadInPlace(std::string& text) {
    try {
        std::string payload = encodePayload(text);
        secureWipe(text);
        text.swap(payload);
    } catch (...) {
        secureWipe(text);
        throw;
    }
}

void encodeInPlace(std::string& xmlBytes, std::string_view keyTextUtf8) {
    try {
        encodePayloadInPlace(xmlBytes);
        modCrypto::ApplyInPlace(xmlBytes, keyTextUtf8);
    } catch (...) {
        secureWipe(xmlBytes);
        throw;
    }
}

std::string encode(std::string_view xmlBytes, std::string_view keyTextUtf8) {
    std::string bytes(xmlBytes);
    encodeInPlace(bytes, keyTextUtf8);
    return bytes;
}

PayloadKind classifyPayload(std::string_view fileName, std::string_view payload) {
    if (endsWithOldFileExtension(fileName)) return PayloadKind::OldFile;
    if (sizeFieldValue(payload)) return PayloadKind::Compressed;
    if (payload.substr(0, kBareXmlPrefix.size()) == kBareXmlPrefix) return PayloadKind::BareXml;
    if (startsLikeZlib(payload)) return PayloadKind::Compressed;
    // Anything else would be a legacy archive, which this program cannot extract.
    return PayloadKind::Unreadable;
}

std::optional<std::string> decodePayload(std::string_view fileName, std::string payload) {
    WipeOnExit wipe{payload};
    switch (classifyPayload(fileName, payload)) {
    case PayloadKind::OldFile:
    case PayloadKind::BareXml:
        return std::optional<std::string>(std::move(payload));
    case PayloadKind::Unreadable:
        return std::nullopt;
    case PayloadKind::Compressed:
        break;
    }

    const std::optional<std::int64_t> expected = sizeFieldValue(payload);
    if (expected && *expected <= std::numeric_limits<std::int32_t>::max()) {
        // The whole payload goes in; zlib stops at the end of its stream.
        CompressZIt zip;
        if (zip.DecompressString(payload, static_cast<std::int32_t>(*expected)) == Z_OK) {
            return std::optional<std::string>(std::move(payload));
        }
    }
    return inflateLeading(payload);
}

std::optional<std::string> decode(std::string_view fileName, std::string_view fileBytes,
                                  std::string_view keyTextUtf8) {
    if (fileBytes.empty()) return std::nullopt;
    return decodeInPlace(fileName, std::string(fileBytes), keyTextUtf8);
}

std::optional<std::string> decodeInPlace(std::string_view fileName, std::string&& fileBytes,
                                  std::string_view keyTextUtf8) {
    std::string payload(std::move(fileBytes));
    if (payload.empty()) return std::nullopt;
    try {
        modCrypto::ApplyInPlace(payload, keyTextUtf8);
    } catch (...) {
        secureWipe(payload);
        throw;
    }
    return decodePayload(fileName, std::move(payload));
}

}  // namespace keymora::container
