#pragma once
// Opening and saving data files for keymora-cli commands, with failures turned
// into the program's own texts (thrown as CliError).
#include <memory>
#include <string>
#include <string_view>

#include "cli/Command.h"
#include "cli/Credentials.h"
#include "document/XmlDoc.h"
#include "storage/FileLock.h"
#include "support/KmError.h"

namespace keymora::cli {

// The program's text for a low-level error, lines separated by "\n" (the
// message boxes used CR LF). Permission denied on a data file is "File in use".
std::string messageFor(const KmError& error);

// The whole file. Missing file: "Error: 53" / "Description: File Not Found";
// held by another program: "File in use"; empty: refused.
std::string readDataFile(const std::string& path);

// Reads the file, asks its password (user name as given) and opens it.
// Wrong credentials or damage: the decryption-failure text.
std::unique_ptr<XmlDoc> openDataFile(Context& ctx, const std::string& path,
                                     std::string_view userId, Credentials& credentials);

// Serialises, compresses and encrypts the document and replaces the file in
// one step (the old file stays whole on any failure).
void saveDataFile(const std::string& path, const XmlDoc& doc, const Credentials& credentials);

// A data file opened to be changed (import, merge, new credentials...). From
// before it is read until the object goes away it is held with a writer's
// lock, so no other Keymora program saves it in between; readers are let in.
class EditableDataFile {
public:
    // Takes the lock, reads the file, asks its password and opens it.
    // Failures as for openDataFile; another writer: "File in use".
    void open(Context& ctx, const std::string& path, std::string_view userId);

    XmlDoc& doc() { return *m_doc; }
    // Replace these to save under new credentials.
    Credentials& credentials() { return m_credentials; }
    const std::string& path() const { return m_path; }

    // Saves the document under its credentials; the old file stays whole on
    // any failure.
    void save();

private:
    std::string m_path;
    FileLock m_lock;
    std::unique_ptr<XmlDoc> m_doc;
    Credentials m_credentials;
};

// The key text: user name followed by password.
void keyText(const Credentials& credentials, std::string& key);

}  // namespace keymora::cli
