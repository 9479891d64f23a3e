#pragma once
// Scripted prompts and a small document host for the document-window tests.
// Every prompt the code shows must have been expected, in order; an
// expectation left unused is a failure too.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStringList>
#include <QtTest/QtTest>

#include <deque>
#include <optional>

#include "app/DocumentHost.h"
#include "app/Prompt.h"
#include "docwindow/frmKMF.h"
#include "document/NewDocumentTemplate.h"
#include "document/XmlDoc.h"
#include "storage/DataFile.h"

namespace keymora::test {

class DocTestPrompt : public Prompt {
public:
    enum class Kind { Message, OpenFile, SaveFile, Credentials };
    struct Step {
        Step(Kind k, QString e) : kind(k), expect(std::move(e)) {}
        Kind kind;
        QString expect;  // message: text that must be contained; dialogs: title
        MsgAnswer answer = MsgAnswer::Ok;
        QString fileName;
        bool cancelled = false;
        QString user, password;
    };

    DocTestPrompt() { Prompt::install(this); }
    ~DocTestPrompt() override { Prompt::install(nullptr); }

    void expectMessage(const QString& contains, MsgAnswer answer = MsgAnswer::Ok) {
        Step s{Kind::Message, contains};
        s.answer = answer;
        m_steps.push_back(s);
    }
    void expectSaveFile(const QString& fileName) {
        Step s{Kind::SaveFile, {}};
        s.fileName = fileName;
        m_steps.push_back(s);
    }
    void expectOpenFile(const QString& fileName) {
        Step s{Kind::OpenFile, {}};
        s.fileName = fileName;
        m_steps.push_back(s);
    }
    void expectCredentials(const QString& user, const QString& password) {
        Step s{Kind::Credentials, {}};
        s.user = user;
        s.password = password;
        m_steps.push_back(s);
    }
    void expectCredentialsCancelled() {
        Step s{Kind::Credentials, {}};
        s.cancelled = true;
        m_steps.push_back(s);
    }

    // Empty when every expectation was used and nothing unexpected came.
    QString problems() const {
        QStringList p = m_unexpected;
        for (const Step& s : m_steps)
            p << QStringLiteral("expected prompt not shown: %1 %2").arg(int(s.kind)).arg(s.expect);
        return p.join(QLatin1Char('\n'));
    }
    bool done() const { return m_steps.empty() && m_unexpected.isEmpty(); }
    const QStringList& messages() const { return m_messages; }
    const QStringList& titles() const { return m_titles; }
    const QStringList& loginTexts() const { return m_loginTexts; }
    const QList<MsgButtons>& buttons() const { return m_buttons; }
    const QList<MsgIcon>& icons() const { return m_icons; }

    MsgAnswer message(const QString& text, const QString& title, MsgIcon icon,
                      MsgButtons buttons) override {
        m_messages << text;
        m_titles << title;
        m_buttons << buttons;
        m_icons << icon;
        Step* s = take(Kind::Message, text);
        if (s == nullptr) return MsgAnswer::Cancel;
        if (!text.contains(s->expect))
            m_unexpected << QStringLiteral("message \"%1\" does not contain \"%2\"").arg(text, s->expect);
        const MsgAnswer a = s->answer;
        m_steps.pop_front();
        return a;
    }
    QString openFileName(const FileDialogRequest& request) override {
        Step* s = take(Kind::OpenFile, request.title);
        if (s == nullptr) return {};
        const QString name = s->fileName;
        m_steps.pop_front();
        return name;
    }
    QString saveFileName(const FileDialogRequest& request) override {
        m_saveTitles << request.title;
        Step* s = take(Kind::SaveFile, request.title);
        if (s == nullptr) return {};
        const QString name = s->fileName;
        m_steps.pop_front();
        return name;
    }
    QStringList openFileNames(const FileDialogRequest& request) override {
        m_unexpected << QStringLiteral("unexpected openFileNames: ") + request.title;
        return {};
    }
    std::optional<Credentials> credentials(const LoginRequest& request) override {
        m_loginTexts << request.instructions;
        Step* s = take(Kind::Credentials, request.instructions);
        if (s == nullptr) return std::nullopt;
        const bool cancelled = s->cancelled;
        Credentials c{s->user, s->password};
        m_steps.pop_front();
        if (cancelled) return std::nullopt;
        return c;
    }
    const QStringList& saveTitles() const { return m_saveTitles; }

private:
    Step* take(Kind kind, const QString& what) {
        if (m_steps.empty() || m_steps.front().kind != kind) {
            m_unexpected << QStringLiteral("unexpected prompt %1: %2").arg(int(kind)).arg(what);
            return nullptr;
        }
        return &m_steps.front();
    }

