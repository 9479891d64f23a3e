#pragma once
// Opening and saving data files for keymora-cli commands through
// DocumentSession, with failures turned into the program's own texts (thrown
// as CliError).
#include <memory>
#include <string>
#include <string_view>

#include "cli/Command.h"
#include "cli/Credentials.h"
#include "session/DocumentSession.h"
#include "support/KmError.h"

namespace keymora::cli {

// The program's text for a low-level error, lines separated by "\n" (the
// message boxes used CR LF). Permission denied on a data file is "File in use".
std::string messageFor(const KmError& error);

// The whole file, for a command that needs the stored bytes themselves.
// Missing file: "Error: 53" / "Description: File Not Found"; held by another
// program: "File in use"; empty: refused.
std::string readDataFile(const std::string& path);

// A modern file this program cannot read: refused with the text that says so,
// before any password is asked.
void refuseUnsupported(std::string_view fileBytes);

// Reads the file, asks its password (user name as given), decrypts and parses
// it, holding it as the policy says: None for commands that only read,
// ForEditing for those that save it (no other writer until the session goes).
// Failures as for readDataFile; wrong credentials or damage: the
// decryption-failure text.
std::unique_ptr<DocumentSession> openSession(Context& ctx, const std::string& path,
                                             std::string_view userId, LockPolicy policy);

// Stamps and writes the file; the old file stays whole on any failure.
void saveSession(DocumentSession& session);

// The --modern flag of the commands that write a file.
inline constexpr const char* kModernFlagHelp =
    "Use modern protection (Argon2id, ChaCha20-Poly1305); the earlier Windows version cannot open the file";

// A new file's bytes from its payload, in the chosen protection (a modern
// file gets a new salt). The payload buffer is consumed.
std::string encipherPayload(std::string&& payload, const Credentials& credentials, bool modern);

// The key text: user name followed by password.
void keyText(const Credentials& credentials, std::string& key);

}  // namespace keymora::cli
