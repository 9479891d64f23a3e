// Time from OpenDataFile to a usable document window (tree painted, a
// category's list filled) for files of 10,000 and 100,000 entries.
// Usage: bench_gui_open [entries...]   (runs offscreen unless a display is set)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeView>

#include <cstdio>
#include <string>

#include "app/DocumentLifecycle.h"
#include "docwindow/frmKMF.h"
#include "document/XmlDoc.h"
#include "session/DocumentSession.h"
#include "storage/DataFile.h"
#include "BenchHost.h"

using namespace keymora;

namespace {

// 20 categories of 5 sub-categories; the entries spread over the
// sub-categories, except that the first category holds a tenth directly.
std::string makeXml(int entries) {
    std::string x = "<?xml version='1.0' encoding='iso-8859-1' ?><datafile version=\"1.5\" "
                    "DateModified=\"1/2/2024 3:04:05 PM\" filetype=\"private\"><records>";
    int made = 0;
    auto id = [](char kind, int n) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "{%c%07X-0000-4000-8000-%012X}", kind, n & 0xFFFFFFF, n);
        return std::string(buf);
    };
    auto entry = [&](int n) {
        std::string e = "<record_detail id=\"" + id('E', n) + "\" type=\"entry\"><resource>Site " +
                        std::to_string(n) + "</resource><userid>user" + std::to_string(n) +
                        "</userid><password>pw" + std::to_string(n * 7919) +
                        "</password><notes>Some notes</notes><DateCreated>3/4/2021 10:11:12 AM</DateCreated>"
                        "<DateModified>3/5/2021 1:02:03 PM</DateModified><URL>https://site" +
                        std::to_string(n) + ".example</URL></record_detail>";
        return e;
    };
    const int direct = entries / 10;
    const int perSub = (entries - direct) / 100;
    for (int c = 0; c < 20; ++c) {
        x += "<category id=\"" + id('C', c) + "\" type=\"category\" value=\"Category " +
             std::to_string(c) + "\"" + (c == 0 ? " expanded=\"True\"" : "") + ">";
        for (int s = 0; s < 5; ++s) {
            x += "<subcategory id=\"" + id('5', c * 5 + s) + "\" type=\"subcategory\" value=\"Group " +
                 std::to_string(s) + "\">";
            for (int i = 0; i < perSub; ++i) x += entry(made++);
            x += "</subcategory>";
        }
        if (c == 0)
            for (int i = 0; i < direct; ++i) x += entry(made++);
        x += "</category>";
    }
    while (made < entries) x.insert(x.rfind("</category>"), entry(made++));
    x += "</records></datafile>";
    return x;
}

void run(int entries) {
    const QString path = QDir::temp().filePath(QStringLiteral("keymora-bench-%1.kmf").arg(entries));
    {
        XmlDoc doc;
        if (!doc.loadXml(makeXml(entries))) {
            std::fprintf(stderr, "could not build the document\n");
            return;
        }
        datafile::writeFileAtomically(path.toStdString(),
                                      datafile::saveDocument(doc, "bench", "bench-password"));
    }
    BenchHost host;
    QElapsedTimer clock;
    clock.start();
    if (!OpenDataFile(host, path)) {
        std::fprintf(stderr, "open failed\n");
        return;
    }
    const qint64 opened = clock.elapsed();
    frmKMF* w = activeDocument(host);
    QCoreApplication::processEvents();
    w->treeView()->viewport()->repaint();
    const qint64 painted = clock.elapsed();

    // The category holding a tenth of the entries directly.
    QElapsedTimer click;
    click.start();
    w->NodeClick("{C0000000-0000-4000-8000-000000000000}");
    w->listView()->viewport()->repaint();
    const qint64 listed = click.elapsed();

    std::printf("entries %7d  file %8lld bytes  open %5lld ms  usable (tree painted) %5lld ms  "
                "select category with %d children %5lld ms\n",
                entries, static_cast<long long>(QFileInfo(path).size()),
                static_cast<long long>(opened), static_cast<long long>(painted),
                entries / 10 + 5, static_cast<long long>(listed));
    w->session().discardChanges();
    host.mdiArea()->closeAllSubWindows();
    // KEYMORA_BENCH_KEEP=1 leaves the file in the temp folder for a look at it.
    if (qEnvironmentVariableIsEmpty("KEYMORA_BENCH_KEEP")) QFile::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FixedPrompt prompt;
    Prompt::install(&prompt);
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) run(std::atoi(argv[i]));
    } else {
        run(10000);
        run(100000);
    }
    Prompt::install(nullptr);
    return 0;
}
