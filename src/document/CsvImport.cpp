#include "document/CsvImport.h"

#include <csv.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "document/DateText.h"
#include "document/GenerateGuid.h"
#include "support/Cp1252.h"
#include "support/SecureWipe.h"

namespace keymora::csvimport {

namespace {

constexpr std::size_t kFieldCount = 5;
constexpr std::uintmax_t kMaxFileSize = std::uintmax_t{1} << 30;

// The parser's buffers hold passwords on their way through: wipe them before
// they go back to the allocator.
void* wipingRealloc(void* old, std::size_t size) {
    void* fresh = std::malloc(size);
    if (fresh == nullptr) return nullptr;
    if (old != nullptr) {
        const std::size_t oldSize = malloc_usable_size(old);
        std::memcpy(fresh, old, std::min(oldSize, size));
        secureWipe(old, oldSize);
        std::free(old);
    }
    return fresh;
}

void wipingFree(void* block) {
    if (block == nullptr) return;
    secureWipe(block, malloc_usable_size(block));
    std::free(block);
}

// Blanks around a field belong to the field (a password may start with one).
int noSpace(unsigned char) { return 0; }

struct ParseState {
    CsvTable* table = nullptr;
    bool headerDone = false;
    std::vector<std::string> row;
};

void onField(void* data, std::size_t length, void* user) {
    auto* state = static_cast<ParseState*>(user);
    // Only the header is kept whole; a record needs its first five fields.
    if (state->headerDone && state->row.size() >= kFieldCount) {
        state->row.emplace_back();
        return;
    }
    std::string field(static_cast<const char*>(data), data == nullptr ? 0 : length);
    // XML text cannot hold NUL characters.
    field.erase(std::remove(field.begin(), field.end(), '\0'), field.end());
    state->row.push_back(std::move(field));
}

void onRow(int, void* user) {
    auto* state = static_cast<ParseState*>(user);
    if (!state->headerDone) {
        state->table->header = std::move(state->row);
        state->headerDone = true;
    } else {
        state->row.resize(kFieldCount);
        state->table->records.push_back({std::move(state->row[0]), std::move(state->row[1]),
                                         std::move(state->row[2]), std::move(state->row[3]),
                                         std::move(state->row[4])});
    }
    for (std::string& f : state->row) secureWipe(f);
    state->row.clear();
}

class Parser {
public:
    Parser() {
        if (csv_init(&m_parser, 0) != 0) throw std::bad_alloc();
        csv_set_space_func(&m_parser, noSpace);
        csv_set_realloc_func(&m_parser, wipingRealloc);
        csv_set_free_func(&m_parser, wipingFree);
    }
    ~Parser() { csv_free(&m_parser); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;
    csv_parser* get() noexcept { return &m_parser; }

private:
    csv_parser m_parser{};
};

std::string timeText(std::chrono::system_clock::time_point when) { return datetext::format(when); }

}  // namespace

CsvTable& CsvTable::operator=(CsvTable&& other) noexcept {
    if (this != &other) {
        wipe();
        header = std::move(other.header);
        records = std::move(other.records);
    }
    return *this;
}

CsvTable::~CsvTable() { wipe(); }

void CsvTable::wipe() noexcept {
    for (std::string& h : header) secureWipe(h);
    for (CsvRecord& r : records) {
        secureWipe(r.account);
        secureWipe(r.login);
        secureWipe(r.password);
        secureWipe(r.webSite);
        secureWipe(r.comments);
    }
    header.clear();
    records.clear();
}

std::string ImportFailedText(std::string_view path) {
    return std::string(path) + " import failed";
}

std::string ImportCompleteText(std::size_t count, std::string_view categoryName) {
    return std::to_string(count) + " records imported to \"" + std::string(categoryName) + "\"";
}

std::string DecodeText(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom && cp1252::isValidUtf8(bytes.substr(kBom.size())))
        return std::string(bytes.substr(kBom.size()));
    if (cp1252::isValidUtf8(bytes)) return std::string(bytes);
    return cp1252::toUtf8(bytes);
}

CsvTable ParseCsv(std::string_view utf8Text) {
    CsvTable table;
    ParseState state;
    state.table = &table;
    Parser parser;
    const std::size_t used = csv_parse(parser.get(), utf8Text.data(), utf8Text.size(), onField, onRow, &state);
    if (used != utf8Text.size() || csv_fini(parser.get(), onField, onRow, &state) != 0) {
        const int code = csv_error(parser.get());
        for (std::string& f : state.row) secureWipe(f);
        throw std::runtime_error(csv_strerror(code));
    }
    return table;
}

std::optional<CsvTable> LoadCsvFile(const std::string& path, std::string* errorText) {
    const auto fail = [errorText](std::string why) -> std::optional<CsvTable> {
        if (errorText != nullptr) *errorText = std::move(why);
        return std::nullopt;
    };
    // Only plain files: a folder or a device would report a size it cannot
    // deliver.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return fail("The file could not be found");
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return fail("The file could not be read");
    if (size > kMaxFileSize) return fail("The file is too large");
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail("The file could not be opened");
    WipedString bytes{std::string(static_cast<std::size_t>(size), '\0')};
    if (!in.read(bytes.value().data(), static_cast<std::streamsize>(size)))
        return fail("The file could not be read");
    // Text files hold no control characters but line breaks, tabs and page
    // breaks; a data file or a picture would otherwise import as rows of noise.
    for (const char c : bytes.value()) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != '\v')
            return fail("The file is not a text file");
    }
    try {
        WipedString text(DecodeText(bytes.value()));
        return ParseCsv(text.value());
    } catch (const std::bad_alloc&) {
        return fail("The file is too large");
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}

