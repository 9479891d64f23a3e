#pragma once
// What document windows and the document commands need from the window that
// holds them. The main window is adapted to it (MainWindowHost); tests can
// supply a small host of their own.
#include <QIcon>
#include <QString>

class QMdiArea;
class QMdiSubWindow;
class QPoint;
class QWidget;

namespace keymora {

class frmKMF;

class DocumentHost {
public:
    virtual ~DocumentHost() = default;

    virtual QMdiArea* mdiArea() = 0;
    // Wraps a document window in a subwindow of the frame (not shown yet).
    virtual QMdiSubWindow* addWindow(QWidget* window) = 0;
    virtual QWidget* dialogParent() = 0;

    // Adds 1 to the running number of new documents and returns it.
    virtual int nextDocumentNumber() = 0;

    // Set false by a document window whose close was refused.
    virtual bool canShutDown() const = 0;
    virtual void setCanShutDown(bool value) = 0;

    // Recent files.
    virtual void addToMru(const QString& fileName) = 0;
    virtual void refreshMruList() = 0;

    // File Save on the window (asks a name when it has none). True when saved.
    virtual bool saveDocument(frmKMF& window) = 0;
    // The close prompt of the window. True when it may close; a refusal sets
    // canShutDown to false.
    virtual bool queryCloseDocument(frmKMF& window) = 0;

    // Count of open document windows and the document-command state.
    virtual void documentOpened(frmKMF& window) = 0;
    virtual void documentClosed(frmKMF& window) = 0;

    // The Edit menu set up for the window's selected node (only Add Category
    // without one), popped up at globalPos.
    virtual void popupEditMenu(frmKMF& window, const QPoint& globalPos) {
        (void)window;
        (void)globalPos;
    }

    // Whether a default web browser was found at start-up, and its icon for
    // the launch buttons.
    virtual bool browserAvailable() const { return false; }
    virtual QIcon browserIcon() const { return {}; }
    virtual void launchUrl(const QString& url) { (void)url; }
};

}  // namespace keymora
