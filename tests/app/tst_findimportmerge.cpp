// Find with its dialog and results panel, CSV import, merging data files, and files dropped on the window.
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QUrl>

#include "ModalDialog.h"
#include "ScriptedPrompt.h"
#include "TestDocumentHost.h"
#include "app/frmDocMergeList.h"
#include "app/frmImport.h"
#include "app/frmMain.h"
#include "docwindow/SearchResults.h"
#include "docwindow/frmSearch.h"
#include "support/RecentFiles.h"
#include "ui/PasswordMask.h"

using namespace keymora;
using namespace keymora::test;

namespace {

using Keys = std::vector<std::string>;

const QString kNoResults = QStringLiteral("Search query returned no results.");

// Fills the Find dialog as a user would: the text, then the boxes in order, then OK.
std::shared_ptr<bool> answerFind(const QString& text, const std::vector<const char*>& keys) {
    return whenShown<frmSearch>([text, keys](frmSearch& d) {
        QTest::keyClicks(d.findChild<QLineEdit*>(QStringLiteral("txtSearchFor")), text);
        for (const char* key : keys) QTest::mouseClick(d.box(key), Qt::LeftButton, {}, QPoint(4, 4));
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    });
}

QStringList hitTexts(frmKMF* w) { return rowTexts(w->searchResults()->view()); }

std::string csvBytes() {
    // A quoted comma, a doubled quote, a line break in quotes, a Windows-1252 letter, empty fields.
    return "Account,Login Name,Password,Web Site,Comments\r\n"
           "\"Caf\xE9, Inc\",joe,\"pa\"\"ss\",http://x,\"line1\r\nline2\"\r\n"
           "Solo,,,,\r\n";
}

std::string sourceXml(const char* category, const char* entry) {
    return std::string("<?xml version='1.0' encoding='iso-8859-1' ?><datafile version=\"1.5\" filetype=\"private\"><records>"
                       "<category id=\"{C0000000-0000-0000-0000-000000000001}\" type=\"category\" value=\"") +
           category +
           "\"><record_detail id=\"{E0000000-0000-0000-0000-000000000001}\" type=\"entry\"><resource>" + entry +
           "</resource><userid/><password/><notes/><DateCreated/><DateModified/><URL/></record_detail>"
           "</category></records></datafile>";
}

}  // namespace

class FindImportMergeTest : public QObject, private DocWindowFixture {
    Q_OBJECT

    QString writeCsv() {
        const std::string path = m_dir->file("accounts.csv");
        writeFile(path, csvBytes());
        return QString::fromStdString(path);
    }

private slots:
    void initTestCase() { QVERIFY(m_config.isValid()); }
    void init() { openSample(); }
    void cleanup() { closeSample(); }

    void findDialogKeepsTheTickingOrder() {
        frmSearch d;
        auto* ok = d.findChild<QPushButton*>(QStringLiteral("OKButton"));
        QTest::keyClicks(d.findChild<QLineEdit*>(QStringLiteral("txtSearchFor")), QStringLiteral("a"));
        QVERIFY(!ok->isEnabled());  // one character cannot be searched
        QTest::keyClicks(d.findChild<QLineEdit*>(QStringLiteral("txtSearchFor")), QStringLiteral("b"));
        QVERIFY(ok->isEnabled());
        QVERIFY(d.fieldKeys().empty());
        d.box("password")->click();
        d.box("resource")->click();
        d.box("notes")->click();
        d.box("notes")->click();
        QCOMPARE(d.fieldKeys(), (Keys{"password", "resource"}));
        d.findChild<QPushButton*>(QStringLiteral("cmdSelectAll"))->click();
        QCOMPARE(d.fieldKeys(),
                 (Keys{"password", "resource", "category", "subcategory", "userid", "URL", "notes"}));
        d.findChild<QPushButton*>(QStringLiteral("cmdUnselectAll"))->click();
        QVERIFY(d.fieldKeys().empty());
        QVERIFY(!d.box("category")->isChecked());
    }

