#include "support/RegFile.h"

#include <unordered_map>

namespace keymora::regfile {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Length of the valid UTF-8 sequence starting at text[i], or 0 when there is none
// (overlong forms, surrogates and code points above U+10FFFF are not valid).
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) noexcept {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t len = 0;
    char32_t cp = 0;
    if (b0 < 0x80) return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1FU;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0FU;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07U;
    } else {
        return 0;
    }
    if (i + len > text.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0U) != 0x80U) return 0;
        cp = (cp << 6U) | (b & 0x3FU);
    }
    if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return 0;
    if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return 0;
    return len;
}

void appendEscaped(std::string& out, unsigned char c) {
    out.push_back('%');
    out.push_back(kHexDigits[c >> 4U]);
    out.push_back(kHexDigits[c & 0x0FU]);
}

bool isNameSpecial(unsigned char c) noexcept {
    return c == '=' || c == '[' || c == ']' || c == '#';
}

std::string joinPath(const std::vector<std::string>& parts, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) out.push_back('\\');
        out += parts[i];
    }
    return out;
}

std::string foldedPath(const std::vector<std::string>& parts) {
    return fold(joinPath(parts, parts.size()));
}

enum class Field { Name, Text };

// Writes the bytes that could be misread as %XX (see the header for which).
std::string escape(std::string_view raw, Field field) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c >= 0x80) {
            const std::size_t len = utf8SequenceLength(raw, i);
            if (len == 0) {
                appendEscaped(out, c);
            } else {
                out.append(raw.substr(i, len));
                i += len - 1;
            }
            continue;
        }
        bool special = c < 0x20 || c == 0x7F || c == '%';
        if (field == Field::Name && isNameSpecial(c)) special = true;
        // Edge blanks are escaped so that editors that trim lines change nothing.
        if (c == ' ' && (i == 0 || i + 1 == raw.size())) special = true;
        if (special) {
            appendEscaped(out, c);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// Accepts exactly what escape writes; nothing for anything else.
std::optional<std::string> unescape(std::string_view text, Field field) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int hi = hexValue(text[i + 1]);
            const int lo = hexValue(text[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out.push_back(static_cast<char>(hi * 16 + lo));
            i += 2;
            continue;
        }
        if (c < 0x20 || c == 0x7F) return std::nullopt;
        // In names a raw bracket would make the line ambiguous with a section.
        if (field == Field::Name && (c == '[' || c == ']' || c == '=')) return std::nullopt;
        if (c >= 0x80) {
            const std::size_t len = utf8SequenceLength(text, i);
            if (len == 0) return std::nullopt;
            out.append(text.substr(i, len));
            i += len - 1;
            continue;
        }
        out.push_back(static_cast<char>(c));
    }
    return out;
}

// One value line: name=s:text.
std::optional<cRegValue> parseValueLine(std::string_view line) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    auto name = unescape(line.substr(0, eq), Field::Name);
    const std::string_view rest = line.substr(eq + 1);
    if (!name || rest.substr(0, 2) != "s:") return std::nullopt;
    auto text = unescape(rest.substr(2), Field::Text);
    if (!text) return std::nullopt;
    return cRegValue{std::move(*name), std::move(*text)};
}

}  // namespace

std::string fold(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::optional<std::vector<std::string>> splitPath(std::string_view path) {
    std::vector<std::string> parts;
    if (path.empty() || path == "\\") return parts;
    if (path.front() == '\\') path.remove_prefix(1);
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    if (path.empty() || path.size() > kMaxPathLength) return std::nullopt;
    std::size_t start = 0;
    while (true) {
        const auto pos = path.find('\\', start);
        const std::string_view part = path.substr(
            start, pos == std::string_view::npos ? std::string_view::npos : pos - start);
        if (part.empty() || parts.size() == kMaxPathParts) return std::nullopt;
        parts.emplace_back(part);
        if (pos == std::string_view::npos) break;
        start = pos + 1;
    }
    return parts;
}

const KeyData* RegData::findKey(const std::vector<std::string>& parts) const {
    const auto it = m_keys.find(foldedPath(parts));
    if (it != m_keys.end()) return &it->second;
    if (parts.empty()) {
        static const KeyData kEmptyRoot;
        return &kEmptyRoot;
    }
    return nullptr;
}

KeyData* RegData::findKey(const std::vector<std::string>& parts) {
    if (parts.empty()) return &ensureKey(parts);
    const auto it = m_keys.find(foldedPath(parts));
    return it == m_keys.end() ? nullptr : &it->second;
}

KeyData& RegData::ensureKey(const std::vector<std::string>& parts) {
    KeyData* current = nullptr;
    std::string display;
    for (std::size_t n = 0; n <= parts.size(); ++n) {
        const std::string folded = fold(joinPath(parts, n));
        auto it = m_keys.find(folded);
        if (it == m_keys.end()) {
            KeyData key;
            key.path = n == 0 ? std::string() : (n == 1 ? parts[0] : display + "\\" + parts[n - 1]);
            it = m_keys.emplace(folded, std::move(key)).first;
        }
        current = &it->second;
        display = current->path;
    }
    return *current;
}

bool RegData::hasSubKeys(const std::vector<std::string>& parts) const {
    return !subKeyNames(parts).empty();
}

bool RegData::removeKey(const std::vector<std::string>& parts) {
    if (parts.empty() || hasSubKeys(parts)) return false;
    return m_keys.erase(foldedPath(parts)) == 1;
}

std::vector<std::string> RegData::subKeyNames(const std::vector<std::string>& parts) const {
    std::string prefix = foldedPath(parts);
    if (!parts.empty()) prefix.push_back('\\');
    std::vector<std::string> names;
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end(); ++it) {
        const std::string& folded = it->first;
        if (folded.compare(0, prefix.size(), prefix) != 0) break;
        if (folded.size() == prefix.size()) continue;  // the root itself
        if (folded.find('\\', prefix.size()) != std::string::npos) continue;
        const std::string& path = it->second.path;
        names.push_back(path.substr(path.size() - (folded.size() - prefix.size())));
    }
    return names;
}

