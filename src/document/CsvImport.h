#pragma once
// Import of a comma-separated file of accounts as entries of a new category.
// The first line names the columns; every later record becomes one entry,
// its first five fields taken by position: account name, login name,
// password, web site, comments.
#include <pugixml.hpp>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/XmlDoc.h"

namespace keymora::csvimport {

inline constexpr const char* kImportFailedTitle = "File Import Failed";
inline constexpr const char* kImportCompleteTitle = "Import Complete";
inline constexpr const char* kImportingCaption = "Importing...";
inline constexpr const char* kCategoryPrefix = "Imported Items ";

// The preview's column captions, in field order.
inline constexpr const char* kColumnNames[5] = {"Account", "Login Name", "Password", "Web Site",
                                                "Comments"};

struct CsvRecord {
    std::string account;   // -> resource
    std::string login;     // -> userid
    std::string password;  // -> password
    std::string webSite;   // -> URL
    std::string comments;  // -> notes
};

// The rows of a file, ready to import. Holds passwords: wiped on destruction.
class CsvTable {
public:
    CsvTable() = default;
    CsvTable(CsvTable&&) noexcept = default;
    CsvTable& operator=(CsvTable&&) noexcept;
    CsvTable(const CsvTable&) = delete;
    CsvTable& operator=(const CsvTable&) = delete;
    ~CsvTable();

    std::vector<std::string> header;  // the first line's fields, all of them
    std::vector<CsvRecord> records;

private:
    void wipe() noexcept;
};

// "[path] import failed"
std::string ImportFailedText(std::string_view path);
// "3 records imported to \"Imported Items ...\""
std::string ImportCompleteText(std::size_t count, std::string_view categoryName);

// Text of a file, UTF-8 with or without a byte-order mark, or Windows-1252
// when it is not valid UTF-8; always UTF-8 out.
std::string DecodeText(std::string_view bytes);

// Splits decoded text into header and records (quoted fields, doubled quotes,
// commas and line breaks inside quotes, CRLF or LF). Blank lines are skipped;
// missing fields are empty; fields after the fifth are dropped. Throws
// std::runtime_error when the text cannot be split.
CsvTable ParseCsv(std::string_view utf8Text);

// Reads, decodes and splits a file; nothing when it cannot be read (errorText
// then says why).
std::optional<CsvTable> LoadCsvFile(const std::string& path, std::string* errorText = nullptr);

struct ImportProgress {
    std::size_t done = 0;
    std::size_t total = 0;
};
using ProgressFn = std::function<void(const ImportProgress&)>;

struct ImportResult {
    bool ok = false;
    pugi::xml_node category;  // the new category
    std::string categoryName;
    std::size_t count = 0;
    std::string errorText;
};

// Appends one new category to `records` with one entry per record, in order.
// On failure the document is as it was (no half-built category).
ImportResult ImportRecords(XmlDoc& doc, const CsvTable& table, const ProgressFn& progress = {});

}  // namespace keymora::csvimport
