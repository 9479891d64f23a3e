#pragma once
// Folding the categories of one document into another by name: a category or
// sub-category that exists by name (exact, case-sensitive) receives the
// source's entries; one that does not is added whole. Entries are never
// compared, so an entry present in both ends up twice.
#include <pugixml.hpp>

#include <cstddef>
#include <functional>
#include <string>

#include "document/XmlDoc.h"

namespace keymora::merge {

// What the progress window shows: the status line and the bar, which runs
// from 1 to the number of source categories + 1.
struct MergeProgress {
    std::string status;
    int value = 1;
    int maximum = 1;
};
using ProgressFn = std::function<void(const MergeProgress&)>;

inline constexpr const char* kStatusResetting = "Resetting Unique Identifiers";
inline constexpr const char* kStatusResetComplete = "Reset Complete";

// What came in, for a summary.
struct MergeStats {
    std::size_t categoriesCreated = 0;
    std::size_t categoriesMatched = 0;
    std::size_t subcategoriesCreated = 0;
    std::size_t subcategoriesMatched = 0;
    std::size_t entries = 0;  // entries brought in, at any depth
};

struct MergeOutcome {
    bool ok = false;
    std::string errorDescription;
    MergeStats stats;
};

// Merges every category of the source into the destination. The source's
// merged nodes get new identifiers first, so nothing collides with the
// destination. All or nothing: on failure the destination is exactly as it
// was. The source is used up (its merged nodes are moved out of it).
MergeOutcome MergeSourceCategoryToDestination(XmlDoc& source, XmlDoc& destination,
                                              const ProgressFn& progress = {});

// The two steps under a matched category or sub-category; both work in place
// and between two documents (then the nodes are copied over and removed from
// the source). Identifiers are kept as they are.
// For each direct sub-category of sourceNode: merged into the direct
// sub-category of destNode with the same name, or appended whole.
void MergeSubcategories(pugi::xml_node sourceNode, pugi::xml_node destNode,
                        MergeStats* stats = nullptr);
// Moves every direct entry of sourceNode, in order, to the end of destNode.
void MoveEntries(pugi::xml_node sourceNode, pugi::xml_node destNode, MergeStats* stats = nullptr);

}  // namespace keymora::merge
