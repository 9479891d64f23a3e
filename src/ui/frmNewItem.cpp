#include "ui/frmNewItem.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"
#include "ui/Mnemonic.h"
#include "ui/PasswordMask.h"
#include "ui/WipeText.h"
#include "ui/frmGeneratePassword.h"

namespace keymora {

namespace {

using labels::Field;

QLineEdit* lineEdit(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLabel* caption(QWidget* parent, const char* name, const std::string& text, QString& used,
                QWidget* buddy) {
    auto* label = new QLabel(WithMnemonic(QString::fromStdString(text), used), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    return label;
}

void wipeBox(QLineEdit* box) {
    QString text = box->text();
    box->setText(QString(text.size(), QChar(u'\0')));
    wipeText(text);
    box->clear();
}

}  // namespace

frmNewItem::frmNewItem(const labels::Captions& captions, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNewItem"));
    setWindowTitle(QStringLiteral("Add Item"));
    setModal(true);
    setMinimumWidth(460);

    // Alt+O, Alt+C and Alt+P belong to the buttons.
    QString used = QStringLiteral("ocp");
    txtResourceName = lineEdit(this, "txtResourceName");
    txtUserName = lineEdit(this, "txtUserName");
    txtPassword = lineEdit(this, "txtPassword");
    UsePasswordMask(txtPassword);
    txtURL = lineEdit(this, "txtURL");
    lblResourceName = caption(this, "lblResourceName", captions[Field::Resource], used, txtResourceName);
    lblUserName = caption(this, "lblUserName", captions[Field::UserId], used, txtUserName);
    lblPassword = caption(this, "lblPassword", captions[Field::Password], used, txtPassword);
    lblURL = caption(this, "lblURL", captions[Field::Url], used, txtURL);

    cmdGeneratePassword = new QPushButton(QStringLiteral("Create &Password..."), this);
    cmdGeneratePassword->setObjectName(QStringLiteral("cmdGeneratePassword"));
    cmdGeneratePassword->setAutoDefault(false);
    connect(cmdGeneratePassword, &QPushButton::clicked, this, &frmNewItem::cmdGeneratePassword_Click);
    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(txtPassword, 1);
    passwordRow->addWidget(cmdGeneratePassword);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(lblResourceName, txtResourceName);
    form->addRow(lblUserName, txtUserName);
    form->addRow(lblPassword, passwordRow);
    form->addRow(lblURL, txtURL);

    auto* buttons = new QDialogButtonBox(this);
    cmdOk = addDialogButton(buttons, QStringLiteral("&OK"), QDialogButtonBox::AcceptRole, "cmdOk");
    cmdOk->setDefault(true);
    cmdCancel = addDialogButton(buttons, QStringLiteral("&Cancel"),
                                QDialogButtonBox::RejectRole, "cmdCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buildNotes(WithMnemonic(QString::fromStdString(captions[Field::Notes]), used)), 1);
    layout->addWidget(buttons);

    setTabOrder(txtResourceName, txtUserName);
    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, cmdGeneratePassword);
    setTabOrder(cmdGeneratePassword, txtURL);
    setTabOrder(txtURL, txtNotes);
    setTabOrder(txtNotes, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    txtResourceName->setFocus();
}

frmNewItem::~frmNewItem() { wipeBox(txtPassword); }

QWidget* frmNewItem::buildNotes(const QString& caption) {
    fraNotes = new QGroupBox(caption, this);
    fraNotes->setObjectName(QStringLiteral("fraNotes"));
    txtNotes = new QTextEdit(fraNotes);
    txtNotes->setObjectName(QStringLiteral("txtNotes"));
    txtNotes->setAcceptRichText(false);
    txtNotes->setTabChangesFocus(true);
    txtNotes->setMinimumHeight(110);

    // Styling is for reading here only; the entry keeps plain text.
    auto* bar = new QToolBar(fraNotes);
    bar->setObjectName(QStringLiteral("tbNotesFormat"));
    bar->setIconSize(QSize(16, 16));
    bar->setFocusPolicy(Qt::NoFocus);
    auto style = [&](const QString& text, const QString& tip, auto apply) {
        QAction* action = bar->addAction(text);
        action->setToolTip(tip);
        action->setCheckable(true);
        connect(action, &QAction::toggled, txtNotes, apply);
        return action;
    };
    QFont bold = font();
    bold.setBold(true);
    style(QStringLiteral("B"), QStringLiteral("Bold"),
          [this](bool on) { txtNotes->setFontWeight(on ? QFont::Bold : QFont::Normal); })
        ->setFont(bold);
    style(QStringLiteral("I"), QStringLiteral("Italic"), [this](bool on) { txtNotes->setFontItalic(on); });
    style(QStringLiteral("U"), QStringLiteral("Underline"),
          [this](bool on) { txtNotes->setFontUnderline(on); });
    for (QWidget* w : bar->findChildren<QWidget*>()) w->setFocusPolicy(Qt::NoFocus);

    auto* column = new QVBoxLayout(fraNotes);
    column->setSpacing(2);
    column->addWidget(bar);
    column->addWidget(txtNotes, 1);
    return fraNotes;
}

void frmNewItem::cmdGeneratePassword_Click() {
    frmGeneratePassword generator(this);
    generator.exec();
    if (!generator.accepted()) return;
    // Into the masked box only: nothing goes to the clipboard.
    txtPassword->setText(generator.sGeneratedPassword);
    wipeText(generator.sGeneratedPassword);
}

EntryFields frmNewItem::fields() const {
    EntryFields f;
    f.resource = txtResourceName->text().toStdString();
    f.userid = txtUserName->text().toStdString();
    QByteArray password = txtPassword->text().toUtf8();
    f.password.assign(password.constData(), static_cast<std::size_t>(password.size()));
    wipeText(password);
    f.url = txtURL->text().toStdString();
    f.notes = txtNotes->toPlainText().toStdString();
    return f;
}

}  // namespace keymora
