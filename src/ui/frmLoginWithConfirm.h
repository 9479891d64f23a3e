#pragma once
// Asks for a user name and a password typed twice: new files and new
// credentials for an open file.
#include "ui/frmLogin.h"

namespace keymora {

class frmLoginWithConfirm : public frmLogin {
    Q_OBJECT
public:
    explicit frmLoginWithConfirm(QWidget* parent = nullptr);

    QLabel* lblConfirm = nullptr;
    QLineEdit* txtConfirmPassword = nullptr;

protected:
    credentials::Verdict check() const override;
    void applyVerdict(const credentials::Verdict& verdict) override;
};

}  // namespace keymora
