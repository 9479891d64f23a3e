#pragma once
// A Prompt that answers from a script. Every prompt the program shows must be
// the next expected one (same kind; for messages the same text, title, icon
// and buttons); anything else is recorded as a failure. Answers left unused
// are failures too. The prompt checks both when it goes out of scope and fails
// the running test; KM_VERIFY_SCRIPT(prompt) checks at a point inside a test.
// expectMessageContaining() pins down only a part of the text, for messages
// that carry a file name or a system error.
//
//   ScriptedPrompt prompt;                       // installs itself
//   prompt.expectMessage("Document has changed.  Save it now?", "Document not saved",
//                        MsgIcon::None, MsgButtons::YesNoCancel, MsgAnswer::Cancel);
//   ... drive the program ...
//   // leaving the scope checks the script
#include <QString>
#include <QStringList>
#include <QTest>

#include <deque>
#include <optional>

#include "ui/Prompt.h"

namespace keymora::test {

class ScriptedPrompt : public Prompt {
public:
    enum class Kind { Message, OpenFile, SaveFile, OpenFiles, Credentials };

    struct Step {
        Kind kind = Kind::Message;
        // Message expectations.
        QString text;
        QString title;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        MsgAnswer answer = MsgAnswer::Ok;
        bool anyText = false;  // accept any text, title and icon (buttons still checked)
        bool containsText = false;  // text need only contain `text`; nothing else checked
        // File dialog answers ("" = cancelled).
        QString file;
        QStringList files;
        // Credentials answer (nullopt = cancelled).
        std::optional<Credentials> credentials;
    };

    // What the program asked, in order.
    struct Seen {
        Kind kind;
        QString text;   // message text, dialog title or login instructions
        QString title;  // message title
        FileDialogRequest file;
        LoginRequest login;
        MsgIcon icon = MsgIcon::None;        // messages only
        MsgButtons buttons = MsgButtons::Ok;  // messages only
    };

    ScriptedPrompt() { Prompt::install(this); }
    ~ScriptedPrompt() override {
        Prompt::install(nullptr);
        if (ok()) return;
        // A test that already failed has left early, so unused answers say
        // nothing new. Outside a test function (a child process) there is no
        // test to fail; the caller checks ok() itself.
        if (QTest::currentTestFunction() == nullptr) {
            qWarning("ScriptedPrompt: %s", qPrintable(report()));
        } else if (!QTest::currentTestFailed()) {
            QTest::qFail(qPrintable(report()), __FILE__, __LINE__);
        }
    }
    ScriptedPrompt(const ScriptedPrompt&) = delete;
    ScriptedPrompt& operator=(const ScriptedPrompt&) = delete;

    ScriptedPrompt& expectMessage(const QString& text, const QString& title, MsgIcon icon,
                                  MsgButtons buttons, MsgAnswer answer = MsgAnswer::Ok) {
        Step s;
        s.kind = Kind::Message;
        s.text = text;
        s.title = title;
        s.icon = icon;
        s.buttons = buttons;
        s.answer = answer;
        m_steps.push_back(s);
        return *this;
    }
    // A message the test does not pin down (e.g. an error text from the system);
    // only its buttons are checked. Look at seen() for what was shown.
    ScriptedPrompt& expectAnyMessage(MsgButtons buttons, MsgAnswer answer = MsgAnswer::Ok) {
        expectMessage(QString(), QString(), MsgIcon::None, buttons, answer);
        m_steps.back().anyText = true;
        return *this;
    }
    // A message whose text contains `part`; its title, icon and buttons are
    // free (read them from messageTitles() and the like).
    ScriptedPrompt& expectMessageContaining(const QString& part, MsgAnswer answer = MsgAnswer::Ok) {
        Step s;
        s.kind = Kind::Message;
        s.text = part;
        s.answer = answer;
        s.containsText = true;
        m_steps.push_back(s);
        return *this;
    }
    ScriptedPrompt& expectOpenFile(const QString& answer) {
        Step s;
        s.kind = Kind::OpenFile;
        s.file = answer;
        m_steps.push_back(s);
        return *this;
    }
    ScriptedPrompt& expectSaveFile(const QString& answer) {
        Step s;
        s.kind = Kind::SaveFile;
        s.file = answer;
        m_steps.push_back(s);
        return *this;
    }
    ScriptedPrompt& expectOpenFiles(const QStringList& answer) {
        Step s;
        s.kind = Kind::OpenFiles;
        s.files = answer;
        m_steps.push_back(s);
        return *this;
    }
    ScriptedPrompt& expectCredentials(std::optional<Credentials> answer) {
        Step s;
        s.kind = Kind::Credentials;
        s.credentials = std::move(answer);
        m_steps.push_back(s);
        return *this;
    }

