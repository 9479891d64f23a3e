#include "app/frmHelp.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "app/HelpTopics.h"
#include "app/frmMain.h"
#include "ui/Icons.h"
#include "ui/Prompt.h"

namespace keymora {

frmHelp::frmHelp(const QString& folder, QWidget* parent) : QWidget(parent, Qt::Window), m_folder(folder) {
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Keymora Help"));
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("tbHelp"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("brwHelp"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({folder});
    m_back = bar->addAction(icons::themed(QStringLiteral("go-previous"), QStringLiteral("uplevel")),
                            QStringLiteral("Back"), m_browser, &QTextBrowser::backward);
    m_back->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    m_forward = bar->addAction(icons::themed(QStringLiteral("go-next"), QStringLiteral("uplevel")),
                               QStringLiteral("Forward"), m_browser, &QTextBrowser::forward);
    m_forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    QAction* contents =
        bar->addAction(icons::themed(QStringLiteral("go-home"), QStringLiteral("open")),
                       QStringLiteral("Contents"), this, [this] { showTopic(QString::fromLatin1(help::kContents)); });
    contents->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    // The page's own title; the program's name follows it.
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(m_browser->documentTitle()); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_browser);
    resize(760, 620);
}

void frmHelp::showTopic(const QString& topic) {
    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    QUrl url = QUrl::fromLocalFile(QDir(m_folder).filePath(hash < 0 ? topic : topic.left(hash)));
    if (hash >= 0) url.setFragment(topic.mid(hash + 1));
    m_browser->setSource(url);
}

frmHelp* ShowHelp(const QString& topic) {
    const QString folder = help::HelpFolder();
    if (folder.isEmpty()) {
        Prompt::current().message(QStringLiteral("Help File Missing"), QStringLiteral("Help Not Available"),
                                  MsgIcon::Information, MsgButtons::Ok);
        return nullptr;
    }
    static QPointer<frmHelp> shared;
    QWidget* modal = QApplication::activeModalWidget();
    frmHelp* window = modal == nullptr ? shared.data() : modal->findChild<frmHelp*>();
    if (window == nullptr) {
        window = new frmHelp(folder, modal != nullptr ? modal : frmMain::instance());
        if (modal == nullptr) shared = window;
    }
    window->showTopic(topic);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

namespace {

class HelpKey : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
            watched->isWidgetType()) {
            // The key goes to the focus widget of the window in front.
            auto* from = static_cast<QWidget*>(watched);
            if (from->window()->objectName() != QLatin1String("frmHelp")) ShowHelp(help::TopicFor(from));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void InstallHelpKey() {
    static HelpKey* key = nullptr;
    if (key != nullptr) return;
    key = new HelpKey(qApp);
    qApp->installEventFilter(key);
}

}  // namespace keymora
