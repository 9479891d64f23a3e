#pragma once
// Commands that change the shape of a document: add, delete, sort one level,
// copy or move a node within one document or between two. They take what a
// dialog or a command line has (identifiers, a position word, texts) and
// return what happened; the caller marks the document dirty when status is
// Done and rebuilds its views.
#include <pugixml.hpp>

#include <optional>
#include <string>
#include <string_view>

#include "document/Labels.h"
#include "document/NodeKind.h"

namespace keymora {

class XmlDoc;

enum class EditStatus {
    Done,
    EmptyIdentifier,  // an identifier argument was empty: nothing changed
    NotFound,         // no node with that identifier: nothing changed
    WrongKind,        // the node cannot go there (e.g. an entry under an entry)
    BadPosition,      // a position word other than root, before, after
    NoIdentifier,     // no new identifier could be generated
    IntoItself,       // a move onto the node itself or into its own subtree
    SharedToPrivate,  // a transfer from a shared file into a private file
    ReadOnly,         // the file is open read only: nothing changed
};

// A short English description of a status, for messages and the command line.
const char* StatusText(EditStatus status) noexcept;

struct EditResult {
    EditStatus status = EditStatus::NotFound;
    std::string id;           // the new, moved, copied, deleted or sorted node
    pugi::xml_node node;      // the new, moved or copied element (empty after delete)
    NodeKind kind = NodeKind::None;
    std::string parentId;     // the node's parent ("" when the parent is records)
    std::string parentName;   // the parent's tree text ("" for records)
    bool ok() const noexcept { return status == EditStatus::Done; }
};

inline constexpr const char* kNewCategoryName = "New Category";
inline constexpr const char* kNewSubCategoryName = "New Sub-Category";

// Appends a new category to records.
EditResult AddCategory(XmlDoc& doc, std::string_view name = kNewCategoryName);

// Appends a new sub-category to the selected category or sub-category.
EditResult AddSubCategory(XmlDoc& doc, std::string_view selectedId,
                          std::string_view name = kNewSubCategoryName);

// The five texts of the Add Item dialog; wiped when dropped.
struct EntryFields {
    std::string resource;
    std::string userid;
    std::string password;
    std::string url;
    std::string notes;
    ~EntryFields();
};

enum class EntryPosition { Root, Before, After };

// Captions the Add Item dialog shows: the labels of the selected element (the
// category or sub-category for Root, the selected entry for Before/After).
// Nothing when the identifier is unknown.
std::optional<labels::Captions> AddEntryCaptions(const XmlDoc& doc, std::string_view selectedId);

// Inserts an entry: Root = last child of the selected (sub)category; Before /
// After = next to the selected node inside its (sub)category; the word form
// takes "Root", "Before", "After" in any case. DateCreated and DateModified get
// the same current time.
EditResult AddEntry(XmlDoc& doc, std::string_view selectedId, EntryPosition position,
                    const EntryFields& fields);
EditResult AddEntry(XmlDoc& doc, std::string_view selectedId, std::string_view positionWord,
                    const EntryFields& fields);

// The question asked before a delete, and its title.
std::string DeleteQuestion(std::string_view nodeText);
inline constexpr const char* kDeleteQuestionTitle = "Confirm Deleting Entry";

// Removes the node and everything below it. parentId/parentName name the node
// to select next (empty for a category).
EditResult DeleteNode(XmlDoc& doc, std::string_view id);

enum class SortDirection { Ascending, Descending };

// Sorts the categories, sub-categories and entries that share the selected
// node's parent by name, ignoring case; a labels element keeps its place.
// parentId is "" when the level is the categories (the caller reloads the
// whole tree then, else the parent's branch).
EditResult SortTreeLevel(XmlDoc& doc, std::string_view selectedId, SortDirection direction);

enum class Relation { Before = 0, After = 1, Child = 4 };
enum class TransferMode { Copy = 1, Move = 2 };

// Copies or moves the node sourceId of source next to (Before/After) or under
// (Child) the node targetId of destination; source and destination may be the
// same document. A copy and everything in it get new identifiers; a move keeps
// them (a moved identifier that the destination already uses is replaced, so
// identifiers stay unique). The result names the inserted node.
EditResult CopyMoveNode(XmlDoc& source, XmlDoc& destination, Relation relation,
                        std::string_view sourceId, std::string_view targetId, TransferMode mode);

// What CopyMoveNode would say, without changing anything (Done: it will succeed
// unless no new identifier can be had).
EditStatus CheckCopyMove(const XmlDoc& source, const XmlDoc& destination, Relation relation,
                         std::string_view sourceId, std::string_view targetId, TransferMode mode);

}  // namespace keymora
