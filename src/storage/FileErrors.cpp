#include "storage/FileErrors.h"

#include <cerrno>
#include <cstring>

namespace keymora {

KmError fileError(int err, const std::string& source) {
    switch (err) {
    case ENOENT: return KmError(errnum::kFileNotFound, source, "File Not Found");
    case ENOTDIR: return KmError(76, source, "Path not found");
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return KmError(errnum::kPermissionDenied, source, "Permission denied");
    case ENOMEM: return KmError(7, source, "Out of memory");
    case ENAMETOOLONG: return KmError(52, source, "Bad file name or number");
    case EIO: return KmError(57, source, "Device I/O error");
    case ENOSPC:
    case EDQUOT: return KmError(61, source, "Disk full");
    case EMFILE:
    case ENFILE: return KmError(67, source, "Too many files");
    default: break;
    }
    char buf[256];
    // GNU strerror_r returns the text, which may or may not live in buf.
    const char* text = strerror_r(err, buf, sizeof buf);
    return KmError(75, source, std::string("Path/File access error (") + text + ")");
}

}  // namespace keymora
