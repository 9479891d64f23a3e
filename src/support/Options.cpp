#include "support/Options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "support/ClsReg.h"

namespace keymora {

namespace {

std::string read(const clsReg& reg, const char* name) {
    return reg.ReadString(RegRoot::CurrentUser, kOptionsKey, name, "");
}

void write(clsReg& reg, const char* name, const std::string& text) {
    reg.WriteString(RegRoot::CurrentUser, kOptionsKey, name, text);
}

std::string_view trimmed(std::string_view s) {
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// The number a value holds, whole or decimal ("2500", "+2.5e3"); nothing for
// any other text.
std::optional<double> decimal(std::string_view text) {
    text = trimmed(text);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A whole number exactly, a decimal by its whole part.
std::optional<long long> wholeNumber(std::string_view text) {
    const std::string_view t = trimmed(text);
    long long n = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (!t.empty() && ec == std::errc() && end == t.data() + t.size()) return n;
    const std::optional<double> d = decimal(t);
    if (d && *d > -9e15 && *d < 9e15) return static_cast<long long>(*d);
    return std::nullopt;
}

int clampToInt(long long n) {
    return static_cast<int>(std::clamp<long long>(n, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

int wholeOption(const clsReg& reg, const char* name, int fallback) {
    const std::optional<long long> n = wholeNumber(read(reg, name));
    return n ? clampToInt(*n) : fallback;
}

// On for the number 1 only; text that is no number gives the fallback.
bool switchOption(const clsReg& reg, const char* name, bool fallback) {
    const std::optional<double> d = decimal(read(reg, name));
    return d ? *d == 1.0 : fallback;
}

std::string flag(bool on) { return on ? "1" : "0"; }

int placementValue(const clsReg& reg, const char* name, int fallback) {
    const std::optional<double> d = decimal(read(reg, name));
    if (!d) return fallback;
    return static_cast<int>(std::lround(std::clamp<double>(
        *d, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max())));
}

std::string splitterKey() { return std::string(kOptionsKey) + "\\Splitter"; }

constexpr int kClipboardTimeout = 2000;
constexpr int kFormDisplayTimeout = 2000;
constexpr int kFormOverallDisplayTimeout = 120000;
constexpr int kSplitterTwips = 1965;

}  // namespace

void SeedOptionDefaults(clsReg& reg) {
    static const std::pair<const char*, const char*> defaults[] = {
        {"clipboard timeout", "2000"},     {"form display timeout", "2000"},
        {"form overall display timeout", "120000"}, {"use compression", "1"},
        {"Confirm Entry Deletes", "1"},    {"Auto Save Changes", "1"}};
    for (const auto& [name, value] : defaults)
        if (read(reg, name).empty()) write(reg, name, value);
}

namespace options {

int ClipboardTimeout(const clsReg& reg) {
    return wholeOption(reg, "clipboard timeout", kClipboardTimeout);
}
void SetClipboardTimeout(clsReg& reg, long long ms) {
    write(reg, "clipboard timeout", std::to_string(ms));
}

int FormDisplayTimeout(const clsReg& reg) {
    return wholeOption(reg, "form display timeout", kFormDisplayTimeout);
}
void SetFormDisplayTimeout(clsReg& reg, long long ms) {
    write(reg, "form display timeout", std::to_string(ms));
}

int FormOverallDisplayTimeout(const clsReg& reg) {
    return wholeOption(reg, "form overall display timeout", kFormOverallDisplayTimeout);
}
void SetFormOverallDisplayTimeout(clsReg& reg, long long ms) {
    write(reg, "form overall display timeout", std::to_string(ms));
}

bool UseCompression(const clsReg& reg) { return switchOption(reg, "use compression", true); }
// The options dialog has always written this spelling; names ignore case.
void SetUseCompression(clsReg& reg, bool on) { write(reg, "use Compression", flag(on)); }

bool ConfirmEntryDeletes(const clsReg& reg) {
    // Asking is the safe side: only a plain 0 deletes without a question.
    const std::optional<double> d = decimal(read(reg, "Confirm Entry Deletes"));
    return !d || *d != 0.0;
}
void SetConfirmEntryDeletes(clsReg& reg, bool on) { write(reg, "Confirm Entry Deletes", flag(on)); }

bool AutoSaveChanges(const clsReg& reg) { return switchOption(reg, "Auto Save Changes", true); }
void SetAutoSaveChanges(clsReg& reg, bool on) { write(reg, "Auto Save Changes", flag(on)); }

bool AutoOpenFile(const clsReg& reg) { return switchOption(reg, "auto open file", false); }
void SetAutoOpenFile(clsReg& reg, bool on) { write(reg, "auto open file", flag(on)); }

std::string FileToOpen(const clsReg& reg) { return read(reg, "file to open"); }
void SetFileToOpen(clsReg& reg, const std::string& path) { write(reg, "file to open", path); }

std::string PasswordFiles(const clsReg& reg) { return read(reg, "Password Files"); }

std::string PasswordMask(const clsReg& reg) {
    const std::string value = read(reg, "Password Mask");
    const auto first = value.find_first_not_of(' ');
    if (first == std::string::npos) return "*";
    // One whole UTF-8 character: the lead byte and its continuation bytes.
    std::size_t end = first + 1;
    while (end < value.size() && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) ++end;
    return value.substr(first, end - first);
}

WindowPlacement MainWindowPlacement(const clsReg& reg) {
    const WindowPlacement fallback;
    WindowPlacement p;
    p.left = placementValue(reg, "MainLeft", fallback.left);
    p.top = placementValue(reg, "MainTop", fallback.top);
    p.width = placementValue(reg, "MainWidth", fallback.width);
    p.height = placementValue(reg, "MainHeight", fallback.height);
    p.state = placementValue(reg, "MainWindowState", fallback.state);
    return p;
}

void SetMainWindowPlacement(clsReg& reg, const WindowPlacement& p) {
    write(reg, "MainLeft", std::to_string(p.left));
    write(reg, "MainTop", std::to_string(p.top));
    write(reg, "MainWidth", std::to_string(p.width));
    write(reg, "MainHeight", std::to_string(p.height));
    write(reg, "MainWindowState", std::to_string(p.state));
}

int SplitterTwips(const clsReg& reg) {
    if (!reg.KeyExist(RegRoot::CurrentUser, splitterKey())) return kSplitterTwips;
    return wholeOption(reg, "\\Splitter", kSplitterTwips);
}

void SetSplitterTwips(clsReg& reg, int twips) {
    if (!reg.KeyExist(RegRoot::CurrentUser, splitterKey()))
        reg.CreateKey(RegRoot::CurrentUser, splitterKey());
    write(reg, "\\Splitter", std::to_string(twips));
}

}  // namespace options
}  // namespace keymora
