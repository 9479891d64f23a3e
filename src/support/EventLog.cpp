// The system log writer, alone in its file so that a test program can put its
// own Write in its place at link time.
#include "support/EventLog.h"

#include <syslog.h>

#include <mutex>

namespace keymora::eventlog {

namespace {

std::mutex g_syslogMutex;

// syslog takes one line: the report's CR LF breaks become " | ".
std::string oneLine(const std::string& message) {
    std::string out;
    std::size_t start = 0;
    while (start <= message.size()) {
        auto end = message.find_first_of("\r\n", start);
        if (end == std::string::npos) end = message.size();
        if (end > start) {
            if (!out.empty()) out += " | ";
            for (std::size_t i = start; i < end; ++i) {
                const auto c = static_cast<unsigned char>(message[i]);
                out.push_back(c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c));
            }
        }
        start = end + 1;
    }
    return out;
}

}  // namespace

void Write(const std::string& source, const std::string& message) {
    const std::string line = oneLine(message);
    std::lock_guard<std::mutex> guard(g_syslogMutex);
    openlog(source.c_str(), LOG_PID, LOG_USER);
    syslog(LOG_USER | LOG_ERR, "%s", line.c_str());
    closelog();
}

}  // namespace keymora::eventlog
