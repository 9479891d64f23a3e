#pragma once
// The character password boxes show for each hidden character. Start-up sets
// it from the options; the document windows draw with it.
#include <QString>

class QLineEdit;

namespace keymora {

// Never empty.
QString& PasswordMask();

// Hides the box's text behind the mask character.
void UsePasswordMask(QLineEdit* box);

}  // namespace keymora
