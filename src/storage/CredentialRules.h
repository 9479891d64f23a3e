#pragma once
// The checks the login dialogs make before they accept credentials. Shared by
// the desktop dialogs and the command-line tool, so both refuse the same input
// with the same words.
#include <string>
#include <string_view>

namespace keymora::credentials {

inline constexpr const char* kPasswordRequired = "A Password is required to continue.";
inline constexpr const char* kPasswordWordRefused =
    "A Password is required to continue.\r\nThe word \"Password\" will not be accepted.";
inline constexpr const char* kUserNameRequired = "User Name required to continue";
inline constexpr const char* kPasswordsDiffer = "Password and Confirm Password do not match.";
inline constexpr const char* kLoginTitle = "Login";
inline constexpr const char* kConfirmTitle = "Specify User Name, Password and Confirm Password";
inline constexpr const char* kProcessingErrorTitle = "Password Processing Error";

// The box that takes the focus after a refusal.
enum class Field { None, UserName, Password, Confirm };

struct Verdict {
    bool accepted = false;
    std::string text;   // message shown on refusal
    std::string title;  // its title
    Field focus = Field::None;
    bool clearPassword = false;  // empty the password box
    bool clearConfirm = false;   // empty the confirmation box
};

// Blanks (spaces) removed from both ends, as callers store the boxes.
// The same text without its outer blanks, without a copy (for secrets that
// are only looked at).
std::string_view TrimmedView(std::string_view text);
std::string TrimBlanks(std::string_view text);

// True when the text, lower-cased, is the word "password".
bool IsRefusedWord(std::string_view password);

// Credentials of an existing file: any user name, a non-empty password that is
// not the refused word (untrimmed comparison).
Verdict CheckLogin(std::string_view userName, std::string_view password);

// New credentials (new file, change of password), in the dialog's order.
Verdict CheckNewCredentials(std::string_view userName, std::string_view password,
                            std::string_view confirm);

}  // namespace keymora::credentials
