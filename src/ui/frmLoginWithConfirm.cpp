#include "ui/frmLoginWithConfirm.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "storage/CredentialRules.h"
#include "ui/StringTable.h"

namespace keymora {

frmLoginWithConfirm::frmLoginWithConfirm(QWidget* parent) : frmLogin(parent, 1205) {
    lblConfirm = new QLabel(LoadResString(1208), this);
    lblConfirm->setObjectName(QStringLiteral("lblConfirm"));
    txtConfirmPassword = new QLineEdit(this);
    txtConfirmPassword->setObjectName(QStringLiteral("txtConfirmPassword"));
    txtConfirmPassword->setEchoMode(QLineEdit::Password);
    lblConfirm->setBuddy(txtConfirmPassword);
    m_grid->addWidget(lblConfirm, 2, 0);
    m_grid->addWidget(txtConfirmPassword, 2, 1);
    setTabOrder(txtPassword, txtConfirmPassword);
    setTabOrder(txtConfirmPassword, cmdOK);
}

credentials::Verdict frmLoginWithConfirm::check() const {
    return credentials::CheckNewCredentials(txtUserName->text().toStdString(),
                                            txtPassword->text().toStdString(),
                                            txtConfirmPassword->text().toStdString());
}

void frmLoginWithConfirm::applyVerdict(const credentials::Verdict& verdict) {
    if (verdict.clearPassword) txtPassword->clear();
    if (verdict.clearConfirm) txtConfirmPassword->clear();
    if (verdict.focus == credentials::Field::Confirm)
        txtConfirmPassword->setFocus(Qt::OtherFocusReason);
    else if (QLineEdit* box = boxFor(static_cast<int>(verdict.focus)))
        box->setFocus(Qt::OtherFocusReason);
}

}  // namespace keymora
