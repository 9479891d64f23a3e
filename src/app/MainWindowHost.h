#pragma once
// Adapts the main window to what document windows and document commands need.
#include <QObject>

#include "ui/DocumentHost.h"

namespace keymora {

class frmMain;

class MainWindowHost : public QObject, public DocumentHost {
    Q_OBJECT
public:
    explicit MainWindowHost(frmMain& main);

    QMdiArea* mdiArea() override;
    QMdiSubWindow* addWindow(QWidget* window) override;
    QWidget* dialogParent() override;
    int nextDocumentNumber() override;
    bool canShutDown() const override;
    void setCanShutDown(bool value) override;
    void addToMru(const QString& fileName) override;
    void refreshMruList() override;
    bool saveDocument(frmKMF& window) override;
    bool queryCloseDocument(frmKMF& window) override;
    void documentOpened(frmKMF& window) override;
    void documentClosed(frmKMF& window) override;
    void popupEditMenu(frmKMF& window, const QPoint& globalPos) override;
    bool browserAvailable() const override;
    QIcon browserIcon() const override;
    void launchUrl(const QString& url) override;

private:
    frmMain& m_main;
};

}  // namespace keymora
