// The tree and list models follow every session edit row by row (QAbstractItemModelTester on each).
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest/QtTest>

#include "TestDocumentHost.h"
#include "docwindow/DocListModel.h"
#include "docwindow/DocTreeModel.h"
#include "document/CsvImport.h"
#include "session/DocumentSession.h"

using namespace keymora;
using namespace keymora::test;

namespace {

std::unique_ptr<DocumentSession> sampleSession() { return sessionFromXml(sampleXml(), false); }

// "Banking(Cards(Visa) Loans Mail) Other": every row of the model, fetched.
QString shown(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
    QStringList rows;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex row = model.index(r, 0, parent);
        const QString below = shown(model, row);
        rows << row.data().toString() + (below.isEmpty() ? QString() : QLatin1Char('(') + below + QLatin1Char(')'));
    }
    return rows.join(QLatin1Char(' '));
}

// The same, read from the document.
QString inDocument(pugi::xml_node parent, bool top) {
    QStringList rows;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        const NodeKind kind = KindOf(c);
        if (top ? kind != NodeKind::Category : (kind == NodeKind::None || kind == NodeKind::Category))
            continue;
        const QString below = inDocument(c, false);
        rows << TreeTextOf(c) + (below.isEmpty() ? QString() : QLatin1Char('(') + below + QLatin1Char(')'));
    }
    return rows.join(QLatin1Char(' '));
}

QString inDocument(DocumentSession& session) { return inDocument(session.doc().records(), true); }

QStringList listRows(const DocListModel& list) {
    QStringList rows;
    for (int r = 0; r < list.rowCount(); ++r) rows << list.index(r, 0).data().toString();
    return rows;
}

QStringList childNames(pugi::xml_node node) {
    QStringList rows;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (KindOf(c) == NodeKind::Entry || KindOf(c) == NodeKind::SubCategory) rows << TreeTextOf(c);
    return rows;
}

EntryFields fieldsNamed(const char* name) {
    EntryFields f;
    f.resource = name;
    f.userid = "someone";
    return f;
}

}  // namespace

// A check made in a helper stops the test at its first failure.
#define KM_CHECK(call)                             \
    do {                                           \
        call;                                      \
        if (QTest::currentTestFailed()) return;    \
    } while (false)

class DocModelsTest : public QObject {
    Q_OBJECT

private slots:
    // A move between files gives each model half the notices (EditNoticesTest): one file is enough.
    void treeFollowsEditsRowByRow() {
        auto session = sampleSession();
        DocTreeModel model(*session);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QCOMPARE(shown(model), inDocument(*session));
        const QPersistentModelIndex other(model.index(1, 0));
        const QPersistentModelIndex cards(model.index(0, 0, model.index(0, 0)));
        auto check = [&] {
            QCOMPARE(shown(model), inDocument(*session));
            QCOMPARE(resets.count(), 0);
            QCOMPARE(model.nodeOf(other), session->doc().nodeById(kOther));
            QCOMPARE(model.nodeOf(cards), session->doc().nodeById(kCards));
        };

        QVERIFY(session->addCategory().ok());
        KM_CHECK(check());
        QVERIFY(session->addSubCategory(kCards).ok());
        QVERIFY(session->addEntry(kMail, EntryPosition::After, fieldsNamed("Web")).ok());
        KM_CHECK(check());
        QVERIFY(session->deleteNode(kBank).ok());
        KM_CHECK(check());
        QVERIFY(DocumentSession::transfer(*session, *session, Relation::Child, kMail, kLoans,
                                          TransferMode::Move).ok());
        KM_CHECK(check());
        QVERIFY(session->sortLevel(kBanking, SortDirection::Descending).ok());  // the categories
        QVERIFY(session->sortLevel(kShop, SortDirection::Ascending).ok());      // Banking's children
        KM_CHECK(check());
        QVERIFY(session->rename(session->doc().nodeById(kCards), "Plastic"));
        QVERIFY(session->updateField(session->doc().nodeById(kShop), labels::Field::Resource, "Store"));
        KM_CHECK(check());
        QCOMPARE(cards.data().toString(), QStringLiteral("Plastic"));
        QVERIFY(session->import(csvimport::ParseCsv("Account,Login\nShop,me\n")).ok);
        KM_CHECK(check());

        session->close();
        QCOMPARE(resets.count(), 1);
        QCOMPARE(model.rowCount(), 0);
    }

