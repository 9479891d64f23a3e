#include "support/CoreDumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace keymora {

bool disableCoreDumps() noexcept {
    const struct rlimit none {0, 0};
    const bool noLimit = ::setrlimit(RLIMIT_CORE, &none) == 0;
    const bool notDumpable = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    return noLimit && notDumpable;
}

}  // namespace keymora
