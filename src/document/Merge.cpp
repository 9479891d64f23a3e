#include "document/Merge.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "document/GenerateGuid.h"
#include "document/Nesting.h"

namespace keymora::merge {

namespace {

bool isNamed(pugi::xml_node node, const char* name) {
    return node.type() == pugi::node_element && std::string_view(node.name()) == name;
}

bool sameDocument(pugi::xml_node a, pugi::xml_node b) { return a.root() == b.root(); }

bool isInside(pugi::xml_node node, pugi::xml_node ancestor) {
    for (pugi::xml_node n = node; n; n = n.parent())
        if (n == ancestor) return true;
    return false;
}

// What one merge step needs besides its nodes: the counts, and the list of
// nodes it appended to the destination so that a failure can take them out.
struct Context {
    MergeStats* stats = nullptr;
    std::vector<pugi::xml_node>* appended = nullptr;
};

// Takes node and everything below it out of its document leaves first: the
// library frees a subtree recursively, which deep nesting would overflow.
void removeSubtree(pugi::xml_node node) {
    pugi::xml_node n = node;
    for (;;) {
        while (n.last_child()) n = n.last_child();
        if (n == node) break;
        pugi::xml_node parent = n.parent();
        parent.remove_child(n);
        n = parent;
    }
    node.parent().remove_child(node);
}

// Moves node (with everything below it) to the end of newParent; between two
// documents the node is copied over and then removed from its old place.
pugi::xml_node moveTo(pugi::xml_node node, pugi::xml_node newParent, const Context& context) {
    pugi::xml_node moved;
    if (sameDocument(node, newParent)) {
        moved = newParent.append_move(node);
        if (!moved) throw std::runtime_error("A node could not be moved");
    } else {
        if (context.appended != nullptr) context.appended->reserve(context.appended->size() + 1);
        moved = newParent.append_copy(node);
        if (!moved) throw std::bad_alloc();
        if (context.appended != nullptr) context.appended->push_back(moved);
        removeSubtree(node);
    }
    return moved;
}

// Walks below node without recursion: nesting depth comes from the file.
template <typename Visit>
void forEachElementBelow(pugi::xml_node node, Visit visit) {
    std::vector<pugi::xml_node> stack;
    for (pugi::xml_node c = node.last_child(); c; c = c.previous_sibling())
        if (c.type() == pugi::node_element) stack.push_back(c);
    while (!stack.empty()) {
        const pugi::xml_node n = stack.back();
        stack.pop_back();
        visit(n);
        for (pugi::xml_node c = n.last_child(); c; c = c.previous_sibling())
            if (c.type() == pugi::node_element) stack.push_back(c);
    }
}

std::size_t countEntries(pugi::xml_node node) {
    std::size_t n = 0;
    forEachElementBelow(node, [&n](pugi::xml_node e) {
        if (isNamed(e, "record_detail")) ++n;
    });
    return n;
}

std::vector<pugi::xml_node> childrenNamed(pugi::xml_node node, const char* name) {
    std::vector<pugi::xml_node> list;
    for (pugi::xml_node child : node.children(name)) list.push_back(child);
    return list;
}

void setId(pugi::xml_node node, const std::string& id) {
    pugi::xml_attribute a = node.attribute("id");
    if (!a) a = node.append_attribute("id");
    a.set_value(id.c_str());
}

// New identifiers for the category and every sub-category and entry below it.
// Only the subtree about to be merged is touched: renumbering the whole source
// for each of its categories would make a merge quadratic.
void resetIdentifiers(pugi::xml_node node) {
    const auto renew = [](pugi::xml_node n) {
        const std::string id = GenerateGUID();
        if (id.empty()) throw std::runtime_error("No unique identifier could be generated");
        setId(n, id);
    };
    renew(node);
    forEachElementBelow(node, [&renew](pugi::xml_node e) {
        // A category inside another travels with it and needs a new one too.
        if (isNamed(e, "category") || isNamed(e, "subcategory") || isNamed(e, "record_detail")) renew(e);
    });
}

// The callers have made sure destNode is not inside sourceNode.
void moveEntriesUnchecked(pugi::xml_node sourceNode, pugi::xml_node destNode, const Context& context) {
    for (pugi::xml_node entry : childrenNamed(sourceNode, "record_detail")) {
        moveTo(entry, destNode, context);
        if (context.stats != nullptr) ++context.stats->entries;
    }
}

void moveEntries(pugi::xml_node sourceNode, pugi::xml_node destNode, const Context& context) {
    if (!sourceNode || !destNode || isInside(destNode, sourceNode)) return;
    moveEntriesUnchecked(sourceNode, destNode, context);
}

void mergeSubcategories(pugi::xml_node sourceNode, pugi::xml_node destNode, const Context& context) {
    if (!sourceNode || !destNode || isInside(destNode, sourceNode)) return;
    MergeStats* stats = context.stats;
    // Pairs of same-named sub-categories still to merge. Each pair changes only
    // its own destination branch, so the order they are taken in does not show
    // in the result; a work list keeps deep nesting off the call stack.
    std::vector<std::pair<pugi::xml_node, pugi::xml_node>> pending;
    for (std::pair<pugi::xml_node, pugi::xml_node> pair{sourceNode, destNode};;) {
        const auto [from, into] = pair;
        // The destination's direct sub-categories by name; the first of a name
        // wins, as a search in document order would find it.
        std::unordered_map<std::string, pugi::xml_node> byName;
        for (pugi::xml_node sub : into.children("subcategory"))
            byName.emplace(sub.attribute("value").value(), sub);

        for (pugi::xml_node sub : childrenNamed(from, "subcategory")) {
            std::string name = sub.attribute("value").value();
            auto found = byName.find(name);
            if (found == byName.end()) {
                const std::size_t entries = stats != nullptr ? countEntries(sub) : 0;
                pugi::xml_node moved = moveTo(sub, into, context);
                byName.emplace(std::move(name), moved);
                if (stats != nullptr) {
                    ++stats->subcategoriesCreated;
                    stats->entries += entries;
                }
            } else {
                pending.emplace_back(sub, found->second);
                if (stats != nullptr) ++stats->subcategoriesMatched;
            }
        }
        // Checked once above: a pair below two unrelated nodes stays unrelated,
        // and checking again per level would make deep nesting quadratic.
        if (pair.first != sourceNode) moveEntriesUnchecked(from, into, context);
        if (pending.empty()) break;
        pair = pending.back();
        pending.pop_back();
    }
}

// The categories of a document in document order. Categories stand under
// `records`; the walk looks wherever one could stand but not inside
// categories and entries, nor inside sub-categories unless asked.
std::vector<pugi::xml_node> topCategories(const pugi::xml_node root, bool inSubcategories) {
    std::vector<pugi::xml_node> found;
    pugi::xml_node node = root.first_child();
    while (node) {
        bool descend = node.type() == pugi::node_element;
        if (isNamed(node, "category")) {
            found.push_back(node);
            descend = false;
        } else if (isNamed(node, "record_detail") || (!inSubcategories && isNamed(node, "subcategory"))) {
            descend = false;
        }
        if (descend && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling() && node != root) node = node.parent();
        if (!node || node == root) break;
        node = node.next_sibling();
    }
    return found;
}

// The first category of each name, in document order.
std::unordered_map<std::string, pugi::xml_node> categoriesByName(const pugi::xml_node root) {
    std::unordered_map<std::string, pugi::xml_node> byName;
    for (const pugi::xml_node c : topCategories(root, true)) byName.emplace(c.attribute("value").value(), c);
    return byName;
}

}  // namespace

void MoveEntries(pugi::xml_node sourceNode, pugi::xml_node destNode, MergeStats* stats) {
    moveEntries(sourceNode, destNode, Context{stats, nullptr});
}

void MergeSubcategories(pugi::xml_node sourceNode, pugi::xml_node destNode, MergeStats* stats) {
    mergeSubcategories(sourceNode, destNode, Context{stats, nullptr});
}

MergeOutcome MergeSourceCategoryToDestination(XmlDoc& source, XmlDoc& destination,
                                              const ProgressFn& progress) {
    MergeOutcome outcome;
    if (&source == &destination) {
        outcome.errorDescription = "A document cannot be merged into itself";
        return outcome;
    }
    // The merge only ever appends to the destination; every node it appended
    // is listed, so a failure part-way takes them out again and leaves the
    // destination exactly as it was.
    std::vector<pugi::xml_node> appended;
    try {
        const pugi::xml_node records = destination.records();
        if (!records) throw std::runtime_error("The destination document has no records");

        std::unordered_map<std::string, pugi::xml_node> categories = categoriesByName(destination.dom());

        // A category inside another node travels with it: listing it too would
        // leave a node freed by its ancestor's move in the list.
        // A category inside a sub-category travels with it too.
        const std::vector<pugi::xml_node> sourceCategories = topCategories(source.dom(), false);

        MergeProgress state;
        state.maximum = static_cast<int>(sourceCategories.size()) + 1;
        const auto report = [&](std::string status) {
            state.status = std::move(status);
            if (progress) progress(state);
        };

        MergeStats stats;
        const Context context{&stats, &appended};
        for (const pugi::xml_node category : sourceCategories) {
            report(kStatusResetting);
            resetIdentifiers(category);
            report(kStatusResetComplete);

            std::string name = category.attribute("value").value();
            report("Looking for Category: " + name);
            auto found = categories.find(name);
            if (found == categories.end()) {
                const std::size_t entries = countEntries(category);
                pugi::xml_node moved = moveTo(category, records, context);
                categories.emplace(name, moved);
                stats.entries += entries;
                ++stats.categoriesCreated;
                report("Created Category " + name);
            } else {
                report("Found " + name + " in dest doc");
                mergeSubcategories(category, found->second, context);
                moveEntries(category, found->second, context);
                ++stats.categoriesMatched;
            }
            ++state.value;
            if (progress) progress(state);
        }
        // Branches merged below a deep one could make a file that no longer opens.
        if (nestsDeeperThan(destination.dom(), kMaxNestingDepth))
            throw std::runtime_error("The merged document would nest deeper than " +
                                     std::to_string(kMaxNestingDepth) + " levels");
        outcome.ok = true;
        outcome.stats = stats;
    } catch (const std::bad_alloc&) {
        outcome.errorDescription = "Out of memory";
    } catch (const std::exception& e) {
        outcome.errorDescription = e.what();
    }
    if (!outcome.ok) {
        for (auto it = appended.rbegin(); it != appended.rend(); ++it) it->parent().remove_child(*it);
    }
    return outcome;
}

}  // namespace keymora::merge
