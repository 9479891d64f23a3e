// View > Web Browser, Help > Contents and Help > About.
#include <QAction>

#include "app/HelpTopics.h"
#include "app/frmAbout.h"
#include "app/frmHelp.h"
#include "app/frmMain.h"
#ifdef KEYMORA_WEBENGINE
#include "app/frmBrowser.h"
#endif

namespace keymora {

void frmMain::connectHelpCommands() {
    connect(menuItem(QStringLiteral("mnuHelpContents")), &QAction::triggered, this,
            [] { ShowHelp(QString::fromLatin1(help::kContents)); });
    connect(menuItem(QStringLiteral("mnuHelpAbout")), &QAction::triggered, this, [this] {
        frmAbout about(this);
        about.exec();
    });
#ifdef KEYMORA_WEBENGINE
    connect(menuItem(QStringLiteral("mnuViewWebBrowser")), &QAction::triggered, this,
            [this] { OpenWebBrowser(this); });
#else
    // Built without a web engine: the command is not there at all.
    menuItem(QStringLiteral("mnuViewWebBrowser"))->setVisible(false);
    menuItem(QStringLiteral("mnuViewBar0"))->setVisible(false);
#endif
}

}  // namespace keymora
