#include "app/CLaunchBrowser.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>

#include "app/ModMain.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

// Output of a desktop query tool, or empty when it is missing or fails.
QString runQuery(const QString& program, const QStringList& arguments) {
    const QString exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty()) return {};
    QProcess process;
    process.start(exe, arguments, QIODevice::ReadOnly);
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// The desktop entry file of a .desktop id, searched in the XDG data folders.
QString desktopFilePath(const QString& id) {
    if (id.isEmpty()) return {};
    return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
}

struct DesktopEntry {
    QString executable;
    QString iconName;
};

DesktopEntry readDesktopEntry(const QString& path) {
    DesktopEntry entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return entry;
    bool inMain = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMain = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMain) continue;
        if (line.startsWith(QLatin1String("Exec=")) && entry.executable.isEmpty()) {
            const QStringList parts = QProcess::splitCommand(line.mid(5));
            if (!parts.isEmpty()) {
                QString program = parts.constFirst();
                if (program == QLatin1String("env")) {
                    // "env VAR=x program ..." launches the program after the assignments.
                    for (const QString& p : parts.mid(1))
                        if (!p.contains(QLatin1Char('='))) {
                            program = p;
                            break;
                        }
                }
                entry.executable = QFileInfo(program).isAbsolute()
                                       ? program
                                       : QStandardPaths::findExecutable(program);
            }
        } else if (line.startsWith(QLatin1String("Icon=")) && entry.iconName.isEmpty()) {
            entry.iconName = line.mid(5);
        }
    }
    return entry;
}

}  // namespace

QString CLaunchBrowser::TrimAtNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString CLaunchBrowser::GetBrowserName(int& code) const {
    m_icon = QIcon();
    // $BROWSER, the convention of terminal programs, names the browser first.
    const QString fromEnv = qEnvironmentVariable("BROWSER").split(QLatin1Char(':')).value(0).trimmed();
    if (!fromEnv.isEmpty()) {
        const QString first = QProcess::splitCommand(fromEnv).value(0);
        const QString exe =
            QFileInfo(first).isAbsolute() ? first : QStandardPaths::findExecutable(first);
        if (!exe.isEmpty() && QFileInfo(exe).isExecutable()) {
            code = kFound;
            return TrimAtNull(exe);
        }
    }
    QString id = runQuery(QStringLiteral("xdg-settings"), {QStringLiteral("get"),
                                                           QStringLiteral("default-web-browser")});
    for (const char* type : {"x-scheme-handler/https", "text/html"}) {
        if (!id.isEmpty()) break;
        id = runQuery(QStringLiteral("xdg-mime"),
                      {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(type)});
    }
    if (!id.isEmpty()) {
        const DesktopEntry entry = readDesktopEntry(desktopFilePath(id));
        if (!entry.executable.isEmpty()) {
            if (!entry.iconName.isEmpty()) m_icon = QIcon::fromTheme(entry.iconName);
            code = kFound;
            return TrimAtNull(entry.executable);
        }
    }
    const bool haveTools = !QStandardPaths::findExecutable(QStringLiteral("xdg-settings")).isEmpty() ||
                           !QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty();
    code = haveTools ? kNoAssociation : kToolsMissing;
    return {};
}

bool CLaunchBrowser::StartNewBrowser(const QString& url) const {
    int code = 0;
    const QString exe = GetBrowserName(code);
    if (code < 32 || exe.isEmpty()) return false;
    // The URL goes as one argument: no shell ever sees it.
    return QProcess::startDetached(exe, {url});
}

bool LoadBrowserIcon(const QString& path, const QIcon& desktopIcon) {
    QIcon icon = desktopIcon;
    const QFileInfo info(path);
    if (icon.isNull() && info.exists()) icon = QIcon::fromTheme(info.baseName());
    if (icon.isNull() && info.exists()) icon = QFileIconProvider().icon(info);
    if (icon.isNull()) icon = QIcon::fromTheme(QStringLiteral("web-browser"));
    if (icon.isNull()) icon = QIcon(QStringLiteral(":/icons/browser.png"));
    if (!info.exists() || icon.isNull()) {
        QString text = LoadResString(sid::ErrorNumberDescription);
        text = ReplacePlaceholder(text, QStringLiteral("error number"), QStringLiteral("53"));
        text = ReplacePlaceholder(text, QStringLiteral("error description"),
                                  QStringLiteral("File Not Found"));
        Prompt::current().message(text, QString(), MsgIcon::None, MsgButtons::Ok);
        return false;
    }
    BrowserIcon() = icon;
    return true;
}

}  // namespace keymora
