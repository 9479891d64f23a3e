// Find, Import and Merge on the active document, and data files dropped on
// the main window.
#include "app/frmMain.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/DocumentLifecycle.h"
#include "app/frmDocMergeList.h"
#include "app/frmImport.h"
#include "docwindow/frmKMF.h"

namespace keymora {

namespace {

// The window a command acts on: the active document, unless it is covered.
frmKMF* unlockedDocument(const frmMain& main) {
    frmKMF* doc = main.activeDocument();
    return doc != nullptr && !doc->displayLocked() ? doc : nullptr;
}

}  // namespace

QStringList DroppedDataFiles(const QMimeData& data) {
    QStringList names;
    if (!data.hasUrls()) return names;
    for (const QUrl& url : data.urls()) {
        QString name = url.toLocalFile();
        if (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')) && name.size() > 1)
            name = name.mid(1, name.size() - 2);
        if (name.endsWith(QLatin1String(".kmf"), Qt::CaseInsensitive)) names << name;
    }
    return names;
}

void frmMain::connectDataCommands() {
    connect(toolbarButton(QStringLiteral("Find")), &QAction::triggered, this, [this] {
        if (frmKMF* doc = unlockedDocument(*this)) doc->SearchDocument();
    });
    connect(toolbarButton(QStringLiteral("Find Close")), &QAction::triggered, this, [this] {
        if (frmKMF* doc = activeDocument()) doc->HideSearchResults();
    });
    connect(menuItem(QStringLiteral("mnuFileImport")), &QAction::triggered, this, [this] {
        if (frmKMF* doc = unlockedDocument(*this)) ImportCommand(*doc);
    });
    connect(menuItem(QStringLiteral("mnuFileMergeDocument")), &QAction::triggered, this, [this] {
        if (frmKMF* doc = unlockedDocument(*this)) MergeCommand(*doc);
    });
    setAcceptDrops(true);
}

void frmMain::showSearchState(frmKMF* doc) {
    toolbarButton(QStringLiteral("Find Close"))->setVisible(doc != nullptr && doc->searchResultsVisible());
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedDataFiles(*event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedDataFiles(*event->mimeData()).isEmpty()) event->acceptProposedAction();
}

// Each dropped data file opens as File Open would; the recent-files list is
// left as it is.
void frmMain::dropEvent(QDropEvent* event) {
    const QStringList names = DroppedDataFiles(*event->mimeData());
    if (names.isEmpty()) return;
    event->acceptProposedAction();
    for (const QString& name : names) OpenDataFile(*this, name);
}

}  // namespace keymora
