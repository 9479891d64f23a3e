// Time from Search to a filled results panel (1,000 and 100,000 hits in a
// document of 100,000 entries), and from dropping a category of 10,000
// entries on another document window to both windows showing the result.
// Usage: bench_gui_find_drop   (runs offscreen unless a display is set)
#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QFile>
#include <QPushButton>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "BenchHost.h"
#include "app/DocumentLifecycle.h"
#include "app/frmImport.h"
#include "docwindow/SearchResults.h"
#include "docwindow/TreePane.h"
#include "docwindow/frmKMF.h"
#include "document/Search.h"
#include "document/XmlDoc.h"
#include "session/DocumentSession.h"
#include "ui/Prompt.h"

using namespace keymora;

namespace {

constexpr double kTargetSeconds = 0.5;
constexpr double kFindTargetSeconds = 0.3;  // 1,000 hits
constexpr double kLongestPauseSeconds = 0.1;  // a window that pauses longer feels stuck

class QuietPrompt : public FixedPrompt {
public:
    MsgAnswer message(const QString& text, const QString& title, MsgIcon, MsgButtons) override {
        if (title != QStringLiteral("Import Complete"))
            std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        return MsgAnswer::Ok;
    }
    std::optional<Credentials> credentials(const LoginRequest&) override { return std::nullopt; }
};

std::string id(char kind, int n) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "{%c%07X-0000-4000-8000-%012X}", kind, n & 0xFFFFFFF, n);
    return buf;
}

// `categories` categories sharing `entries` entries; every hundredth entry is a "Bank".
std::string makeXml(int categories, int entries) {
    std::string x = "<?xml version='1.0' encoding='iso-8859-1' ?><datafile version=\"1.5\" filetype=\"private\"><records>";
    const int per = entries / categories;
    int made = 0;
    for (int c = 0; c < categories; ++c) {
        x += "<category id=\"" + id('C', c) + "\" type=\"category\" value=\"Category " + std::to_string(c) + "\">";
        for (int i = 0; i < per; ++i, ++made)
            x += "<record_detail id=\"" + id('E', made) + "\" type=\"entry\"><resource>" +
                 (made % 100 == 0 ? "Bank " : "Site ") + std::to_string(made) + "</resource><userid>u" +
                 std::to_string(made) + "</userid><password>pw</password><notes/><DateCreated/>"
                 "<DateModified/><URL/></record_detail>";
        x += "</category>";
    }
    return x + "</records></datafile>";
}

frmKMF* openWindow(BenchHost& host, const std::string& xml) {
    auto doc = std::make_unique<XmlDoc>();
    if (!doc->loadXml(xml)) return nullptr;
    FileCredentials key;
    key.userId.value() = "bench";
    key.password.value() = "bench";
    auto* w = new frmKMF(&host, DocumentSession::create(std::move(doc), std::move(key), false),
                         QStringLiteral("Document"));
    host.addWindow(w)->show();
    QCoreApplication::processEvents();
    return w;
}

void report(const char* what, double seconds, double target) {
    std::printf("%-58s %8.3f s  target %.1f s  %s\n", what, seconds, target,
                seconds <= target ? "PASS" : "FAIL");
}

