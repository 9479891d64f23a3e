#pragma once
// "Add Item": the fields of a new entry, captioned by the labels of the node
// it is added at. Create Password fills the password box from the generator;
// the notes may be styled here but the entry receives them as plain text.
#include <QDialog>

#include "document/Labels.h"
#include "document/TreeEditing.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace keymora {

class frmNewItem : public QDialog {
    Q_OBJECT
public:
    explicit frmNewItem(const labels::Captions& captions, QWidget* parent = nullptr);
    ~frmNewItem() override;

    // The five texts as entered (notes as plain text).
    EntryFields fields() const;

    QLabel* lblResourceName = nullptr;
    QLabel* lblUserName = nullptr;
    QLabel* lblPassword = nullptr;
    QLabel* lblURL = nullptr;
    QLineEdit* txtResourceName = nullptr;
    QLineEdit* txtUserName = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLineEdit* txtURL = nullptr;
    QGroupBox* fraNotes = nullptr;
    QTextEdit* txtNotes = nullptr;
    QPushButton* cmdGeneratePassword = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Opens the password generator; a generated password goes into the box.
    void cmdGeneratePassword_Click();

private:
    QWidget* buildNotes(const QString& caption);
};

}  // namespace keymora
