#include "docwindow/EntryPane.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/Icons.h"
#include "ui/PasswordMask.h"
#include "ui/Prompt.h"

namespace keymora {

bool NotesEdit::dropData(const QMimeData* mime) {
    // Only real text counts: a list of dropped files is refused.
    bool plainText = false;
    if (mime != nullptr)
        for (const QString& format : mime->formats())
            if (format.startsWith(QLatin1String("text/plain"))) plainText = true;
    if (plainText) {
        // No separator: the dropped text follows the notes directly.
        setPlainText(toPlainText() + mime->text());
        moveCursor(QTextCursor::End);
        return true;
    }
    Prompt::current().message(QStringLiteral("Invalid drag/drop operation"),
                              QStringLiteral("Data Format invalid"), MsgIcon::Critical,
                              MsgButtons::Ok);
    return false;
}

void NotesEdit::dragEnterEvent(QDragEnterEvent* event) { event->acceptProposedAction(); }

void NotesEdit::dragMoveEvent(QDragMoveEvent* event) { event->acceptProposedAction(); }

void NotesEdit::dropEvent(QDropEvent* event) {
    if (dropData(event->mimeData())) event->acceptProposedAction();
    else event->ignore();
}

namespace {

QToolButton* toolButton(QWidget* parent, const char* name, const QIcon& icon, const char* tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon);
    button->setToolTip(QString::fromLatin1(tip));
    button->setAutoRaise(true);
    return button;
}

}  // namespace

EntryPane::EntryPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("fraProperties"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    for (int i = 0; i < 7; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setObjectName(QStringLiteral("lblNodeProperties%1").arg(i));
    }
    buildFieldRows(grid);
    buildNotes(grid);
    buildDates(grid);
    grid->setColumnStretch(1, 1);
    setStandardCaptions();
}

// Name, user name, password and URL, each with its caption on the left.
void EntryPane::buildFieldRows(QGridLayout* grid) {
    auto makeEdit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    txtResourceName = makeEdit("txtResourceName");
    txtUserName = makeEdit("txtUserName");
    txtPassword = makeEdit("txtPassword");
    txtURL = makeEdit("txtURL");
    UsePasswordMask(txtPassword);
    cmdCopyPassword = toolButton(this, "cmdCopyPassword", icons::copy(), "Copy Password to Clipboard");
    cmdLaunchBrowser = toolButton(this, "cmdLaunchBrowser", icons::launch(), "Launch this site");

    const struct {
        int label;
        QLineEdit* box;
        QToolButton* button;
    } rows[] = {{0, txtResourceName, nullptr},
                {1, txtUserName, nullptr},
                {2, txtPassword, cmdCopyPassword},
                {6, txtURL, cmdLaunchBrowser}};
    int row = 0;
    for (const auto& r : rows) {
        m_labels[r.label]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_labels[r.label]->setBuddy(r.box);
        grid->addWidget(m_labels[r.label], row, 0);
        grid->addWidget(r.box, row, 1);
        if (r.button != nullptr) grid->addWidget(r.button, row, 2);
        ++row;
    }
}

void EntryPane::buildNotes(QGridLayout* grid) {
    fraNotes = new QGroupBox(this);
    fraNotes->setObjectName(QStringLiteral("fraNotes"));
    auto* notesLayout = new QVBoxLayout(fraNotes);
    notesLayout->setContentsMargins(6, 6, 6, 6);
    txtNotes = new NotesEdit(fraNotes);
    txtNotes->setObjectName(QStringLiteral("txtNotes"));
    txtNotes->setAcceptDrops(true);
    notesLayout->addWidget(txtNotes);
    // The notes frame carries the notes caption.
    m_labels[3]->hide();
    grid->addWidget(fraNotes, 4, 0, 1, 3);
    grid->setRowStretch(4, 1);
}

void EntryPane::buildDates(QGridLayout* grid) {
    auto* dates = new QWidget(this);
    auto* datesLayout = new QVBoxLayout(dates);
    datesLayout->setContentsMargins(0, 0, 0, 0);
    datesLayout->setSpacing(2);
    for (QLabel* label : {m_labels[4], m_labels[5]}) {
        label->setParent(dates);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        datesLayout->addWidget(label);
    }
    grid->addWidget(dates, 5, 0, 1, 3);
}

QLabel* EntryPane::lblNodeProperties(int index) const {
    if (index < 0 || index > 6) return nullptr;
    return m_labels[index];
}

void EntryPane::setStandardCaptions() {
    m_labels[0]->setText(QStringLiteral("Name"));
    m_labels[1]->setText(QStringLiteral("User Name"));
    m_labels[2]->setText(QStringLiteral("Password"));
    m_labels[6]->setText(QStringLiteral("URL"));
    m_labels[3]->setText(QStringLiteral("Notes"));
    fraNotes->setTitle(QStringLiteral("Notes"));
}

void EntryPane::setPasswordRevealed(bool revealed) {
    txtPassword->setEchoMode(revealed ? QLineEdit::Normal : QLineEdit::Password);
}

bool EntryPane::passwordRevealed() const { return txtPassword->echoMode() == QLineEdit::Normal; }

void EntryPane::clearFields() {
    txtResourceName->clear();
    txtUserName->clear();
    wipeText(txtPassword);
    txtURL->clear();
    txtNotes->clear();
    m_labels[4]->clear();
    m_labels[5]->clear();
}

}  // namespace keymora
