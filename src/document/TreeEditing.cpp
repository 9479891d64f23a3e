#include "document/TreeEditing.h"

#include <tuple>
#include <unordered_set>
#include <vector>

#include "document/DateText.h"
#include "document/GenerateGuid.h"
#include "document/SortRoutines.h"
#include "document/XmlDoc.h"
#include "support/SecureWipe.h"

namespace keymora {

namespace {

EditResult fail(EditStatus status) {
    EditResult r;
    r.status = status;
    return r;
}

void describeParent(EditResult& r, pugi::xml_node parent) {
    if (IsTreeNode(parent)) {
        r.parentId = parent.attribute("id").value();
        r.parentName = NodeName(parent);
    }
}

EditResult done(pugi::xml_node node) {
    EditResult r;
    r.status = EditStatus::Done;
    r.id = node.attribute("id").value();
    r.node = node;
    r.kind = KindOf(node);
    describeParent(r, node.parent());
    return r;
}

bool equalsLower(std::string_view text, std::string_view lowerWord) noexcept {
    if (text.size() != lowerWord.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[i]) return false;
    }
    return true;
}

void setNodeAttributes(pugi::xml_node node, const std::string& id, const char* type) {
    node.append_attribute("id").set_value(id.c_str());
    node.append_attribute("type").set_value(type);
}

void appendField(pugi::xml_node entry, const char* name, const std::string& text) {
    pugi::xml_node field = entry.append_child(name);
    // An empty field is an element without text.
    if (!text.empty()) field.text().set(text.c_str());
}

// Whether a node of this kind may stand directly in parent.
bool fitsUnder(NodeKind kind, pugi::xml_node parent) {
    if (kind == NodeKind::Category) return std::string_view(parent.name()) == "records";
    if (kind == NodeKind::SubCategory || kind == NodeKind::Entry) return IsContainer(parent);
    return false;
}

bool isSelfOrAncestor(pugi::xml_node candidate, pugi::xml_node node) {
    for (pugi::xml_node n = node; !n.empty(); n = n.parent()) {
        if (n == candidate) return true;
    }
    return false;
}

// Pre-order walk without recursion.
template <typename Visit>
void walkElements(pugi::xml_node root, Visit&& visit) {
    pugi::xml_node node = root;
    for (;;) {
        if (node.type() == pugi::node_element) visit(node);
        if (pugi::xml_node child = node.first_child(); !child.empty()) {
            node = child;
            continue;
        }
        while (node != root && node.next_sibling().empty()) node = node.parent();
        if (node == root) return;
        node = node.next_sibling();
    }
}

// The first tree nodes in document order with the two identifiers (either may
// be the same document's), in one walk. Entries are not entered: only
// categories, sub-categories and entries carry identifiers.
std::pair<pugi::xml_node, pugi::xml_node> findTwoById(const XmlDoc& doc, std::string_view a, std::string_view b) {
    pugi::xml_node foundA;
    pugi::xml_node foundB;
    const pugi::xml_node root = doc.dom();
    pugi::xml_node node = root.first_child();
    while (!node.empty() && (foundA.empty() || foundB.empty())) {
        bool enter = true;
        if (node.type() == pugi::node_element) {
            const char* id = node.attribute("id").value();
            if (*id != '\0' && IsTreeNode(node)) {
                if (foundA.empty() && a == id) foundA = node;
                if (foundB.empty() && b == id) foundB = node;
            }
            enter = KindOf(node) != NodeKind::Entry;
        } else {
            enter = false;
        }
        if (pugi::xml_node child = enter ? node.first_child() : pugi::xml_node(); !child.empty()) {
            node = child;
            continue;
        }
        while (node != root && node.next_sibling().empty()) node = node.parent();
        if (node == root) break;
        node = node.next_sibling();
    }
    return {foundA, foundB};
}

std::string sortKeyText(pugi::xml_node node) {
    if (IsContainer(node)) return node.attribute("value").value();
    return node.first_child().text().get();
}

}  // namespace

