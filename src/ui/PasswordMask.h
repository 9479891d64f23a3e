#pragma once
// The character password boxes show for each hidden character. Start-up sets
// it from the options; the document windows draw with it.
#include <QString>

namespace keymora {

// Never empty.
QString& PasswordMask();

}  // namespace keymora
