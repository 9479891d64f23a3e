#pragma once
// Finds the user's default web browser and starts it on a URL. On Linux the
// desktop's choice is read from $BROWSER, then xdg-settings / xdg-mime (the
// handler of https links, else of HTML files); the desktop file it names gives
// the executable and the icon.
#include <QIcon>
#include <QString>

namespace keymora {

class CLaunchBrowser {
public:
    // Result codes: 32 or more means found.
    static constexpr int kFound = 33;
    static constexpr int kNoAssociation = 31;
    static constexpr int kToolsMissing = 2;

    // Full path of the browser's executable; code set as above.
    QString GetBrowserName(int& code) const;
    // True when a browser process was started on the URL (passed whole, as
    // one argument).
    bool StartNewBrowser(const QString& url) const;
    // The icon the desktop shows for the browser found last (may be null).
    QIcon browserIcon() const { return m_icon; }
    // Text before the first NUL character.
    static QString TrimAtNull(const QString& text);

private:
    mutable QIcon m_icon;
};

// Loads the icon of the browser at `path` into BrowserIcon(); on failure shows
// "Error: n / Description: ..." and returns false.
bool LoadBrowserIcon(const QString& path, const QIcon& desktopIcon = {});

}  // namespace keymora