    void findFillsThePanelByTheTickedFields() {
        QAbstractItemModelTester tester(m_w->searchResults()->model());
        QSignalSpy shown(m_w, &frmKMF::searchResultsShown);
        ScriptedPrompt prompt;
        // Only entry names: the category Banking is not looked at; case is ignored.
        auto ran = answerFind(QStringLiteral("BANK"), {"resource"});
        m_w->SearchDocument();
        QVERIFY(*ran);
        QCOMPARE(hitTexts(m_w), QStringList{"Bank"});
        QVERIFY(m_w->searchResultsVisible());
        QCOMPARE(shown.last().at(0).toBool(), true);

        // The hit shows the text it matched (which field wins is SearchTest's), never a password in clear.
        m_w->searchFor(QStringLiteral("l.ce"), {"resource", "userid"});
        QCOMPARE(hitTexts(m_w), QStringList{"alice"});
        m_w->searchFor(QStringLiteral("s.cret"), {"resource", "password"});
        const QStringList masked{PasswordMask().repeated(8)};
        QCOMPARE(hitTexts(m_w), masked);

        // No hit, or no field ticked: the message, and the panel keeps its hits.
        prompt.expectMessage(kNoResults, QStringLiteral("Search Results"), MsgIcon::Information, MsgButtons::Ok);
        m_w->searchFor(QStringLiteral("alice"), {"resource", "notes"});
        prompt.expectMessage(kNoResults, QStringLiteral("Search Results"), MsgIcon::Information, MsgButtons::Ok);
        m_w->searchFor(QStringLiteral("Bank"), {});
        // A pattern that does not compile: the search's error dialog, then no results.
        prompt.expectMessageContaining(QStringLiteral("\r\n\r\nmodXML.SearchNodes"), MsgAnswer::Ignore);
        prompt.expectMessage(kNoResults, QStringLiteral("Search Results"), MsgIcon::Information, MsgButtons::Ok);
        m_w->searchFor(QStringLiteral("(ab"), {"resource"});
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(prompt.messages().at(2).buttons, MsgButtons::AbortRetryIgnore);
        QCOMPARE(hitTexts(m_w), masked);
        QVERIFY(m_w->searchResultsVisible());

        // Cancel leaves the panel as it was.
        auto cancelled = whenShown<frmSearch>([](frmSearch& d) { d.reject(); });
        m_w->SearchDocument();
        QVERIFY(*cancelled);
        QCOMPARE(hitTexts(m_w), masked);

        m_w->HideSearchResults();
        QVERIFY(!m_w->searchResultsVisible());
        QCOMPARE(m_w->searchResults()->hitCount(), 0);
        QCOMPARE(shown.last().at(0).toBool(), false);
    }

    void aHitShowsItsNodeAfterTheTreeChanged() {
        m_w->searchFor(QStringLiteral("isa|oan"), {"subcategory", "resource"});
        QCOMPARE(hitTexts(m_w), (QStringList{"Loans", "Visa"}));
        // Visa moves to Other after the search; its hit still finds it there.
        QVERIFY(DocumentSession::transfer(session(), session(), Relation::Child, kVisa, kOther,
                                          TransferMode::Move)
                    .ok());
        QSignalSpy hit(m_w, &frmKMF::searchHitShown);
        QVERIFY(clickRow(m_w->searchResults()->view(), QStringLiteral("Visa")));
        QCOMPARE(hit.last().at(0).toString(), QString::fromLatin1(kVisa));
        QCOMPARE(hit.last().at(1).toInt(), 2);
        QCOMPARE(m_w->selection().currentId(), std::string(kVisa));
        QCOMPARE(m_w->treeView()->currentIndex().parent().data().toString(), QStringLiteral("Other"));
        QVERIFY(m_w->entryPaneVisible());
        QCOMPARE(field(kVisa, "DateModified"), std::string("1/1/2020 1:00:00 AM"));  // showing is no edit

        QVERIFY(clickRow(m_w->searchResults()->view(), QStringLiteral("Loans")));
        QCOMPARE(m_w->selection().currentId(), std::string(kLoans));
        QVERIFY(!m_w->entryPaneVisible());
        // A hit whose node is gone does nothing.
        putOption("Confirm Entry Deletes", "0");
        m_w->deleteSelected();
        QVERIFY(!node(kLoans));
        const std::string shownNow = m_w->selection().currentId();
        QVERIFY(clickRow(m_w->searchResults()->view(), QStringLiteral("Loans")));
        QCOMPARE(m_w->selection().currentId(), shownNow);
    }

    void importAddsACategoryAndSelectsIt() {
        ScriptedPrompt prompt;
        prompt.expectOpenFile(writeCsv());
        prompt.expectMessageContaining(QStringLiteral("2 records imported to \"Imported Items "));
        auto ran = whenShown<frmImport>([](frmImport& d) {
            QAbstractItemModelTester tester(d.grid()->model());
            QCOMPARE(d.grid()->model()->rowCount(), 2);
            QCOMPARE(d.grid()->model()->index(0, 0).data().toString(), QStringLiteral("Caf\u00E9, Inc"));
            d.importButton()->click();
        });
        ImportCommand(*m_w);
        QVERIFY(*ran);
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(prompt.messages().last().title, QStringLiteral("Import Complete"));
        QCOMPARE(prompt.messages().last().icon, MsgIcon::Information);

        const pugi::xml_node category = m_w->selection().current();
        QCOMPARE(KindOf(category), NodeKind::Category);
        QVERIFY(QString::fromUtf8(category.attribute("value").value()).startsWith("Imported Items "));
        // What each row becomes is CsvImportTest's.
        QCOMPARE(rowTexts(m_w->listView()), (QStringList{"Caf\u00E9, Inc", "Solo"}));
        QVERIFY(session().dirty());
    }

