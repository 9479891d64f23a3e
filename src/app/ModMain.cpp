#include "app/ModMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/CLaunchBrowser.h"
#include "app/DocumentLifecycle.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "support/ClsReg.h"
#include "support/Options.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

int& OpenDocumentCount() {
    static int count = 0;
    return count;
}

bool& DocumentCommandsShown() {
    static bool shown = false;
    return shown;
}

bool& BrowserIconLoaded() {
    static bool loaded = false;
    return loaded;
}

QIcon& BrowserIcon() {
    static QIcon icon;
    return icon;
}

QString CommandLineText(const QStringList& arguments) { return arguments.join(QLatin1Char(' ')); }

QString StartupFileFromCommandLine(const QString& commandLine) {
    QString path = commandLine;
    if (path.startsWith(QLatin1Char('"'))) path.remove(QLatin1Char('"'));
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String(".zkmf")) || lower.endsWith(QLatin1String(".kmf"))) return path;
    return {};
}

QString StartupFileFromOptions() {
    const clsReg reg;
    if (!options::AutoOpenFile(reg)) return {};
    return QString::fromStdString(options::FileToOpen(reg));
}

QString StartupFileToOpen(const QString& commandLine) {
    if (!commandLine.isEmpty()) return StartupFileFromCommandLine(commandLine);
    return StartupFileFromOptions();
}

QString ReadPasswordMask() {
    return QString::fromStdString(options::PasswordMask(clsReg()));
}

// --- single instance ----------------------------------------------------------

QString SingleInstance::lockFilePath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("keymora.lock"));
    const QString folder = QFileInfo(QString::fromStdString(clsReg::defaultFilePath())).absolutePath();
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("keymora.lock"));
}

bool SingleInstance::acquire() {
    if (m_fd >= 0) return true;
    const QByteArray path = QFile::encodeName(lockFilePath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;  // no place for a lock: do not refuse to run
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    int rc = ::fcntl(fd, F_OFD_SETLK, &lock);
    if (rc != 0 && errno == EINVAL) rc = ::flock(fd, LOCK_EX | LOCK_NB);
    if (rc != 0) {
        const int error = errno;
        ::close(fd);
        // Held by another copy; any other failure must not stop the program.
        return !(error == EAGAIN || error == EACCES || error == EWOULDBLOCK);
    }
    m_fd = fd;
    return true;
}

SingleInstance::~SingleInstance() {
    if (m_fd >= 0) ::close(m_fd);
}

// --- start-up -----------------------------------------------------------------

frmMain* StartUp(const QString& commandLine) {
    OpenDocumentCount() = 0;
    DocumentCommandsShown() = false;

    auto* main = new frmMain;
    main->setAttribute(Qt::WA_DeleteOnClose);
    Prompt::setParentWidget(main);
    main->RefreshMRUList();

    PasswordMask() = ReadPasswordMask();
    SeedOptionDefaults();

    const QString fileToOpen = StartupFileToOpen(commandLine);
    main->show();
    if (!fileToOpen.isEmpty()) OpenDataFile(*main, fileToOpen);

    if (!BrowserIconLoaded()) {
        CLaunchBrowser browser;
        int code = 0;
        const QString exe = browser.GetBrowserName(code);
        if (code < 32) {
            Prompt::current().message(LoadResString(1256), LoadResString(1255), MsgIcon::Exclamation,
                                      MsgButtons::Ok);
        } else if (LoadBrowserIcon(exe, browser.browserIcon())) {
            BrowserIconLoaded() = true;
        }
    }
    return main;
}

}  // namespace keymora
