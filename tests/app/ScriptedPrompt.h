#pragma once
// A Prompt answering from a script: each prompt shown must be the next expected one (same kind;
// for messages the same text, title, icon and buttons, or a part of the text). Anything else, and
// answers left unused, fail the test when it goes out of scope; KM_VERIFY_SCRIPT checks inside one.
#include <QList>
#include <QString>
#include <QStringList>
#include <QTest>

#include <deque>
#include <optional>

#include "ui/Prompt.h"

namespace keymora::test {

class ScriptedPrompt : public Prompt {
public:
    struct Message {
        QString text;
        QString title;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
    };

    ScriptedPrompt() { Prompt::install(this); }
    ~ScriptedPrompt() override {
        Prompt::install(nullptr);
        if (ok()) return;
        // A failed test left early, so unused answers say nothing new; outside a test the caller checks ok().
        if (QTest::currentTestFunction() == nullptr)
            qWarning("ScriptedPrompt: %s", qPrintable(report()));
        else if (!QTest::currentTestFailed())
            QTest::qFail(qPrintable(report()), __FILE__, __LINE__);
    }
    ScriptedPrompt(const ScriptedPrompt&) = delete;
    ScriptedPrompt& operator=(const ScriptedPrompt&) = delete;

    ScriptedPrompt& expectMessage(const QString& text, const QString& title, MsgIcon icon,
                                  MsgButtons buttons, MsgAnswer answer = MsgAnswer::Ok) {
        return add({Kind::Message, {text, title, icon, buttons}, false, answer, {}, {}});
    }
    // Only the text is checked; read the rest from messages().
    ScriptedPrompt& expectMessageContaining(const QString& part, MsgAnswer answer = MsgAnswer::Ok) {
        return add({Kind::Message, {part, {}, {}, {}}, true, answer, {}, {}});
    }
    // An empty name answers as the user cancelling.
    ScriptedPrompt& expectOpenFile(const QString& answer) { return add({Kind::OpenFile, {}, false, {}, answer, {}}); }
    ScriptedPrompt& expectSaveFile(const QString& answer) { return add({Kind::SaveFile, {}, false, {}, answer, {}}); }
    // An empty list answers as the user cancelling.
    ScriptedPrompt& expectOpenFiles(const QStringList& answer) {
        Step step{Kind::OpenFiles, {}, false, {}, {}, {}};
        step.files = answer;
        return add(std::move(step));
    }
    ScriptedPrompt& expectCredentials(std::optional<Credentials> answer) {
        return add({Kind::Credentials, {}, false, {}, {}, std::move(answer)});
    }

    MsgAnswer message(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) override {
        const Message shown{text, title, icon, buttons};
        m_messages << shown;
        const std::optional<Step> step = take(Kind::Message, describe(shown));
        if (!step) return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
        const Message& want = step->message;
        const bool matches = step->partOnly ? text.contains(want.text)
                                            : (want.text == text && want.title == title &&
                                               want.icon == icon && want.buttons == buttons);
        if (!matches) m_failures << QStringLiteral("got %1; expected %2").arg(describe(shown), describe(*step));
        return step->answer;
    }
    QString openFileName(const FileDialogRequest& request) override { return file(Kind::OpenFile, request); }
    QString saveFileName(const FileDialogRequest& request) override { return file(Kind::SaveFile, request); }
    QStringList openFileNames(const FileDialogRequest& request) override {
        m_files << request;
        const std::optional<Step> step =
            take(Kind::OpenFiles, QStringLiteral("open-files dialog \"%1\"").arg(request.title));
        return step ? step->files : QStringList();
    }
    std::optional<Credentials> credentials(const LoginRequest& request) override {
        m_logins << request;
        const std::optional<Step> step =
            take(Kind::Credentials, QStringLiteral("credentials \"%1\"").arg(request.instructions));
        return step ? step->credentials : std::nullopt;
    }

    bool ok() const { return m_failures.isEmpty() && m_steps.empty(); }
    QString report() const {
        QStringList lines = m_failures;
        if (!m_steps.empty())
            lines << QStringLiteral("%1 scripted answer(s) left unused, next: %2")
                         .arg(m_steps.size())
                         .arg(describe(m_steps.front()));
        return lines.join(QLatin1Char('\n'));
    }
    // What the program showed, in order.
    const QList<Message>& messages() const { return m_messages; }
    const QList<LoginRequest>& logins() const { return m_logins; }
    const QList<FileDialogRequest>& fileDialogs() const { return m_files; }

private:
    enum class Kind { Message, OpenFile, SaveFile, OpenFiles, Credentials };
    struct Step {
        Kind kind;
        Message message;
        bool partOnly;
        MsgAnswer answer;
        QString file;
        std::optional<Credentials> credentials;
        QStringList files = {};
    };

    ScriptedPrompt& add(Step step) {
        m_steps.push_back(std::move(step));
        return *this;
    }
    static QString describe(const Message& m) {
        return QStringLiteral("message \"%1\" / \"%2\" icon %3 buttons %4")
            .arg(m.text, m.title)
            .arg(int(m.icon))
            .arg(int(m.buttons));
    }
    static QString describe(const Step& s) {
        switch (s.kind) {
        case Kind::Message:
            return s.partOnly ? QStringLiteral("message containing \"%1\"").arg(s.message.text) : describe(s.message);
        case Kind::OpenFile: return QStringLiteral("open dialog");
        case Kind::SaveFile: return QStringLiteral("save dialog");
        case Kind::OpenFiles: return QStringLiteral("open-files dialog");
        case Kind::Credentials: return QStringLiteral("credentials");
        }
        return {};
    }
    std::optional<Step> take(Kind kind, const QString& what) {
        if (m_steps.empty() || m_steps.front().kind != kind) {
            m_failures << QStringLiteral("unexpected %1; expected %2")
                              .arg(what, m_steps.empty() ? QStringLiteral("nothing") : describe(m_steps.front()));
            return std::nullopt;
        }
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        return step;
    }
    QString file(Kind kind, const FileDialogRequest& request) {
        m_files << request;
        const std::optional<Step> step = take(kind, QStringLiteral("file dialog \"%1\"").arg(request.title));
        return step ? step->file : QString();
    }

    std::deque<Step> m_steps;
    QList<Message> m_messages;
    QList<LoginRequest> m_logins;
    QList<FileDialogRequest> m_files;
    QStringList m_failures;
};

}  // namespace keymora::test

#define KM_VERIFY_SCRIPT(prompt) QVERIFY2((prompt).ok(), qPrintable((prompt).report()))
