#include "support/ClsReg.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <set>
#include <utility>

#include "support/RegFile.h"
#include "support/SettingsDamage.h"

namespace keymora {

namespace {

using regfile::RegData;

// ---------------------------------------------------------------- reporting

std::mutex g_reportMutex;
std::set<std::string> g_reported;  // identities of files already reported

void report(const std::string& message) { settingsdamage::Report(message); }

// For a damaged file that stays where it is (it could not be moved away), so
// that every later read does not repeat the report.
void reportOnce(const std::string& identity, const std::string& message) {
    {
        std::lock_guard<std::mutex> guard(g_reportMutex);
        if (!g_reported.insert(identity).second) return;
    }
    report(message);
}

// ---------------------------------------------------------------- files

std::string folderOf(const std::string& path) {
    std::string dir = std::filesystem::path(path).parent_path().string();
    return dir.empty() ? std::string(".") : dir;
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    struct passwd pw {};
    struct passwd* found = nullptr;
    char buf[4096];
    if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return ".";
}

// Creates the folder (and its parents) readable only by the owner. An existing
// folder of our own name is tightened too; other existing folders (a test's
// KEYMORA_CONFIG_DIR, ~/.config) are left as they are.
bool ensureFolder(const std::string& dir) {
    std::error_code ec;
    std::filesystem::path p(dir);
    std::filesystem::path partial;
    for (const auto& part : p) {
        partial /= part;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            struct stat existing {};
            if (stat(partial.c_str(), &existing) != 0 || !S_ISDIR(existing.st_mode)) return false;
        }
    }
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (p.filename() == "keymora" && st.st_uid == geteuid() && (st.st_mode & 077) != 0) {
        chmod(dir.c_str(), 0700);
    }
    return true;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void syncFolder(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}

// The file a settings path names: a symbolic link (settings kept elsewhere)
// is written through, not replaced by a plain file.
std::string linkTarget(const std::string& path) {
    std::error_code ec;
    std::filesystem::path target = path;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, ec); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target.string();
}

// Writes a sibling temporary file, flushes it to disk and renames it over the
// target, so readers see either the old or the new file, never a mixture.
bool atomicWrite(const std::string& settingsPath, std::string_view bytes) {
    const std::string path = linkTarget(settingsPath);
    std::string tmpl = path + ".tmp-XXXXXX";
    const int fd = mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fchmod(fd, 0600) == 0 && writeAll(fd, bytes) && fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = std::rename(tmpl.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tmpl.c_str());
        return false;
    }
    syncFolder(folderOf(path));
    return true;
}

bool writeNewFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes) && fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) ::unlink(path.c_str());
    return ok;
}

enum class ReadStatus { Ok, Missing, TooLarge, Failed };

struct FileRead {
    ReadStatus status = ReadStatus::Missing;
    std::string text;
    std::string identity;  // path, inode, size and time: tells one damaged file from the next
    std::string reason;    // with Failed: what the system said
};

FileRead readSettings(const std::string& path) {
    FileRead out;
    // Non-blocking, so that a named pipe in its place cannot hang the start.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int err = errno;
        out.status = err == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
        out.reason = std::strerror(err);
        out.identity = path + "|open|" + std::to_string(err);
        return out;
    }
    struct stat st {};
    const bool statted = fstat(fd, &st) == 0;
    if (!statted || !S_ISREG(st.st_mode)) {
        out.reason = statted ? "it is not a plain file" : std::strerror(errno);
        ::close(fd);
        out.status = ReadStatus::Failed;
        out.identity = path + "|notfile";
        return out;
    }
    out.identity = path + "|" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
                   std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
                   std::to_string(st.st_mtim.tv_nsec);
    if (static_cast<std::uint64_t>(st.st_size) > regfile::kMaxFileSize) {
        ::close(fd);
        out.status = ReadStatus::TooLarge;
        return out;
    }
    out.text.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            out.reason = std::strerror(errno);
            out.status = ReadStatus::Failed;
            ::close(fd);
            return out;
        }
        if (n == 0) break;
        out.text.append(buf, static_cast<std::size_t>(n));
        if (out.text.size() > regfile::kMaxFileSize) {  // grew while being read
            ::close(fd);
            out.text.clear();
            out.status = ReadStatus::TooLarge;
            return out;
        }
    }
    ::close(fd);
    out.status = ReadStatus::Ok;
    return out;
}