const char* StatusText(EditStatus status) noexcept {
    switch (status) {
        case EditStatus::Done: return "Done";
        case EditStatus::EmptyIdentifier: return "No node was given";
        case EditStatus::NotFound: return "The node was not found";
        case EditStatus::WrongKind: return "The node cannot be placed there";
        case EditStatus::BadPosition: return "Unknown position";
        case EditStatus::NoIdentifier: return "No new identifier could be generated";
        case EditStatus::IntoItself: return "A node cannot be moved onto itself or into its own contents";
        case EditStatus::SharedToPrivate:
            return "Items may not be moved or copied FROM a shared file to a private file.";
        case EditStatus::ReadOnly: return "The file is open read only";
    }
    return "Unknown status";
}

EntryFields::~EntryFields() {
    secureWipe(resource);
    secureWipe(userid);
    secureWipe(password);
    secureWipe(url);
    secureWipe(notes);
}

EditResult AddCategory(XmlDoc& doc, std::string_view name) {
    pugi::xml_node records = doc.records();
    if (records.empty()) return fail(EditStatus::NotFound);
    const std::string id = GenerateGUID();
    if (id.empty()) return fail(EditStatus::NoIdentifier);
    pugi::xml_node category = records.append_child("category");
    setNodeAttributes(category, id, "category");
    category.append_attribute("value").set_value(std::string(name).c_str());
    return done(category);
}

EditResult AddSubCategory(XmlDoc& doc, std::string_view selectedId, std::string_view name) {
    if (selectedId.empty()) return fail(EditStatus::EmptyIdentifier);
    pugi::xml_node parent = doc.nodeById(selectedId);
    if (parent.empty()) return fail(EditStatus::NotFound);
    if (!IsContainer(parent)) return fail(EditStatus::WrongKind);
    const std::string id = GenerateGUID();
    if (id.empty()) return fail(EditStatus::NoIdentifier);
    pugi::xml_node sub = parent.append_child("subcategory");
    setNodeAttributes(sub, id, "subcategory");
    sub.append_attribute("value").set_value(std::string(name).c_str());
    return done(sub);
}

std::optional<labels::Captions> AddEntryCaptions(const XmlDoc& doc, std::string_view selectedId) {
    if (selectedId.empty()) return std::nullopt;
    pugi::xml_node selected = doc.nodeById(selectedId);
    if (!IsTreeNode(selected)) return std::nullopt;
    return labels::CaptionsOf(selected);
}

EditResult AddEntry(XmlDoc& doc, std::string_view selectedId, std::string_view positionWord,
                    const EntryFields& fields) {
    EntryPosition position = EntryPosition::Root;
    if (equalsLower(positionWord, "before")) {
        position = EntryPosition::Before;
    } else if (equalsLower(positionWord, "after")) {
        position = EntryPosition::After;
    } else if (!equalsLower(positionWord, "root")) {
        return fail(EditStatus::BadPosition);
    }
    return AddEntry(doc, selectedId, position, fields);
}

EditResult AddEntry(XmlDoc& doc, std::string_view selectedId, EntryPosition position,
                    const EntryFields& fields) {
    if (selectedId.empty()) return fail(EditStatus::EmptyIdentifier);
    pugi::xml_node selected = doc.nodeById(selectedId);
    if (!IsTreeNode(selected)) return fail(EditStatus::NotFound);
    pugi::xml_node container = position == EntryPosition::Root ? selected : selected.parent();
    if (!IsContainer(container)) return fail(EditStatus::WrongKind);
    const std::string id = GenerateGUID();
    if (id.empty()) return fail(EditStatus::NoIdentifier);

    pugi::xml_node entry;
    switch (position) {
        case EntryPosition::Root: entry = container.append_child("record_detail"); break;
        case EntryPosition::Before: entry = container.insert_child_before("record_detail", selected); break;
        case EntryPosition::After: entry = container.insert_child_after("record_detail", selected); break;
    }
    if (entry.empty()) return fail(EditStatus::BadPosition);
    setNodeAttributes(entry, id, "entry");
    const std::string stamp = datetext::now();
    appendField(entry, "resource", fields.resource);
    appendField(entry, "userid", fields.userid);
    appendField(entry, "password", fields.password);
    appendField(entry, "notes", fields.notes);
    appendField(entry, "DateCreated", stamp);
    appendField(entry, "DateModified", stamp);
    appendField(entry, "URL", fields.url);
    return done(entry);
}

