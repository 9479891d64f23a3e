#pragma once
// Makes a random password of a chosen character class and length.
#include <QDialog>
#include <QString>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace keymora {

class frmGeneratePassword : public QDialog {
    Q_OBJECT
public:
    explicit frmGeneratePassword(QWidget* parent = nullptr);
    ~frmGeneratePassword() override;

    bool accepted() const { return m_accepted; }
    // The password made by Generate (wipe it once used).
    QString sGeneratedPassword;

    QRadioButton* optPasswordPattern[5] = {};
    QLineEdit* txtLength = nullptr;
    QPushButton* cmdGenerate = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The pattern of the chosen class.
    QString pattern() const { return m_pattern; }

    // The length box's check, as when it loses the focus.
    void txtLength_LostFocus();
    void cmdGenerate_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void step(int delta);

    QString m_pattern;
    bool m_accepted = false;
};

}  // namespace keymora
