#include "ui/PasswordMask.h"

namespace keymora {

QString& PasswordMask() {
    static QString mask = QStringLiteral("*");
    return mask;
}

}  // namespace keymora
