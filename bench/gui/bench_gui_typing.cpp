// Typing into an entry field of a 100,000-entry file with Auto Save on: how
// long the window's thread is held by a keystroke, and the longest time the
// event loop did not turn (a stall the user would feel) while typing and
// while the saves it started ran.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchHost.h"
#include "SyntheticDocument.h"
#include "docwindow/EntryPane.h"
#include "document/XmlDoc.h"
#include "session/DocumentListener.h"
#include "session/DocumentSession.h"
#include "storage/DataFile.h"
#include "support/ClsReg.h"
#include "support/Options.h"

using namespace keymora;

namespace {

constexpr double kTargetMs = 100;
constexpr int kKeystrokes = 40;
constexpr int kKeyIntervalMs = 40;  // a fast typist

struct SaveCount : DocumentListener {
    int saved = 0;
    int failed = 0;
    void backgroundSaveFinished(const SaveOutcome& outcome) override { ++(outcome.saved() ? saved : failed); }
};

// The id of the first entry in the document.
std::string firstEntryId(const XmlDoc& doc) {
    return firstElementNamed(doc.dom(), "record_detail").attribute("id").value();
}

void run(std::size_t entries) {
    const QString path = QDir::temp().filePath(QStringLiteral("keymora-bench-typing.kmf"));
    {
        XmlDoc doc;
        if (!doc.loadXml(bench::syntheticXml(entries))) return;
        datafile::writeFileAtomically(path.toStdString(), datafile::saveDocument(doc, "bench", "bench-password"));
    }
    BenchHost host;
    if (!OpenDataFile(host, path)) {
        std::fprintf(stderr, "open failed\n");
        return;
    }
    frmKMF* w = activeDocument(host);
    SaveCount saves;
    w->session().addListener(&saves);
    w->NodeClick(firstEntryId(w->session().doc()));
    QLineEdit* field = w->entryPane()->txtUserName;
    field->setFocus();
    QCoreApplication::processEvents();

    // The event loop's heartbeat: the longest gap between two turns.
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.elapsed();
    qint64 longestGap = 0;
    QTimer heartbeat;
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - last);
        last = now;
    });

    double longestKey = 0;
    int typed = 0;
    QTimer typist;
    typist.setInterval(kKeyIntervalMs);
    QObject::connect(&typist, &QTimer::timeout, [&] {
        QElapsedTimer key;
        key.start();
        QTest::keyClick(field, static_cast<char>('a' + typed % 26));
        longestKey = std::max(longestKey, static_cast<double>(key.nsecsElapsed()) / 1e6);
        if (++typed == kKeystrokes) typist.stop();
    });
    heartbeat.start();
    typist.start();
    while (typed < kKeystrokes || w->session().savePending()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    heartbeat.stop();
    const qint64 wall = clock.elapsed();

    std::printf("%zu entries, %d keystrokes %d ms apart, Auto Save on: %d saves (%d failed), %lld ms in all\n\n",
                entries, kKeystrokes, kKeyIntervalMs, saves.saved, saves.failed,
                static_cast<long long>(wall));
    std::printf("%-40s %10s %10s  %s\n", "", "measured", "target", "verdict");
    std::printf("%-40s %10.1f %10.1f  %s\n", "longest keystroke, ms", longestKey, kTargetMs,
                longestKey <= kTargetMs ? "PASS" : "FAIL");
    std::printf("%-40s %10.1f %10.1f  %s\n", "longest stall of the event loop, ms",
                static_cast<double>(longestGap), kTargetMs,
                static_cast<double>(longestGap) <= kTargetMs ? "PASS" : "FAIL");
    w->session().removeListener(&saves);
    host.mdiArea()->closeAllSubWindows();
    QFile::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings of its own, with Auto Save on.
    QTemporaryDir config;
    qputenv("KEYMORA_CONFIG_DIR", config.path().toUtf8());
    {
        clsReg reg;
        options::SetAutoSaveChanges(reg, true);
    }
    QApplication app(argc, argv);
    FixedPrompt prompt;
    Prompt::install(&prompt);
    run(argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000);
    Prompt::install(nullptr);
    return 0;
}
