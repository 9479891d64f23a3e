#pragma once
// Data files for command tests: written from XML text, read back as a document.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CliRunner.h"
#include "document/XmlDoc.h"
#include "storage/DataFile.h"
#include "testsupport/TempDir.h"

namespace keymora::test {

// Writes a data file holding xml, locked with user and password.
inline void writeDataFile(const std::string& path, const std::string& xml,
                          const std::string& user, const std::string& password) {
    const std::string xmlPath = path + ".xml";
    writeFile(xmlPath, xml);
    const auto r = runInProcess({"encode", "--force", "-u", user, xmlPath, path},
                                password + "\n" + password + "\n");
    ASSERT_EQ(r.status, 0) << r.err;
}

// The document of a data file, or nullptr when it does not open with these credentials.
inline std::unique_ptr<XmlDoc> readDataFile(const std::string& path, const std::string& user,
                                            const std::string& password) {
    const std::string bytes = readFile(path);
    return datafile::openDocument(path, bytes, user, password);
}

}  // namespace keymora::test
