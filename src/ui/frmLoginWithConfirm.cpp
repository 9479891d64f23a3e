#include "ui/frmLoginWithConfirm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "storage/CredentialRules.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"
#include "ui/WipeText.h"

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
    chkModernProtection = new QCheckBox(QString::fromLatin1(kModernProtectionCaption), this);
    chkModernProtection->setObjectName(QStringLiteral("chkModernProtection"));
    chkModernProtection->hide();
    m_grid->addWidget(chkModernProtection, 3, 0, 1, 2);
    connect(chkModernProtection, &QCheckBox::clicked, this,
            &frmLoginWithConfirm::chkModernProtection_Click);
    setTabOrder(txtPassword, txtConfirmPassword);
    setTabOrder(txtConfirmPassword, chkModernProtection);
    setTabOrder(chkModernProtection, cmdOK);
}

void frmLoginWithConfirm::offerModern(bool modern) {
    chkModernProtection->setChecked(modern);
    chkModernProtection->show();
    m_modernOffered = true;
}

bool frmLoginWithConfirm::modernChosen() const {
    return m_modernOffered && chkModernProtection->isChecked();
}

void frmLoginWithConfirm::chkModernProtection_Click(bool checked) {
    const MsgAnswer answer = Prompt::current().message(
        QString::fromLatin1(checked ? kModernOnText : kModernOffText),
        QString::fromLatin1(kModernProtectionTitle), MsgIcon::Question, MsgButtons::YesNo);
    if (answer != MsgAnswer::Yes) chkModernProtection->setChecked(!checked);
}

credentials::Verdict frmLoginWithConfirm::check() const {
    WipedString user;
    WipedString password;
    WipedString confirm;
    assignUtf8(user.value(), txtUserName->text());
    assignUtf8(password.value(), txtPassword->text());
    assignUtf8(confirm.value(), txtConfirmPassword->text());
    return credentials::CheckNewCredentials(user.value(), password.value(), confirm.value());
}

void frmLoginWithConfirm::applyVerdict(const credentials::Verdict& verdict) {
    if (verdict.clearPassword) wipeText(txtPassword);
    if (verdict.clearConfirm) wipeText(txtConfirmPassword);
    if (verdict.focus == credentials::Field::Confirm)
        txtConfirmPassword->setFocus(Qt::OtherFocusReason);
    else if (QLineEdit* box = boxFor(static_cast<int>(verdict.focus)))
        box->setFocus(Qt::OtherFocusReason);
}

}  // namespace keymora
