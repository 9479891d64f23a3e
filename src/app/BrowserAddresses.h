#pragma once
// The address list of the browser window: the last page visited on top, each
// address once.
class QComboBox;
class QString;

namespace keymora {

// Moves (or adds) `url` to the top of the list and selects it.
void RememberAddress(QComboBox& list, const QString& url);

}  // namespace keymora