ImportResult ImportRecords(XmlDoc& doc, const CsvTable& table, const ProgressFn& progress) {
    ImportResult result;
    pugi::xml_node records = doc.records();
    if (!records) {
        result.errorText = "The document has no records";
        return result;
    }
    const auto started = std::chrono::system_clock::now();
    result.categoryName = kCategoryPrefix + timeText(started);

    pugi::xml_node category;
    try {
        const std::string categoryId = GenerateGUID();
        if (categoryId.empty()) throw std::runtime_error("No unique identifier could be generated");
        category = records.append_child("category");
        if (!category) throw std::bad_alloc();
        category.append_attribute("id").set_value(categoryId.c_str());
        category.append_attribute("type").set_value("category");
        category.append_attribute("value").set_value(result.categoryName.c_str());

        ImportProgress state{0, table.records.size()};
        if (progress) progress(state);

        // The clock text changes once a second; format it only then.
        std::time_t shownSecond = -1;
        std::string stamp;
        for (const CsvRecord& record : table.records) {
            const auto now = std::chrono::system_clock::now();
            const std::time_t second = std::chrono::system_clock::to_time_t(now);
            if (second != shownSecond) {
                stamp = timeText(now);
                shownSecond = second;
            }
            const std::string id = GenerateGUID();
            if (id.empty()) throw std::runtime_error("No unique identifier could be generated");
            pugi::xml_node entry = category.append_child("record_detail");
            entry.append_attribute("id").set_value(id.c_str());
            entry.append_attribute("type").set_value("entry");
            const auto field = [&entry](const char* name, const std::string& value) {
                pugi::xml_node element = entry.append_child(name);
                if (!element) throw std::bad_alloc();
                if (!value.empty()) element.text().set(value.c_str());
            };
            field("resource", record.account);
            field("userid", record.login);
            field("password", record.password);
            field("notes", record.comments);
            field("DateCreated", stamp);
            field("DateModified", stamp);
            field("URL", record.webSite);
            ++state.done;
            if (progress) progress(state);
        }
    } catch (const std::exception& e) {
        if (category) records.remove_child(category);
        result.category = {};
        result.errorText = e.what();
        return result;
    }
    result.ok = true;
    result.category = category;
    result.count = table.records.size();
    return result;
}

}  // namespace keymora::csvimport
