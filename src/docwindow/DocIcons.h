#pragma once
// Icons of the document window, from the desktop theme with drawn fallbacks.
#include <QIcon>

namespace keymora::docicons {

QIcon category();
QIcon subcategory();
QIcon entry();
QIcon cleanForm();
QIcon needSave();
QIcon copy();
QIcon launch();

}  // namespace keymora::docicons