const cRegValue* RegData::findValue(const KeyData& key, std::string_view name) {
    const std::string folded = fold(name);
    for (const auto& v : key.values) {
        if (fold(v.name) == folded) return &v;
    }
    return nullptr;
}

void RegData::setValue(KeyData& key, cRegValue value) {
    const std::string folded = fold(value.name);
    for (auto& v : key.values) {
        if (fold(v.name) == folded) {
            value.name = v.name;
            v = std::move(value);
            return;
        }
    }
    key.values.push_back(std::move(value));
}

bool RegData::operator==(const RegData& other) const {
    // An empty root is the same as none: findKey gives it either way.
    const auto counted = [](const RegData& d) {
        const auto root = d.m_keys.find("");
        return d.m_keys.size() - (root != d.m_keys.end() && root->second.values.empty() ? 1 : 0);
    };
    if (counted(*this) != counted(other)) return false;
    for (const auto& [folded, key] : m_keys) {
        const auto it = other.m_keys.find(folded);
        if (it == other.m_keys.end()) {
            if (folded.empty() && key.values.empty()) continue;
            return false;
        }
        const KeyData& o = it->second;
        if (key.path != o.path || key.values.size() != o.values.size()) return false;
        for (std::size_t i = 0; i < key.values.size(); ++i) {
            const cRegValue& a = key.values[i];
            const cRegValue& b = o.values[i];
            if (a.name != b.name || a.text != b.text) return false;
        }
    }
    return true;
}

ParseResult parse(std::string_view text) {
    ParseResult result;
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    KeyData* current = nullptr;
    // Values by folded name per key: looking each one up in a list would make
    // a key of many values quadratic.
    std::unordered_map<const KeyData*, std::unordered_map<std::string, std::size_t>> valueIndex;
    while (pos < text.size()) {
        const auto nl = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (lineNo == 1) {
            if (line != kHeader) return result;  // not our file, or its start is lost
            result.headerOk = true;
            continue;
        }
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            current = nullptr;
            if (line.size() < 2 || line.back() != ']') {
                result.badLines.push_back(lineNo);
                continue;
            }
            auto path = unescape(line.substr(1, line.size() - 2), Field::Name);
            auto parts = path ? splitPath(*path) : std::nullopt;
            if (!parts) {
                result.badLines.push_back(lineNo);
                continue;
            }
            current = &result.data.ensureKey(*parts);
            continue;
        }
        // Values under an unreadable section line (or before any) have no key to go to.
        auto value = current != nullptr ? parseValueLine(line) : std::nullopt;
        if (!value) {
            result.badLines.push_back(lineNo);
            continue;
        }
        auto& index = valueIndex[current];
        const auto [it, added] = index.emplace(fold(value->name), current->values.size());
        if (added) {
            current->values.push_back(std::move(*value));
        } else {
            current->values[it->second].text = std::move(value->text);  // first spelling kept
        }
    }
    return result;
}

std::string serialize(const RegData& data) {
    std::string out = kHeader;
    out +=
        "\n# Keymora settings. One [key] per section, then name=s:text lines;\n"
        "# %XX stands for a byte that is escaped.\n";
    for (const auto& [folded, key] : data.m_keys) {
        if (folded.empty() && key.values.empty()) continue;
        out += '[';
        out += escape(key.path, Field::Name);
        out += "]\n";
        for (const auto& v : key.values) {
            out += escape(v.name, Field::Name);
            out += "=s:";
            out += escape(v.text, Field::Text);
            out += '\n';
        }
    }
    return out;
}

}  // namespace keymora::regfile
