#include "cli/DataFileAccess.h"

#include "storage/DataFile.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

std::string withPlainNewlines(std::string text) {
    std::string::size_type pos = 0;
    while ((pos = text.find("\r\n", pos)) != std::string::npos) text.erase(pos, 1);
    return text;
}

}  // namespace

std::string messageFor(const KmError& error) {
    if (error.number() == errnum::kPermissionDenied) return datafile::kFileInUseText;
    return withPlainNewlines(datafile::errorMessage(error));
}

std::string readDataFile(const std::string& path) {
    std::string bytes;
    try {
        bytes = datafile::ReadFileContents(path);
    } catch (const KmError& e) {
        throw CliError(messageFor(e));
    }
    if (bytes.empty()) throw CliError(path + ": the file is empty, it holds no data.");
    return bytes;
}

std::unique_ptr<XmlDoc> openDataFile(Context& ctx, const std::string& path,
                                     std::string_view userId, Credentials& credentials) {
    const std::string bytes = readDataFile(path);
    askLogin(ctx, userId, fileTitleOf(path), credentials);
    std::unique_ptr<XmlDoc> doc;
    try {
        doc = datafile::openDocument(path, bytes, credentials.userId.value(),
                                     credentials.password.value());
    } catch (const KmError&) {
        doc.reset();
    }
    if (!doc) throw CliError(datafile::kDecryptFailedText);
    return doc;
}

void saveDataFile(const std::string& path, const XmlDoc& doc, const Credentials& credentials) {
    try {
        const std::string bytes =
            datafile::saveDocument(doc, credentials.userId.value(), credentials.password.value());
        datafile::writeFileAtomically(path, bytes);
    } catch (const KmError& e) {
        throw CliError(messageFor(e));
    }
}

void EditableDataFile::open(Context& ctx, const std::string& path, std::string_view userId) {
    LockResult locked = FileLock::tryAcquire(path, LockMode::SharedWriter);
    if (!locked.ok()) throw CliError(messageFor(*locked.error));
    m_lock = std::move(locked.lock);
    m_path = path;
    m_doc = openDataFile(ctx, path, userId, m_credentials);
}

void EditableDataFile::save() {
    if (!m_doc) throw CliError("No document is open.");
    try {
        const std::string bytes = datafile::saveDocument(*m_doc, m_credentials.userId.value(),
                                                         m_credentials.password.value());
        m_lock = datafile::replaceFileLocked(m_path, bytes, LockMode::SharedWriter, &m_lock);
    } catch (const KmError& e) {
        throw CliError(messageFor(e));
    }
}

void keyText(const Credentials& credentials, std::string& key) {
    secureWipe(key);
    key.reserve(credentials.userId.value().size() + credentials.password.value().size());
    key.append(credentials.userId.value());
    key.append(credentials.password.value());
}

}  // namespace keymora::cli
