#include "docwindow/cClipBoard.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <algorithm>

namespace keymora {

namespace {

// Clipboard managers that honour this hint do not keep or show the text.
constexpr const char* kPasswordHintFormat = "x-kde-passwordManagerHint";

QClipboard* board() {
    if (QGuiApplication::instance() == nullptr) return nullptr;
    return QGuiApplication::clipboard();
}

std::uint32_t tickNow() {
    return static_cast<std::uint32_t>(QDeadlineTimer::current().deadline());
}

void wipe(QString& text) {
    std::fill(text.begin(), text.end(), QChar(u'\0'));
    text.clear();
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
    QString remembered;
    const bool hadText = FormatAvailable(CF_TEXT);
    if (hadText) remembered = GetText();
    // A nested copy finds the password of the outer one: it goes back marked.
    const bool rememberedSecret = hadText && ClipboardHoldsSecret();

    Clear();
    SetText(password, true);

    // Wait on the tick counter while the event loop runs; commands may nest.
    const std::uint32_t start = tickNow();
    const std::uint32_t wait = timeoutMs > 0 ? static_cast<std::uint32_t>(timeoutMs) : 0U;
    while (QCoreApplication::instance() != nullptr) {
        const std::uint32_t passed = elapsedTicks(start, tickNow());
        if (passed >= wait) break;
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(wait - passed), &loop, &QEventLoop::quit);
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop,
                         &QEventLoop::quit);
        loop.exec();
        if (QCoreApplication::closingDown()) break;
    }

    Clear();
    if (!remembered.isEmpty()) SetText(remembered, rememberedSecret);
    wipe(remembered);
}

bool cClipBoard::ClipboardHoldsSecret() {
    QClipboard* cb = board();
    if (cb == nullptr) return false;
    const QMimeData* data = cb->mimeData();
    return data != nullptr && data->hasFormat(QString::fromLatin1(kPasswordHintFormat)) &&
           data->data(QString::fromLatin1(kPasswordHintFormat)) == "secret";
}

void cClipBoard::ClearPasswordAtExit() {
    if (ClipboardHoldsSecret()) Clear();
}

}  // namespace keymora
