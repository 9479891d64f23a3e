#include "support/RecentFiles.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "support/ClsReg.h"

namespace keymora::recentfiles {

namespace {

std::string_view trimmed(std::string_view s) {
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// Damaged or negative counts read as an empty list, so nothing is written
// under a name like "File-2".
int count(const clsReg& reg) {
    const std::string text = reg.ReadString(RegRoot::CurrentUser, kMruKey, "MRUNumber", "0");
    std::string_view t = trimmed(text);
    if (t.size() > 1 && t[0] == '+') t.remove_prefix(1);
    int n = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return 0;
    return std::clamp(n, 0, kMaxEntries);
}

std::string valueName(int i) { return "File" + std::to_string(i); }

std::string entry(const clsReg& reg, int i) {
    return reg.ReadString(RegRoot::CurrentUser, kMruKey, valueName(i), "");
}

void setEntry(clsReg& reg, int i, const std::string& name) {
    reg.WriteString(RegRoot::CurrentUser, kMruKey, valueName(i), name);
}

void setCount(clsReg& reg, int n) {
    reg.WriteString(RegRoot::CurrentUser, kMruKey, "MRUNumber", std::to_string(n));
}

// 1-based position of the name, 0 when not listed.
int position(const clsReg& reg, int n, const std::string& name) {
    for (int i = 1; i <= n; ++i)
        if (entry(reg, i) == name) return i;
    return 0;
}

}  // namespace

void AddToMRU(clsReg& reg, const std::string& name) {
    const int n = count(reg);
    int p = position(reg, n, name);
    if (p == 0 && n == kMaxEntries) {
        p = n;  // a full list lets its oldest name go
        setCount(reg, n);
    } else if (p == 0) {
        setEntry(reg, n + 1, name);
        setCount(reg, n + 1);
        p = n + 1;
    }
    for (int i = p - 1; i >= 1; --i) setEntry(reg, i + 1, entry(reg, i));
    setEntry(reg, 1, name);
}

void RememberSaved(clsReg& reg, const std::string& name) {
    const int n = count(reg);
    if (n >= kSaveAppendLimit) {
        AddToMRU(reg, name);
        return;
    }
    if (position(reg, n, name) != 0) return;
    setEntry(reg, n + 1, name);
    setCount(reg, n + 1);
}

std::vector<std::string> List(const clsReg& reg) {
    const int n = count(reg);
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) names.push_back(entry(reg, i));
    return names;
}

void AddToMRU(const std::string& name) {
    clsReg reg;
    AddToMRU(reg, name);
}

void RememberSaved(const std::string& name) {
    clsReg reg;
    RememberSaved(reg, name);
}

std::vector<std::string> List() { return List(clsReg()); }

}  // namespace keymora::recentfiles
