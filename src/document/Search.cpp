#include "document/Search.h"

#include <cstring>
#include <unordered_set>

#include "document/ModXml.h"
#include "document/RegexMatcher.h"

namespace keymora::search {

namespace {

constexpr int kStepCompile = 3;
constexpr int kStepMatch = 4;

bool isNodeKey(std::string_view key) { return key == "category" || key == "subcategory"; }

struct Match {
    pugi::xml_node node;  // the category, sub-category or entry
    const char* text;
};

// Walks the document once and tests every element named by a chosen key;
// the matches come out per key, each list in document order. Field elements
// hold only text, so the walk does not go into them. The parser's own walk
// calls back once per node: the walk visits every node of the file.
struct Walker : pugi::xml_tree_walker {
    const std::vector<std::string>& keys;
    RegexMatcher& matcher;
    std::vector<std::vector<Match>> matches;
    std::array<int, 256> keyByFirstChar{};
    int fieldDepth = -1;  // inside a field at this depth: its nodes are passed by
    bool failed = false;

    Walker(const std::vector<std::string>& k, RegexMatcher& m) : keys(k), matcher(m), matches(k.size()) {
        keyByFirstChar.fill(-1);
        // The seven keys differ in their first character.
        for (std::size_t i = 0; i < keys.size(); ++i)
            keyByFirstChar[static_cast<unsigned char>(keys[i][0])] = static_cast<int>(i);
    }

    bool for_each(pugi::xml_node& node) override {
        if (fieldDepth >= 0) {
            if (depth() > fieldDepth) return true;
            fieldDepth = -1;
        }
        if (node.type() == pugi::node_element) visit(node);
        return !failed;
    }

    void visit(pugi::xml_node element) {
        const char* name = element.name();
        const int k = keyByFirstChar[static_cast<unsigned char>(name[0])];
        if (k < 0 || std::strcmp(name, keys[static_cast<std::size_t>(k)].c_str()) != 0) {
            // Most elements (every field) hold no other nodes: no name to check.
            if (element.first_child() && isFieldName(name)) fieldDepth = depth();
            return;
        }
        const bool nodeKey = isNodeKey(keys[static_cast<std::size_t>(k)]);
        const char* text = nodeKey ? element.attribute("value").value() : element.text().get();
        switch (matcher.find(text)) {
        case RegexMatcher::Result::Match:
            matches[static_cast<std::size_t>(k)].push_back({nodeKey ? element : element.parent(), text});
            break;
        case RegexMatcher::Result::NoMatch: break;
        case RegexMatcher::Result::Error: failed = true; break;
        }
        if (!nodeKey && element.first_child()) fieldDepth = depth();
    }

    static bool isFieldName(const char* name) {
        for (std::size_t i = 2; i < kFieldKeys.size(); ++i)
            if (std::strcmp(name, kFieldKeys[i]) == 0) return true;
        return false;
    }
};

}  // namespace

namespace {

// Position of a known key in kFieldKeys.
std::size_t keyIndex(std::string_view key) {
    std::size_t i = 0;
    while (i + 1 < kFieldKeys.size() && key != kFieldKeys[i]) ++i;
    return i;
}

}  // namespace

bool IsFieldKey(std::string_view key) noexcept {
    for (const char* k : kFieldKeys)
        if (key == k) return true;
    return false;
}

pugi::xml_node CreateSearchOptions(XmlDoc& scratchOwner) {
    return modXml::CreateDetachedElement(scratchOwner, "searchnode");
}

void AddSearchField(pugi::xml_node searchnode, std::string_view key) {
    if (!searchnode || !IsFieldKey(key)) return;
    for (pugi::xml_node s : searchnode.children("search"))
        if (key == s.attribute("value").value()) return;
    searchnode.append_child("search").append_attribute("value").set_value(std::string(key).c_str());
}

void RemoveSearchField(pugi::xml_node searchnode, std::string_view key) {
    if (!searchnode) return;
    for (pugi::xml_node s = searchnode.child("search"); s;) {
        pugi::xml_node next = s.next_sibling("search");
        if (key == s.attribute("value").value()) searchnode.remove_child(s);
        s = next;
    }
}

std::vector<std::string> SearchFields(pugi::xml_node searchnode) {
    std::vector<std::string> keys;
    for (pugi::xml_node s : searchnode.children("search")) keys.emplace_back(s.attribute("value").value());
    return keys;
}

std::string SearchOutcome::errorDialogText() const {
    return "Error: " + std::to_string(errorNumber) + " " + errorDescription + "\r\nErl" +
           std::to_string(errorStep) + "\r\n\r\n" + kProcedureName;
}

SearchOutcome SearchNodes(const XmlDoc& doc, std::string_view searchText,
                          pugi::xml_node searchnode, pugi::xml_node results) {
    return SearchNodes(doc, searchText, SearchFields(searchnode), results);
}

SearchOutcome FindMatches(const XmlDoc& doc, std::string_view searchText,
                          const std::vector<std::string>& fieldKeys) {
    SearchOutcome outcome;

    std::vector<std::string> keys;
    for (const std::string& key : fieldKeys) {
        if (!IsFieldKey(key)) continue;
        bool seen = false;
        for (const std::string& k : keys) seen = seen || k == key;
        if (!seen) keys.push_back(key);
    }
    if (keys.empty()) return outcome;

    std::string pattern;
    pattern.reserve(searchText.size() + 2);
    pattern += '(';
    pattern += searchText;
    pattern += ')';
    RegexMatcher matcher(pattern, {.caseless = true});
    if (!matcher.valid()) {
        outcome.ok = false;
        outcome.errorNumber = kPatternErrorNumber;
        outcome.errorDescription = "Syntax error in regular expression: " + matcher.errorText();
        outcome.errorStep = kStepCompile;
        return outcome;
    }

    Walker walker(keys, matcher);
    pugi::xml_node root = doc.dom();
    root.traverse(walker);
    std::size_t total = 0;
    for (const auto& list : walker.matches) total += list.size();
    outcome.matches.reserve(total);
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const char* key = kFieldKeys[keyIndex(keys[k])];
        for (const Match& match : walker.matches[k]) outcome.matches.push_back({match.node, key, match.text});
    }
    outcome.matchCount = total;
    if (walker.failed) {
        outcome.ok = false;
        outcome.errorNumber = kPatternErrorNumber;
        outcome.errorDescription = "Regular expression failed: " + matcher.lastErrorText();
        outcome.errorStep = kStepMatch;
    }
    return outcome;
}

SearchOutcome SearchNodes(const XmlDoc& doc, std::string_view searchText,
                          const std::vector<std::string>& fieldKeys, pugi::xml_node results) {
    SearchOutcome outcome = FindMatches(doc, searchText, fieldKeys);
    // Identifiers already listed; views into the document, which does not
    // change while the search runs.
    std::unordered_set<std::string_view> listed;
    for (const FieldMatch& match : outcome.matches) {
        const std::string_view key = match.key;
        const char* id = match.node.attribute("id").value();
        if (results) {
            pugi::xml_node hit = results.append_child(match.key);
            hit.append_attribute("type").set_value(match.node.attribute("type").value());
            hit.append_attribute("id").set_value(id);
            hit.append_attribute("value").set_value(match.text);
        }
        if (listed.insert(std::string_view(id)).second) {
            outcome.rows.push_back(
                {id, isNodeKey(key) ? std::string(key) : std::string("entry"), match.text, std::string(key)});
        }
    }
    outcome.matches.clear();
    return outcome;
}

}  // namespace keymora::search
