#pragma once
// Asks for the user name and password of an existing data file. OK checks the
// password (see storage/CredentialRules.h) and stays open after a refusal.
#include <QDialog>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace keymora {

namespace credentials {
struct Verdict;
}

class frmLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmLogin(QWidget* parent = nullptr);

    // True after a successful OK; false after Cancel or a refused OK.
    bool accepted() const { return m_accepted; }

    QLabel* lblLoginInstructions = nullptr;
    QLabel* lblLabels[2] = {nullptr, nullptr};
    QLineEdit* txtUserName = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    // Builds the dialog; `confirm` adds the confirmation row.
    frmLogin(QWidget* parent, int titleId);
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

    virtual credentials::Verdict check() const;
    virtual void applyVerdict(const credentials::Verdict& verdict);
    QLineEdit* boxFor(int field) const;

    QGridLayout* m_grid = nullptr;
    bool m_accepted = false;
};

}  // namespace keymora