    std::deque<Step> m_steps;
    QStringList m_unexpected, m_messages, m_titles, m_loginTexts, m_saveTitles;
    QList<MsgButtons> m_buttons;
    QList<MsgIcon> m_icons;
};

// A frame of document windows without the main window's menus.
class TestHost : public DocumentHost {
public:
    TestHost() { m_area.resize(1000, 700); m_area.show(); }
    ~TestHost() override {
        for (QMdiSubWindow* sub : m_area.subWindowList()) {
            if (auto* w = qobject_cast<frmKMF*>(sub->widget())) w->IsDirty = false;
        }
        m_area.closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QMdiArea* mdiArea() override { return &m_area; }
    QMdiSubWindow* addWindow(QWidget* window) override { return m_area.addSubWindow(window); }
    QWidget* dialogParent() override { return &m_area; }
    int nextDocumentNumber() override { return ++counter; }
    bool canShutDown() const override { return shutDown; }
    void setCanShutDown(bool value) override { shutDown = value; }
    void addToMru(const QString& fileName) override { mruAdded << fileName; }
    void refreshMruList() override { ++mruRefreshed; }
    void documentOpened(frmKMF&) override { ++openCount; }
    void documentClosed(frmKMF&) override { --openCount; }

    // Open windows (closed ones are hidden until deleted).
    QList<frmKMF*> windows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QList<frmKMF*> list;
        for (QMdiSubWindow* sub : m_area.subWindowList(QMdiArea::CreationOrder))
            if (!sub->isHidden())
                if (auto* w = qobject_cast<frmKMF*>(sub->widget())) list << w;
        return list;
    }

    int counter = 0;
    bool shutDown = true;
    QStringList mruAdded;
    int mruRefreshed = 0;
    int openCount = 0;

private:
    QMdiArea m_area;
};

// Writes a data file holding the document under the credentials.
inline void writeDataFile(const QString& path, const XmlDoc& doc, const std::string& user,
                          const std::string& password) {
    datafile::writeFileAtomically(path.toStdString(), datafile::saveDocument(doc, user, password));
}

inline std::unique_ptr<XmlDoc> parseDoc(const std::string& xml) {
    auto doc = std::make_unique<XmlDoc>();
    if (!doc->loadXml(xml)) return nullptr;
    return doc;
}

// A small document: one category with a labels element, two sub-categories
// (the first with an entry) and three entries.
inline std::string sampleXml(const char* filetype = "private") {
    return std::string("<?xml version='1.0' encoding='iso-8859-1' ?>"
                       "<datafile version=\"1.5\" DateModified=\"1/2/2020 3:04:05 PM\" filetype=\"") +
           filetype +
           "\"><records>"
           "<category id=\"{C0000000-0000-0000-0000-000000000001}\" type=\"category\" value=\"Banking\" expanded=\"True\">"
           "<labels><label associated_tag=\"resource\" value=\"Bank\"/></labels>"
           "<subcategory id=\"{50000000-0000-0000-0000-000000000001}\" type=\"subcategory\" value=\"Cards\" expanded=\"True\">"
           "<record_detail id=\"{E0000000-0000-0000-0000-000000000009}\" type=\"entry\"><resource>Visa</resource><userid>me</userid><password>1234</password><notes/><DateCreated>1/1/2020 1:00:00 AM</DateCreated><DateModified>1/1/2020 1:00:00 AM</DateModified><URL/></record_detail>"
           "</subcategory>"
           "<subcategory id=\"{50000000-0000-0000-0000-000000000002}\" type=\"subcategory\" value=\"Loans\"/>"
           "<record_detail id=\"{E0000000-0000-0000-0000-000000000001}\" type=\"entry\"><resource>Mail</resource><userid>alice</userid><password>s3cret</password><notes>first line</notes><DateCreated>3/4/2021 10:11:12 AM</DateCreated><DateModified>3/5/2021 1:02:03 PM</DateModified><URL>https://mail.example</URL>"
           "<labels><label associated_tag=\"resource\" value=\"Account\"/><label associated_tag=\"URL\" value=\"Web\"/></labels></record_detail>"
           "<record_detail id=\"{E0000000-0000-0000-0000-000000000002}\" type=\"entry\"><resource>Bank</resource><userid>bob</userid><password>   </password><notes/><DateCreated>3/4/2021 10:11:12 AM</DateCreated><DateModified>3/4/2021 10:11:12 AM</DateModified><URL></URL></record_detail>"
           "<record_detail id=\"{E0000000-0000-0000-0000-000000000003}\" type=\"entry\"><resource>Shop</resource><userid/><password>pw</password><notes/><DateCreated/><DateModified/><URL/></record_detail>"
           "</category>"
           "<category id=\"{C0000000-0000-0000-0000-000000000002}\" type=\"category\" value=\"Other\"/>"
           "</records></datafile>";
}

}  // namespace keymora::test
