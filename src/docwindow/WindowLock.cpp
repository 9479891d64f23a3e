// The document window's inactivity lock and password reveal.
#include <QLabel>

#include "docwindow/EntryEditor.h"
#include "docwindow/LockCover.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "storage/DataFile.h"
#include "ui/Prompt.h"

namespace keymora {

void frmKMF::revealPassword(int ms) {
    if (!displayLocked()) m_entry->revealPassword(ms);
}

void frmKMF::SetTimeToLockTimer() { m_cover->arm(); }

void frmKMF::stopLockTimer() { m_cover->disarm(); }

bool frmKMF::lockTimerActive() const { return m_cover->armed(); }

void frmKMF::LockFileDisplay() { m_cover->lock(); }

bool frmKMF::displayLocked() const { return m_cover->locked(); }

// The cover is up: the entry's fields go out of sight with it.
void frmKMF::onLocked() {
    m_entryShownBeforeLock = entryPaneVisible();
    m_entry->maskPassword();
    showEntryPane(false);
}

bool frmKMF::UnlockFileDisplay() {
    LoginRequest request;
    const QString title = fileName().section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1);
    request.instructions = QStringLiteral("Enter the User Name and \r\nPassword to UN-Lock \r\n") + title;
    std::optional<Credentials> given = Prompt::current().credentials(request);
    if (!given) return false;
    QByteArray user = given->userId.toUtf8();
    QByteArray password = given->password.toUtf8();
    const bool match = m_session->credentialsMatch(std::string_view(user.constData(), user.size()),
                                                   std::string_view(password.constData(), password.size()));
    wipeText(password);
    wipeText(user);
    if (!match) {
        Prompt::current().message(QString::fromLatin1(datafile::kDecryptFailedText),
                                  QString::fromLatin1(datafile::kDecryptFailedTitle),
                                  MsgIcon::Exclamation, MsgButtons::Ok);
        return false;
    }
    m_cover->unlock();
    if (m_entryShownBeforeLock && m_entry->entry()) showEntryPane(true);
    return true;
}

void frmKMF::activated() { m_cover->disarm(); }

// Another window is in front: the entry's fields are put away and the
// inactivity time starts.
void frmKMF::deactivated() {
    showEntryPane(false);
    m_cover->arm();
}

}  // namespace keymora
