#pragma once
// Every message box, file dialog and credential prompt of the program goes
// through this interface, so tests can script each flow with its exact texts.
#include <QString>
#include <QStringList>

#include "ui/WipeText.h"
#include <optional>
#include <utility>

class QWidget;

namespace keymora {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };

// The buttons of a message box, as the program asks them.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };

enum class MsgAnswer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

struct FileDialogRequest {
    QString title;
    QString folder;         // starting folder
    QString filter;         // Qt filter text, e.g. "Keymora Files (*.kmf);;All Files (*)"
    QString defaultSuffix;  // without dot, e.g. "kmf"
    bool save = false;
};

// Wiped when dropped; the last copy to go wipes the shared text.
struct Credentials {
    QString userId;
    QString password;
    bool modern = false;  // modern protection chosen (when it was offered)
    Credentials() = default;
    Credentials(QString user, QString pass) : userId(std::move(user)), password(std::move(pass)) {}
    Credentials(const Credentials&) = default;
    Credentials& operator=(const Credentials&) = default;
    ~Credentials() {
        wipeText(userId);
        wipeText(password);
    }
};

// What the login dialogs are asked to show and check.
struct LoginRequest {
    QString instructions;   // the text above the boxes
    bool confirm = false;   // ask the password twice (new credentials)
    QString userId;         // preset user name
    QString userLabel;      // caption of the user-name box ("User Name" when empty)
    QString passwordLabel;  // caption of the password box ("Password" when empty)
    bool offerModern = false;  // with confirm: the modern-protection check box
    bool modern = false;       // its state when shown
};

class Prompt {
public:
    virtual ~Prompt() = default;

    virtual MsgAnswer message(const QString& text, const QString& title, MsgIcon icon,
                              MsgButtons buttons) = 0;
    // An empty string when cancelled.
    virtual QString openFileName(const FileDialogRequest& request) = 0;
    virtual QString saveFileName(const FileDialogRequest& request) = 0;
    virtual QStringList openFileNames(const FileDialogRequest& request) = 0;
    // Nothing when cancelled.
    virtual std::optional<Credentials> credentials(const LoginRequest& request) = 0;

    // The prompt in use: the real dialogs unless a test installed its own.
    static Prompt& current();
    static void install(Prompt* prompt);  // nullptr restores the real dialogs
    static void setParentWidget(QWidget* parent);
};

}  // namespace keymora
