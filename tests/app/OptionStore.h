#pragma once
// Reading and writing the program's options in the test's settings store.
#include <string>

#include "support/ClsReg.h"

namespace keymora::test {

inline void putOption(const char* name, const std::string& value) {
    clsReg().WriteString(RegRoot::CurrentUser, kOptionsKey, name, value);
}

// "<absent>" when the option was never written.
inline std::string option(const char* name) {
    return clsReg().ReadString(RegRoot::CurrentUser, kOptionsKey, name, "<absent>");
}

}  // namespace keymora::test
