#include "ui/frmGeneratePassword.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "storage/PasswordGenerator.h"
#include "support/KmError.h"
#include "ui/DialogButtons.h"
#include "ui/Prompt.h"

namespace keymora {

namespace pg = passwordgen;

frmGeneratePassword::frmGeneratePassword(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmGeneratePassword"));
    setWindowTitle(QStringLiteral("Generate Password"));
    setModal(true);

    auto* frame = new QGroupBox(QStringLiteral("Choose the Type of Password to Generate"), this);
    auto* frameLayout = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        optPasswordPattern[i] = new QRadioButton(QString::fromUtf8(pg::kClasses[i].caption), frame);
        optPasswordPattern[i]->setObjectName(QStringLiteral("optPasswordPattern%1").arg(i));
        group->addButton(optPasswordPattern[i], i);
        frameLayout->addWidget(optPasswordPattern[i]);
    }
    // The dialog starts with the recommended class, shown and held.
    m_pattern = QString::fromUtf8(pg::kClasses[pg::kDefaultClass].pattern);
    optPasswordPattern[pg::kDefaultClass]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this,
            [this](int i) { m_pattern = QString::fromUtf8(pg::kClasses[i].pattern); });

    auto* lengthLabel = new QLabel(QStringLiteral("Password Length (max 15)"), this);
    txtLength = new QLineEdit(QString::number(pg::kDefaultLength), this);
    txtLength->setObjectName(QStringLiteral("txtLength"));
    txtLength->setMaximumWidth(60);
    txtLength->installEventFilter(this);
    lengthLabel->setBuddy(txtLength);
    auto* up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    auto* lengthRow = new QHBoxLayout;
    lengthRow->addWidget(lengthLabel);
    lengthRow->addStretch(1);
    lengthRow->addWidget(txtLength);
    lengthRow->addWidget(down);
    lengthRow->addWidget(up);

    auto* buttons = new QDialogButtonBox(this);
    cmdGenerate = addDialogButton(buttons, QStringLiteral("Generate"),
                                  QDialogButtonBox::AcceptRole, "cmdGenerate");
    cmdGenerate->setDefault(true);
    cmdCancel = addDialogButton(buttons, QStringLiteral("Cancel"),
                                QDialogButtonBox::RejectRole, "cmdCancel");
    connect(cmdGenerate, &QPushButton::clicked, this, &frmGeneratePassword::cmdGenerate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmGeneratePassword::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(lengthRow);
    layout->addWidget(buttons);
}

frmGeneratePassword::~frmGeneratePassword() { sGeneratedPassword.fill(QChar(0)); }

void frmGeneratePassword::step(int delta) {
    bool ok = false;
    const int now = txtLength->text().trimmed().toInt(&ok);
    const int next = std::clamp((ok ? now : pg::kDefaultLength) + delta, 1, pg::kMaxLength);
    txtLength->setText(QString::number(next));
}

bool frmGeneratePassword::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtLength && event->type() == QEvent::FocusOut) txtLength_LostFocus();
    return QDialog::eventFilter(watched, event);
}

void frmGeneratePassword::txtLength_LostFocus() {
    const pg::LengthCheck check = pg::CheckLengthText(txtLength->text().toStdString());
    if (check.numeric) {
        txtLength->setText(QString::fromStdString(check.text));
        return;
    }
    Prompt::current().message(QString::fromUtf8(pg::kLengthNotNumberText),
                              QString::fromUtf8(pg::kLengthNotNumberTitle), MsgIcon::Information,
                              MsgButtons::Ok);
    txtLength->setText(QString::number(pg::kDefaultLength));
}

void frmGeneratePassword::cmdGenerate_Click() {
    txtLength_LostFocus();
    bool ok = false;
    const int length = txtLength->text().trimmed().toInt(&ok);
    // A negative length passes the box's check; refuse it as not a length.
    if (!ok || length < 0) {
        Prompt::current().message(QString::fromUtf8(pg::kLengthNotNumberText),
                                  QString::fromUtf8(pg::kLengthNotNumberTitle),
                                  MsgIcon::Information, MsgButtons::Ok);
        txtLength->setText(QString::number(pg::kDefaultLength));
        return;
    }
    try {
        std::string password = pg::GenPassword(length, m_pattern.toStdString());
        sGeneratedPassword = QString::fromStdString(password);
        std::fill(password.begin(), password.end(), '\0');
    } catch (const KmError& e) {
        Prompt::current().message(QString::fromStdString(e.source() + "\r\n" + e.description()),
                                  QString(), MsgIcon::Critical, MsgButtons::Ok);
        return;
    }
    m_accepted = true;
    done(QDialog::Accepted);
}

void frmGeneratePassword::reject() {
    m_accepted = false;
    QDialog::reject();
}

}  // namespace keymora
