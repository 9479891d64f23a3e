#pragma once
// The text form of the settings store and its in-memory tree.
//
// The file is line based and meant to be readable in an editor:
//
//   #keymora-settings 1
//   [Software\Orrindale\Keymora\options]
//   clipboard timeout=s:2000
//
// The first line identifies the file. A section line names a key by its
// backslash path; each value line is name '=s:' text. Lines starting
// with '#' and empty lines are ignored. Any byte that could be misread is
// written as %XX: control bytes, DEL, '%', bytes that are not part of valid
// UTF-8, a leading or trailing blank, and in names and paths also '=', '[',
// ']' and '#'. Reading accepts exactly what writing produces (plus a CR
// before the LF), so every value round-trips byte for byte.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/ClsReg.h"

namespace keymora::regfile {

inline constexpr const char* kHeader = "#keymora-settings 1";

// Larger files are not read (and not written): settings are a few kilobytes,
// so a file of this size is damage, not data, and every write reads the
// whole file again.
inline constexpr std::size_t kMaxFileSize = 1024U * 1024U;
// Key paths longer than this, or of more parts, are invalid (a key is stored
// with each of its parents, so a path's cost grows with its square).
inline constexpr std::size_t kMaxPathLength = 255;
inline constexpr std::size_t kMaxPathParts = 32;

// Case folding used for key paths and value names (ASCII letters only, the
// names the program uses are ASCII).
std::string fold(std::string_view text);

// Splits "A\B\C" into its parts. One leading and one trailing backslash are
// ignored; an empty part, or a path beyond the limits above, makes the path
// invalid. "" and "\\" are the root.
std::optional<std::vector<std::string>> splitPath(std::string_view path);

struct KeyData {
    std::string path;  // spelling first written, parts joined by '\'
    std::vector<cRegValue> values;
};

class RegData {
public:
    // Missing keys give nullptr; the root ("") always exists.
    const KeyData* findKey(const std::vector<std::string>& parts) const;
    KeyData* findKey(const std::vector<std::string>& parts);
    // Creates the key and any missing parents; existing parts keep their spelling.
    KeyData& ensureKey(const std::vector<std::string>& parts);
    bool hasSubKeys(const std::vector<std::string>& parts) const;
    // Only a key without sub-keys can be removed; the root cannot.
    bool removeKey(const std::vector<std::string>& parts);
    std::vector<std::string> subKeyNames(const std::vector<std::string>& parts) const;

    static const cRegValue* findValue(const KeyData& key, std::string_view name);
    // Replaces a value of the same name (any letter case) in place,
    // keeping the name's first spelling, or appends a new one.
    static void setValue(KeyData& key, cRegValue value);

    bool operator==(const RegData& other) const;

    friend std::string serialize(const RegData& data);

private:
    std::map<std::string, KeyData> m_keys;  // by folded path; "" is the root
};

struct ParseResult {
    RegData data;
    bool headerOk = false;              // false: nothing in the file can be trusted
    std::vector<std::size_t> badLines;  // 1-based numbers of lines that were skipped
};

ParseResult parse(std::string_view text);
std::string serialize(const RegData& data);

}  // namespace keymora::regfile
