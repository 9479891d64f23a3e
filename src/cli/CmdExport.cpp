// keymora-cli export: every entry as a row of a CSV file in the columns the
// import reads, so that export then import gives the same entries back.
#include <pugixml.hpp>

#include <filesystem>

#include "cli/Commands.h"
#include "cli/DataFileAccess.h"
#include "cli/FileEditing.h"
#include "document/CsvImport.h"
#include "document/NodeKind.h"
#include "storage/DataFile.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

// The import's columns, in its order, and the entry field each comes from.
constexpr const char* kColumnFields[5] = {"resource", "userid", "password", "URL", "notes"};

// Quoted when a reader could otherwise split it or trim it.
void appendCsvField(std::string& out, std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                                          text.back() == ' ' || text.back() == '\t'));
    if (!quote) {
        out.append(text);
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void appendRow(std::string& out, const std::array<std::string_view, 5>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != 0) out += ',';
        appendCsvField(out, fields[i]);
    }
    out += "\r\n";
}

// Grows the buffer by hand so no copy of its text is left in freed memory.
void reserveWiped(std::string& out, std::size_t more) {
    if (out.size() + more <= out.capacity()) return;
    std::string bigger;
    bigger.reserve(std::max(out.capacity() * 2, out.size() + more));
    bigger.assign(out);
    secureWipe(out);
    out.swap(bigger);
}

// Every entry below records, at any depth, in document order.
std::size_t appendEntries(std::string& out, pugi::xml_node records) {
    std::size_t count = 0;
    std::vector<pugi::xml_node> stack;
    for (pugi::xml_node n = records.last_child(); n; n = n.previous_sibling()) {
        if (IsTreeNode(n)) stack.push_back(n);
    }
    while (!stack.empty()) {
        const pugi::xml_node node = stack.back();
        stack.pop_back();
        if (KindOf(node) == NodeKind::Entry) {
            std::array<std::string_view, 5> fields;
            std::size_t size = 8;
            for (std::size_t i = 0; i < fields.size(); ++i) {
                fields[i] = node.child(kColumnFields[i]).child_value();
                size += fields[i].size() * 2 + 3;
            }
            reserveWiped(out, size);
            appendRow(out, fields);
            ++count;
            continue;
        }
        for (pugi::xml_node n = node.last_child(); n; n = n.previous_sibling()) {
            if (IsTreeNode(n)) stack.push_back(n);
        }
    }
    return count;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

class ExportCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        auto* sub = app.add_subcommand(
            "export",
            "Write every entry as CSV in the columns import reads (passwords in clear)");
        sub->add_option("-u,--user", m_user, "User name of the file")->required();
        sub->add_option("-o,--output", m_output,
                        "CSV file to write (readable by its owner only); standard output when not given");
        sub->add_flag("-f,--force", m_force, "Replace the output file when it exists");
        sub->add_option("FILE", m_file, "Data file")->required();
        return sub;
    }

    int run(Context& ctx) override {
        if (!m_output.empty()) {
            if (sameFile(m_output, m_file)) {
                throw CliError(m_output + ": is the data file itself; choose another output file.");
            }
            checkNewTarget(m_output, m_force);
        }

        const auto session = openSession(ctx, m_file, m_user, LockPolicy::None);

        WipedString csv;
        std::string& text = csv.value();
        text.reserve(4096);
        std::array<std::string_view, 5> header;
        for (std::size_t i = 0; i < header.size(); ++i) header[i] = csvimport::kColumnNames[i];
        appendRow(text, header);
        const std::size_t count = appendEntries(text, session->doc().records());

        if (m_output.empty()) {
            ctx.out.swap(text);
            return kExitOk;
        }
        try {
            datafile::writePrivateFile(m_output, text);
        } catch (const KmError& e) {
            throw CliError(messageFor(e) + "\nNothing was exported.");
        }
        ctx.out = std::to_string(count) + (count == 1 ? " entry" : " entries") + " exported to " +
                  m_output + "\n";
        return kExitOk;
    }

private:
    std::string m_user;
    std::string m_file;
    std::string m_output;
    bool m_force = false;
};

}  // namespace

std::unique_ptr<Command> makeExportCommand() { return std::make_unique<ExportCommand>(); }

}  // namespace keymora::cli
