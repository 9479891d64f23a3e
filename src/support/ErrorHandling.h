#pragma once
// Central handler for low-level failures: adds the version note, logs to
// syslog when the "Log" settings enable it, and rethrows so the caller's own
// message is what the user sees. Reports never contain key text.
#include <cstdint>
#include <string>

#include "support/KmError.h"

namespace keymora {

class clsReg;

namespace modErrorHandling {

// The settings key that stands in for the "Vortle"/"Log" application settings.
inline constexpr const char* kLogKey = "Software\\VB and VBA Program Settings\\Vortle\\Log";

// "(Version 1.0.0, Line 12)" — the line part only when line != 0.
std::string VersionNote(int line);

// Never returns: throws the caught error again (source falls back to procName).
[[noreturn]] void HandleException(const std::string& level, std::int32_t number,
                                  const std::string& source, int line,
                                  const std::string& procName, int flags,
                                  const std::string& description);
[[noreturn]] void HandleException(const std::string& level, const KmError& error,
                                  const std::string& procName, int line = 0);

void LogError(std::int32_t number, const std::string& source, const std::string& description);
void LogNTEvent(const std::string& message, const std::string& eventSource,
                const std::string& machineName);

}  // namespace modErrorHandling
}  // namespace keymora
