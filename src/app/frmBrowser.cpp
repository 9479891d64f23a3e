#include "app/frmBrowser.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineView>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

#include "app/BrowserAddresses.h"
#include "app/SystemInfo.h"
#include "app/WebBrowserHook.h"
#include "keymora/Version.h"
#include "ui/Icons.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

constexpr int kPollMs = 250;
constexpr const char* kSearchPage = "https://duckduckgo.com/";

}  // namespace

frmBrowser::frmBrowser(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmBrowser"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* picAddress = new QWidget(this);
    picAddress->setObjectName(QStringLiteral("picAddress"));
    lblAddress = new QLabel(LoadResString(1079), picAddress);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    cboAddress = new QComboBox(picAddress);
    cboAddress->setObjectName(QStringLiteral("cboAddress"));
    cboAddress->setEditable(true);
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lblAddress->setBuddy(cboAddress);
    auto* row = new QHBoxLayout(picAddress);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(lblAddress);
    row->addWidget(cboAddress, 1);

    tbToolBar = new QToolBar(this);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    const struct {
        const char* key;
        const char* icon;
        int tip;
    } buttons[] = {{"Back", "go-previous", 1073},   {"Forward", "go-next", 1074},
                   {"Stop", "process-stop", 1075},  {"Refresh", "view-refresh", 1076},
                   {"Home", "go-home", 1077},       {"Search", "edit-find", 1078}};
    for (const auto& b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        QAction* a = tbToolBar->addAction(icons::themed(QString::fromLatin1(b.icon), key.toLower()),
                                          LoadResString(b.tip));
        a->setObjectName(QStringLiteral("tb_") + key);
        a->setToolTip(LoadResString(b.tip));
        connect(a, &QAction::triggered, this, [this, key] { toolbarClicked(key); });
    }

    brwWebBrowser = new QWebEngineView(this);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    timTimer = new QTimer(this);
    timTimer->setObjectName(QStringLiteral("timTimer"));
    timTimer->setInterval(kPollMs);
    connect(timTimer, &QTimer::timeout, this, &frmBrowser::timTimer_Timer);
    connect(brwWebBrowser, &QWebEngineView::loadStarted, this, [this] { m_loading = true; });
    connect(brwWebBrowser, &QWebEngineView::loadFinished, this, [this] {
        m_loading = false;
        navigationFinished();
    });
    connect(brwWebBrowser, &QWebEngineView::titleChanged, this,
            [this] { if (!m_loading) setWindowTitle(locationName()); });
    // Enter in the address box, or a choice from its list, goes there.
    connect(cboAddress->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { navigate(cboAddress->currentText()); });
    connect(cboAddress, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && cboAddress->itemText(index) != brwWebBrowser->url().toString())
            navigate(cboAddress->itemText(index));
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tbToolBar);
    layout->addWidget(picAddress);
    layout->addWidget(brwWebBrowser, 1);
    resize(900, 680);
}

void frmBrowser::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_loaded) return;
    m_loaded = true;
    if (StartingAddress.isEmpty()) return;
    m_suppressNavigation = true;
    cboAddress->setEditText(StartingAddress);
    cboAddress->addItem(StartingAddress);
    m_suppressNavigation = false;
    navigate(StartingAddress);
}

void frmBrowser::navigate(const QString& address) {
    if (m_suppressNavigation || address.trimmed().isEmpty()) return;
    timTimer->start();
    m_loading = true;
    brwWebBrowser->setUrl(QUrl::fromUserInput(address.trimmed()));
}

QString frmBrowser::locationName() const {
    const QString title = brwWebBrowser->title();
    return title.isEmpty() ? brwWebBrowser->url().toString() : title;
}

void frmBrowser::timTimer_Timer() {
    if (!m_loading) {
        timTimer->stop();
        setWindowTitle(locationName());
    } else {
        setWindowTitle(QStringLiteral("Working..."));
    }
}

void frmBrowser::navigationFinished() {
    setWindowTitle(locationName());
    m_suppressNavigation = true;
    RememberAddress(*cboAddress, brwWebBrowser->url().toString());
    m_suppressNavigation = false;
}

void frmBrowser::toolbarClicked(const QString& key) {
    timTimer->start();
    if (key == QLatin1String("Back")) {
        brwWebBrowser->back();
    } else if (key == QLatin1String("Forward")) {
        brwWebBrowser->forward();
    } else if (key == QLatin1String("Refresh")) {
        brwWebBrowser->reload();
    } else if (key == QLatin1String("Home")) {
        navigate(QString::fromLatin1(kHomePage));
    } else if (key == QLatin1String("Search")) {
        navigate(QString::fromLatin1(kSearchPage));
    } else if (key == QLatin1String("Stop")) {
        timTimer->stop();
        brwWebBrowser->stop();
        m_loading = false;
        setWindowTitle(locationName());
    }
}

frmBrowser* OpenWebBrowser(QWidget* parent) {
    auto* window = new frmBrowser(parent);
    window->StartingAddress = QString::fromLatin1(kHomePage);
    window->show();
    return window;
}

void EnableWebBrowser() {
    webBrowserOpener() = [](QWidget* parent) { OpenWebBrowser(parent); };
    AddSystemDetail(QStringLiteral("Qt WebEngine"), QString::fromLatin1(qWebEngineVersion()) +
                                                        QStringLiteral(" (Chromium ") +
                                                        QString::fromLatin1(qWebEngineChromiumVersion()) +
                                                        QLatin1Char(')'));
}

}  // namespace keymora
