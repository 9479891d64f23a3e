#include "ui/frmLogin.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "storage/CredentialRules.h"
#include "ui/DialogButtons.h"
#include "ui/Icons.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"
#include "ui/WipeText.h"

namespace keymora {

namespace {
// "\r\n" in the string table; a label wants a plain line break.
QString forLabel(const QString& text) { return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
}  // namespace

frmLogin::frmLogin(QWidget* parent) : frmLogin(parent, 1204) {
    // frmLogin starts with an empty user-name box.
    txtUserName->clear();
}

frmLogin::frmLogin(QWidget* parent, int titleId) : QDialog(parent) {
    setObjectName(titleId == 1204 ? QStringLiteral("frmLogin") : QStringLiteral("frmLoginWithConfirm"));
    setProperty(kCaptionIdProperty, titleId);
    setWindowTitle(LoadResString(titleId));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(
        icons::themed(QStringLiteral("dialog-password"), QStringLiteral("keymora")).pixmap(40, 40));
    icon->setAlignment(Qt::AlignTop);
    lblLoginInstructions = new QLabel(forLabel(LoadResString(1211)), this);
    lblLoginInstructions->setObjectName(QStringLiteral("lblLoginInstructions"));
    lblLoginInstructions->setWordWrap(true);

    lblLabels[0] = new QLabel(LoadResString(1206), this);
    lblLabels[0]->setObjectName(QStringLiteral("lblLabels0"));
    lblLabels[0]->setProperty(kCaptionIdProperty, 1206);
    lblLabels[1] = new QLabel(LoadResString(1207), this);
    lblLabels[1]->setObjectName(QStringLiteral("lblLabels1"));
    lblLabels[1]->setProperty(kCaptionIdProperty, 1207);
    txtUserName = new QLineEdit(this);
    txtUserName->setObjectName(QStringLiteral("txtUserName"));
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    lblLabels[0]->setBuddy(txtUserName);
    lblLabels[1]->setBuddy(txtPassword);
    txtUserName->installEventFilter(this);

    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(10);
    m_grid->addWidget(lblLabels[0], 0, 0);
    m_grid->addWidget(txtUserName, 0, 1);
    m_grid->addWidget(lblLabels[1], 1, 0);
    m_grid->addWidget(txtPassword, 1, 1);

    auto* buttons = new QDialogButtonBox(this);
    cmdOK = addDialogButton(buttons, LoadResString(1209), QDialogButtonBox::AcceptRole, "cmdOK");
    cmdOK->setProperty(kCaptionIdProperty, 1209);
    cmdOK->setDefault(true);
    cmdCancel = addDialogButton(buttons, LoadResString(1210),
                                QDialogButtonBox::RejectRole, "cmdCancel");
    cmdCancel->setProperty(kCaptionIdProperty, 1210);
    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(lblLoginInstructions, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addLayout(m_grid);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    setMinimumWidth(380);

    ApplyResourceCaptions(this);
    // The prompt is set again after the captions, as the dialog always shows it.
    lblLoginInstructions->setText(forLabel(LoadResString(1211)));
}

void frmLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // With a user name already there, the user types the password next.
    if (!txtUserName->text().trimmed().isEmpty())
        txtPassword->setFocus(Qt::OtherFocusReason);
    else
        txtUserName->setFocus(Qt::OtherFocusReason);
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtUserName && event->type() == QEvent::FocusIn)
        // Select after the line edit's own focus handling has placed the cursor.
        QTimer::singleShot(0, txtUserName, [box = txtUserName] { box->selectAll(); });
    return QDialog::eventFilter(watched, event);
}

credentials::Verdict frmLogin::check() const {
    WipedString user;
    WipedString password;
    assignUtf8(user.value(), txtUserName->text());
    assignUtf8(password.value(), txtPassword->text());
    return credentials::CheckLogin(user.value(), password.value());
}

QLineEdit* frmLogin::boxFor(int field) const {
    switch (static_cast<credentials::Field>(field)) {
    case credentials::Field::UserName: return txtUserName;
    case credentials::Field::Password: return txtPassword;
    default: return nullptr;
    }
}

void frmLogin::applyVerdict(const credentials::Verdict& verdict) {
    if (verdict.clearPassword) wipeText(txtPassword);
    if (QLineEdit* box = boxFor(static_cast<int>(verdict.focus))) box->setFocus(Qt::OtherFocusReason);
}

void frmLogin::cmdOK_Click() {
    const credentials::Verdict verdict = check();
    if (verdict.accepted) {
        m_accepted = true;
        done(QDialog::Accepted);
        return;
    }
    m_accepted = false;
    Prompt::current().message(QString::fromStdString(verdict.text),
                              QString::fromStdString(verdict.title), MsgIcon::None, MsgButtons::Ok);
    applyVerdict(verdict);
}

void frmLogin::cmdCancel_Click() {
    m_accepted = false;
    done(QDialog::Rejected);
}

void frmLogin::reject() {
    m_accepted = false;
    QDialog::reject();
}

}  // namespace keymora