// Exclusive lock on a companion file; the settings file itself is replaced by
// rename, so it cannot carry the lock.
class FileLock {
public:
    explicit FileLock(const std::string& settingsPath) {
        if (!ensureFolder(folderOf(settingsPath))) return;
        m_fd = ::open((settingsPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) return;
        while (flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~FileLock() {
        if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const noexcept { return m_fd >= 0; }

private:
    int m_fd = -1;
};

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    struct tm tmNow {};
    localtime_r(&now, &tmNow);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tmNow);
    return buf;
}

std::string freeAsideName(const std::string& path) {
    const std::string base = path + ".damaged-" + timestamp();
    std::string name = base;
    struct stat st {};
    for (int n = 2; lstat(name.c_str(), &st) == 0; ++n) name = base + "-" + std::to_string(n);
    return name;
}

std::string lineList(const std::vector<std::size_t>& lines) {
    std::string out;
    const std::size_t shown = std::min<std::size_t>(lines.size(), 10);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i != 0) out += ", ";
        out += std::to_string(lines[i]);
    }
    if (shown < lines.size()) out += ", ...";
    return out;
}

struct Loaded {
    RegData data;
    bool usable = true;         // false: the file is there but unreadable; do not overwrite it
    bool needsRewrite = false;  // unreadable lines were dropped; the file should be rewritten
};

// Reads the file while the lock is held and deals with damage:
// - a file that does not start with the header (garbage, binary junk, a cut
//   start) or is absurdly large is moved aside whole and counts as empty;
// - a file with a good header keeps its readable lines; the lines that cannot
//   be read are skipped, a copy of the file as it was is kept beside it, and
//   the caller rewrites it. One bad line must not cost every other setting.
// The report names the file and line numbers, never a value.
Loaded loadLocked(const std::string& path) {
    Loaded out;
    FileRead file = readSettings(path);
    switch (file.status) {
        case ReadStatus::Missing:
            return out;
        case ReadStatus::Failed:
            reportOnce(file.identity, "Keymora: the settings file \"" + path +
                                          "\" could not be read (" + file.reason +
                                          "); settings are not saved until this is fixed.");
            out.usable = false;
            return out;
        case ReadStatus::TooLarge:
        case ReadStatus::Ok:
            break;
    }
    if (file.status == ReadStatus::Ok && file.text.empty()) return out;

    regfile::ParseResult parsed;
    if (file.status == ReadStatus::Ok) parsed = regfile::parse(file.text);
    if (file.status == ReadStatus::Ok && parsed.headerOk) {
        if (parsed.badLines.empty()) {
            out.data = std::move(parsed.data);
            return out;
        }
        const std::string aside = freeAsideName(path);
        const bool kept = writeNewFile(aside, file.text);
        const std::string message = "Keymora: " + std::to_string(parsed.badLines.size()) +
                                    " unreadable line(s) of the settings file \"" + path +
                                    "\" were skipped (line " + lineList(parsed.badLines) + "); " +
                                    (kept ? "the file as it was is kept in \"" + aside + "\"."
                                          : "a copy of the file could not be kept.");
        if (kept) {
            report(message);
        } else {
            reportOnce(file.identity, message);
        }
        out.data = std::move(parsed.data);
        out.needsRewrite = kept;  // never drop lines we could not save elsewhere
        out.usable = kept;
        return out;
    }

    const std::string reason = file.status == ReadStatus::TooLarge
                                   ? "it is larger than any settings file"
                                   : "it does not start as a settings file";
    const std::string aside = freeAsideName(path);
    if (std::rename(path.c_str(), aside.c_str()) == 0) {
        syncFolder(folderOf(path));
        report("Keymora: the settings file \"" + path + "\" is damaged (" + reason +
               "); it was moved to \"" + aside + "\" and the settings start empty.");
    } else {
        reportOnce(file.identity, "Keymora: the settings file \"" + path + "\" is damaged (" +
                                      reason +
                                      ") and could not be moved aside; settings read as empty.");
        out.usable = false;
    }
    return out;
}

