#pragma once
// Turns an errno value from a file operation into the numbered error the
// commands show ("Error: 53\r\nDescription: File Not Found" and the like).
#include <string>

#include "support/KmError.h"

namespace keymora {

KmError fileError(int err, const std::string& source);

}  // namespace keymora
