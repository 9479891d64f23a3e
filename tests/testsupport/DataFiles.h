#pragma once
// Data files on disk and open files made from XML, for every area's tests (no test framework here).
#include <memory>
#include <string>

#include "document/XmlDoc.h"
#include "session/DocumentSession.h"
#include "storage/DataFile.h"
#include "testsupport/TempDir.h"

namespace keymora::test {

inline std::unique_ptr<XmlDoc> parsedOrThrow(const std::string& xml) {
    auto doc = std::make_unique<XmlDoc>();
    std::string error;
    if (!doc->loadXml(xml, &error)) throw std::invalid_argument("not a document (" + error + "): " + xml);
    return doc;
}

// Writes a data file holding xml, locked with user and password.
inline void writeDataFile(const std::string& path, const std::string& xml,
                          const std::string& user = "me", const std::string& password = "pw") {
    datafile::writeFileAtomically(path, datafile::saveDocument(*parsedOrThrow(xml), user, password));
}

// The smallest key derivation a modern file may ask for: quick in tests.
inline constexpr modern::Argon2Params kQuickArgon2{8192, 1, 1};

// The same in the modern container, with the quick key derivation.
inline void writeModernDataFile(const std::string& path, const std::string& xml,
                                const std::string& user = "me", const std::string& password = "pw") {
    const auto key = modern::FileKey::create(user, password, kQuickArgon2);
    datafile::writeFileAtomically(path, datafile::saveDocument(*parsedOrThrow(xml), key));
}

// The document of a data file, or nullptr when it does not open with these credentials.
inline std::unique_ptr<XmlDoc> readDataFile(const std::string& path, const std::string& user,
                                            const std::string& password) {
    return datafile::openDocument(path, readFile(path), user, password);
}

// An open file of that text, locked with "me" and "pw", that was never read from disk.
inline std::unique_ptr<DocumentSession> sessionFromXml(const std::string& xml, bool saveRequired) {
    FileCredentials key;
    key.userId.value() = "me";
    key.password.value() = "pw";
    return DocumentSession::create(parsedOrThrow(xml), std::move(key), saveRequired);
}

// The file opened as the program opens it (locked by kind); nothing when these credentials fail.
inline std::unique_ptr<DocumentSession> openSession(const std::string& path, const std::string& user,
                                                    const std::string& password) {
    OpenOutcome out = DocumentSession::open(path, LockPolicy::ByFileType, [&](FileCredentials& c) {
        c.userId.value() = user;
        c.password.value() = password;
        return true;
    });
    return std::move(out.session);
}

}  // namespace keymora::test
