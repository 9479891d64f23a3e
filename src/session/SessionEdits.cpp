// The edits of an open data file: each changes the document through the
// document operations and tells the listeners what changed.
#include <sys/stat.h>

#include <array>

#include "document/ModXml.h"
#include "document/DateText.h"
#include "session/DocumentListener.h"
#include "session/DocumentSession.h"

namespace keymora {

namespace {

EditResult refused() {
    EditResult r;
    r.status = EditStatus::ReadOnly;
    return r;
}

constexpr const char* kSameFileText =
    "A data file cannot be merged into itself: every entry would be there twice.";

// Device and inode, so that links and other spellings of a path compare equal.
bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

int FieldPosition(labels::Field field) noexcept {
    static constexpr std::array<int, labels::kFieldCount> positions = {1, 2, 3, 4, 7};
    return positions[static_cast<std::size_t>(field)];
}

pugi::xml_node EntryFieldAt(pugi::xml_node entry, int position) noexcept {
    pugi::xml_node c = entry.first_child();
    for (int i = 1; c && i < position; ++i) c = c.next_sibling();
    return c;
}

EditResult DocumentSession::inserted(EditResult result) {
    if (result.ok()) {
        notify([&](DocumentListener& l) { l.nodeInserted(result.node); });
        edited();
    }
    return result;
}

EditResult DocumentSession::addCategory() {
    if (refuseEdit()) return refused();
    return inserted(AddCategory(*m_doc));
}

EditResult DocumentSession::addSubCategory(std::string_view parentId) {
    if (refuseEdit()) return refused();
    return inserted(AddSubCategory(*m_doc, parentId));
}

EditResult DocumentSession::addEntry(std::string_view selectedId, EntryPosition position,
                                     const EntryFields& fields) {
    if (refuseEdit()) return refused();
    return inserted(AddEntry(*m_doc, selectedId, position, fields));
}

EditResult DocumentSession::deleteNode(std::string_view id) {
    if (refuseEdit()) return refused();
    const pugi::xml_node node = m_doc->nodeById(id);
    // Unknown or empty identifiers change nothing; DeleteNode says which.
    if (!IsTreeNode(node)) return DeleteNode(*m_doc, id);
    const pugi::xml_node parent = node.parent();
    notify([&](DocumentListener& l) { l.nodeAboutToBeRemoved(node); });
    EditResult r = DeleteNode(*m_doc, id);
    notify([&](DocumentListener& l) { l.nodeRemoved(parent); });
    if (r.ok()) edited();
    return r;
}

EditResult DocumentSession::sortLevel(std::string_view id, SortDirection direction) {
    if (refuseEdit()) return refused();
    const pugi::xml_node node = m_doc->nodeById(id);
    if (!IsTreeNode(node)) return SortTreeLevel(*m_doc, id, direction);
    const pugi::xml_node parent = node.parent();
    notify([&](DocumentListener& l) { l.childrenAboutToBeReordered(parent); });
    EditResult r = SortTreeLevel(*m_doc, id, direction);
    notify([&](DocumentListener& l) { l.childrenReordered(parent); });
    if (r.ok()) edited();
    return r;
}

bool DocumentSession::rename(pugi::xml_node node, std::string_view name) {
    if (refuseEdit() || !IsContainer(node) || name.empty()) return false;
    if (name == node.attribute("value").value()) return false;
    modXml::SetNodeAttribute(node, "value", name);
    notify([&](DocumentListener& l) { l.nodeChanged(node); });
    edited();
    return true;
}

bool DocumentSession::updateField(pugi::xml_node entry, labels::Field field, std::string_view text) {
    if (refuseEdit() || KindOf(entry) != NodeKind::Entry) return false;
    pugi::xml_node target = EntryFieldAt(entry, FieldPosition(field));
    if (!target || text == target.text().get()) return false;
    target.text().set(text.data(), text.size());  // no unwiped copy of a password
    if (pugi::xml_node modified = EntryFieldAt(entry, 6)) modified.text().set(datetext::now().c_str());
    notify([&](DocumentListener& l) { l.nodeChanged(entry); });
    edited();
    return true;
}

labels::EditLabelsResult DocumentSession::editLabels(std::string_view id,
                                                     const labels::Captions& captions) {
    if (refuseEdit()) {
        labels::EditLabelsResult r;
        r.status = labels::EditLabelsStatus::ReadOnly;
        return r;
    }
    labels::EditLabelsResult r = labels::ApplyEditLabels(*m_doc, id, captions);
    if (r.status != labels::EditLabelsStatus::Done) return r;
    const pugi::xml_node node = m_doc->nodeById(id);
    notify([&](DocumentListener& l) { l.nodeChanged(node); });
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (KindOf(child) == NodeKind::Entry) notify([&](DocumentListener& l) { l.nodeChanged(child); });
    edited();
    return r;
}

EditResult DocumentSession::transfer(DocumentSession& source, DocumentSession& destination,
                                     Relation relation, std::string_view sourceId,
                                     std::string_view targetId, TransferMode mode) {
    if (destination.refuseEdit() || (mode == TransferMode::Move && source.refuseEdit()))
        return refused();
    const EditStatus check =
        CheckCopyMove(source.doc(), destination.doc(), relation, sourceId, targetId, mode);
    if (check != EditStatus::Done) {
        EditResult r;
        r.status = check;
        return r;
    }
    const bool moving = mode == TransferMode::Move;
    const pugi::xml_node node = source.doc().nodeById(sourceId);
    const pugi::xml_node oldParent = node.parent();
    if (moving) source.notify([&](DocumentListener& l) { l.nodeAboutToBeRemoved(node); });
    EditResult r = CopyMoveNode(source.doc(), destination.doc(), relation, sourceId, targetId, mode);
    // A failed move of a node already announced puts it back into the views.
    if (moving) source.notify([&](DocumentListener& l) { l.nodeRemoved(oldParent); });
    if (!r.ok()) {
        if (moving) source.notify([&](DocumentListener& l) { l.nodeInserted(node); });
        return r;
    }
    destination.notify([&](DocumentListener& l) { l.nodeInserted(r.node); });
    if (moving && &source != &destination) source.edited();
    destination.edited();
    return r;
}

mergefile::Result DocumentSession::merge(const std::string& sourcePath,
                                         const mergefile::CredentialsFn& ask,
                                         const merge::ProgressFn& progress) {
    if (refuseEdit()) return {};
    // Merging only adds to this document, so views may keep what they hold
    // until it is done.
    if (!neverSaved() && sameFile(sourcePath, m_path)) {
        mergefile::Result refused;
        refused.status = mergefile::Status::ReadFailed;
        refused.message = mergefile::Message{kSameFileText, mergefile::kEmptySourceTitle,
                                             mergefile::Icon::Information};
        return refused;
    }
    mergefile::Result r = mergefile::MergeFile(*m_doc, sourcePath, ask, progress);
    if (!r.merged()) return r;
    notify([](DocumentListener& l) { l.documentAboutToBeReset(); });
    notify([](DocumentListener& l) { l.documentReset(); });
    edited();
    return r;
}

csvimport::ImportResult DocumentSession::import(const csvimport::CsvTable& table,
                                                const csvimport::ProgressFn& progress) {
    if (refuseEdit()) {
        csvimport::ImportResult r;
        r.errorText = StatusText(EditStatus::ReadOnly);
        return r;
    }
    csvimport::ImportResult r = csvimport::ImportRecords(*m_doc, table, progress);
    if (!r.ok) return r;
    notify([&](DocumentListener& l) { l.nodeInserted(r.category); });
    edited();
    return r;
}

void DocumentSession::setViewAttribute(pugi::xml_node node, const char* name, std::string_view value) {
    if (m_closed || !node) return;
    modXml::SetNodeAttribute(node, name, value);
}

}  // namespace keymora