// Lock-free read: renames are atomic, so a reader sees a whole file. Damage is
// looked at again under the lock so that only one process sets it aside.
RegData loadForRead(const std::string& path) {
    FileRead file = readSettings(path);
    if (file.status == ReadStatus::Missing) return {};
    regfile::ParseResult parsed;
    if (file.status == ReadStatus::Ok) {
        if (file.text.empty()) return {};
        parsed = regfile::parse(file.text);
        if (parsed.headerOk && parsed.badLines.empty()) return std::move(parsed.data);
    }
    FileLock lock(path);
    if (!lock.held()) {
        reportOnce(file.identity, "Keymora: the settings file \"" + path +
                                      "\" is damaged and its folder cannot be written; "
                                      "only its readable lines are used.");
        return parsed.headerOk ? std::move(parsed.data) : RegData();
    }
    Loaded loaded = loadLocked(path);
    if (loaded.needsRewrite) atomicWrite(path, regfile::serialize(loaded.data));
    return std::move(loaded.data);
}

enum class Change { Fail, Same, Changed };

// Locked read-modify-write. `change` must leave the data alone when it fails.
template <typename F>
bool modify(const std::string& path, F&& change) {
    FileLock lock(path);
    if (!lock.held()) return false;
    Loaded loaded = loadLocked(path);
    if (!loaded.usable) return false;
    const Change result = change(loaded.data);
    if (result != Change::Changed && !loaded.needsRewrite) return result == Change::Same;
    const std::string text = regfile::serialize(loaded.data);
    if (text.size() > regfile::kMaxFileSize) return false;
    return atomicWrite(path, text) && result != Change::Fail;
}


}  // namespace

clsReg::clsReg() : m_path(defaultFilePath()) {}

clsReg::clsReg(std::string filePath) : m_path(std::move(filePath)) {}

std::string clsReg::defaultFilePath() {
    std::string dir;
    const char* own = std::getenv("KEYMORA_CONFIG_DIR");
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (own != nullptr && *own != '\0') {
        dir = own;
    } else if (xdg != nullptr && xdg[0] == '/') {  // relative values are invalid per XDG
        dir = std::string(xdg) + "/keymora";
    } else {
        dir = homeFolder() + "/.config/keymora";
    }
    return dir + "/settings.reg";
}

bool clsReg::KeyExist(RegRoot /*root*/, const std::string& subKey) const {
    const auto parts = regfile::splitPath(subKey);
    if (!parts) return false;
    return loadForRead(m_path).findKey(*parts) != nullptr;
}

bool clsReg::CreateKey(RegRoot /*root*/, const std::string& subKey) {
    auto parts = regfile::splitPath(subKey);
    if (!parts) return false;
    return modify(m_path, [&](RegData& data) {
        if (data.findKey(*parts) != nullptr) return Change::Same;
        data.ensureKey(*parts);
        return Change::Changed;
    });
}

bool clsReg::DeleteKey(RegRoot /*root*/, const std::string& subKey) {
    auto parts = regfile::splitPath(subKey);
    if (!parts || parts->empty()) return false;
    return modify(m_path, [&](RegData& data) {
        return data.removeKey(*parts) ? Change::Changed : Change::Fail;
    });
}

bool clsReg::WriteString(RegRoot /*root*/, const std::string& subKey, const std::string& valueName,
                         const std::string& text) {
    auto parts = regfile::splitPath(subKey);
    if (!parts) return false;
    return modify(m_path, [&](RegData& data) {
        regfile::KeyData* key = data.findKey(*parts);
        if (key != nullptr) {
            const cRegValue* old = RegData::findValue(*key, valueName);
            if (old != nullptr && old->text == text) return Change::Same;
        } else {
            key = &data.ensureKey(*parts);
        }
        RegData::setValue(*key, cRegValue{valueName, text});
        return Change::Changed;
    });
}

std::string clsReg::ReadString(RegRoot /*root*/, const std::string& subKey,
                               const std::string& valueName, const std::string& defaultText) const {
    const auto parts = regfile::splitPath(subKey);
    if (!parts) return defaultText;
    const RegData data = loadForRead(m_path);
    const regfile::KeyData* key = data.findKey(*parts);
    const cRegValue* value = key != nullptr ? RegData::findValue(*key, valueName) : nullptr;
    return value != nullptr ? value->text : defaultText;
}

cRegValues clsReg::ListValues(RegRoot /*root*/, const std::string& subKey) const {
    const auto parts = regfile::splitPath(subKey);
    if (!parts) return {};
    const RegData data = loadForRead(m_path);
    const regfile::KeyData* key = data.findKey(*parts);
    return key != nullptr ? key->values : cRegValues();
}

}  // namespace keymora
