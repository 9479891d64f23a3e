// Dragging nodes in the tree and between windows: drop events as the platform sends them, pop-ups answered by keys.
#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTimer>

#include <set>

#include "ScriptedPrompt.h"
#include "TestDocumentHost.h"
#include "docwindow/TreePane.h"
#include "storage/FileLock.h"
#include "ui/StringTable.h"

using namespace keymora;
using namespace keymora::test;

namespace {

struct DropOutcome {
    bool dragged = false;  // the source let the node go
    bool offered = false;  // the drag-over accepted the spot
    Qt::DropAction action = Qt::IgnoreAction;
};

// Drags the node named `name` in `from` onto the row named `onto` in `to` (empty: blank space below the rows).
DropOutcome dragTo(frmKMF* from, const QString& name, frmKMF* to, const QString& onto,
                   Qt::KeyboardModifiers keys = {}) {
    DropOutcome out;
    if (!clickRow(from->treeView(), name)) return out;
    std::unique_ptr<QMimeData> data = static_cast<TreePane*>(from->treeView())->dragData();
    if (!data) return out;
    out.dragged = true;
    QTreeView* tree = to->treeView();
    QWidget* viewport = tree->viewport();
    QPoint at(4, viewport->height() - 3);
    if (!onto.isEmpty()) {
        const QModelIndex index = findRow(tree, onto);
        tree->scrollTo(index);
        at = tree->visualRect(index).center();
    }
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, actions, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &move);
    out.offered = move.isAccepted();
    QDropEvent drop(QPointF(at), actions, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &drop);
    out.action = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    return out;
}

// Answers the next drop pop-up with the named item; records whether "Under" was offered.
struct MenuAnswer {
    bool shown = false;
    bool underOffered = false;
    QString title;
};
std::shared_ptr<MenuAnswer> answerMenu(const QString& item) {
    auto answer = std::make_shared<MenuAnswer>();
    auto* timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, item, answer, tries] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr && ++*tries < 400) return;
        timer->stop();
        timer->deleteLater();
        if (menu == nullptr) return;
        answer->shown = true;
        answer->title = menu->title();
        for (QAction* a : menu->actions())
            if (a->objectName().endsWith(QStringLiteral("Under"))) answer->underOffered = a->isVisible();
        QAction* chosen = menu->findChild<QAction*>(item);
        if (chosen == nullptr) {
            for (QAction* a : menu->actions())
                if (a->objectName() == item) chosen = a;
        }
        if (chosen == nullptr) {
            menu->close();
            return;
        }
        menu->setActiveAction(chosen);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    timer->start();
    return answer;
}

std::set<std::string> idsOf(const XmlDoc& doc, std::size_t* count) {
    std::set<std::string> ids;
    *count = 0;
    for (const pugi::xpath_node& n : doc.dom().select_nodes("//*[@id]")) {
        ids.insert(n.node().attribute("id").value());
        ++*count;
    }
    return ids;
}

}  // namespace

