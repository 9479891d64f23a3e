#pragma once
// Merging one other data file into the active document: read it, unlock it
// with its own credentials, refuse shared sources, fold its categories in.
// The caller shows the message of a failure and, on success, reloads its
// views and marks the document dirty.
#include <functional>
#include <optional>
#include <string>

#include "document/Merge.h"
#include "document/XmlDoc.h"

namespace keymora::mergefile {

inline constexpr const char* kEmptySourceText =
    "Merge Attempt Failed.  Source Merge Document is in use or is empty";
inline constexpr const char* kEmptySourceTitle = "Merge Attempt Failed";
inline constexpr const char* kLoginInstruction = "Enter the User Name and\r\nPassword to UN-Lock ";
inline constexpr const char* kDecryptFailedText =
    "Document Merge failed.  Decryption Error.  Username or Password incorrect.";
inline constexpr const char* kMergeFailureTitle = "Document Merge Failure";
inline constexpr const char* kSharedSourceText =
    "Source Documents on a merge operation may not be a SHARED document.";
inline constexpr const char* kSharedSourceTitle = "Invalid Source Document";
inline constexpr const char* kMergeCompleteText = "Merge complete.";
inline constexpr const char* kMergeProgressTitle = "Merge Progress";
inline constexpr const char* kMergeCanceledText = "Merge Canceled";

enum class Icon { None, Information, Critical };

struct Message {
    std::string text;
    std::string title;  // empty: the program's title
    Icon icon = Icon::None;
};

enum class Status {
    Merged,
    EmptyName,      // no file name, or the file is empty
    Cancelled,      // the login was cancelled: no message
    ReadFailed,     // missing, in use elsewhere, unreadable
    DecryptFailed,  // wrong credentials or a damaged file
    SharedSource,   // `filetype` missing or not "private"
    MergeFailed,
};

struct Result {
    Status status = Status::MergeFailed;
    std::optional<Message> message;  // what to show; nothing for Merged and Cancelled
    merge::MergeStats stats;
    bool merged() const noexcept { return status == Status::Merged; }
};

struct SourceCredentials {
    std::string userId;
    std::string password;
};

// Asked with the login instruction ("Enter the User Name and\r\nPassword to
// UN-Lock \r\n" + file name); nothing when the user cancels.
using CredentialsFn = std::function<std::optional<SourceCredentials>(const std::string& instruction)>;

// The name shown in the login instruction: the text after the last '/' or '\'.
std::string FileTitleOf(const std::string& path);

// Merges the file at path into destination. The destination changes only when
// the result is Merged; any failure leaves it exactly as it was.
Result MergeFile(XmlDoc& destination, const std::string& path, const CredentialsFn& askCredentials,
                 const merge::ProgressFn& progress = {});

}  // namespace keymora::mergefile
