#pragma once
// A numbered error with a source and a description, the way the low-level
// modules report failures to the commands that turn them into messages.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace keymora {

class KmError : public std::runtime_error {
public:
    KmError(std::int32_t number, std::string source, std::string description)
        : std::runtime_error(description), m_number(number), m_source(std::move(source)),
          m_description(std::move(description)) {}

    std::int32_t number() const noexcept { return m_number; }
    const std::string& source() const noexcept { return m_source; }
    const std::string& description() const noexcept { return m_description; }

private:
    std::int32_t m_number;
    std::string m_source;
    std::string m_description;
};

// Application-defined numbers (vbObjectError-based, shown as negative 32-bit values).
namespace errnum {
inline constexpr std::int32_t kInputBufferEmpty = static_cast<std::int32_t>(0x8004044DU);
inline constexpr std::int32_t kCryptoInitFailed = static_cast<std::int32_t>(0x8004044EU);
inline constexpr std::int32_t kLogErrorFailed = static_cast<std::int32_t>(0x800403EBU);
inline constexpr std::int32_t kLogNTEventFailed = static_cast<std::int32_t>(0x800403EDU);
inline constexpr std::int32_t kFileNotFound = 53;
inline constexpr std::int32_t kPermissionDenied = 70;
inline constexpr std::int32_t kFailedToEncrypt = 1011;
}  // namespace errnum

}  // namespace keymora
