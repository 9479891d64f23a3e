#pragma once
// Reading and writing whole data files: bytes on disk <-> a parsed document.
#include <memory>
#include <string>
#include <string_view>

#include "document/XmlDoc.h"
#include "storage/FileLock.h"
#include "support/KmError.h"

namespace keymora::datafile {

// The user-facing texts of these failures.
inline constexpr const char* kDecryptFailedText =
    "File Failed to decrypt.  Invalid User Name/Password combination.";
inline constexpr const char* kDecryptFailedTitle = "Decryption Failure";
inline constexpr const char* kFileInUseText = "File in use";

// "Error: 53\r\nDescription: File Not Found" and the like.
std::string errorMessage(const KmError& error);

// Whole file as bytes. Throws KmError 53 "File Not Found" when missing,
// 70 "Permission denied" when a private file is held open elsewhere (the
// caller shows "File in use"), other numbers for other failures.
std::string ReadFileContents(const std::string& path);

// Decrypts, expands and parses. Returns nullptr when the credentials are
// wrong or the file is damaged (the decryption-failure case).
std::unique_ptr<XmlDoc> openDocument(std::string_view fileName, std::string_view fileBytes,
                                     std::string_view userId, std::string_view password);

// Serialises (UTF-8 -> Windows-1252), compresses and encrypts.
std::string saveDocument(const XmlDoc& doc, std::string_view userId, std::string_view password);

// Writes bytes to path through a temporary file in the same folder, fsync and
// rename; new files are readable by their owner only, an existing file keeps
// its mode. Throws KmError and leaves any existing file untouched on failure;
// 70 "Permission denied" when another holder has the file's write lock.
// ownLock is the caller's own lock on the file, if it holds one. Afterwards
// path names a new file: a lock on the old one no longer guards it.
void writeFileAtomically(const std::string& path, std::string_view bytes,
                         const FileLock* ownLock = nullptr);

// Same, and the new file carries a lock of the given mode from the moment it
// appears under path, so no other instance can slip in between.
FileLock replaceFileLocked(const std::string& path, std::string_view bytes, LockMode mode,
                           const FileLock* ownLock = nullptr);

}  // namespace keymora::datafile