class DragDropTest : public QObject, private DocWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_config.isValid()); }
    void init() { openSample(); }
    void cleanup() { closeSample(); }

    void withinOneTreeNodesMove() {
        // An entry onto a category goes under it at once.
        DropOutcome out = dragTo(m_w, QStringLiteral("Shop"), m_w, QStringLiteral("Other"));
        QCOMPARE(out.action, Qt::MoveAction);
        QCOMPARE(node(kShop).parent(), node(kOther));
        QCOMPARE(m_w->selection().currentId(), std::string(kShop));
        QVERIFY(session().dirty());
        // Ctrl copies instead: the copy has an identifier of its own.
        out = dragTo(m_w, QStringLiteral("Mail"), m_w, QStringLiteral("Other"), Qt::ControlModifier);
        QCOMPARE(out.action, Qt::CopyAction);
        QCOMPARE(treeChildNames(node(kOther)), (QStringList{"Shop", "Mail"}));
        QCOMPARE(node(kMail).parent(), node(kBanking));
        QVERIFY(std::string(node(kOther).last_child().attribute("id").value()) != kMail);

        // An entry onto an entry: the move pop-up without "Under".
        auto menu = answerMenu(QStringLiteral("mnuMoveNodeBefore"));
        out = dragTo(m_w, QStringLiteral("Bank"), m_w, QStringLiteral("Mail"));
        QVERIFY(menu->shown);
        QVERIFY(!menu->underOffered);
        QCOMPARE(treeChildNames(node(kBanking)), (QStringList{"Cards", "Loans", "Bank", "Mail"}));
        // An entry onto a sub-category offers "Under"; Cancel changes nothing.
        menu = answerMenu(QStringLiteral("mnuMoveItemCancel"));
        out = dragTo(m_w, QStringLiteral("Bank"), m_w, QStringLiteral("Loans"));
        QVERIFY(menu->shown);
        QVERIFY(menu->underOffered);
        QCOMPARE(out.action, Qt::IgnoreAction);
        QCOMPARE(node(kBank).parent(), node(kBanking));

        // Nothing goes into its own branch, or a category anywhere but next to a category.
        out = dragTo(m_w, QStringLiteral("Cards"), m_w, QStringLiteral("Visa"));
        QVERIFY(!out.offered);
        QCOMPARE(out.action, Qt::IgnoreAction);
        out = dragTo(m_w, QStringLiteral("Banking"), m_w, QStringLiteral("Loans"));
        QCOMPARE(out.action, Qt::IgnoreAction);
        out = dragTo(m_w, QStringLiteral("Banking"), m_w, QStringLiteral("Shop"));
        QCOMPARE(out.action, Qt::IgnoreAction);
        QCOMPARE(node(kCards).parent(), node(kBanking));
        QCOMPARE(node(kLoans).parent(), node(kBanking));

        // A category dropped on blank space goes next to the last category.
        menu = answerMenu(QStringLiteral("mnuMoveNodeAfter"));
        out = dragTo(m_w, QStringLiteral("Banking"), m_w, QString());
        QVERIFY(menu->shown);
        QVERIFY(!menu->underOffered);
        QCOMPARE(treeChildNames(node(kBanking).parent()), (QStringList{"Other", "Banking"}));

        // What was dropped is what is saved.
        QVERIFY(session().save().saved());
        auto reread = readDataFile(m_path.toStdString(), "user", "Secret");
        QVERIFY(reread);
        QCOMPARE(treeChildNames(reread->nodeById(kOther)), (QStringList{"Shop", "Mail"}));
        QCOMPARE(treeChildNames(reread->nodeById(kBanking)), (QStringList{"Cards", "Loans", "Bank", "Mail"}));
    }

    void betweenWindowsNodesCopy() {
        const std::string second = writeSample("second.kmf");
        frmKMF* w2 = openWindow(second);

        // A sub-category onto a category of another window: a copy under it.
        DropOutcome out = dragTo(m_w, QStringLiteral("Cards"), w2, QStringLiteral("Other"));
        QCOMPARE(out.action, Qt::CopyAction);
        QCOMPARE(treeChildNames(w2->session().doc().nodeById(kOther)), QStringList{"Cards"});
        QVERIFY(node(kCards));
        QVERIFY(!session().dirty());
        QVERIFY(w2->session().dirty());

        // Shift moves; the moved entry's identifier is in use there, so it is renewed.
        auto menu = answerMenu(QStringLiteral("mnuMoveNodeUnder"));
        out = dragTo(m_w, QStringLiteral("Mail"), w2, QStringLiteral("Loans"), Qt::ShiftModifier);
        QVERIFY(menu->shown);
        QVERIFY(menu->underOffered);
        QCOMPARE(out.action, Qt::MoveAction);
        QVERIFY(!node(kMail));
        QVERIFY(session().dirty());
        QCOMPARE(treeChildNames(w2->session().doc().nodeById(kLoans)), QStringList{"Mail"});
        std::size_t count = 0;
        QCOMPARE(idsOf(w2->session().doc(), &count).size(), count);
        QVERIFY(findRow(w2->treeView(), QStringLiteral("Cards")).isValid());

        QVERIFY(session().save().saved());
        QVERIFY(w2->session().save().saved());
        auto first = readDataFile(m_path.toStdString(), "user", "Secret");
        auto other = readDataFile(second, "user", "Secret");
        QVERIFY(first && other);
        QVERIFY(!first->nodeById(kMail));
        QCOMPARE(treeChildNames(other->nodeById(kLoans)), QStringList{"Mail"});
        QCOMPARE(treeChildNames(other->nodeById(kOther)), QStringList{"Cards"});
    }

    void refusedDropsChangeNothing() {
        // From a shared file into a private one: the message, nothing else.
        frmKMF* shared = openWindow(writeSample("shared.kmf", "shared"));
        QVERIFY(!shared->session().readOnly());
        ScriptedPrompt prompt;
        prompt.expectMessage(LoadResString(1198), QStringLiteral("Invalid Item Transfer"), MsgIcon::Critical,
                             MsgButtons::Ok);
        DropOutcome out = dragTo(shared, QStringLiteral("Shop"), m_w, QStringLiteral("Other"));
        KM_VERIFY_SCRIPT(prompt);
        QVERIFY(!out.offered);
        QCOMPARE(out.action, Qt::IgnoreAction);
        QVERIFY(treeChildNames(node(kOther)).isEmpty());
        // Private into shared is allowed.
        out = dragTo(m_w, QStringLiteral("Shop"), shared, QStringLiteral("Other"));
        QCOMPARE(out.action, Qt::CopyAction);

        // Nothing is dropped on, or dragged out of, a read-only window.
        const std::string busy = writeSample("busy.kmf", "shared");
        LockResult writer = FileLock::tryAcquire(busy, LockMode::SharedWriter);
        QVERIFY(writer.ok());
        frmKMF* reader = openWindow(busy);
        QVERIFY(reader->session().readOnly());
        QSignalSpy status(reader, &frmKMF::mainStatusText);
        out = dragTo(m_w, QStringLiteral("Bank"), reader, QStringLiteral("Other"));
        QVERIFY(!out.offered);
        QCOMPARE(out.action, Qt::IgnoreAction);
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("This file is read only.  Changes dis-allowed"));
        QVERIFY(treeChildNames(reader->session().doc().nodeById(kOther)).isEmpty());
        out = dragTo(reader, QStringLiteral("Bank"), m_w, QStringLiteral("Other"));
        QVERIFY(!out.dragged);
        QVERIFY(node(kBank));
        QCOMPARE(node(kBank).parent(), node(kBanking));
    }
};

QTEST_MAIN(DragDropTest)
#include "tst_dragdrop.moc"
