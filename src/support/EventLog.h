#pragma once
// Error reports to the system log (syslog, facility user, level error).
#include <string>

namespace keymora::eventlog {

// One record under the source name; line breaks become " | ". Throws when the
// record cannot be written.
void Write(const std::string& source, const std::string& message);

}  // namespace keymora::eventlog
