#include "app/BrowserAddresses.h"

#include <QComboBox>

namespace keymora {

void RememberAddress(QComboBox& list, const QString& url) {
    const int existing = list.findText(url, Qt::MatchExactly);
    if (existing >= 0) list.removeItem(existing);
    list.insertItem(0, url);
    list.setCurrentIndex(0);
}

}  // namespace keymora