std::string DeleteQuestion(std::string_view nodeText) {
    std::string text = "Are you sure you wish to delete\r\n\"";
    text += nodeText;
    text += "\"?";
    return text;
}

EditResult DeleteNode(XmlDoc& doc, std::string_view id) {
    if (id.empty()) return fail(EditStatus::EmptyIdentifier);
    pugi::xml_node node = doc.nodeById(id);
    if (!IsTreeNode(node)) return fail(EditStatus::NotFound);
    EditResult r;
    r.status = EditStatus::Done;
    r.id = std::string(id);
    r.kind = KindOf(node);
    pugi::xml_node parent = node.parent();
    describeParent(r, parent);
    parent.remove_child(node);
    return r;
}

EditResult SortTreeLevel(XmlDoc& doc, std::string_view selectedId, SortDirection direction) {
    using modSortRoutines::SortRow;
    if (selectedId.empty()) return fail(EditStatus::EmptyIdentifier);
    pugi::xml_node selected = doc.nodeById(selectedId);
    if (!IsTreeNode(selected)) return fail(EditStatus::NotFound);
    pugi::xml_node parent = selected.parent();

    // Every child keeps a slot; the slots of tree nodes are refilled in sorted
    // order, anything else (labels) stays where it was.
    std::vector<pugi::xml_node> children;
    std::vector<SortRow> rows;
    for (pugi::xml_node child = parent.first_child(); !child.empty(); child = child.next_sibling()) {
        if (IsTreeNode(child)) rows.push_back({modSortRoutines::FoldSortKey(sortKeyText(child)), children.size()});
        children.push_back(child);
    }
    const auto high = static_cast<std::ptrdiff_t>(rows.size()) - 1;
    if (direction == SortDirection::Ascending) {
        modSortRoutines::QuickSortAscending(rows, 0, high);
    } else {
        modSortRoutines::QuickSortDescending(rows, 0, high);
    }

    std::size_t next = 0;
    for (pugi::xml_node child : children) {
        pugi::xml_node placed = IsTreeNode(child) ? children[rows[next++].item] : child;
        parent.append_move(placed);
    }

    EditResult r;
    r.status = EditStatus::Done;
    r.id = std::string(selectedId);
    r.node = selected;
    r.kind = KindOf(selected);
    describeParent(r, parent);
    return r;
}

namespace {

// The node to copy or move and the node it goes next to or under.
std::pair<pugi::xml_node, pugi::xml_node> findTransfer(const XmlDoc& source, const XmlDoc& destination,
                                                       std::string_view sourceId,
                                                       std::string_view targetId) {
    if (&source == &destination) return findTwoById(source, sourceId, targetId);
    return {findTwoById(source, sourceId, sourceId).first,
            findTwoById(destination, targetId, targetId).first};
}

}  // namespace

EditStatus CheckCopyMove(const XmlDoc& source, const XmlDoc& destination, Relation relation,
                         std::string_view sourceId, std::string_view targetId, TransferMode mode) {
    if (sourceId.empty() || targetId.empty()) return EditStatus::EmptyIdentifier;
    if (relation != Relation::Before && relation != Relation::After && relation != Relation::Child) {
        return EditStatus::BadPosition;
    }
    if (mode != TransferMode::Copy && mode != TransferMode::Move) return EditStatus::BadPosition;
    const bool sameDocument = &source == &destination;
    const auto [node, target] = findTransfer(source, destination, sourceId, targetId);
    if (!IsTreeNode(node) || !IsTreeNode(target)) return EditStatus::NotFound;
    // Items may not go from a shared file into a private file.
    const auto shared = [](const XmlDoc& d) {
        return std::string_view(d.datafile().attribute("filetype").value()) == "shared";
    };
    if (!sameDocument && shared(source) && !shared(destination)) return EditStatus::SharedToPrivate;
    pugi::xml_node newParent = relation == Relation::Child ? target : target.parent();
    if (!fitsUnder(KindOf(node), newParent)) return EditStatus::WrongKind;
    if (mode == TransferMode::Move && sameDocument && isSelfOrAncestor(node, target)) {
        return EditStatus::IntoItself;
    }
    return EditStatus::Done;
}

