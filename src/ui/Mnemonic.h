#pragma once
// Access keys for captions the user may have chosen (display labels): each
// caption gets an unused letter, and a literal '&' stays visible.
#include <QString>

namespace keymora {

// caption with '&' before its first letter not in `used` (which grows);
// without one, the caption shows no access key.
QString WithMnemonic(const QString& caption, QString& used);

}  // namespace keymora
