#include "storage/PasswordGenerator.h"

#include <botan/system_rng.h>

#include <cmath>
#include <cstdlib>
#include <exception>
#include <limits>

#include "document/RegexMatcher.h"
#include "support/KmError.h"
#include "support/SecureWipe.h"

namespace keymora::passwordgen {

namespace {

constexpr std::int32_t kInvalidArgument = 5;  // "Invalid procedure call or argument"
constexpr const char* kSource = "GenPassword Function\r\n";
// Far beyond anything a valid class and length needs (15 characters of the
// class with most gaps pass about once in sixty draws).
constexpr long kMaxAttempts = 1'000'000;

[[noreturn]] void raise(std::int32_t number, const std::string& source, const std::string& text) {
    throw KmError(number, kSource + source, text);
}

// Uniform whole numbers below a bound, from the system's random source.
class UniformDraw {
public:
    explicit UniformDraw(int width)
        : m_width(static_cast<unsigned>(width)), m_limit(256U - 256U % m_width) {}
    ~UniformDraw() { secureWipe(m_buffer, sizeof m_buffer); }
    UniformDraw(const UniformDraw&) = delete;
    UniformDraw& operator=(const UniformDraw&) = delete;

    unsigned next() {
        for (;;) {
            if (m_used == sizeof m_buffer) {
                m_rng.randomize(m_buffer, sizeof m_buffer);
                m_used = 0;
            }
            const unsigned byte = m_buffer[m_used++];
            // Bytes above the last whole multiple of the width would favour
            // the low values; they are thrown away.
            if (byte < m_limit) return byte % m_width;
        }
    }

private:
    Botan::System_RNG m_rng;
    unsigned m_width;
    unsigned m_limit;
    std::uint8_t m_buffer[64] = {};
    std::size_t m_used = sizeof m_buffer;
};

}  // namespace

std::string GeneratedMessage(std::string_view password) {
    return "The newly generated password is:\r\n\r\n" + std::string(password) +
           "\r\n\r\nAnd has been placed on the clipboard.";
}

LengthCheck CheckLengthText(std::string_view text) {
    LengthCheck check;
    const std::string copy(text);
    const char* begin = copy.c_str();
    while (*begin == ' ') ++begin;
    if (*begin == '\0') return check;
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    while (end != nullptr && *end == ' ') ++end;
    if (end == begin || end == nullptr || *end != '\0' || !std::isfinite(value)) return check;
    check.numeric = true;
    check.text = value >= 16 ? std::string("15") : copy;
    return check;
}

int ClassOfPattern(std::string_view pattern) noexcept {
    for (std::size_t i = 0; i < kClasses.size(); ++i)
        if (pattern == kClasses[i].pattern) return static_cast<int>(i);
    return -1;
}

std::string GenPassword(int length, std::string_view pattern) {
    if (length < 0 || length > kMaxLength)
        raise(kInvalidArgument, "keymora",
              "The password length must be between 0 and " + std::to_string(kMaxLength) + ".");
    const int index = ClassOfPattern(pattern);
    if (index < 0) raise(kInvalidArgument, "keymora", "Unknown password pattern.");
    if (length == 0) return {};

    const PasswordClass& cls = kClasses[static_cast<std::size_t>(index)];
    // Unanchored on purpose: for a candidate of exactly `length` characters it
    // accepts only when every character belongs to the class.
    RegexMatcher test(std::string(pattern) + "{" + std::to_string(length) + "}", {});
    if (!test.valid()) raise(kInvalidArgument, "keymora", test.errorText());

    try {
        UniformDraw draw(cls.width);
        std::string candidate(static_cast<std::size_t>(length), '\0');
        for (long attempt = 0; attempt < kMaxAttempts; ++attempt) {
            for (char& c : candidate) c = static_cast<char>(cls.base + static_cast<int>(draw.next()));
            const RegexMatcher::Result r = test.find(candidate);
            if (r == RegexMatcher::Result::Match) return candidate;
            if (r == RegexMatcher::Result::Error) {
                secureWipe(candidate);
                raise(kInvalidArgument, "keymora", test.lastErrorText());
            }
        }
        secureWipe(candidate);
        raise(kInvalidArgument, "keymora", "No password could be generated.");
    } catch (const KmError&) {
        throw;
    } catch (const std::exception& e) {
        raise(kInvalidArgument, "Botan", e.what());
    }
}

}  // namespace keymora::passwordgen