    // --- Prompt ---------------------------------------------------------
    MsgAnswer message(const QString& text, const QString& title, MsgIcon icon,
                      MsgButtons buttons) override {
        m_seen.push_back({Kind::Message, text, title, {}, {}, icon, buttons});
        const Step* s = next(Kind::Message, QStringLiteral("message \"%1\" / \"%2\"").arg(text, title));
        if (!s) return cancelAnswer(buttons);
        if (s->containsText) {
            if (!text.contains(s->text))
                fail(QStringLiteral("message \"%1\" does not contain \"%2\"").arg(text, s->text));
        } else if ((!s->anyText && (s->text != text || s->title != title || s->icon != icon)) ||
            s->buttons != buttons) {
            fail(QStringLiteral("message differs: got \"%1\" / \"%2\" icon %3 buttons %4; "
                                "expected \"%5\" / \"%6\" icon %7 buttons %8")
                     .arg(text, title)
                     .arg(int(icon))
                     .arg(int(buttons))
                     .arg(s->text, s->title)
                     .arg(int(s->icon))
                     .arg(int(s->buttons)));
        }
        const MsgAnswer answer = s->answer;
        consume();
        return answer;
    }
    QString openFileName(const FileDialogRequest& request) override {
        return fileAnswer(Kind::OpenFile, request);
    }
    QString saveFileName(const FileDialogRequest& request) override {
        return fileAnswer(Kind::SaveFile, request);
    }
    QStringList openFileNames(const FileDialogRequest& request) override {
        m_seen.push_back({Kind::OpenFiles, request.title, {}, request, {}, MsgIcon::None, MsgButtons::Ok});
        const Step* s = next(Kind::OpenFiles, QStringLiteral("open-files dialog \"%1\"").arg(request.title));
        if (!s) return {};
        const QStringList files = s->files;
        consume();
        return files;
    }
    std::optional<Credentials> credentials(const LoginRequest& request) override {
        m_seen.push_back(
            {Kind::Credentials, request.instructions, {}, {}, request, MsgIcon::None, MsgButtons::Ok});
        const Step* s = next(Kind::Credentials,
                             QStringLiteral("credentials \"%1\"").arg(request.instructions));
        if (!s) return std::nullopt;
        if (!s->credentials) {
            consume();
            return std::nullopt;
        }
        const Credentials answer = *s->credentials;
        consume();
        return answer;
    }

    // --- checks -------------------------------------------------------------
    bool allUsed() const { return m_steps.empty(); }
    bool ok() const { return m_failures.isEmpty() && m_steps.empty(); }
    QString report() const {
        QStringList lines = m_failures;
        if (!m_steps.empty())
            lines << QStringLiteral("%1 scripted answer(s) left unused, next: %2")
                         .arg(m_steps.size())
                         .arg(describe(m_steps.front()));
        return lines.join(QLatin1Char('\n'));
    }
    const std::vector<Seen>& seen() const { return m_seen; }
    int messagesShown() const {
        int n = 0;
        for (const Seen& s : m_seen) n += s.kind == Kind::Message ? 1 : 0;
        return n;
    }
    // What was shown, per kind of prompt, in order.
    QStringList messageTexts() const { return collect(Kind::Message, &Seen::text); }
    QStringList messageTitles() const { return collect(Kind::Message, &Seen::title); }
    QList<MsgIcon> messageIcons() const { return collect(Kind::Message, &Seen::icon); }
    QList<MsgButtons> messageButtons() const { return collect(Kind::Message, &Seen::buttons); }
    QStringList loginTexts() const { return collect(Kind::Credentials, &Seen::text); }
    QStringList dialogTitles(Kind kind) const { return collect(kind, &Seen::text); }

private:
    static MsgAnswer cancelAnswer(MsgButtons buttons) {
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
    static QString kindName(Kind k) {
        switch (k) {
        case Kind::Message: return QStringLiteral("message");
        case Kind::OpenFile: return QStringLiteral("open dialog");
        case Kind::SaveFile: return QStringLiteral("save dialog");
        case Kind::OpenFiles: return QStringLiteral("open-files dialog");
        case Kind::Credentials: return QStringLiteral("credentials");
        }
        return {};
    }
    template <typename T>
    QList<T> collect(Kind kind, T Seen::*field) const {
        QList<T> out;
        for (const Seen& s : m_seen)
            if (s.kind == kind) out << s.*field;
        return out;
    }
    static QString describe(const Step& s) {
        if (s.kind == Kind::Message && s.containsText)
            return QStringLiteral("message containing \"%1\"").arg(s.text);
        if (s.kind == Kind::Message) return QStringLiteral("message \"%1\" / \"%2\"").arg(s.text, s.title);
        return kindName(s.kind);
    }
    const Step* next(Kind kind, const QString& what) {
        if (m_steps.empty()) {
            fail(QStringLiteral("unexpected %1").arg(what));
            return nullptr;
        }
        if (m_steps.front().kind != kind) {
            fail(QStringLiteral("unexpected %1; expected %2").arg(what, describe(m_steps.front())));
            return nullptr;
        }
        return &m_steps.front();
    }
    void consume() { m_steps.pop_front(); }
    QString fileAnswer(Kind kind, const FileDialogRequest& request) {
        m_seen.push_back({kind, request.title, {}, request, {}, MsgIcon::None, MsgButtons::Ok});
        const Step* s = next(kind, QStringLiteral("%1 \"%2\"").arg(kindName(kind), request.title));
        if (!s) return {};
        const QString file = s->file;
        consume();
        return file;
    }
    void fail(const QString& why) { m_failures << why; }

    std::deque<Step> m_steps;
    std::vector<Seen> m_seen;
    QStringList m_failures;
};

}  // namespace keymora::test

#define KM_VERIFY_SCRIPT(prompt) QVERIFY2((prompt).ok(), qPrintable((prompt).report()))
