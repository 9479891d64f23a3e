// View > Web Browser, Help > Contents and Help > About.
#include <QAction>

#include "app/HelpTopics.h"
#include "app/WebBrowserHook.h"
#include "app/frmAbout.h"
#include "app/frmHelp.h"
#include "app/frmMain.h"

namespace keymora {

WebBrowserOpener& webBrowserOpener() {
    static WebBrowserOpener opener = nullptr;
    return opener;
}

void frmMain::connectHelpCommands() {
    connect(menuItem(QStringLiteral("mnuHelpContents")), &QAction::triggered, this,
            [] { ShowHelp(QString::fromLatin1(help::kContents)); });
    connect(menuItem(QStringLiteral("mnuHelpAbout")), &QAction::triggered, this, [this] {
        frmAbout about(this);
        about.exec();
    });
    if (WebBrowserOpener open = webBrowserOpener()) {
        connect(menuItem(QStringLiteral("mnuViewWebBrowser")), &QAction::triggered, this,
                [this, open] { open(this); });
    } else {
        // Built without a web engine: the command is not there at all.
        menuItem(QStringLiteral("mnuViewWebBrowser"))->setVisible(false);
        menuItem(QStringLiteral("mnuViewBar0"))->setVisible(false);
    }
}

}  // namespace keymora
