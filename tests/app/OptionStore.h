#pragma once
// Reading and writing the program's options in the test's settings store.
#include <QFile>
#include <QTemporaryDir>

#include <string>

#include "support/ClsReg.h"
#include "support/Options.h"

namespace keymora::test {

inline void putOption(const char* name, const std::string& value) {
    clsReg().WriteString(RegRoot::CurrentUser, kOptionsKey, name, value);
}

// "<absent>" when the option was never written.
inline std::string option(const char* name) {
    return clsReg().ReadString(RegRoot::CurrentUser, kOptionsKey, name, "<absent>");
}

// One test executable's settings folder, seeded as every real start seeds it.
class TestSettings {
public:
    TestSettings() { qputenv("KEYMORA_CONFIG_DIR", m_dir.path().toUtf8()); }
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    static void startEmpty() { QFile::remove(QString::fromStdString(clsReg::defaultFilePath())); }
    static void startSeeded() {
        startEmpty();
        clsReg reg;
        SeedOptionDefaults(reg);
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace keymora::test
