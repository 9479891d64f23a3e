#include "ui/frmEditLabels.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"
#include "ui/Mnemonic.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

using labels::Field;
constexpr Field kFormOrder[] = {Field::Resource, Field::UserId, Field::Password, Field::Url,
                                Field::Notes};

}  // namespace

frmEditLabels::frmEditLabels(const labels::EditLabelsForm& form, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditLabels"));
    setWindowTitle(QStringLiteral("Edit Node Labels"));
    setModal(true);
    setMinimumWidth(420);

    auto lineEdit = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    txtName = lineEdit("txtName");
    txtUserName = lineEdit("txtUserName");
    txtPassword = lineEdit("txtPassword");
    txtURL = lineEdit("txtURL");
    txtNotes = lineEdit("txtNotes");
    lblLabelEditAffects = new QLabel(QString::fromStdString(form.scope), this);
    lblLabelEditAffects->setObjectName(QStringLiteral("lblLabelEditAffects"));
    QFont bold = lblLabelEditAffects->font();
    bold.setBold(true);
    lblLabelEditAffects->setFont(bold);

    QString used = QStringLiteral("oc");
    const labels::Captions defaults = labels::DefaultCaptions();
    auto* fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    int row = 0;
    for (Field f : kFormOrder) {
        QLineEdit* edit = box(f);
        edit->setText(QString::fromStdString(form.captions[f]));
        edit->installEventFilter(this);
        auto* caption = new QLabel(WithMnemonic(QString::fromStdString(defaults[f]), used), this);
        caption->setObjectName(QStringLiteral("lblNodeProperties%1").arg(row++));
        caption->setBuddy(edit);
        fields->addRow(caption, edit);
    }

    lblDisclaimer = new QLabel(LoadResString(1235), this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setEnabled(false);

    auto* buttons = new QDialogButtonBox(this);
    cmdOK = addDialogButton(buttons, QStringLiteral("&OK"), QDialogButtonBox::AcceptRole, "cmdOK");
    cmdOK->setDefault(true);
    cmdCANX = addDialogButton(buttons, QStringLiteral("&Cancel"),
                              QDialogButtonBox::RejectRole, "cmdCANX");
    connect(cmdOK, &QPushButton::clicked, this, &frmEditLabels::cmdOK_Click);
    connect(cmdCANX, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblLabelEditAffects);
    layout->addLayout(fields);
    layout->addWidget(lblDisclaimer);
    layout->addWidget(buttons);
    txtName->setFocus();
    txtName->selectAll();
}

bool frmEditLabels::IsValidLabel(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return labels::IsValidLabel(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QLineEdit* frmEditLabels::box(Field field) const {
    switch (field) {
    case Field::Resource: return txtName;
    case Field::UserId: return txtUserName;
    case Field::Password: return txtPassword;
    case Field::Notes: return txtNotes;
    case Field::Url: return txtURL;
    }
    return txtName;
}

labels::Captions frmEditLabels::captions() const {
    labels::Captions c;
    for (Field f : kFormOrder) c[f] = box(f)->text().toStdString();
    return c;
}

bool frmEditLabels::checkBox(QLineEdit* edit) {
    if (IsValidLabel(edit->text())) return true;
    m_checking = true;
    const QByteArray utf8 = edit->text().toUtf8();
    const std::string text = labels::InvalidLabelMessage(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    Prompt::current().message(QString::fromStdString(text), QString::fromLatin1(labels::kInvalidLabelTitle),
                              MsgIcon::Information, MsgButtons::Ok);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    m_checking = false;
    return false;
}

void frmEditLabels::cmdOK_Click() {
    for (Field f : kFormOrder)
        if (!checkBox(box(f))) return;
    accept();
}

// The check runs when the focus moves on inside the dialog; going to Cancel
// or leaving the dialog asks nothing.
bool frmEditLabels::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !m_checking) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        QWidget* next = QApplication::focusWidget();
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const bool movingOn = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                              reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
        if (edit && movingOn && next != cmdCANX && (next == nullptr || isAncestorOf(next)))
            checkBox(edit);
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace keymora
