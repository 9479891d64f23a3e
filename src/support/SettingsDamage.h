#pragma once
// Telling the user that the settings file was damaged and what was done
// about it: standard error and the system log.
#include <string>

namespace keymora::settingsdamage {

void Report(const std::string& message);

}  // namespace keymora::settingsdamage
