#pragma once
// A button added to a dialog's button box under the name tests and style
// sheets know it by.
#include <QDialogButtonBox>
#include <QPushButton>
#include <QString>

namespace keymora {

inline QPushButton* addDialogButton(QDialogButtonBox* box, const QString& text,
                                    QDialogButtonBox::ButtonRole role, const char* name) {
    QPushButton* button = box->addButton(text, role);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

}  // namespace keymora
