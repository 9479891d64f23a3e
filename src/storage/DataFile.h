#pragma once
// Reading and writing whole data files: bytes on disk <-> a parsed document.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/XmlDoc.h"
#include "storage/FileLock.h"
#include "storage/ModernContainer.h"
#include "support/KmError.h"

namespace keymora::datafile {

// The user-facing texts of these failures.
inline constexpr const char* kDecryptFailedText =
    "File Failed to decrypt.  Invalid User Name/Password combination.";
inline constexpr const char* kDecryptFailedTitle = "Decryption Failure";
inline constexpr const char* kFileInUseText = "File in use";
// A modern file whose header this program does not know (the text says so).
inline constexpr std::int32_t kUnsupportedFileError = static_cast<std::int32_t>(0x80040450U);

// "Error: 53\r\nDescription: File Not Found" and the like.
std::string errorMessage(const KmError& error);

// Whole file as bytes. Throws KmError 53 "File Not Found" when missing,
// 70 "Permission denied" when a private file is held open elsewhere (the
// caller shows "File in use"), other numbers for other failures.
// readFrom, when given, is set to the file read.
std::string ReadFileContents(const std::string& path, FileIdentity* readFrom = nullptr);

// The file a lock holds, read through the lock's own descriptor (a private
// holder cannot open its file a second time).
std::string ReadLockedFile(const FileLock& lock);

// The Windows-1252 document text of a data file of either kind (the modern
// one by its magic); nothing for wrong credentials or a damaged file. Throws
// KmError kUnsupportedFileError for a modern file this program cannot read.
std::optional<std::string> decodeText(std::string_view fileName, std::string_view fileBytes,
                                      std::string_view userId, std::string_view password);
// A modern file with its key already derived.
std::optional<std::string> decodeText(std::string_view fileName, std::string_view fileBytes,
                                      const modern::FileKey& key);
// The same in the file's own buffer, which is used up: the file's bytes are
// gone before the text is expanded, so no copy of the file outlives the decoding.
std::optional<std::string> decodeText(std::string_view fileName, std::string&& fileBytes,
                                      std::string_view userId, std::string_view password);
std::optional<std::string> decodeText(std::string_view fileName, std::string&& fileBytes,
                                      const modern::FileKey& key);

// Decrypts, expands and parses. Returns nullptr when the credentials are
// wrong or the file is damaged (the decryption-failure case); throws as
// decodeText for an unsupported modern file.
std::unique_ptr<XmlDoc> openDocument(std::string_view fileName, std::string_view fileBytes,
                                     std::string_view userId, std::string_view password);
std::unique_ptr<XmlDoc> openDocument(std::string_view fileName, std::string_view fileBytes,
                                     const modern::FileKey& key);
// The same using up the file's bytes (see decodeText): they are freed before
// the parser allocates the document, which lowers the peak of a large open.
std::unique_ptr<XmlDoc> openDocument(std::string_view fileName, std::string&& fileBytes,
                                     std::string_view userId, std::string_view password);
std::unique_ptr<XmlDoc> openDocument(std::string_view fileName, std::string&& fileBytes,
                                     const modern::FileKey& key);

// Serialises (UTF-8 -> Windows-1252) and compresses: the payload of either kind.
std::string documentPayload(const XmlDoc& doc);
// The same from a serialised document: the UTF-8 text becomes the payload in
// place (wiped on failure).
void payloadFromXml(std::string& utf8);
// The same payload as a new string: utf8 is wiped and keeps its buffer.
std::string payloadOfXml(std::string& utf8);

// The payload enciphered the legacy way.
std::string saveDocument(const XmlDoc& doc, std::string_view userId, std::string_view password);
// The payload in the modern container, with a new nonce.
std::string saveDocument(const XmlDoc& doc, const modern::FileKey& key);

// Writes bytes to path through a file nobody else can read (see PendingFile),
// fsync and rename; new files are readable by their owner only, an existing file keeps
// its mode. Throws KmError and leaves any existing file untouched on failure;
// 70 "Permission denied" when another holder has the file's write lock.
// ownLock is the caller's own lock on the file, if it holds one. Afterwards
// path names a new file: a lock on the old one no longer guards it.
void writeFileAtomically(const std::string& path, std::string_view bytes,
                         const FileLock* ownLock = nullptr);

// Same for plain text (an export): the new file is readable by its owner
// only, whatever the file it replaces allowed. A link at path is followed.
void writePrivateFile(const std::string& path, std::string_view bytes);

// Same as writeFileAtomically, and the new file carries a lock of the given mode from the moment it
// appears under path, so no other instance can slip in between.
FileLock replaceFileLocked(const std::string& path, std::string_view bytes, LockMode mode,
                           const FileLock* ownLock = nullptr);

}  // namespace keymora::datafile