    // Children nobody asked for are not listed, and an edit below them still shows once they are.
    void treeStaysLazy() {
        auto session = sampleSession();
        DocTreeModel model(*session);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QCOMPARE(model.rowCount(), 2);
        QVERIFY(session->addEntry(kCards, EntryPosition::Root, fieldsNamed("Amex")).ok());
        QCOMPARE(inserted.count(), 0);  // Banking's rows were never listed
        const QModelIndex banking = model.index(0, 0);
        QVERIFY(model.hasChildren(banking));
        const QModelIndex loans = model.index(1, 0, banking);
        QCOMPARE(loans.data().toString(), QStringLiteral("Loans"));
        QVERIFY(!model.hasChildren(loans));
        // Loans is on screen now: its first child comes as one new row.
        QVERIFY(session->addEntry(kLoans, EntryPosition::Root, fieldsNamed("Car")).ok());
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.last().at(0).value<QModelIndex>(), loans);
        QCOMPARE(model.rowCount(loans), 1);
        QCOMPARE(shown(model), inDocument(*session));
    }

    void listFollowsEditsOfItsNode() {
        auto session = sampleSession();
        DocListModel list(*session);
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Fatal);
        const pugi::xml_node banking = session->doc().nodeById(kBanking);
        list.load(banking);
        QSignalSpy resets(&list, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
        const QPersistentModelIndex mail(list.index(list.rowOf(session->doc().nodeById(kMail)), 0));

        QVERIFY(session->addEntry(kBanking, EntryPosition::Root, fieldsNamed("Zoo")).ok());
        QVERIFY(session->addEntry(kMail, EntryPosition::Before, fieldsNamed("Before mail")).ok());
        QVERIFY(session->addEntry(kOther, EntryPosition::Root, fieldsNamed("Elsewhere")).ok());
        QCOMPARE(listRows(list), childNames(banking));
        QVERIFY(session->deleteNode(kBank).ok());
        QCOMPARE(listRows(list), childNames(banking));
        QVERIFY(session->updateField(session->doc().nodeById(kShop), labels::Field::UserId, "carol"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list.index(list.rowOf(session->doc().nodeById(kShop)), 1).data().toString(),
                 QStringLiteral("carol"));
        QVERIFY(session->sortLevel(kShop, SortDirection::Descending).ok());
        QCOMPARE(listRows(list), childNames(banking));
        QCOMPARE(mail.data().toString(), QStringLiteral("Mail"));

        // Sorted by a column, the list stays sorted when rows come.
        list.sort(DocListModel::NameColumn, Qt::AscendingOrder);
        QVERIFY(session->addEntry(kBanking, EntryPosition::Root, fieldsNamed("Apple")).ok());
        QStringList sorted = childNames(banking);
        sorted.sort(Qt::CaseInsensitive);
        QCOMPARE(listRows(list), sorted);
        QCOMPARE(mail.data().toString(), QStringLiteral("Mail"));
        QVERIFY(DocumentSession::transfer(*session, *session, Relation::Child, kShop, kOther,
                                          TransferMode::Move).ok());
        QVERIFY(!listRows(list).contains(QStringLiteral("Shop")));
        QCOMPARE(resets.count(), 0);

        // The listed node itself goes: nothing is listed any more.
        QVERIFY(session->deleteNode(kBanking).ok());
        QVERIFY(!list.listedNode());
        QCOMPARE(list.rowCount(), 0);
    }
};

QTEST_MAIN(DocModelsTest)
#include "tst_docmodels.moc"
