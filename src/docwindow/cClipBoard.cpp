#include "docwindow/cClipBoard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

#include "ui/WipeText.h"

#include <algorithm>

namespace keymora {

namespace {

// Clipboard managers that honour this hint do not keep or show the text.
constexpr const char* kPasswordHintFormat = "x-kde-passwordManagerHint";

QClipboard* board() {
    if (QGuiApplication::instance() == nullptr) return nullptr;
    return QGuiApplication::clipboard();
}

// The copy waiting to be taken away, and what the clipboard held before it.
struct PendingCopy {
    QPointer<QTimer> timer;
    bool pending = false;
    QString remembered;
    bool rememberedSecret = false;
};

PendingCopy& pendingCopy() {
    static PendingCopy copy;
    return copy;
}

void restoreRemembered() {
    PendingCopy& copy = pendingCopy();
    if (!copy.pending) return;
    copy.pending = false;
    if (copy.timer) copy.timer->stop();
    cClipBoard::Clear();
    if (!copy.remembered.isEmpty()) cClipBoard::SetText(copy.remembered, copy.rememberedSecret);
    wipeText(copy.remembered);
}

QTimer* copyTimer() {
    PendingCopy& copy = pendingCopy();
    if (!copy.timer) {
        copy.timer = new QTimer(QCoreApplication::instance());
        copy.timer->setObjectName(QStringLiteral("clipboardTimeout"));
        copy.timer->setSingleShot(true);
        QObject::connect(copy.timer, &QTimer::timeout, [] { restoreRemembered(); });
    }
    return copy.timer;
}

}  // namespace

bool cClipBoard::FormatAvailable(int format) {
    QClipboard* cb = board();
    if (cb == nullptr) return false;
    const QMimeData* data = cb->mimeData();
    if (data == nullptr) return false;
    switch (format) {
        case CF_TEXT:
        case CF_UNICODETEXT:
        case CF_OEMTEXT:
        case CF_DSPTEXT:
            return data->hasText();
        default:
            return false;
    }
}

QString cClipBoard::GetText() {
    QClipboard* cb = board();
    if (cb == nullptr || !FormatAvailable(CF_TEXT)) return {};
    return cb->text();
}

bool cClipBoard::Clear() {
    QClipboard* cb = board();
    if (cb == nullptr) return false;
    cb->clear();
    return true;
}

bool cClipBoard::SetText(const QString& text, bool secret) {
    QClipboard* cb = board();
    if (cb == nullptr) return false;
    auto* data = new QMimeData();
    data->setText(text);
    if (secret) data->setData(QString::fromLatin1(kPasswordHintFormat), QByteArrayLiteral("secret"));
    cb->setMimeData(data);
    return true;
}

void cClipBoard::CopyPasswordTimed(const QString& password, int timeoutMs) {
    if (board() == nullptr) return;
    PendingCopy& copy = pendingCopy();
    if (!copy.pending) {
        copy.remembered = GetText();
        copy.rememberedSecret = ClipboardHoldsSecret();
        copy.pending = true;
    }
    Clear();
    SetText(password, true);
    copyTimer()->start(std::max(0, timeoutMs));
}

bool cClipBoard::PasswordPending() { return pendingCopy().pending; }

bool cClipBoard::ClipboardHoldsSecret() {
    QClipboard* cb = board();
    if (cb == nullptr) return false;
    const QMimeData* data = cb->mimeData();
    return data != nullptr && data->hasFormat(QString::fromLatin1(kPasswordHintFormat)) &&
           data->data(QString::fromLatin1(kPasswordHintFormat)) == "secret";
}

void cClipBoard::ClearPasswordAtExit() {
    if (pendingCopy().pending) {
        restoreRemembered();
        return;
    }
    if (ClipboardHoldsSecret()) Clear();
}

}  // namespace keymora
