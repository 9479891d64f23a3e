#include "storage/CredentialRules.h"

namespace keymora::credentials {

std::string_view TrimmedView(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string TrimBlanks(std::string_view text) { return std::string(TrimmedView(text)); }

bool IsRefusedWord(std::string_view password) {
    static constexpr std::string_view word = "password";
    if (password.size() != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = password[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return true;
}

namespace {

Verdict refuse(const char* text, const char* title, Field focus, bool clearPassword,
               bool clearConfirm) {
    Verdict v;
    v.text = text;
    v.title = title;
    v.focus = focus;
    v.clearPassword = clearPassword;
    v.clearConfirm = clearConfirm;
    return v;
}

Verdict accept() {
    Verdict v;
    v.accepted = true;
    return v;
}

}  // namespace

Verdict CheckLogin(std::string_view /*userName*/, std::string_view password) {
    if (password.empty())
        return refuse(kPasswordRequired, kLoginTitle, Field::Password, false, false);
    if (IsRefusedWord(password))
        return refuse(kPasswordWordRefused, kLoginTitle, Field::Password, true, false);
    return accept();
}

Verdict CheckNewCredentials(std::string_view userName, std::string_view password,
                            std::string_view confirm) {
    if (TrimmedView(userName).empty())
        return refuse(kUserNameRequired, kConfirmTitle, Field::UserName, false, false);
    if (TrimmedView(password).empty())
        return refuse(kPasswordRequired, kProcessingErrorTitle, Field::Password, true, true);
    if (TrimmedView(confirm).empty())
        return refuse(kPasswordRequired, kProcessingErrorTitle, Field::Confirm, true, true);
    if (IsRefusedWord(password))
        return refuse(kPasswordWordRefused, kLoginTitle, Field::Password, true, true);
    if (password != confirm)
        // The dialog names no box here; the password box is the natural place.
        return refuse(kPasswordsDiffer, kProcessingErrorTitle, Field::Password, true, true);
    return accept();
}

}  // namespace keymora::credentials
