#include "support/ErrorHandling.h"

#include <unistd.h>

#include <cstdio>
#include <new>
#include <optional>
#include <string_view>

#include "keymora/Version.h"
#include "support/ClsReg.h"
#include "support/EventLog.h"

namespace keymora::modErrorHandling {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kEventSource = "Vortle";
constexpr const char* kDefaultMachine = "<DEFAULT>";

std::string trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string hexText(std::int32_t number) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(static_cast<std::uint32_t>(number)));
    return buf;
}

// Our own components raise application-defined numbers (0x8004xxxx); anything
// else (system codes, library failures, runtime numbers) comes from outside.
bool isOwnComponentError(std::int32_t number) {
    const auto u = static_cast<std::uint32_t>(number);
    return u >= 0x80040000U && u <= 0x8004FFFFU;
}

bool isThisMachine(std::string name) {
    while (!name.empty() && name.front() == '\\') name.erase(0, 1);
    if (name.empty() || name == "." || upper(name) == "LOCALHOST") return true;
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return false;
    std::string own = upper(host);
    name = upper(name);
    if (name == own) return true;
    const auto dot = own.find('.');
    return dot != std::string::npos && name == own.substr(0, dot);
}

// Steps 1 to 5 of the handler: the error to raise, which is the caught one
// unless logging itself failed.
KmError handledError(std::int32_t number, const std::string& source, int line,
                     const std::string& procName, const std::string& description) {
    std::string desc = trimBlanks(description);
    if (desc.find("(Version") == std::string::npos) desc += "  " + VersionNote(line);

    if (!isOwnComponentError(number)) {
        try {
            LogError(number, source, "(EXTERNAL COMPONENT) " + desc);
        } catch (...) {
            return KmError(errnum::kLogErrorFailed, "modErrorHandler.HandleException",
                           "The call to LogError failed for external components.");
        }
    } else {
        try {
            LogError(number, source,
                     "INTERNAL COMPONENT: (Dec:" + std::to_string(number) +
                         ": Hex:" + hexText(number) + ")" + kCrLf + desc);
        } catch (...) {
            return KmError(errnum::kLogErrorFailed, "modErrorHandler.RaiseError",
                           "The call to LogError failed for our components.");
        }
    }
    return KmError(number, source.empty() ? procName : source, desc);
}

}  // namespace

std::string VersionNote(int line) {
    std::string note = "(Version " + std::to_string(kVersionMajor) + "." +
                       std::to_string(kVersionMinor) + "." + std::to_string(kVersionRevision);
    if (line != 0) note += ", Line " + std::to_string(line);
    note += ")";
    return note;
}

void HandleException(const std::string& /*level*/, std::int32_t number, const std::string& source,
                     int line, const std::string& procName, int /*flags*/,
                     const std::string& description) {
    std::optional<KmError> raised;
    const std::string prefix = std::string("Vortle: modErrorHandling.HandleException") + kCrLf;
    try {
        raised.emplace(handledError(number, source, line, procName, description));
    } catch (const KmError& e) {
        raised.emplace(e.number(), e.source(), prefix + e.description());
    } catch (const std::bad_alloc&) {
        raised.emplace(7, "modErrorHandling.HandleException", prefix + "Out of memory");
    } catch (const std::exception& e) {
        raised.emplace(51, "modErrorHandling.HandleException", prefix + e.what());
    }
    throw *raised;
}

void HandleException(const std::string& level, const KmError& error, const std::string& procName,
                     int line) {
    HandleException(level, error.number(), error.source(), line, procName, 0, error.description());
}

void LogError(std::int32_t number, const std::string& source, const std::string& description) {
    try {
        clsReg store;

        const std::string machine =
            store.ReadString(RegRoot::CurrentUser, kLogKey, "MachineName", "");
        const std::string enabled = store.ReadString(RegRoot::CurrentUser, kLogKey, "Enabled", "");
        if (enabled.empty()) store.WriteString(RegRoot::CurrentUser, kLogKey, "Enabled", "False");
        if (upper(enabled) != "TRUE") return;
        if (machine.empty()) {
            store.WriteString(RegRoot::CurrentUser, kLogKey, "MachineName", kDefaultMachine);
        }

        const std::string report = std::string(kCrLf) + "Number: " + std::to_string(number) +
                                   " (Hex = " + hexText(number) + ")" + kCrLf +
                                   "Source: " + source + kCrLf + "Description: " + description;
        LogNTEvent(report, kEventSource, machine == kDefaultMachine ? std::string() : machine);
    } catch (const KmError& e) {
        throw KmError(e.number(),
                      e.source().empty() ? std::string("modVortleError.LogError")
                                         : e.source() + " modVortleError.LogError",
                      e.description());
    }
}

void LogNTEvent(const std::string& message, const std::string& eventSource,
                const std::string& machineName) {
    // Another computer's log cannot be reached from here: log locally and say
    // where the record was meant to go.
    const std::string machine = trimBlanks(machineName);
    std::string text = message;
    if (!isThisMachine(machine)) {
        text += std::string(kCrLf) + "(Meant for the log of computer \"" + machine +
                "\"; logged on this computer.)";
    }
    try {
        eventlog::Write(eventSource, text);
    } catch (...) {
        throw KmError(errnum::kLogNTEventFailed, "modErrorHandler.LogNTEvent",
                      "modErrorHandler Bombed!!");
    }
}

}  // namespace keymora::modErrorHandling
