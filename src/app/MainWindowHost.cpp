#include "app/MainWindowHost.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/CLaunchBrowser.h"
#include "app/DocumentLifecycle.h"
#include "app/ModMain.h"
#include "app/frmMain.h"
#include "docwindow/frmKMF.h"

namespace keymora {

MainWindowHost::MainWindowHost(frmMain& main) : QObject(&main), m_main(main) {
    setObjectName(QStringLiteral("keymoraDocumentHost"));
}

QMdiArea* MainWindowHost::mdiArea() { return m_main.mdiArea(); }

QMdiSubWindow* MainWindowHost::addWindow(QWidget* window) { return m_main.addDocumentWindow(window); }

QWidget* MainWindowHost::dialogParent() { return &m_main; }

int MainWindowHost::nextDocumentNumber() { return m_main.nextDocumentNumber(); }

bool MainWindowHost::canShutDown() const { return m_main.CanShutDown(); }

void MainWindowHost::setCanShutDown(bool value) { m_main.setCanShutDown(value); }

void MainWindowHost::addToMru(const QString& fileName) { frmMain::AddToMRU(fileName); }

void MainWindowHost::refreshMruList() { m_main.RefreshMRUList(); }

bool MainWindowHost::saveDocument(frmKMF& window) { return SaveCommand(*this, window); }

bool MainWindowHost::queryCloseDocument(frmKMF& window) { return QueryCloseDocument(*this, window); }

void MainWindowHost::documentOpened(frmKMF&) { m_main.documentLoaded(); }

void MainWindowHost::documentClosed(frmKMF&) {
    m_main.documentUnloaded();
}

void MainWindowHost::popupEditMenu(frmKMF& window, const QPoint& globalPos) {
    m_main.popupEditMenu(window, globalPos);
}

bool MainWindowHost::browserAvailable() const { return BrowserIconLoaded(); }

QIcon MainWindowHost::browserIcon() const { return BrowserIcon(); }

void MainWindowHost::launchUrl(const QString& url) { CLaunchBrowser().StartNewBrowser(url); }

DocumentHost& hostOf(frmMain& main) {
    if (auto* host = main.findChild<MainWindowHost*>(QStringLiteral("keymoraDocumentHost"),
                                                     Qt::FindDirectChildrenOnly))
        return *host;
    return *new MainWindowHost(main);
}

}  // namespace keymora
