#pragma once
// "Edit Node Labels": the captions of the five entry fields for one entry, or
// for a category or sub-category and the entries directly in it. A caption
// must be 1 to 15 characters; a box left with another length is refused with
// a message and gets the focus back, and OK stays blocked until all are valid.
#include <QDialog>

#include "document/Labels.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace keymora {

class frmEditLabels : public QDialog {
    Q_OBJECT
public:
    explicit frmEditLabels(const labels::EditLabelsForm& form, QWidget* parent = nullptr);

    static bool IsValidLabel(const QString& text);
    // The five captions, by field.
    labels::Captions captions() const;
    // The box of a field.
    QLineEdit* box(labels::Field field) const;

    QLineEdit* txtName = nullptr;
    QLineEdit* txtUserName = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLineEdit* txtURL = nullptr;
    QLineEdit* txtNotes = nullptr;
    QLabel* lblLabelEditAffects = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCANX = nullptr;

    void cmdOK_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // False (after the message, focus back in the box) when the box is invalid.
    bool checkBox(QLineEdit* box);

    bool m_checking = false;
};

}  // namespace keymora