    void importRefusesWhatIsNotATable() {
        const std::size_t before = session().doc().dom().select_nodes("//category").size();
        // A data file is not a table.
        ScriptedPrompt prompt;
        prompt.expectOpenFile(m_path);
        prompt.expectMessage(m_path + QStringLiteral(" import failed"), QStringLiteral("File Import Failed"),
                             MsgIcon::Critical, MsgButtons::Ok);
        ImportCommand(*m_w);
        // Cancel in the dialog imports nothing and says so.
        const QString csv = writeCsv();
        prompt.expectOpenFile(csv);
        prompt.expectMessage(csv + QStringLiteral(" import failed"),
                             QStringLiteral("File Import Failed"), MsgIcon::Critical, MsgButtons::Ok);
        auto ran = whenShown<frmImport>([](frmImport& d) { d.reject(); });
        ImportCommand(*m_w);
        QVERIFY(*ran);
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(session().doc().dom().select_nodes("//category").size(), before);
        QVERIFY(!session().dirty());
    }

    void mergeGoesOnAfterASourceThatFails() {
        const QString good = QString::fromStdString(m_dir->file("good.kmf"));
        const QString bad = QString::fromStdString(m_dir->file("bad.kmf"));
        writeDataFile(good.toStdString(), sourceXml("Travel", "Train"), "a", "pa");
        writeDataFile(bad.toStdString(), sourceXml("Secrets", "Vault"), "b", "pb");
        ScriptedPrompt prompt;
        prompt.expectOpenFiles({good, bad});
        prompt.expectCredentials(Credentials{QStringLiteral(" a "), QStringLiteral("pa")});
        prompt.expectCredentials(Credentials{QStringLiteral("b"), QStringLiteral("wrong")});
        prompt.expectMessage(QStringLiteral("Document Merge failed.  Decryption Error.  Username or Password incorrect."),
                             QStringLiteral("Document Merge Failure"), MsgIcon::Critical, MsgButtons::Ok);
        prompt.expectMessage(QStringLiteral("Merge complete."), QStringLiteral("Merge Progress"),
                             MsgIcon::Information, MsgButtons::Ok);
        auto ran = whenShown<frmDocMergeList>([](frmDocMergeList& d) {
            QVERIFY(!d.mergeButton()->isEnabled());
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdAddFile")), Qt::LeftButton);
            QCOMPARE(d.files().size(), 2);
            QTest::mouseClick(d.mergeButton(), Qt::LeftButton);
        });
        MergeCommand(*m_w);
        QVERIFY(*ran);
        KM_VERIFY_SCRIPT(prompt);
        QVERIFY(prompt.logins().at(0).instructions.endsWith(QStringLiteral("UN-Lock \r\ngood.kmf")));
        QVERIFY(findRow(m_w->treeView(), QStringLiteral("Travel")).isValid());
        QVERIFY(!findRow(m_w->treeView(), QStringLiteral("Secrets")).isValid());
        QCOMPARE(session().doc().dom().select_nodes("//record_detail[resource='Vault']").size(), std::size_t(0));
        QVERIFY(session().dirty());

        prompt.expectMessage(QStringLiteral("Merge Canceled"), QStringLiteral("Merge Progress"),
                             MsgIcon::Information, MsgButtons::Ok);
        auto cancelled = whenShown<frmDocMergeList>([](frmDocMergeList& d) { d.reject(); });
        MergeCommand(*m_w);
        QVERIFY(*cancelled);
    }

    void droppedDataFilesOpenEach() {
        frmMain main;
        main.show();
        const QString a = QString::fromStdString(writeSample("a.kmf"));
        const QString b = QString::fromStdString(writeSample("B.KMF"));
        const QString text = QString::fromStdString(m_dir->file("notes.txt"));
        writeFile(text.toStdString(), "hello");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(text), QUrl::fromLocalFile(b)});
        QCOMPARE(DroppedDataFiles(data), (QStringList{a, b}));

        ScriptedPrompt prompt;
        prompt.expectCredentials(Credentials{QStringLiteral("user"), QStringLiteral("Secret")});
        prompt.expectCredentials(std::nullopt);  // the second one's login is cancelled
        const QPointF at(main.width() / 2.0, main.height() / 2.0);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&main, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&main, &drop);
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(main.documents().size(), 1);
        QCOMPARE(main.documents().first()->fileName(), a);
        QVERIFY(recentfiles::List().empty());  // a drop leaves the recent files alone

        // Text alone is no file drop.
        QMimeData plain;
        plain.setText(a);
        QDragEnterEvent refused(at.toPoint(), Qt::CopyAction, &plain, Qt::LeftButton, {});
        QApplication::sendEvent(&main, &refused);
        QVERIFY(!refused.isAccepted());
        for (frmKMF* doc : main.documents()) doc->session().discardChanges();
    }
};

QTEST_MAIN(FindImportMergeTest)
#include "tst_findimportmerge.moc"
