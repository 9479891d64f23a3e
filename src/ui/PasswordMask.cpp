#include "ui/PasswordMask.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace keymora {

namespace {

// Draws hidden password characters with the program's mask character.
class MaskStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            const QString mask = PasswordMask();
            if (!mask.isEmpty()) return mask.at(0).unicode();
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

QString& PasswordMask() {
    static QString mask = QStringLiteral("*");
    return mask;
}

void UsePasswordMask(QLineEdit* box) {
    auto* style = new MaskStyle();
    style->setParent(box);
    box->setStyle(style);
    box->setEchoMode(QLineEdit::Password);
}

}  // namespace keymora
