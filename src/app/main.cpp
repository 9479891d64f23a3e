// The desktop program: one copy per user, then the main window's event loop.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QStringList>
#include <QStyleFactory>

#include <cstdio>

#include "app/ModMain.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

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

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Keymora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Keymora"));
    QApplication::setOrganizationName(QStringLiteral("Orrindale"));
    QApplication::setDesktopFileName(QStringLiteral("keymora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/keymora.png")));
    chooseLook(app);

    // A second copy says so and ends before it reads a setting or opens a window.
    keymora::SingleInstance instance;
    if (!instance.acquire()) {
        const QString title = keymora::LoadResString(1253);
        const QString text = keymora::LoadResString(1254);
        fprintf(stderr, "%s\n", qPrintable(title));
        keymora::Prompt::current().message(text, title, keymora::MsgIcon::Information,
                                           keymora::MsgButtons::Ok);
        return 0;
    }

    // argv after QApplication took out its own options (-style, -platform, ...).
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    keymora::StartUp(keymora::CommandLineText(arguments));
    return QApplication::exec();
}
