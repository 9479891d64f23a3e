#pragma once
// Overwrites Qt text that held a secret before it is let go. A shared copy
// detaches first, so the last holder's wipe is the one that clears the text.
#include <QByteArray>
#include <QString>

#include <algorithm>

namespace keymora {

inline void wipeText(QString& text) {
    std::fill(text.begin(), text.end(), QChar(u'\0'));
    text.clear();
}

inline void wipeText(QByteArray& bytes) {
    bytes.fill('\0');
    bytes.clear();
}

}  // namespace keymora
