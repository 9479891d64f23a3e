#pragma once
// Builds the bytes of a data file while the document is being serialised:
// each piece of UTF-8 text is turned into Windows-1252 and fed to zlib at
// once, so the whole plain text never sits in memory next to the document.
#include <pugixml.hpp>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace keymora {

class StreamingEncoder final : public pugi::xml_writer {
public:
    // expectedTextSize sizes the output buffer once: address space that is
    // reserved but not yet written costs no memory.
    explicit StreamingEncoder(std::size_t expectedTextSize = 0);
    ~StreamingEncoder() override;
    StreamingEncoder(const StreamingEncoder&) = delete;
    StreamingEncoder& operator=(const StreamingEncoder&) = delete;

    void write(const void* data, std::size_t size) override;

    // Ends the stream, appends the size field and enciphers; throws KmError.
    std::string finish(std::string_view keyTextUtf8);

private:
    void deflateBytes(std::string_view bytes, int flush);

    z_stream m_zs{};
    bool m_failed = false;
    std::string m_out;      // compressed so far
    std::string m_carry;    // an incomplete UTF-8 sequence from the last piece
    std::string m_piece;    // reused conversion buffer
    std::uint64_t m_textSize = 0;  // Windows-1252 bytes so far: the size field
};

}  // namespace keymora
