#include "ui/Mnemonic.h"

namespace keymora {

QString WithMnemonic(const QString& caption, QString& used) {
    QString escaped = caption;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped.at(i);
        if (!c.isLetterOrNumber() || used.contains(c.toLower())) continue;
        if (i > 0 && escaped.at(i - 1) == QLatin1Char('&')) continue;
        used.append(c.toLower());
        return escaped.left(i) + QLatin1Char('&') + escaped.mid(i);
    }
    return escaped;
}

}  // namespace keymora
