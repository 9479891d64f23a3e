#pragma once
// A document host and a prompt for the GUI benches: no dialogs, fixed
// credentials, a frame of 1200 x 800.
#include <QMdiArea>
#include <QMdiSubWindow>

#include <cstdio>

#include "app/DocumentLifecycle.h"
#include "docwindow/frmKMF.h"
#include "ui/DocumentHost.h"
#include "ui/Prompt.h"

namespace keymora {

// Benches that expect some messages answer them in their own message().
class FixedPrompt : public Prompt {
public:
    MsgAnswer message(const QString& text, const QString&, MsgIcon, MsgButtons) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        return MsgAnswer::Cancel;
    }
    QString openFileName(const FileDialogRequest&) override { return {}; }
    QString saveFileName(const FileDialogRequest&) override { return {}; }
    QStringList openFileNames(const FileDialogRequest&) override { return {}; }
    std::optional<Credentials> credentials(const LoginRequest&) override {
        return Credentials{QStringLiteral("bench"), QStringLiteral("bench-password")};
    }
};

// What a bench's host does when a window asks it to save or to close.
struct BenchHostOptions {
    bool saves = true;           // Save runs the real save command
    bool asksBeforeClosing = true;  // closing a changed window asks as the program does
};

class BenchHost : public DocumentHost {
public:
    explicit BenchHost(BenchHostOptions options = {}) : m_options(options) {
        m_area.resize(1200, 800);
        m_area.show();
    }
    QMdiArea* mdiArea() override { return &m_area; }
    QMdiSubWindow* addWindow(QWidget* w) override { return m_area.addSubWindow(w); }
    QWidget* dialogParent() override { return &m_area; }
    int nextDocumentNumber() override { return ++m_n; }
    bool canShutDown() const override { return true; }
    void setCanShutDown(bool) override {}
    void addToMru(const QString&) override {}
    void refreshMruList() override {}
    bool saveDocument(frmKMF& w) override { return m_options.saves && SaveCommand(*this, w); }
    bool queryCloseDocument(frmKMF& w) override {
        return !m_options.asksBeforeClosing || QueryCloseDocument(*this, w);
    }
    void documentOpened(frmKMF&) override {}
    void documentClosed(frmKMF&) override {}

private:
    BenchHostOptions m_options;
    QMdiArea m_area;
    int m_n = 0;
};

}  // namespace keymora
