#include "app/RunKeymora.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QStringList>
#include <QStyleFactory>

#include <cstdio>

#include "app/ModMain.h"
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

}  // namespace

int RunKeymora(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Keymora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Keymora"));
    QApplication::setOrganizationName(QStringLiteral("Orrindale"));
    QApplication::setDesktopFileName(QStringLiteral("keymora"));
    QApplication::setWindowIcon(icons::program());
    chooseLook(app);

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
