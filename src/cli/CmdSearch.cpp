// keymora-cli search: the Find command over a data file. One line per match:
// the node's path, the field it matched in and the matched text.
#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "cli/Commands.h"
#include "cli/DataFileAccess.h"
#include "document/NodeKind.h"
#include "document/Search.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

constexpr const char* kNoResults = "Search query returned no results.";
constexpr const char* kMasked = "********";
constexpr std::size_t kFlushSize = 64 * 1024;
constexpr std::size_t kMinSearchChars = 2;

std::size_t utf8Length(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Keys as the user types them: any letter case; the canonical key comes back.
std::string canonicalKey(std::string_view typed) {
    for (const char* key : search::kFieldKeys) {
        const std::string_view k(key);
        if (k.size() == typed.size() &&
            std::equal(k.begin(), k.end(), typed.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return std::string(k);
        }
    }
    return {};
}

// Text on one line: control characters become blanks.
void appendOneLine(std::string& out, std::string_view text) {
    const std::size_t start = out.size();
    out.append(text);
    for (std::size_t i = start; i < out.size(); ++i) {
        const auto u = static_cast<unsigned char>(out[i]);
        if (u < 0x20 || u == 0x7F) out[i] = ' ';
    }
}

// Makes room for `more` bytes, growing by hand so no copy of the text is
// left behind in memory given back.
void reserveWiped(std::string& out, std::size_t more) {
    if (out.size() + more <= out.capacity()) return;
    std::string bigger;
    bigger.reserve(std::max(out.capacity() * 2, out.size() + more + 4096));
    bigger.assign(out);
    secureWipe(out);
    out.swap(bigger);
}

// "Category/Sub-category/": the path down to a node's parent, each name
// followed by a slash. Matches come in document order, so one parent's is
// made once for all of its entries.
class ParentPath {
public:
    const std::string& of(pugi::xml_node node) {
        const pugi::xml_node parent = node.parent();
        if (!m_known || parent != m_parent) {
            m_parent = parent;
            m_known = true;
            rebuild();
        }
        return m_text.value();
    }

private:
    void rebuild() {
        m_chain.clear();
        for (pugi::xml_node n = m_parent; n && IsTreeNode(n); n = n.parent()) m_chain.push_back(n);
        std::string& text = m_text.value();
        secureWipe(text);
        for (auto it = m_chain.rbegin(); it != m_chain.rend(); ++it) {
            appendOneLine(text, NodeName(*it));
            text += '/';
        }
    }

    pugi::xml_node m_parent;
    bool m_known = false;
    std::vector<pugi::xml_node> m_chain;
    WipedString m_text;
};

class SearchCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        auto* sub = app.add_subcommand(
            "search",
            "Find TEXT (case-insensitive pattern); prints path, field and text per match, tab-separated");
        sub->footer(
            "Matched passwords show as ******** unless --show-passwords is given.\n"
            "Exit status 1 with \"Search query returned no results.\" when nothing matches.");
        sub->add_option("-u,--user", m_user, "User name of the file")->required();
        sub->add_option("--fields", m_fields,
                        "Fields to search, in this order, separated by commas: category,\n"
                        "subcategory, resource, userid, password, URL, notes (default: all)")
            ->delimiter(',');
        sub->add_flag("--show-passwords", m_showPasswords, "Print matched passwords in clear");
        sub->add_option("FILE", m_file, "Data file")->required();
        sub->add_option("TEXT", m_text, "Text to search for (at least 2 characters)")->required();
        return sub;
    }

    int run(Context& ctx) override {
        std::vector<std::string> keys;
        if (m_fields.empty()) {
            keys.assign(search::kFieldKeys.begin(), search::kFieldKeys.end());
        } else {
            for (const std::string& typed : m_fields) {
                std::string key = canonicalKey(typed);
                if (key.empty()) {
                    throw CliError("--fields: \"" + typed +
                                       "\" is not one of category, subcategory, resource, userid, "
                                       "password, URL, notes.",
                                   kExitUsage);
                }
                if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
            }
        }
        if (utf8Length(m_text) < kMinSearchChars) {
            throw CliError("The search text must have at least 2 characters.", kExitUsage);
        }

        const auto session = openSession(ctx, m_file, m_user, LockPolicy::None);
        XmlDoc& doc = session->doc();

        const search::SearchOutcome outcome = search::FindMatches(doc, m_text, keys);
        if (!outcome.ok) {
            std::string text = outcome.errorDialogText();
            std::string::size_type pos = 0;
            while ((pos = text.find("\r\n", pos)) != std::string::npos) text.erase(pos, 1);
            throw CliError(text);
        }
        if (outcome.matches.empty()) {
            ctx.err << kNoResults << '\n';
            return kExitFailure;
        }

        // Printed in pieces as it is made: the listing of a large file never
        // has to fit in memory whole.
        WipedString listing;
        const auto flush = [&] {
            ctx.stream.write(listing.value().data(), static_cast<std::streamsize>(listing.value().size()));
            secureWipe(listing.value());
            listing.value().clear();
        };
        ParentPath parentPath;
        for (const search::FieldMatch& match : outcome.matches) {
            // The path is the tree nodes from the records down to the match.
            const bool inTree = IsTreeNode(match.node);
            const std::string_view above = inTree ? parentPath.of(match.node) : std::string_view();
            const char* name = inTree ? NodeName(match.node) : "";
            // Room for the line before it is written: growing the listing
            // wipes the buffer it leaves (a matched text may be a password).
            reserveWiped(listing.value(), above.size() + std::strlen(name) + std::strlen(match.text) +
                                              std::strlen(kMasked) + 32);
            std::string& out = listing.value();
            if (inTree) {
                out += above;
                appendOneLine(out, name);
            }
            out += '\t';
            out += match.key;
            out += '\t';
            if (std::string_view(match.key) == "password" && !m_showPasswords) {
                out += kMasked;
            } else {
                appendOneLine(out, match.text);
            }
            out += '\n';
            if (out.size() >= kFlushSize) flush();
        }
        flush();
        return kExitOk;
    }

private:
    std::string m_user;
    std::string m_file;
    std::string m_text;
    std::vector<std::string> m_fields;
    bool m_showPasswords = false;
};

}  // namespace

std::unique_ptr<Command> makeSearchCommand() { return std::make_unique<SearchCommand>(); }

}  // namespace keymora::cli
