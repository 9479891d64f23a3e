#pragma once
// Random passwords of one character class. Characters are drawn uniformly
// from a range of codes per class and whole candidates are drawn again until
// the class's expression accepts every character, which keeps the classes
// with gaps uniform over their allowed characters.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace keymora::passwordgen {

struct PasswordClass {
    const char* caption;
    const char* pattern;  // one character of the class
    int width;            // codes drawn: base .. base + width - 1
    int base;
};

inline constexpr std::array<PasswordClass, 5> kClasses = {{
    {"Uppercase Alpha", "[A-Z]", 26, 65},
    {"Lowercase Alpha", "[a-z]", 26, 97},
    {"Both Case Alpha", "[A-Za-z]", 58, 65},
    {"Alpha-Numeric", "[A-Za-z0-9]", 75, 48},
    {"Alpha-Numeric with \"special\" characters (recommended)",
     "[A-Za-z0-9\\@\\#\\$\\%\\&\\*\\(\\)\\?]", 93, 33},
}};

inline constexpr int kDefaultClass = 4;
inline constexpr int kDefaultLength = 8;
inline constexpr int kMaxLength = 15;

inline constexpr const char* kLengthNotNumberText = "The password length must be a number.";
inline constexpr const char* kLengthNotNumberTitle = "Invalid Entry";
inline constexpr const char* kGeneratedTitle = "New Password Generated";

// "The newly generated password is:\r\n\r\n" + password + "\r\n\r\nAnd has been placed on the clipboard."
std::string GeneratedMessage(std::string_view password);

// The length box on losing the focus: numbers of 16 or more become "15",
// other numbers stay; a text that is not a number gives nothing (the caller
// shows the message and puts back "8").
struct LengthCheck {
    bool numeric = false;
    std::string text;
};
LengthCheck CheckLengthText(std::string_view text);

// The class whose pattern is exactly this text; -1 when none.
int ClassOfPattern(std::string_view pattern) noexcept;

// A password of `length` characters of the class with this pattern, from the
// system's cryptographic random source. Length 0 gives "". Throws KmError
// (source "GenPassword Function\r\n...") for a negative length, one above
// kMaxLength, or a pattern that is not one of the classes'.
std::string GenPassword(int length, std::string_view pattern);

}  // namespace keymora::passwordgen