namespace {

// Where a copied or moved node lands: next to target or under it.
struct Placement {
    Relation relation;
    pugi::xml_node target;
    pugi::xml_node parent() const { return relation == Relation::Child ? target : target.parent(); }
    pugi::xml_node insertCopy(pugi::xml_node proto) const {
        switch (relation) {
            case Relation::Before: return parent().insert_copy_before(proto, target);
            case Relation::After: return parent().insert_copy_after(proto, target);
            case Relation::Child: break;
        }
        return parent().append_copy(proto);
    }
    pugi::xml_node insertMove(pugi::xml_node node) const {
        switch (relation) {
            case Relation::Before: return parent().insert_move_before(node, target);
            case Relation::After: return parent().insert_move_after(node, target);
            case Relation::Child: break;
        }
        return parent().append_move(node);
    }
};

EditResult copyNode(pugi::xml_node node, const Placement& place) {
    const std::string newId = GenerateGUID();
    if (newId.empty()) return fail(EditStatus::NoIdentifier);
    // The copy is renumbered while detached, so nothing in the documents changes id.
    pugi::xml_document scratch;
    pugi::xml_node copy = scratch.append_copy(node);
    ResetUniqueIdentifiers(copy);
    bool unnumbered = false;
    walkElements(copy, [&unnumbered](pugi::xml_node element) {
        if (IsTreeNode(element) && *element.attribute("id").value() == '\0') unnumbered = true;
    });
    if (unnumbered) return fail(EditStatus::NoIdentifier);
    pugi::xml_node inserted = place.insertCopy(copy);
    if (inserted.empty()) return fail(EditStatus::WrongKind);
    inserted.attribute("id").set_value(newId.c_str());
    return done(inserted);
}

// The identifiers under node that the destination already uses.
std::unordered_set<std::string> takenIds(pugi::xml_node node, const XmlDoc& destination) {
    std::unordered_set<std::string_view> moving;
    walkElements(node, [&](pugi::xml_node element) {
        const char* id = element.attribute("id").value();
        if (*id != '\0') moving.insert(id);
    });
    std::unordered_set<std::string> taken;
    walkElements(destination.dom(), [&](pugi::xml_node element) {
        const char* id = element.attribute("id").value();
        if (*id != '\0' && moving.count(id) != 0) taken.insert(id);
    });
    return taken;
}

// Between documents a copy lands in the destination and the source goes;
// identifiers are kept unless the destination already has them.
EditResult moveBetween(pugi::xml_node node, const XmlDoc& destination, const Placement& place) {
    const std::unordered_set<std::string> taken = takenIds(node, destination);
    pugi::xml_node inserted = place.insertCopy(node);
    if (inserted.empty()) return fail(EditStatus::WrongKind);
    bool renumberFailed = false;
    walkElements(inserted, [&](pugi::xml_node element) {
        pugi::xml_attribute id = element.attribute("id");
        if (taken.empty() || id.empty() || taken.count(id.value()) == 0) return;
        const std::string fresh = GenerateGUID();
        if (fresh.empty()) renumberFailed = true;
        else id.set_value(fresh.c_str());
    });
    if (renumberFailed) {
        place.parent().remove_child(inserted);
        return fail(EditStatus::NoIdentifier);
    }
    node.parent().remove_child(node);
    return done(inserted);
}

}  // namespace

EditResult CopyMoveNode(XmlDoc& source, XmlDoc& destination, Relation relation,
                        std::string_view sourceId, std::string_view targetId, TransferMode mode) {
    const EditStatus check = CheckCopyMove(source, destination, relation, sourceId, targetId, mode);
    if (check != EditStatus::Done) return fail(check);
    const bool sameDocument = &source == &destination;
    const auto [node, target] = findTransfer(source, destination, sourceId, targetId);
    const Placement place{relation, target};
    if (mode == TransferMode::Copy) return copyNode(node, place);
    if (!sameDocument) return moveBetween(node, destination, place);
    pugi::xml_node moved = place.insertMove(node);
    if (moved.empty()) return fail(EditStatus::WrongKind);
    return done(moved);
}

}  // namespace keymora
