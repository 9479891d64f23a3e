// keymora-cli ls: the tree of a data file, two blanks of indent per level.
#include <pugixml.hpp>


#include "cli/Commands.h"
#include "cli/DataFileAccess.h"
#include "document/NodeKind.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

constexpr const char* kNoName = "(no name)";
constexpr std::size_t kFlushSize = 64 * 1024;
constexpr std::size_t kMaxLineGuess = 4096;

// Names are shown on one line: line breaks, tabs and other control
// characters become blanks.
void appendOneLine(std::string& out, std::string_view name) {
    if (name.empty()) {
        out += kNoName;
        return;
    }
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F) ? ' ' : c;
    }
}

// An entry's name is its first field, whatever the element is called.
std::string_view entryName(pugi::xml_node entry) {
    const pugi::xml_node first = entry.find_child(
        [](pugi::xml_node n) { return n.type() == pugi::node_element; });
    return first ? std::string_view(first.child_value()) : std::string_view();
}

}  // namespace

class LsCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        auto* sub = app.add_subcommand(
            "ls", "List categories, sub-categories (ending in /) and entry names, indented");
        sub->add_option("-u,--user", m_user, "User name of the file")->required();
        sub->add_flag("--ids", m_ids, "Show each node's identifier after its name");
        sub->add_option("FILE", m_file, "Data file")->required();
        return sub;
    }

    int run(Context& ctx) override {
        const auto session = openSession(ctx, m_file, m_user, LockPolicy::None);
        // Printed a piece at a time: the listing of a large file is larger still.
        WipedString listing;
        const auto flush = [&] {
            ctx.stream.write(listing.value().data(), static_cast<std::streamsize>(listing.value().size()));
            secureWipe(listing.value());
            listing.value().clear();
        };
        listing.value().reserve(kFlushSize + kMaxLineGuess);
        // Walked with an explicit stack: sub-categories nest to any depth.
        struct Level {
            pugi::xml_node node;
            std::size_t depth;
        };
        std::vector<Level> stack;
        const pugi::xml_node records = session->doc().records();
        for (pugi::xml_node child = records.last_child(); child; child = child.previous_sibling()) {
            if (IsTreeNode(child)) stack.push_back({child, 0});
        }
        while (!stack.empty()) {
            const Level level = stack.back();
            stack.pop_back();
            const bool folder = IsContainer(level.node);
            std::string& out = listing.value();
            out.append(level.depth * 2, ' ');
            if (folder) {
                appendOneLine(out, level.node.attribute("value").value());
                out += '/';
            } else {
                appendOneLine(out, entryName(level.node));
            }
            if (m_ids) {
                out += "  ";
                out += level.node.attribute("id").value();
            }
            out += '\n';
            if (out.size() >= kFlushSize) flush();
            if (folder) {
                for (pugi::xml_node child = level.node.last_child(); child;
                     child = child.previous_sibling()) {
                    if (IsTreeNode(child)) stack.push_back({child, level.depth + 1});
                }
            }
        }
        flush();
        return kExitOk;
    }

private:
    std::string m_user;
    std::string m_file;
    bool m_ids = false;
};

std::unique_ptr<Command> makeLsCommand() { return std::make_unique<LsCommand>(); }

}  // namespace keymora::cli
