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
// Read whole into memory: this bounds what an import may take.
constexpr std::uintmax_t kMaxFileSize = std::uintmax_t{1} << 30;
// The header is kept for its names; a line of countless commas is not.
constexpr std::size_t kMaxHeaderFields = 64;
// libcsv's state while inside a field (its FIELD_BEGUN).
constexpr int kFieldBegun = 2;
// U+FFFD: stands in for a control character XML cannot hold.
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The parser's buffers hold passwords on their way through: wipe them before
// they go back to the allocator. The parser asks for a little more at a
// time; growing geometrically keeps a long field linear.
void* wipingRealloc(void* old, std::size_t size) {
    const std::size_t oldSize = old != nullptr ? malloc_usable_size(old) : 0;
    if (old != nullptr && oldSize >= size) return old;
    void* fresh = std::malloc(std::max(size, oldSize * 2));
    if (fresh == nullptr) fresh = std::malloc(size);
    if (fresh == nullptr) return nullptr;
    if (old != nullptr) {
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

// XML 1.0 cannot hold C0 controls other than tab, CR and LF, nor U+FFFE and
// U+FFFF; the ones a text file may hold (form feed, vertical tab) and those
// two become U+FFFD, so the saved file stays well-formed and the place of
// the character is still visible.
std::string fieldText(const char* data, std::size_t length) {
    const std::string_view text(data, length);
    // Bytes of a character XML forbids at i (0: none): form feed, vertical
    // tab, and the non-characters U+FFFE and U+FFFF.
    const auto forbiddenAt = [text](std::size_t i) -> std::size_t {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') return 1;
        if (c == 0xEF && (text.substr(i + 1, 2) == "\xBF\xBE" || text.substr(i + 1, 2) == "\xBF\xBF")) return 3;
        return 0;
    };
    std::size_t extra = 0;
    for (std::size_t i = 0; i < length; ++i) extra += forbiddenAt(i) == 1 ? kReplacement.size() - 1 : 0;
    std::string field;
    field.reserve(length + extra);  // no copies left behind
    for (std::size_t i = 0; i < length;) {
        const std::size_t bad = forbiddenAt(i);
        if (bad != 0) {
            field += kReplacement;
            i += bad;
        } else {
            field += text[i++];
        }
    }
    return field;
}

void onField(void* data, std::size_t length, void* user) {
    auto* state = static_cast<ParseState*>(user);
    // A record needs its first five fields, the header its names.
    if (state->row.size() >= (state->headerDone ? kFieldCount : kMaxHeaderFields)) return;
    state->row.push_back(fieldText(static_cast<const char*>(data), data == nullptr ? 0 : length));
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
        if (csv_init(&m_parser, CSV_STRICT_FINI) != 0) throw std::bad_alloc();
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

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Text after a UTF-16 byte-order mark; broken text is refused, not guessed at.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8U) | b : (b << 8U) | a;
    };
    const auto broken = [] { return std::runtime_error("The file is not valid UTF-16 text"); };
    if (bytes.size() % 2 != 0) throw broken();
    std::string out;
    // Never reallocated (it holds passwords): two bytes give at most three.
    out.reserve(bytes.size() / 2 * 3);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xDC00 && cp <= 0xDFFF) throw broken();
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 3 >= bytes.size()) throw broken();
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) throw broken();
            cp = 0x10000 + ((cp - 0xD800) << 10U) + (low - 0xDC00);
            i += 2;
        }
        appendUtf8(out, cp);
    }
    return out;
}

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
    if (bytes.starts_with(std::string_view("\xFF\xFE\0\0", 4)) ||
        bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4)))
        throw std::runtime_error("The file is in UTF-32; save it as UTF-8 and import it again");
    if (bytes.starts_with("\xFF\xFE")) return utf16ToUtf8(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return utf16ToUtf8(bytes.substr(2), true);
    if (bytes.substr(0, kBom.size()) == kBom && cp1252::isValidUtf8(bytes.substr(kBom.size())))
        return std::string(bytes.substr(kBom.size()));
    if (cp1252::isValidUtf8(bytes)) return std::string(bytes);
    return cp1252::toUtf8(bytes);
}

CsvTable ParseCsv(std::string_view utf8Text) {
    // Text files hold no control characters but line breaks, tabs and page
    // breaks; a data file or a picture would otherwise import as rows of
    // noise. Looked at after decoding: UTF-16 text is full of NUL bytes.
    for (const char c : utf8Text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != '\v')
            throw std::runtime_error("The file is not a text file");
    }
    CsvTable table;
    ParseState state;
    state.table = &table;
    Parser parser;
    csv_parser* p = parser.get();
    const auto fail = [&state](const std::string& why) {
        for (std::string& f : state.row) secureWipe(f);
        throw std::runtime_error(why);
    };
    // Fed a line at a time to know where a quoted field that never ends began.
    std::size_t line = 0;
    std::size_t quoteOpenedOn = 0;
    for (std::size_t pos = 0; pos < utf8Text.size();) {
        const std::size_t nl = utf8Text.find('\n', pos);
        const std::size_t end = nl == std::string_view::npos ? utf8Text.size() : nl + 1;
        ++line;
        const bool wasInQuote = quoteOpenedOn != 0;
        if (csv_parse(p, utf8Text.data() + pos, end - pos, onField, onRow, &state) != end - pos)
            fail(csv_strerror(csv_error(p)));
        const bool inQuote = p->quoted != 0 && p->pstate == kFieldBegun;
        if (!inQuote) quoteOpenedOn = 0;
        else if (!wasInQuote) quoteOpenedOn = line;
        pos = end;
    }
    if (quoteOpenedOn != 0)
        fail("The quoted field that starts on line " + std::to_string(quoteOpenedOn) + " is never closed");
    if (csv_fini(p, onField, onRow, &state) != 0) fail(csv_strerror(csv_error(p)));
    if (!state.headerDone) throw std::runtime_error("The file is empty");
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
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return fail("The file could not be found");
    if (!std::filesystem::is_regular_file(status)) return fail("It is not a plain file");
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return fail("The file could not be read");
    if (size > kMaxFileSize) return fail("The file is too large");
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail("The file could not be opened");
    WipedString bytes{std::string(static_cast<std::size_t>(size), '\0')};
    if (!in.read(bytes.value().data(), static_cast<std::streamsize>(size)))
        return fail("The file could not be read");
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
