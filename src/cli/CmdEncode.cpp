// keymora-cli encode: a data file from UTF-8 XML text, stored as given.
#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "cli/Commands.h"
#include "cli/Credentials.h"
#include "cli/DataFileAccess.h"
#include "document/XmlChars.h"
#include "document/XmlDoc.h"
#include "storage/Container.h"
#include "storage/DataFile.h"
#include "support/Cp1252.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

constexpr unsigned kCheckParseOptions = pugi::parse_default | pugi::parse_comments |
                                        pugi::parse_pi | pugi::parse_declaration |
                                        pugi::parse_doctype;

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

std::string canonical(const pugi::xml_document& doc) {
    std::ostringstream ss;
    doc.save(ss, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return ss.str();
}

// Refuses text that is not a data file's XML, with a reason.
void checkXml(const std::string& xmlPath, std::string_view text, pugi::xml_document& parsed) {
    if (!cp1252::isValidUtf8(text)) throw CliError(xmlPath + ": the text is not valid UTF-8.");
    if (text.find('\0') != std::string_view::npos) {
        throw CliError(xmlPath + ": the text holds a NUL character; it is not XML.");
    }
    if (const auto bad = xmlchars::firstForbidden(text)) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(bad->character));
        throw CliError(xmlPath + ": the text holds a character XML does not allow (" + code +
                       " at byte " + std::to_string(bad->offset) + ").");
    }
    const pugi::xml_parse_result result =
        parsed.load_buffer(text.data(), text.size(), kCheckParseOptions, pugi::encoding_utf8);
    if (!result) {
        throw CliError(xmlPath + ": not well-formed XML (" + result.description() + " at byte " +
                       std::to_string(result.offset) + ").");
    }
    const pugi::xml_node root = parsed.document_element();
    if (!root || std::strcmp(root.name(), "datafile") != 0) {
        throw CliError(xmlPath + ": the root element must be <datafile>.");
    }
}

// Characters Windows-1252 lacks become character references; that keeps
// their meaning in text and attribute values but not in names, comments or
// CDATA sections, where such a change is refused rather than stored.
void checkConversionKeepsMeaning(const std::string& xmlPath, std::string_view text,
                                 const std::string& windows1252,
                                 const pugi::xml_document& parsed) {
    const std::string back = cp1252::toUtf8(windows1252);
    if (back == text) return;
    pugi::xml_document reparsed;
    const bool same =
        reparsed.load_buffer(back.data(), back.size(), kCheckParseOptions, pugi::encoding_utf8) &&
        canonical(reparsed) == canonical(parsed);
    if (!same) {
        throw CliError(xmlPath +
                       ": it has characters that Windows-1252 lacks where a character "
                       "reference cannot stand for them (a name, comment or CDATA section).");
    }
}

class EncodeCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        auto* sub = app.add_subcommand(
            "encode",
            "Write a data file from UTF-8 XML text (root <datafile>); asks the new password twice");
        sub->add_option("-u,--user", m_user, "User name to lock the file with")->required();
        sub->add_flag("-f,--force", m_force, "Replace FILE when it exists");
        sub->add_flag("--modern", m_modern, kModernFlagHelp);
        sub->add_option("XMLFILE", m_xmlFile, "XML text to store")->required();
        sub->add_option("FILE", m_file, "Data file to write")->required();
        return sub;
    }

    int run(Context& ctx) override {
        namespace fs = std::filesystem;
        std::error_code ec;
        const auto status = fs::status(m_file, ec);
        if (fs::exists(status)) {
            if (fs::is_directory(status)) throw CliError(m_file + ": is a folder.");
            if (!m_force) {
                throw CliError(m_file + ": the file exists; use --force to replace it.");
            }
        }

        WipedString text;
        try {
            text.value() = datafile::ReadFileContents(m_xmlFile);
        } catch (const KmError& e) {
            throw CliError(messageFor(e));
        }
        // A byte-order mark is not part of the text and has no byte in Windows-1252.
        if (text.value().rfind("\xEF\xBB\xBF", 0) == 0) text.value().erase(0, 3);

        WipedString windows1252;
        {
            pugi::xml_document parsed;
            checkXml(m_xmlFile, text.value(), parsed);
            windows1252.value() = cp1252::fromUtf8XmlText(text.value());
            checkConversionKeepsMeaning(m_xmlFile, text.value(), windows1252.value(), parsed);
        }
        {
            // The same test the open makes, so nothing is written that will not open.
            XmlDoc opens;
            std::string why;
            if (!opens.loadXml(cp1252::toUtf8(windows1252.value()), &why)) {
                throw CliError(m_xmlFile + ": not well-formed XML (" + why + ").");
            }
        }

        Credentials credentials;
        askNewCredentials(ctx, m_user, fileTitleOf(m_file), credentials);
        std::string bytes;
        try {
            // Files of this name are read back as bare text, never expanded.
            std::string payload = endsWithIgnoringCase(m_file, ".kmfoldfile")
                                      ? windows1252.value()
                                      : container::encodePayload(windows1252.value());
            bytes = encipherPayload(std::move(payload), credentials, m_modern);
            // Read it back before anything is replaced on disk.
            auto decoded = datafile::decodeText(m_file, bytes, credentials.userId.value(),
                                                credentials.password.value());
            const bool same = decoded && *decoded == windows1252.value();
            if (decoded) secureWipe(*decoded);
            if (!same) throw CliError(m_file + ": the encoded file did not read back; nothing written.");
            datafile::writeFileAtomically(m_file, bytes);
        } catch (const KmError& e) {
            throw CliError(messageFor(e));
        }
        return kExitOk;
    }

private:
    std::string m_user;
    std::string m_xmlFile;
    std::string m_file;
    bool m_force = false;
    bool m_modern = false;
};

}  // namespace

std::unique_ptr<Command> makeEncodeCommand() { return std::make_unique<EncodeCommand>(); }

}  // namespace keymora::cli
