// Commands on the active document's tree and list: delete, add category and
// sub-category, sort, up level, list view buttons; and the password commands
// (unlock, create, change).
#include "app/frmMain.h"

#include <QAction>

#include <optional>
#include <string>

#include "app/frmGeneratePassword.h"
#include "docwindow/cClipBoard.h"
#include "docwindow/frmKMF.h"
#include "document/NodeKind.h"
#include "document/TreeEditing.h"
#include "document/XmlDoc.h"
#include "storage/CredentialRules.h"
#include "support/ClsReg.h"
#include "support/Options.h"
#include "support/SecureWipe.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

// --- passwords ------------------------------------------------------------------

void frmMain::changePassword() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    LoginRequest request;
    request.instructions = LoadResString(1218);
    request.confirm = true;
    request.userLabel = LoadResString(1219);
    request.passwordLabel = LoadResString(1220);
    std::optional<Credentials> answer = Prompt::current().credentials(request);
    if (!answer) return;
    std::string user = credentials::TrimBlanks(answer->userId.toStdString());
    std::string password = credentials::TrimBlanks(answer->password.toStdString());
    secureWipe(doc->gsUserID);
    secureWipe(doc->gsUserPassword);
    doc->gsUserID = std::move(user);
    doc->gsUserPassword = std::move(password);
    answer->password.fill(QChar(0));
    doc->MarkDocumentDirty();
}

void frmMain::unlockPassword() {
    frmKMF* doc = activeDocument();
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

// --- tree and list ---------------------------------------------------------------

void frmMain::upLevel() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const pugi::xml_node element = doc->selectedTreeElement();
    if (!element) return;
    const pugi::xml_node parent = element.parent();
    if (!IsTreeNode(parent)) return;
    doc->NodeClick(parent.attribute("id").value());
}

void frmMain::setListView(int mode) {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    pugi::xml_node element = doc->selectedTreeElement();
    if (!element) return;
    doc->setListViewMode(mode);
    pugi::xml_attribute attr = element.attribute("listview");
    if (!attr) attr = element.append_attribute("listview");
    attr.set_value(mode);
    showListMode(doc);
}

void frmMain::showListMode(frmKMF* doc) {
    static const char* const keys[] = {"View Large Icons", "View Small Icons", "View List",
                                       "View Details"};
    const int mode = doc ? doc->listViewMode() : -1;
    for (int i = 0; i < 4; ++i) toolbarButton(QString::fromLatin1(keys[i]))->setChecked(i == mode);
}

namespace {

// The text a node shows in the tree: a container's name, an entry's first field.
QString nodeText(pugi::xml_node element) {
    if (KindOf(element) == NodeKind::Entry)
        return QString::fromUtf8(element.first_child().text().get());
    return QString::fromUtf8(element.attribute("value").value());
}

// Rebuilds the document's tree after a change of shape and selects a node.
void reloadAndSelect(frmKMF& doc, const std::string& id) {
    doc.clearTree();
    doc.ParseAndLoadXMLFile();
    if (!id.empty()) doc.NodeClick(id);
}

}  // namespace

void frmMain::sortLevel(bool ascending) {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const std::string id = doc->selectedTreeNodeId();
    if (id.empty()) return;
    const EditResult result = SortTreeLevel(
        doc->XMLDoc(), id, ascending ? SortDirection::Ascending : SortDirection::Descending);
    if (!result.ok()) return;
    reloadAndSelect(*doc, id);
    doc->MarkDocumentDirty();
}

void frmMain::deleteItem() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const std::string id = doc->GUIDSelected.empty() ? doc->selectedTreeNodeId() : doc->GUIDSelected;
    if (id.empty()) return;
    const pugi::xml_node element = doc->XMLDoc().nodeById(id);
    if (!element) return;
    if (options::ConfirmEntryDeletes(clsReg())) {
        const QString question = ReplacePlaceholder(LoadResString(1148), QStringLiteral("entry text"),
                                                    nodeText(element));
        if (Prompt::current().message(question, LoadResString(1149), MsgIcon::None,
                                      MsgButtons::YesNo) != MsgAnswer::Yes)
            return;
    }
    const EditResult result = DeleteNode(doc->XMLDoc(), id);
    if (!result.ok()) return;
    doc->GUIDSelected.clear();
    reloadAndSelect(*doc, result.parentId);
    if (!result.parentId.empty()) setStatusPanel(1, QString::fromStdString(result.parentName));
    doc->MarkDocumentDirty();
}

void frmMain::addCategory() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const EditResult result = AddCategory(doc->XMLDoc());
    if (!result.ok()) return;
    reloadAndSelect(*doc, result.id);
    doc->MarkDocumentDirty();
}

void frmMain::addSubCategory() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const std::string id = doc->selectedTreeNodeId();
    if (id.empty() || doc->selectedTreeNodeKind() == NodeKind::Entry) return;
    const EditResult result = AddSubCategory(doc->XMLDoc(), id);
    if (!result.ok()) return;
    reloadAndSelect(*doc, result.id);
    doc->MarkDocumentDirty();
}

}  // namespace keymora
