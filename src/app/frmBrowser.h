#pragma once
// View > Web Browser: a simple browser window with an address list and
// back, forward, stop, refresh, home and search buttons (Qt WebEngine).
#include <QWidget>

class QComboBox;
class QLabel;
class QTimer;
class QToolBar;
class QWebEngineView;

namespace keymora {

class frmBrowser : public QWidget {
    Q_OBJECT
public:
    explicit frmBrowser(QWidget* parent = nullptr);

    // The first address shown; set before the window is shown.
    QString StartingAddress;

    QLabel* lblAddress = nullptr;
    QComboBox* cboAddress = nullptr;
    QToolBar* tbToolBar = nullptr;
    QWebEngineView* brwWebBrowser = nullptr;
    QTimer* timTimer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void navigate(const QString& address);
    void toolbarClicked(const QString& key);
    void timTimer_Timer();
    void navigationFinished();
    QString locationName() const;

    bool m_loaded = false;
    bool m_loading = false;
    // Set while the address list is rearranged, so that it does not navigate.
    bool m_suppressNavigation = false;
};

// Opens another browser window on the project's home page.
frmBrowser* OpenWebBrowser(QWidget* parent);

// Offers the window in View > Web Browser and names Qt WebEngine among the
// system details. Called by the program before start-up.
void EnableWebBrowser();

}  // namespace keymora
