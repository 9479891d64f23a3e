#include "ui/WipeText.h"

#include <QLineEdit>

namespace keymora {

void wipeText(QLineEdit* box) {
    const QString held = box->text();
    auto* chars = const_cast<QChar*>(held.constData());
    std::fill(chars, chars + held.size(), QChar(u'\0'));
    box->clear();
}

}  // namespace keymora
