// keymora-cli search: the Find command over a data file. One line per match:
// the node's path, the field it matched in and the matched text.
#include <pugixml.hpp>

#include <algorithm>
#include <cctype>

#include "cli/Commands.h"
#include "cli/DataFileAccess.h"
#include "document/IdIndex.h"
#include "document/NodeKind.h"
#include "document/Search.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

constexpr const char* kNoResults = "Search query returned no results.";
constexpr const char* kMasked = "********";
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
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F) ? ' ' : c;
    }
}

// Appends, growing the buffer by hand so no copy of the text is left behind
// in memory given back (matched text may be a password).
void appendWiped(std::string& out, std::string_view text) {
    if (out.size() + text.size() > out.capacity()) {
        std::string bigger;
        bigger.reserve(std::max(out.capacity() * 2, out.size() + text.size() + 4096));
        bigger.assign(out);
        secureWipe(out);
        out.swap(bigger);
    }
    out.append(text);
}

// "Category/Sub-category/Entry name", from the records down to the node.
void appendPath(std::string& out, pugi::xml_node node) {
    std::vector<pugi::xml_node> chain;
    for (pugi::xml_node n = node; n && IsTreeNode(n); n = n.parent()) chain.push_back(n);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin()) out += '/';
        appendOneLine(out, NodeName(*it));
    }
}

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

        pugi::xml_node results = doc.scratch().append_child("results");
        const search::SearchOutcome outcome = search::SearchNodes(doc, m_text, keys, results);
        if (!outcome.ok) {
            std::string text = outcome.errorDialogText();
            std::string::size_type pos = 0;
            while ((pos = text.find("\r\n", pos)) != std::string::npos) text.erase(pos, 1);
            throw CliError(text);
        }
        if (!results.first_child()) {
            ctx.err << kNoResults << '\n';
            return kExitFailure;
        }

        const IdIndex index(doc);
        WipedString listing;
        WipedString line;
        for (pugi::xml_node hit = results.first_child(); hit; hit = hit.next_sibling()) {
            const std::string_view value = hit.attribute("value").value();
            // The line held the previous match: wipe it before any reallocation.
            secureWipe(line.value());
            line.value().reserve(value.size() + 1024);
            const pugi::xml_node node = index.find(hit.attribute("id").value());
            if (node) {
                appendPath(line.value(), node);
            } else {
                line.value() += hit.attribute("id").value();
            }
            line.value() += '\t';
            line.value() += hit.name();
            line.value() += '\t';
            if (std::string_view(hit.name()) == "password" && !m_showPasswords) {
                line.value() += kMasked;
            } else {
                appendOneLine(line.value(), value);
            }
            line.value() += '\n';
            appendWiped(listing.value(), line.value());
        }
        ctx.out.swap(listing.value());
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
