#pragma once
// The program's access to the system clipboard. Passwords reach the
// clipboard only through here: they are offered marked as secret so that
// clipboard managers do not keep them, they are taken away again after a
// while, and one still there at exit is cleared.
#include <QString>

namespace keymora {

class cClipBoard {
public:
    enum Format { CF_TEXT = 1, CF_OEMTEXT = 7, CF_UNICODETEXT = 13, CF_DSPTEXT = 129 };

    static bool FormatAvailable(int format);
    static QString GetText();
    static bool Clear();
    // Does not empty the clipboard first. secret: mark as a password.
    static bool SetText(const QString& text, bool secret = false);

    // Timed copy of a password: puts it on the clipboard now and returns;
    // after timeoutMs the clipboard is cleared and the text it held before
    // is put back. A copy while one is waiting starts the time again and
    // keeps the text from before the first.
    static void CopyPasswordTimed(const QString& password, int timeoutMs);
    // True while a timed copy waits to be taken away.
    static bool PasswordPending();

    // True when the clipboard holds text this program marked as a password.
    static bool ClipboardHoldsSecret();

    // Ends a waiting timed copy at once; otherwise clears the clipboard when
    // it still holds a password this program put there.
    static void ClearPasswordAtExit();
};

}  // namespace keymora