void benchFind(BenchHost& host) {
    frmKMF* w = openWindow(host, makeXml(20, 100000));
    if (w == nullptr) return;
    const struct {
        const char* pattern;
        const char* label;
        double target;
    } runs[] = {{"bank", "Find: search to filled panel, 1,000 hits of 100,000", kFindTargetSeconds},
                {"site|bank", "Find: search to filled panel, 100,000 hits of 100,000", kTargetSeconds}};
    for (const auto& run : runs) {
        QElapsedTimer engine;
        engine.start();
        const search::SearchOutcome alone = search::SearchNodes(w->session().doc(), run.pattern, {"resource"});
        std::printf("  (the search alone: %.3f s for %zu rows)\n",
                    static_cast<double>(engine.nsecsElapsed()) / 1e9, alone.rows.size());
        QElapsedTimer clock;
        const std::clock_t cpuStart = std::clock();
        clock.start();
        w->searchFor(QString::fromLatin1(run.pattern), {"resource"});
        QCoreApplication::processEvents();
        w->searchResults()->view()->viewport()->repaint();
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        std::printf("  (%d hits listed; %.3f s of processor time)\n", w->searchResults()->hitCount(),
                    static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
        report(run.label, seconds, run.target);
    }
    w->session().discardChanges();
}

// The drop pop-up's "After", as soon as it shows.
void answerMenuAfter() {
    auto* timer = new QTimer(qApp);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        timer->stop();
        timer->deleteLater();
        for (QAction* a : menu->actions())
            if (a->objectName().endsWith(QStringLiteral("After"))) menu->setActiveAction(a);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    timer->start();
}

void benchDrop(BenchHost& host, Qt::KeyboardModifiers keys, const char* label) {
    frmKMF* from = openWindow(host, makeXml(1, 10000));
    frmKMF* to = openWindow(host, makeXml(1, 10));
    if (from == nullptr || to == nullptr) return;
    from->NodeClick(id('C', 0));
    std::unique_ptr<QMimeData> data = static_cast<TreePane*>(from->treeView())->dragData();
    QWidget* viewport = to->treeView()->viewport();
    const QPoint at = to->treeView()->visualRect(to->treeView()->model()->index(0, 0)).center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &enter);
    answerMenuAfter();
    QElapsedTimer clock;
    clock.start();
    QDropEvent drop(QPointF(at), actions, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &drop);
    QCoreApplication::processEvents();
    from->treeView()->viewport()->repaint();
    to->treeView()->viewport()->repaint();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const int moved = to->treeView()->model()->rowCount();
    std::printf("  (destination now has %d categories, source %d)\n", moved,
                from->treeView()->model()->rowCount());
    report(label, seconds, kTargetSeconds);
    from->session().discardChanges();
    to->session().discardChanges();
}

// 100,000 rows through the import dialog; the window must keep painting.
void benchImport(BenchHost& host) {
    frmKMF* w = openWindow(host, makeXml(1, 10));
    if (w == nullptr) return;
    const QString path = QDir::temp().filePath(QStringLiteral("keymora-bench-import.csv"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write("Account,Login Name,Password,Web Site,Comments\r\n");
        for (int i = 0; i < 100000; ++i)
            file.write(QStringLiteral("Site %1,user%1,pw%1,https://site%1.example,\"a note, %1\"\r\n").arg(i).toUtf8());
    }
    QElapsedTimer clock;
    clock.start();
    frmImport dialog(w);
    if (!dialog.load(path)) return;
    const double loaded = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    dialog.setTarget(w);
    // The longest stretch without the event loop running, while importing.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    QElapsedTimer importing;
    importing.start();
    sinceTick.start();
    tick.start();
    dialog.importButton()->click();
    tick.stop();
    longestGap = std::max(longestGap, sinceTick.elapsed());
    const double seconds = static_cast<double>(importing.nsecsElapsed()) / 1e9;
    std::printf("  (file read and previewed in %.3f s; imported: %s)\n", loaded,
                dialog.imported() ? "yes" : "no");
    std::printf("%-58s %8.3f s\n", "Import: 100,000 rows, button to selected category", seconds);
    report("Import: longest pause of the event loop meanwhile", static_cast<double>(longestGap) / 1e3,
           kLongestPauseSeconds);
    QFile::remove(path);
    w->session().discardChanges();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QuietPrompt prompt;
    Prompt::install(&prompt);
    {
        BenchHost host({.saves = false, .asksBeforeClosing = false});
        benchFind(host);
        benchImport(host);
        benchDrop(host, {}, "Drop: copy a 10,000-entry category to another window");
        benchDrop(host, Qt::ShiftModifier, "Drop: move (Shift) a 10,000-entry category to another window");
        for (QMdiSubWindow* sub : host.mdiArea()->subWindowList()) sub->close();
    }
    Prompt::install(nullptr);
    return 0;
}
