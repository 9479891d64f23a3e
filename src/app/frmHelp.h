#pragma once
// The help window: the installed HTML help pages in a text browser, with
// back, forward and contents. Works without network and without a browser;
// links that leave the help folder go to the desktop's browser.
#include <QWidget>

class QAction;
class QTextBrowser;

namespace keymora {

class frmHelp : public QWidget {
    Q_OBJECT
public:
    frmHelp(const QString& folder, QWidget* parent = nullptr);

    // Shows `topic` ("page.html" or "page.html#anchor") of the help folder.
    void showTopic(const QString& topic);
    QTextBrowser* browser() const { return m_browser; }
    QString folder() const { return m_folder; }

private:
    QString m_folder;
    QTextBrowser* m_browser = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
};

// Help > Contents and F1: opens `topic` in the help window (one per program,
// or one over the modal dialog in front, which would block any other).
// Without help pages: "Help File Missing". Returns the window, or nullptr.
frmHelp* ShowHelp(const QString& topic);

// Makes F1 open the page of the window in front, in every window.
void InstallHelpKey();

}  // namespace keymora
