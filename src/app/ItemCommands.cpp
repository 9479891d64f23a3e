// Commands on the active document's tree and list: delete, add category and
// sub-category, sort, up level, list view buttons; and the password commands
// (unlock, create, change).
#include "app/frmMain.h"

#include <QAction>

#include <optional>

#include "ui/frmGeneratePassword.h"
#include "docwindow/cClipBoard.h"
#include "docwindow/frmKMF.h"
#include "document/TreeEditing.h"
#include "session/DocumentSession.h"
#include "support/ClsReg.h"
#include "support/Options.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

// --- passwords ------------------------------------------------------------------

void frmMain::changePassword() {
    frmKMF* doc = commandTarget();
    // A read-only file keeps the credentials it has.
    if (!doc || doc->session().readOnly()) return;
    LoginRequest request;
    request.instructions = LoadResString(1218);
    request.confirm = true;
    request.userLabel = LoadResString(1219);
    request.passwordLabel = LoadResString(1220);
    request.offerModern = true;
    request.modern = doc->session().protection() == Protection::Modern;
    std::optional<Credentials> answer = Prompt::current().credentials(request);
    if (!answer) return;
    FileCredentials credentials;
    assignUtf8(credentials.userId.value(), answer->userId);
    assignUtf8(credentials.password.value(), answer->password);
    // The session marks the file edited; the next save writes it with them,
    // in the protection chosen.
    doc->session().setCredentials(std::move(credentials),
                                  answer->modern ? Protection::Modern : Protection::Legacy);
}

void frmMain::unlockPassword() {
    frmKMF* doc = commandTarget();
    if (!doc) return;
    const int timeout = options::FormDisplayTimeout(clsReg());
    // A timeout under a second would give a negative interval; hide at once then.
    doc->revealPassword(timeout > 1000 ? timeout - 1000 : 0);
}

void frmMain::createPassword() {
    frmGeneratePassword generator(this);
    generator.exec();
    if (!generator.accepted()) return;
    cClipBoard::Clear();
    cClipBoard::SetText(generator.sGeneratedPassword, true);
    QString text = ReplacePlaceholder(LoadResString(sid::NewPasswordText),
                                      QStringLiteral("newpassword"), generator.sGeneratedPassword);
    Prompt::current().message(text, LoadResString(sid::NewPasswordTitle), MsgIcon::Information,
                              MsgButtons::Ok);
    text.fill(QChar(0));
}

// --- tree and list: the active document acts on its selected node and does
// nothing while it is locked.

frmKMF* frmMain::commandTarget() const {
    frmKMF* doc = activeDocument();
    return doc && !doc->displayLocked() ? doc : nullptr;
}

void frmMain::upLevel() {
    if (frmKMF* doc = commandTarget()) doc->upLevel();
}

void frmMain::setListView(int mode) {
    frmKMF* doc = commandTarget();
    if (!doc) return;
    doc->setListViewOfSelection(mode);
    showListMode(doc);
}

void frmMain::showListMode(frmKMF* doc) {
    static const char* const keys[] = {"View Large Icons", "View Small Icons", "View List",
                                       "View Details"};
    const int mode = doc ? doc->listViewMode() : -1;
    for (int i = 0; i < 4; ++i) toolbarButton(QString::fromLatin1(keys[i]))->setChecked(i == mode);
}

void frmMain::sortLevel(bool ascending) {
    if (frmKMF* doc = commandTarget())
        doc->sortSelectedLevel(ascending ? SortDirection::Ascending : SortDirection::Descending);
}

void frmMain::deleteItem() {
    if (frmKMF* doc = commandTarget()) doc->deleteSelected();
}

void frmMain::addCategory() {
    if (frmKMF* doc = commandTarget()) doc->addCategory();
}

void frmMain::addSubCategory() {
    if (frmKMF* doc = commandTarget()) doc->addSubCategory();
}

void frmMain::addEntry(EntryPosition position) {
    if (frmKMF* doc = commandTarget()) doc->addEntry(position);
}

void frmMain::editLabels() {
    if (frmKMF* doc = commandTarget()) doc->editLabels();
}

}  // namespace keymora
