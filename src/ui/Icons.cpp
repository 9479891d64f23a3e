#include "ui/Icons.h"

#include <QPainter>
#include <QPixmap>

// Resources of a static library are registered by name, outside any namespace.
static void initKeymoraResources() { Q_INIT_RESOURCE(keymora); }

namespace keymora::icons {

namespace {

QPixmap drawn(QColor fill, bool folder) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(fill.darker(160));
    p.setBrush(fill);
    if (folder) {
        p.drawRect(1, 4, 14, 10);
        p.drawRect(1, 2, 6, 2);
    } else {
        p.drawRect(3, 1, 10, 14);
        p.drawLine(5, 5, 11, 5);
        p.drawLine(5, 8, 11, 8);
        p.drawLine(5, 11, 9, 11);
    }
    return pm;
}

QPixmap drawnCopy() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(1, 1, 9, 11);
    p.setBrush(Qt::white);
    p.drawRect(5, 4, 9, 11);
    p.drawLine(7, 8, 12, 8);
    p.drawLine(7, 11, 12, 11);
    return pm;
}

QIcon themedOr(const char* name, const QIcon& fallback) {
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(name));
    return icon.isNull() ? fallback : icon;
}

QIcon bundled(const QString& name) {
    loadResources();
    return QIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".png"));
}

// Themes may hold a picture at 24 and 48 pixels but none at 32, and an icon
// never grows a picture: the large icon view would show it small. Each size
// the views ask for gets a picture of its own, scaled from the largest.
void addViewSizes(QIcon& into, const QIcon& from, QIcon::Mode mode) {
    const QPixmap largest = from.pixmap(QSize(256, 256));
    for (const int side : {16, 24, 32, 48}) {
        QPixmap pm = from.pixmap(QSize(side, side));
        if (pm.width() < side && !largest.isNull())
            pm = largest.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        into.addPixmap(pm, mode);
    }
}

QIcon themedOrDrawn(const char* name, QColor fill, bool folder, QColor selected) {
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(name));
    QIcon icon;
    if (!themed.isNull()) {
        addViewSizes(icon, themed, QIcon::Normal);
    } else {
        addViewSizes(icon, QIcon(drawn(fill, folder)), QIcon::Normal);
        addViewSizes(icon, QIcon(drawn(selected, folder)), QIcon::Selected);
    }
    return icon;
}

}  // namespace

void loadResources() {
    static const bool loaded = [] {
        initKeymoraResources();
        return true;
    }();
    (void)loaded;
}

QIcon themed(const QString& themeName, const QString& fallback) {
    return QIcon::fromTheme(themeName, bundled(fallback));
}

QIcon program() {
    QIcon icon = bundled(QStringLiteral("keymora"));
    for (const char* size : {"16", "32", "128"})
        icon.addFile(QStringLiteral(":/icons/keymora-") + QLatin1String(size) + QStringLiteral(".png"));
    return icon;
}

QIcon category() {
    return themedOrDrawn("folder", QColor(230, 190, 80), true, QColor(250, 215, 110));
}
QIcon subcategory() {
    return themedOrDrawn("folder-documents", QColor(140, 180, 230), true, QColor(175, 205, 245));
}
QIcon entry() {
    return themedOrDrawn("dialog-password", QColor(245, 245, 245), false, QColor(255, 255, 210));
}
QIcon cleanForm() {
    return themedOrDrawn("text-x-generic", QColor(245, 245, 245), false, QColor(245, 245, 245));
}
QIcon needSave() {
    return themedOr("document-save", bundled(QStringLiteral("save")));
}
QIcon copy() {
    return themedOr("edit-copy", QIcon(drawnCopy()));
}
QIcon launch() {
    return themedOr("internet-web-browser", bundled(QStringLiteral("browser")));
}

}  // namespace keymora::icons
