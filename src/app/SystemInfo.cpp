#include "app/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSysInfo>
#include <QtGlobal>

#include <botan/version.h>
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <pugixml.hpp>
#include <libdeflate.h>
#include <zlib.h>

#include "app/DocumentLifecycle.h"
#include "app/HelpTopics.h"
#include "keymora/Version.h"
#include "support/ClsReg.h"

namespace keymora {

namespace {

// PRETTY_NAME of os-release, which names the distribution and its release.
QString osRelease() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.startsWith(QLatin1String("PRETTY_NAME=")))
                return line.mid(12).remove(QLatin1Char('"'));
        }
    }
    return QSysInfo::prettyProductName();
}

QString pcre2Version() {
    char buffer[64] = {};
    if (pcre2_config(PCRE2_CONFIG_VERSION, buffer) < 0) return QStringLiteral("unknown");
    return QString::fromLatin1(buffer);
}

QString pugixmlVersion() {
    // The library has no version call: this is the version it was built against.
    const int v = PUGIXML_VERSION;
    const int major = v >= 1000 ? v / 1000 : v / 100;
    const int minor = v >= 1000 ? (v / 10) % 100 : (v % 100) / 10;
    return QStringLiteral("%1.%2 (built with)").arg(major).arg(minor);
}

QList<SystemDetail>& addedDetails() {
    static QList<SystemDetail> added;
    return added;
}

}  // namespace

void AddSystemDetail(const QString& name, const QString& value) {
    addedDetails() << SystemDetail{name, value};
}

QList<SystemDetail> SystemDetails() {
    QList<SystemDetail> details;
    details << SystemDetail{QStringLiteral("Keymora"), QString::fromLatin1(kVersionText)};
    details << SystemDetail{QStringLiteral("Operating system"), osRelease()};
    details << SystemDetail{QStringLiteral("Kernel"), QSysInfo::kernelType() + QLatin1Char(' ') +
                                                          QSysInfo::kernelVersion() + QLatin1Char(' ') +
                                                          QSysInfo::currentCpuArchitecture()};
    QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    if (desktop.isEmpty()) desktop = QStringLiteral("none");
    details << SystemDetail{QStringLiteral("Desktop"),
                            desktop + QStringLiteral(", Qt platform ") + QGuiApplication::platformName()};
    details << SystemDetail{QStringLiteral("Qt"), QString::fromLatin1(qVersion())};
    details << addedDetails();
    details << SystemDetail{QStringLiteral("Botan"), QString::fromStdString(Botan::short_version_string())};
    details << SystemDetail{QStringLiteral("zlib"), QString::fromLatin1(zlibVersion())};
    // No version call either: the version built against.
    details << SystemDetail{QStringLiteral("libdeflate"),
                            QStringLiteral(LIBDEFLATE_VERSION_STRING " (built with)")};
    details << SystemDetail{QStringLiteral("pugixml"), pugixmlVersion()};
    details << SystemDetail{QStringLiteral("PCRE2"), pcre2Version()};
    details << SystemDetail{QStringLiteral("Settings file"),
                            QDir::toNativeSeparators(QString::fromStdString(clsReg::defaultFilePath()))};
    details << SystemDetail{QStringLiteral("Data folder"), QDir::toNativeSeparators(defaultDataFolder())};
    const QString helpFolder = help::HelpFolder();
    details << SystemDetail{QStringLiteral("Help folder"),
                            helpFolder.isEmpty() ? QStringLiteral("(not found)") : helpFolder};
    return details;
}

QString SystemDetailsText() {
    QString text;
    for (const SystemDetail& d : SystemDetails()) text += d.first + QStringLiteral(": ") + d.second + QLatin1Char('\n');
    return text;
}

}  // namespace keymora
