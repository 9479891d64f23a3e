// Alone in its file so that a test program can put its own Report in its
// place at link time.
#include "support/SettingsDamage.h"

#include <syslog.h>

#include <cstdio>

namespace keymora::settingsdamage {

void Report(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    syslog(LOG_USER | LOG_WARNING, "%s", message.c_str());
}

}  // namespace keymora::settingsdamage
