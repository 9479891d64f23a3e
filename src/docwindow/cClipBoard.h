#pragma once
// The program's access to the system clipboard. Passwords reach the
// clipboard only through here: they are offered marked as secret so that
// clipboard managers do not keep them, and one still there at exit is cleared.
#include <QString>

#include <cstdint>

namespace keymora {

class cClipBoard {
public:
    enum Format { CF_TEXT = 1, CF_OEMTEXT = 7, CF_UNICODETEXT = 13, CF_DSPTEXT = 129 };

    static bool FormatAvailable(int format);
    static QString GetText();
    static bool Clear();
    // Does not empty the clipboard first. secret: mark as a password.
    static bool SetText(const QString& text, bool secret = false);

    // Timed copy of a password: remembers the current text, puts the password
    // there, waits timeoutMs while the event loop runs, then clears it and
    // puts the remembered text back. Nested calls behave as stacked copies.
    static void CopyPasswordTimed(const QString& password, int timeoutMs);

    // True when the clipboard holds text this program marked as a password.
    static bool ClipboardHoldsSecret();

    // Clears the clipboard when it still holds a password this program put there.
    static void ClearPasswordAtExit();

    // Unsigned difference of two 32-bit tick readings (wrap-around safe).
    static std::uint32_t elapsedTicks(std::uint32_t start, std::uint32_t now) {
        return now - start;
    }
};

}  // namespace keymora
