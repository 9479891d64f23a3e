#pragma once
// Find: a text searched, as a case-insensitive regular expression, in the
// kinds of fields the user ticked, in the order they were ticked.
#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/XmlDoc.h"

namespace keymora::search {

// The field keys, in the order of the dialog's boxes. "category" and
// "subcategory" test the node's name (its `value`); the others test the entry
// field element of that name.
inline constexpr std::array<const char*, 7> kFieldKeys = {
    "category", "subcategory", "resource", "userid", "password", "URL", "notes"};

bool IsFieldKey(std::string_view key) noexcept;

// The dialog's options: a detached `searchnode` element with one `search`
// child per ticked box, its `value` the field key, in ticking order.
pugi::xml_node CreateSearchOptions(XmlDoc& scratchOwner);
// Ticking a box (a key already present is not added twice; unknown keys are ignored).
void AddSearchField(pugi::xml_node searchnode, std::string_view key);
// Unticking a box.
void RemoveSearchField(pugi::xml_node searchnode, std::string_view key);
std::vector<std::string> SearchFields(pugi::xml_node searchnode);

// One row of the results list: a matched category, sub-category or entry,
// listed once with the text of its first match.
struct SearchRow {
    std::string id;
    std::string tag;   // "category", "subcategory" or "entry"
    std::string text;  // the matched text
    std::string field; // the key under which it matched first
};

inline constexpr const char* kProcedureName = "modXML.SearchNodes";
// The number under which a pattern that does not compile is reported.
inline constexpr std::int32_t kPatternErrorNumber = 5017;

// One match: the category, sub-category or entry, the key it matched under
// and the matched text (views into the document).
struct FieldMatch {
    pugi::xml_node node;
    const char* key;
    const char* text;
};

struct SearchOutcome {
    std::vector<SearchRow> rows;
    std::vector<FieldMatch> matches;  // FindMatches only
    std::size_t matchCount = 0;  // result elements, one per match
    bool ok = true;
    std::int32_t errorNumber = 0;
    std::string errorDescription;  // e.g. "Syntax error in regular expression: ..."
    int errorStep = 0;             // the step that failed, for the error dialog's "Erl"

    // The procedure error dialog's text: "Error: N desc\r\nErlS\r\n\r\nmodXML.SearchNodes".
    std::string errorDialogText() const;
};

// Searches every element named by each key in turn, in document order. A
// match appends an element named after the key to `results` (when given) with
// `type`, `id` and `value`, and lists the node once in rows. No key: nothing
// is found. A pattern that does not compile: ok false, nothing found. A match
// the engine gives up on (runaway backtracking): ok false, with what was
// found before it.
SearchOutcome SearchNodes(const XmlDoc& doc, std::string_view searchText,
                          const std::vector<std::string>& fieldKeys,
                          pugi::xml_node results = {});
// The same search, giving every match in `matches` (per key, each in document
// order) and nothing else: no result elements, no rows.
SearchOutcome FindMatches(const XmlDoc& doc, std::string_view searchText,
                          const std::vector<std::string>& fieldKeys);
SearchOutcome SearchNodes(const XmlDoc& doc, std::string_view searchText,
                          pugi::xml_node searchnode, pugi::xml_node results = {});

}  // namespace keymora::search
