#pragma once
// Asks for a user name and a password typed twice: new files and new
// credentials for an open file.
#include "ui/frmLogin.h"

class QCheckBox;

namespace keymora {

inline constexpr const char* kModernProtectionCaption =
    "Use modern protection (the earlier Windows version cannot open the file)";
inline constexpr const char* kModernProtectionTitle = "File Protection";
inline constexpr const char* kModernOnText =
    "With modern protection the earlier Windows version of Keymora, and versions of this "
    "program before it, can no longer open this file.\r\n\r\nIn return a stolen copy of the "
    "file is far harder to break: each password guess costs a third of a second of work, and "
    "any change made to the file is detected.\r\n\r\nUse modern protection for this file?";
inline constexpr const char* kModernOffText =
    "With the legacy protection the earlier Windows version can open this file again, but "
    "anyone who gets a copy of it can find its key within hours on one graphics card, and a "
    "changed file is not detected.\r\n\r\nUse the legacy protection for this file?";

class frmLoginWithConfirm : public frmLogin {
    Q_OBJECT
public:
    explicit frmLoginWithConfirm(QWidget* parent = nullptr);

    QLabel* lblConfirm = nullptr;
    QLineEdit* txtConfirmPassword = nullptr;
    // Shown only when offered: new files and changed credentials.
    QCheckBox* chkModernProtection = nullptr;

    void offerModern(bool modern);
    bool modernChosen() const;
    // Turning the box on or off asks first; No puts it back.
    void chkModernProtection_Click(bool checked);

protected:
    credentials::Verdict check() const override;
    void applyVerdict(const credentials::Verdict& verdict) override;

private:
    bool m_modernOffered = false;
};

}  // namespace keymora
