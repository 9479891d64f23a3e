#include "ui/Prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>

#include "ui/StringTable.h"
#include "ui/frmLogin.h"
#include "ui/frmLoginWithConfirm.h"

namespace keymora {

namespace {

QString forDisplay(const QString& text) {
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Message boxes without a title show the program's name.
QString titleOrAppName(const QString& title) {
    if (!title.isEmpty()) return title;
    const QString app = QApplication::applicationDisplayName();
    return app.isEmpty() ? LoadResString(1000) : app;
}

class WidgetPrompt : public Prompt {
public:
    MsgAnswer message(const QString& text, const QString& title, MsgIcon icon,
                      MsgButtons buttons) override {
        QMessageBox box(parent());
        box.setWindowTitle(titleOrAppName(title));
        box.setText(forDisplay(text));
        switch (icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        }
        QMessageBox::StandardButtons set;
        QMessageBox::StandardButton def = QMessageBox::Ok;
        switch (buttons) {
        case MsgButtons::Ok: set = QMessageBox::Ok; break;
        case MsgButtons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
        case MsgButtons::YesNo:
            set = QMessageBox::Yes | QMessageBox::No;
            def = QMessageBox::Yes;
            break;
        case MsgButtons::YesNoCancel:
            set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            def = QMessageBox::Yes;
            break;
        case MsgButtons::AbortRetryIgnore:
            set = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
            def = QMessageBox::Abort;
            break;
        case MsgButtons::RetryCancel:
            set = QMessageBox::Retry | QMessageBox::Cancel;
            def = QMessageBox::Retry;
            break;
        }
        box.setStandardButtons(set);
        box.setDefaultButton(def);
        switch (box.exec()) {
        case QMessageBox::Ok: return MsgAnswer::Ok;
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Abort: return MsgAnswer::Abort;
        case QMessageBox::Retry: return MsgAnswer::Retry;
        case QMessageBox::Ignore: return MsgAnswer::Ignore;
        default: return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
        }
    }

    QString openFileName(const FileDialogRequest& request) override {
        QFileDialog dialog(parent(), request.title, request.folder, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().constFirst();
    }

    QString saveFileName(const FileDialogRequest& request) override {
        QFileDialog dialog(parent(), request.title, request.folder, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().constFirst();
    }

    QStringList openFileNames(const FileDialogRequest& request) override {
        QFileDialog dialog(parent(), request.title, request.folder, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setDefaultSuffix(request.defaultSuffix);
        if (dialog.exec() != QDialog::Accepted) return {};
        return dialog.selectedFiles();
    }

    std::optional<Credentials> credentials(const LoginRequest& request) override {
        std::unique_ptr<frmLogin> dialog;
        frmLoginWithConfirm* confirm = nullptr;
        if (request.confirm) {
            auto withConfirm = std::make_unique<frmLoginWithConfirm>(parent());
            confirm = withConfirm.get();
            if (request.offerModern) confirm->offerModern(request.modern);
            dialog = std::move(withConfirm);
        } else {
            dialog = std::make_unique<frmLogin>(parent());
        }
        if (!request.instructions.isEmpty())
            dialog->lblLoginInstructions->setText(forDisplay(request.instructions));
        if (!request.userLabel.isEmpty()) dialog->lblLabels[0]->setText(request.userLabel);
        if (!request.passwordLabel.isEmpty()) dialog->lblLabels[1]->setText(request.passwordLabel);
        if (!request.userId.isEmpty()) dialog->txtUserName->setText(request.userId);
        dialog->exec();
        if (!dialog->accepted()) return std::nullopt;
        // The answer takes over the password box's own text; the rest is wiped.
        Credentials result{dialog->txtUserName->text(), dialog->txtPassword->text()};
        result.modern = confirm != nullptr && confirm->modernChosen();
        dialog->txtPassword->clear();
        if (confirm != nullptr) wipeText(confirm->txtConfirmPassword);
        return result;
    }

    QWidget* parent() const { return m_parent.data(); }
    QPointer<QWidget> m_parent;
};

WidgetPrompt& widgetPrompt() {
    static WidgetPrompt prompt;
    return prompt;
}

Prompt* g_installed = nullptr;

}  // namespace

Prompt& Prompt::current() { return g_installed ? *g_installed : widgetPrompt(); }

void Prompt::install(Prompt* prompt) { g_installed = prompt; }

void Prompt::setParentWidget(QWidget* parent) { widgetPrompt().m_parent = parent; }

}  // namespace keymora
