#pragma once
// Overwrites Qt text that held a secret before it is let go. A shared copy
// detaches first, so the last holder's wipe is the one that clears the text.
#include <QByteArray>
#include <QString>

#include <algorithm>
#include <string>

#include "support/SecureWipe.h"

class QLineEdit;

namespace keymora {

inline void wipeText(QString& text) {
    std::fill(text.begin(), text.end(), QChar(u'\0'));
    text.clear();
}

inline void wipeText(QByteArray& bytes) {
    bytes.fill('\0');
    bytes.clear();
}

// A box's own text is shared with what text() returns: overwritten there, in
// place, before the box is emptied (clear() alone lets it go as it was).
void wipeText(QLineEdit* box);

// The UTF-8 form of secret text, with no copy left behind on the way.
inline void assignUtf8(std::string& out, const QString& text) {
    QByteArray utf8 = text.toUtf8();
    secureWipe(out);
    out.reserve(static_cast<std::size_t>(utf8.size()));
    out.assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    wipeText(utf8);
}

}  // namespace keymora
