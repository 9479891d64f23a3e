#pragma once
// Per-user settings store standing in for the registry: keys addressed by a
// backslash path ("Software\Orrindale\Keymora\options"), each holding named
// text values. Value names are compared without regard to case; key paths
// likewise, as the registry does.
//
// The store is one file, by default $XDG_CONFIG_HOME/keymora/settings.reg
// (~/.config/... when unset); KEYMORA_CONFIG_DIR moves it (tests use this).
// Every operation reads the file afresh and every write is a locked
// read-modify-write followed by an atomic rename, so concurrent processes lose
// nothing. A damaged file is reported once (settingsdamage::Report), moved
// aside and treated as empty; no operation throws.
#include <string>
#include <vector>

namespace keymora {

enum class RegRoot { CurrentUser };  // the only root the program uses

struct cRegValue {
    std::string name;
    std::string text;
};

using cRegValues = std::vector<cRegValue>;

class clsReg {
public:
    // Uses the default location (or KEYMORA_CONFIG_DIR).
    clsReg();
    // Uses an explicit settings file (tests, tools).
    explicit clsReg(std::string filePath);

    static std::string defaultFilePath();

    // Reads never create anything and give the caller's default for a missing
    // key or value. Texts of any length read back whole. Writes create the key
    // and its missing parents. DeleteKey removes a key that has no sub-keys (as
    // the registry does); the root cannot be deleted. A path with an empty part
    // ("A\\B") is invalid: reads give the default, writes false.
    bool KeyExist(RegRoot root, const std::string& subKey) const;
    bool CreateKey(RegRoot root, const std::string& subKey);
    bool DeleteKey(RegRoot root, const std::string& subKey);
    bool WriteString(RegRoot root, const std::string& subKey, const std::string& valueName,
                     const std::string& text);
    std::string ReadString(RegRoot root, const std::string& subKey, const std::string& valueName,
                           const std::string& defaultText) const;
    cRegValues ListValues(RegRoot root, const std::string& subKey) const;


private:
    std::string m_path;
};

// The program's keys.
inline constexpr const char* kOptionsKey = "Software\\Orrindale\\Keymora\\options";
inline constexpr const char* kMruKey = "Software\\Orrindale\\Keymora\\MRU";

}  // namespace keymora
