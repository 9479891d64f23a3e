#include "app/RunKeymora.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QStringList>
#include <QStyleFactory>

#include <cstdio>
#include <cstring>

#include "app/ModMain.h"
#include "app/frmHelp.h"
#include "keymora/Version.h"
#include "support/CoreDumps.h"
#include "ui/Icons.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

void chooseLook(QApplication& app) {
    // Fusion looks the same on every desktop and scales well; a desktop that
    // names its own style (QT_STYLE_OVERRIDE) keeps it.
    if (qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE"))
        if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    // Without a desktop session Qt knows no icon theme; use the freedesktop
    // one when installed, else the bundled pictures stand in.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        for (const QString& base : QIcon::themeSearchPaths())
            if (QDir(base + QStringLiteral("/Adwaita")).exists()) {
                QIcon::setThemeName(QStringLiteral("Adwaita"));
                break;
            }
    }
}

// `keymora --help` and `--version` answer on the terminal without a display
// (the manual page is made from them). Anything else is the file to open.
bool answeredOnTerminal(int argc, char** argv) {
    if (argc != 2) return false;
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("keymora %s\n", kVersionText);
        return true;
    }
    if (std::strcmp(argv[1], "--help") != 0) return false;
    std::printf(
        "Usage: keymora [FILE]\n"
        "The Keymora password keeper: keeps passwords and other private records in\n"
        "encrypted data files, each a tree of categories and entries.\n"
        "\n"
        "FILE, a data file whose name ends in .kmf or .zkmf, is opened at start;\n"
        "quotes around it are removed and the whole command line is taken as one\n"
        "name. Without FILE the file named in Tools > Options is opened when\n"
        "\"Open File On Startup\" is on.\n"
        "\n"
        "Options:\n"
        "  --help     show this help and exit\n"
        "  --version  show the version and exit\n"
        "\n"
        "Environment:\n"
        "  KEYMORA_CONFIG_DIR  folder of the settings file (default ~/.config/keymora)\n"
        "  BROWSER             web browser for the launch buttons of entries\n");
    return true;
}

}  // namespace

int RunKeymora(int argc, char** argv) {
    disableCoreDumps();
    if (answeredOnTerminal(argc, argv)) return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Keymora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Keymora"));
    QApplication::setOrganizationName(QStringLiteral("Orrindale"));
    QApplication::setDesktopFileName(QStringLiteral("org.orrindale.Keymora"));
    QApplication::setWindowIcon(icons::program());
    chooseLook(app);
    InstallHelpKey();

    // A second copy says so and ends before it reads a setting or opens a window.
    SingleInstance instance;
    if (!instance.acquire()) {
        const QString title = LoadResString(1253);
        const QString text = LoadResString(1254);
        fprintf(stderr, "%s\n", qPrintable(title));
        Prompt::current().message(text, title, MsgIcon::Information, MsgButtons::Ok);
        return 0;
    }

    // argv after QApplication took out its own options (-style, -platform, ...).
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    StartUp(CommandLineText(arguments));
    return QApplication::exec();
}

}  // namespace keymora
