#include "docwindow/EntryEditor.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include "docwindow/EntryPane.h"
#include "docwindow/cClipBoard.h"
#include "session/DocumentSession.h"
#include "support/ClsReg.h"
#include "support/Options.h"
#include "ui/DocumentHost.h"
#include "ui/WipeText.h"

namespace keymora {

namespace {

QString fieldText(pugi::xml_node entry, int position) {
    return QString::fromUtf8(EntryFieldAt(entry, position).child_value());
}

bool blank(const QString& text) { return text.trimmed().isEmpty(); }

// Sets a box only when its text differs, so the box being typed in keeps its cursor.
void setIfDifferent(QLineEdit* box, const QString& text) {
    if (box->text() != text) box->setText(text);
}

bool isInside(pugi::xml_node node, pugi::xml_node ancestor) {
    for (pugi::xml_node n = node; n; n = n.parent())
        if (n == ancestor) return true;
    return false;
}

}  // namespace

EntryEditor::EntryEditor(DocumentSession& session, EntryPane& pane, DocumentHost* host,
                         QObject* parent)
    : QObject(parent), m_session(session), m_pane(pane), m_host(host) {
    m_hidePassword = new QTimer(this);
    m_hidePassword->setObjectName(QStringLiteral("timeHidePassword"));
    m_hidePassword->setSingleShot(true);
    connect(m_hidePassword, &QTimer::timeout, this, &EntryEditor::maskPassword);
    connectPane();
    m_session.addListener(this);
    setReadOnly(m_session.readOnly());
}

EntryEditor::~EntryEditor() { m_session.removeListener(this); }

void EntryEditor::connectPane() {
    using labels::Field;
    connect(m_pane.txtResourceName, &QLineEdit::textChanged, this,
            [this](const QString& t) { onFieldEdited(Field::Resource, t); });
    connect(m_pane.txtUserName, &QLineEdit::textChanged, this,
            [this](const QString& t) { onFieldEdited(Field::UserId, t); });
    connect(m_pane.txtPassword, &QLineEdit::textChanged, this,
            [this](const QString& t) { onFieldEdited(Field::Password, t); });
    connect(m_pane.txtURL, &QLineEdit::textChanged, this,
            [this](const QString& t) { onFieldEdited(Field::Url, t); });
    connect(m_pane.txtNotes, &QPlainTextEdit::textChanged, this,
            [this] { onFieldEdited(Field::Notes, m_pane.txtNotes->toPlainText()); });
    connect(m_pane.cmdCopyPassword, &QToolButton::clicked, this, &EntryEditor::onCopyPassword);
    connect(m_pane.cmdLaunchBrowser, &QToolButton::clicked, this, &EntryEditor::onLaunchBrowser);
}

void EntryEditor::DisplayEntry(pugi::xml_node entry) {
    if (KindOf(entry) != NodeKind::Entry || !EntryFieldAt(entry, 2)) return;
    m_entry = entry;
    fillCaptions();
    fillFields();
    m_pane.cmdCopyPassword->setVisible(!blank(m_pane.txtPassword->text()));
    // The launch button wears the default browser's own icon, which start-up
    // may find only after the first file opened.
    if (launchAvailable() && !m_host->browserIcon().isNull())
        m_pane.cmdLaunchBrowser->setIcon(m_host->browserIcon());
    m_pane.cmdLaunchBrowser->setVisible(launchAvailable() && !blank(m_pane.txtURL->text()));
}

void EntryEditor::fillCaptions() {
    const labels::Captions captions = labels::CaptionsOf(m_entry);
    auto caption = [&](labels::Field f) { return QString::fromStdString(captions[f]); };
    m_pane.lblNodeProperties(0)->setText(caption(labels::Field::Resource));
    m_pane.lblNodeProperties(1)->setText(caption(labels::Field::UserId));
    m_pane.lblNodeProperties(2)->setText(caption(labels::Field::Password));
    m_pane.lblNodeProperties(3)->setText(caption(labels::Field::Notes));
    m_pane.fraNotes->setTitle(caption(labels::Field::Notes));
    m_pane.lblNodeProperties(6)->setText(caption(labels::Field::Url));
}

void EntryEditor::fillFields() {
    m_filling = true;
    setIfDifferent(m_pane.txtResourceName, fieldText(m_entry, 1));
    setIfDifferent(m_pane.txtUserName, fieldText(m_entry, 2));
    QString password = fieldText(m_entry, 3);
    setIfDifferent(m_pane.txtPassword, password);
    wipeText(password);
    setIfDifferent(m_pane.txtURL, fieldText(m_entry, 7));
    const QString notes = fieldText(m_entry, 4);
    if (m_pane.txtNotes->toPlainText() != notes) m_pane.txtNotes->setPlainText(notes);
    m_pane.lblNodeProperties(4)->setText(QStringLiteral("Date Created: ") + fieldText(m_entry, 5));
    m_pane.lblNodeProperties(5)->setText(QStringLiteral("Date Last Modified: ") + fieldText(m_entry, 6));
    m_filling = false;
}

void EntryEditor::clear() {
    m_entry = {};
    m_hidePassword->stop();
    m_filling = true;
    m_pane.clearFields();
    m_filling = false;
    maskPassword();
}

void EntryEditor::setReadOnly(bool readOnly) {
    for (QLineEdit* box : {m_pane.txtResourceName, m_pane.txtUserName, m_pane.txtPassword, m_pane.txtURL})
        box->setReadOnly(readOnly);
    m_pane.txtNotes->setReadOnly(readOnly);
}

void EntryEditor::onFieldEdited(labels::Field field, const QString& text) {
    if (m_filling || !m_entry) return;
    QByteArray utf8 = text.toUtf8();
    const bool written = m_session.updateField(m_entry, field, std::string_view(utf8.constData(), utf8.size()));
    utf8.fill('\0');
    if (written && field == labels::Field::Url && launchAvailable()) m_pane.cmdLaunchBrowser->show();
}

// --- what the session says -------------------------------------------------------

void EntryEditor::nodeChanged(pugi::xml_node node) {
    if (!m_entry || node != m_entry) return;
    fillCaptions();
    fillFields();
}

void EntryEditor::nodeAboutToBeRemoved(pugi::xml_node node) {
    if (m_entry && isInside(m_entry, node)) clear();
}

void EntryEditor::documentAboutToBeReset() { clear(); }

// --- buttons and the password box --------------------------------------------------

void EntryEditor::onCopyPassword() {
    QString password = m_pane.txtPassword->text();
    cClipBoard::CopyPasswordTimed(password, options::ClipboardTimeout(clsReg()));
    wipeText(password);
}

bool EntryEditor::launchAvailable() const { return m_host != nullptr && m_host->browserAvailable(); }

void EntryEditor::onLaunchBrowser() {
    if (m_host != nullptr) m_host->launchUrl(m_pane.txtURL->text());
}

void EntryEditor::revealPassword(int ms) {
    if (ms <= 0) return;
    m_pane.setPasswordRevealed(true);
    m_hidePassword->start(ms);
}

void EntryEditor::maskPassword() {
    m_hidePassword->stop();
    m_pane.setPasswordRevealed(false);
}

}  // namespace keymora
