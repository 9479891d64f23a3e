#pragma once
// The fields of one entry: name, user name, password, notes, the two dates
// and the URL, with the copy-password and launch buttons. The pane only
// holds the widgets; EntryEditor fills them and writes what is typed.
#include <QPlainTextEdit>
#include <QWidget>

class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace keymora {

// The notes box: text dropped on it is added at the end; anything else is
// refused with a message.
class NotesEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    // Appends dropped plain text; false (after the message) for other data.
    bool dropData(const QMimeData* mime);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class EntryPane : public QWidget {
    Q_OBJECT
public:
    explicit EntryPane(QWidget* parent = nullptr);

    // Caption labels by the index the program uses: 0 name, 1 user name,
    // 2 password, 3 notes, 4 created, 5 modified, 6 URL.
    QLabel* lblNodeProperties(int index) const;
    void setStandardCaptions();

    QLineEdit* txtResourceName = nullptr;
    QLineEdit* txtUserName = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLineEdit* txtURL = nullptr;
    NotesEdit* txtNotes = nullptr;
    QGroupBox* fraNotes = nullptr;
    QToolButton* cmdCopyPassword = nullptr;
    QToolButton* cmdLaunchBrowser = nullptr;

    // Password shown in clear (true) or with the mask character.
    void setPasswordRevealed(bool revealed);
    bool passwordRevealed() const;
    // Empties every field and date caption.
    void clearFields();

private:
    void buildFieldRows(QGridLayout* grid);
    void buildNotes(QGridLayout* grid);
    void buildDates(QGridLayout* grid);

    QLabel* m_labels[7] = {};
};

}  // namespace keymora
