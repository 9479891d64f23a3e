#pragma once
// Program-wide state of the desktop program and its start-up routine.
#include <QIcon>
#include <QString>
#include <QStringList>

#include "ui/PasswordMask.h"

namespace keymora {

class Prompt;

// Number of open document windows.
int& OpenDocumentCount();
// True while the main window is in the document-open state.
bool& DocumentCommandsShown();
// True once the default browser's icon is loaded; launch buttons need it.
bool& BrowserIconLoaded();
// The default browser's small icon (empty until loaded).
QIcon& BrowserIcon();

// What start-up does with the command line: the file to open, or empty.
// `commandLine` is the text after the program name, unparsed.
QString StartupFileFromCommandLine(const QString& commandLine);

// The file named by the "auto open file" and "file to open" options.
QString StartupFileFromOptions();

// The file start-up opens: the command line when one was given (even if it
// names no data file), else the options.
QString StartupFileToOpen(const QString& commandLine);

// "Password Mask" with blanks trimmed; "*" when empty. Longer values keep
// their first character only, since the password boxes take one.
QString ReadPasswordMask();

// Rebuilds the command-line text from argv (arguments joined by blanks).
QString CommandLineText(const QStringList& arguments);

// Holds the per-user single-instance lock for the life of the process.
class SingleInstance {
public:
    // Lock file in $XDG_RUNTIME_DIR, else in the settings folder.
    static QString lockFilePath();
    // Takes the lock; false when another process of this user holds it.
    bool acquire();
    ~SingleInstance();

private:
    int m_fd = -1;
};

class frmMain;

// The whole start-up after the single-instance check: main window, options,
// file to open, browser detection. Returns the main window, shown; it deletes
// itself when closed.
frmMain* StartUp(const QString& commandLine);

}  // namespace keymora
