// Editing in the document window as a user does it; every kind of edit survives a save and a reopen.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "ModalDialog.h"
#include "ScriptedPrompt.h"
#include "TestDocumentHost.h"
#include "app/DocumentLifecycle.h"
#include "app/ModMain.h"
#include "app/frmMain.h"
#include "docwindow/TransferMenu.h"
#include "document/DateText.h"
#include "ui/frmEditLabels.h"
#include "ui/frmGeneratePassword.h"
#include "ui/frmNewItem.h"

using namespace keymora;
using namespace keymora::test;

namespace {

// Types a name and a user into Add Item and presses OK (or Cancel).
void answerNewItem(const QString& name, bool ok = true, QString* nameCaption = nullptr) {
    whenShown<frmNewItem>([=](frmNewItem& d) {
        if (nameCaption) *nameCaption = d.lblResourceName->text();
        QTest::keyClicks(d.txtResourceName, name);
        QTest::keyClicks(d.txtUserName, QStringLiteral("u-") + name);
        QTest::mouseClick(ok ? d.cmdOk : d.cmdCancel, Qt::LeftButton);
    });
}

void popupAt(QAbstractItemView* view, const QModelIndex& index, bool keyboard = false) {
    if (keyboard) {
        view->setCurrentIndex(index);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, {}, {});
        QApplication::sendEvent(view, &event);
        return;
    }
    const QPoint at = index.isValid() ? view->visualRect(index).center()
                                      : QPoint(view->viewport()->width() - 4, view->viewport()->height() - 4);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &event);
}

// Clicks the item of the menu that is popped up (opening its submenu first).
bool clickPopupItem(const char* name) {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return false;
    for (QAction* a : menu->actions()) {
        if (a->menu() && a->isVisible() && a->menu()->findChild<QAction*>(QLatin1String(name))) {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
            if (!QTest::qWaitFor([&] { return QApplication::activePopupWidget() == a->menu(); }, 1000))
                return false;
            return clickPopupItem(name);
        }
        if (a->objectName() != QLatin1String(name)) continue;
        if (!a->isVisible() || !a->isEnabled()) break;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
        return true;
    }
    menu->close();
    return false;
}

// Types into the in-place editor that has the focus and ends with `key`.
bool typeInEditor(const QString& text, Qt::Key key) {
    QWidget* editor = QApplication::focusWidget();
    if (!qobject_cast<QLineEdit*>(editor)) return false;
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, key);
    return true;
}

}  // namespace

class ItemEditingTest : public QObject, private DocWindowFixture {
    Q_OBJECT

    // The document read back from the file equals the one in memory.
    void verifySavedAndReopened() {
        QVERIFY(session().save().saved());
        QCOMPARE(readDataFile(m_path.toStdString(), "user", "Secret")->xml(), session().doc().xml());
    }

private slots:
    void initTestCase() { QVERIFY(m_config.isValid()); }
    void init() { openSample(); }
    void cleanup() { closeSample(); }

    void addEntryAtEachPlace() {
        // Above an entry: captioned by that entry's labels, put before it.
        QVERIFY(clickTree(QStringLiteral("Mail")));
        QString caption;
        answerNewItem(QStringLiteral("Atlas"), true, &caption);
        m_w->addEntry(EntryPosition::Before);
        QCOMPARE(caption.remove(QLatin1Char('&')), QStringLiteral("Account"));
        const pugi::xml_node banking = node(kBanking);
        QCOMPARE(treeChildNames(banking), (QStringList{"Cards", "Loans", "Atlas", "Mail", "Bank", "Shop"}));
        const pugi::xml_node atlas = m_w->selection().current();
        QCOMPARE(std::string(NodeName(atlas)), std::string("Atlas"));
        QVERIFY(m_w->entryPaneVisible());
        QCOMPARE(m_w->entryPane()->txtUserName->text(), QStringLiteral("u-Atlas"));
        const std::string created = atlas.child("DateCreated").child_value();
        QVERIFY(datetext::parse(created).has_value());
        QCOMPARE(std::string(atlas.child("DateModified").child_value()), created);
        QVERIFY(!atlas.child("labels"));
        QVERIFY(session().dirty());

        // Below the last entry: at the end.
        QVERIFY(clickTree(QStringLiteral("Shop")));
        answerNewItem(QStringLiteral("Zed"));
        m_w->addEntry(EntryPosition::After);
        QCOMPARE(treeChildNames(banking).last(), QStringLiteral("Zed"));

        // Into an empty sub-category, from the Edit menu's place.
        QVERIFY(clickTree(QStringLiteral("Loans")));
        answerNewItem(QStringLiteral("Car"));
        m_w->addEntry(EntryPosition::Root);
        QCOMPARE(treeChildNames(node(kLoans)), QStringList{"Car"});
        QCOMPARE(m_w->treeView()->currentIndex().data().toString(), QStringLiteral("Car"));

        // Cancel adds nothing; Above is not offered on a category.
        QVERIFY(clickTree(QStringLiteral("Other")));
        const std::string before = session().doc().xml();
        answerNewItem(QStringLiteral("Never"), false);
        m_w->addEntry(EntryPosition::Root);
        m_w->addEntry(EntryPosition::Before);  // shows nothing
        QCOMPARE(session().doc().xml(), before);
        verifySavedAndReopened();
    }

    // The generated password lands masked in the box and nowhere else.
    void createPasswordFillsTheMaskedBox() {
        QApplication::clipboard()->setText(QStringLiteral("before"));
        QVERIFY(clickTree(QStringLiteral("Other")));
        QString generated;
        bool masked = false;
        whenShown<frmNewItem>([&](frmNewItem& d) {
            whenShown<frmGeneratePassword>([](frmGeneratePassword& g) {
                QTest::mouseClick(g.cmdGenerate, Qt::LeftButton);
            });
            QTest::mouseClick(d.cmdGeneratePassword, Qt::LeftButton);
            generated = d.txtPassword->text();
            masked = d.txtPassword->echoMode() == QLineEdit::Password;
            QTest::keyClicks(d.txtResourceName, QStringLiteral("Generated"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        m_w->addEntry(EntryPosition::Root);
        QCOMPARE(generated.size(), 8);
        QVERIFY(masked);
        QCOMPARE(QString::fromStdString(m_w->selection().current().child("password").child_value()), generated);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
    }

    // Typing replaces the new name at once; Escape keeps the default.
    void newCategoryIsRenamedByTyping() {
        m_w->addCategory();
        QVERIFY(typeInEditor(QStringLiteral("Travel"), Qt::Key_Return));
        QTRY_COMPARE(treeChildNames(session().doc().records()).last(), QStringLiteral("Travel"));
        QCOMPARE(m_w->selection().currentName(), QStringLiteral("Travel"));

        m_w->addSubCategory();
        QVERIFY(typeInEditor(QStringLiteral("Hotels"), Qt::Key_Escape));
        QTRY_VERIFY(!m_w->treeView()->isAncestorOf(QApplication::focusWidget()) ||
                    QApplication::focusWidget() == m_w->treeView());
        QCOMPARE(m_w->selection().currentName(), QStringLiteral("New Sub-Category"));

        // F2 renames the selected category again.
        QTest::keyClick(m_w->treeView(), Qt::Key_F2);
        QVERIFY(typeInEditor(QStringLiteral("Hotels"), Qt::Key_Return));
        QTRY_COMPARE(m_w->selection().currentName(), QStringLiteral("Hotels"));
        verifySavedAndReopened();
    }

    void itemKeysInTreeAndList() {
        QVERIFY(clickTree(QStringLiteral("Loans")));
        ScriptedPrompt prompt;
        prompt.expectMessageContaining(QStringLiteral("\"Loans\"?"), MsgAnswer::No);  // full text: tst_doccommands
        QTest::keyClick(m_w->treeView(), Qt::Key_Delete);
        QVERIFY(node(kLoans));
        putOption("Confirm Entry Deletes", "0");
        QTest::keyClick(m_w->treeView(), Qt::Key_Delete);
        QVERIFY(!node(kLoans));
        KM_VERIFY_SCRIPT(prompt);

        // In the list: Delete takes the selected item, never the listed node; Enter opens an entry.
        QVERIFY(clickTree(QStringLiteral("Banking")));
        QTest::keyClick(m_w->listView(), Qt::Key_Delete);
        QVERIFY(node(kBanking));
        QVERIFY(clickList(QStringLiteral("Shop")));
        QTest::keyClick(m_w->listView(), Qt::Key_Delete);
        QVERIFY(!node(kShop));
        QVERIFY(clickList(QStringLiteral("Bank")));
        QTest::keyClick(m_w->listView(), Qt::Key_Return);
        QVERIFY(m_w->entryPaneVisible());
        QCOMPARE(m_w->selection().currentId(), std::string(kBank));
        verifySavedAndReopened();
    }

    void doubleClickOnEmptyListSpaceAddsAnEntry() {
        QVERIFY(clickTree(QStringLiteral("Cards")));
        QAbstractItemView* list = m_w->listView();
        answerNewItem(QStringLiteral("Amex"));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           QPoint(list->viewport()->width() - 4, list->viewport()->height() - 4));
        QCOMPARE(treeChildNames(node(kCards)), (QStringList{"Visa", "Amex"}));
        QCOMPARE(m_w->selection().currentName(), QStringLiteral("Amex"));
    }

    void labelsDialogWritesTheFiveLabels() {
        // An entry without labels gets exactly five, in field order.
        QVERIFY(clickTree(QStringLiteral("Bank")));
        ScriptedPrompt prompt;
        prompt.expectMessage(QStringLiteral("Labels must be between 1 and 15 characters long.  The text "
                                            "you have entered is 16 characters long."),
                             QStringLiteral("Invalid Label Length"), MsgIcon::Information, MsgButtons::Ok);
        QString scope;
        whenShown<frmEditLabels>([&](frmEditLabels& d) {
            scope = d.lblLabelEditAffects->text();
            d.txtUserName->setText(QStringLiteral("0123456789abcdef"));
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);  // refused: the dialog stays, the box has the focus
            QVERIFY(d.isVisible());
            QCOMPARE(d.focusWidget(), static_cast<QWidget*>(d.txtUserName));
            d.txtUserName->setText(QStringLiteral("Card Number"));
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);
        });
        m_w->editLabels();
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(scope, QStringLiteral("Edit single Entry"));
        std::vector<std::pair<std::string, std::string>> labels;
        for (pugi::xml_node l : node(kBank).child("labels").children("label"))
            labels.emplace_back(l.attribute("associated_tag").value(), l.attribute("value").value());
        QCOMPARE(labels, (std::vector<std::pair<std::string, std::string>>{
                             {"resource", "Name"}, {"userid", "Card Number"}, {"password", "Password"},
                             {"notes", "Notes"}, {"URL", "URL"}}));
        // The shown entry's caption follows at once.
        QCOMPARE(m_w->entryPane()->lblNodeProperties(1)->text(), QStringLiteral("Card Number"));

        // A category: its own labels and those of the entries directly in it; Cancel changes nothing.
        QVERIFY(clickTree(QStringLiteral("Cards")));
        const std::string before = session().doc().xml();
        whenShown<frmEditLabels>([](frmEditLabels& d) { QTest::mouseClick(d.cmdCANX, Qt::LeftButton); });
        m_w->editLabels();
        QCOMPARE(session().doc().xml(), before);
        whenShown<frmEditLabels>([&](frmEditLabels& d) {
            scope = d.lblLabelEditAffects->text();
            d.txtPassword->setText(QStringLiteral("PIN"));
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);
        });
        m_w->editLabels();
        QCOMPARE(scope, QStringLiteral("Edit ALL Entries under this (sub)category"));
        QCOMPARE(labels::CaptionsOf(node(kCards))[labels::Field::Password], std::string("PIN"));
        QCOMPARE(labels::CaptionsOf(node(kVisa))[labels::Field::Password], std::string("PIN"));
        verifySavedAndReopened();
    }

    // The move menus are answered by tst_dragdrop's drops; none there shows the copy menu.
    void copyMenuGivesThePlaceChosen() {
        TransferMenu copy(TransferMode::Copy);
        QTimer::singleShot(0, [] { QVERIFY(clickPopupItem("mnuCopyNodeUnder")); });
        QCOMPARE(copy.choose(QPoint(10, 10)), std::optional<Relation>(Relation::Child));
    }
};

// The pop-up menus are the main window's Edit menu, so these run in it.
class PopupMenuTest : public QObject, private MainWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_config.isValid()); }
    void init() { startFresh(); }
    void cleanup() { m_dir.reset(); }

    void popupActsOnTheNodeUnderThePointer() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* doc = openSample(main, prompt, "popup.kmf");
        QVERIFY(doc);
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Mail")));

        // Right-click on another node: it becomes the selection, and the menu names it.
        popupAt(doc->treeView(), findRow(doc->treeView(), QStringLiteral("Other")));
        QCOMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(main.editMenu()));
        QCOMPARE(main.menuItem(QStringLiteral("mnuAddItem"))->text(), QStringLiteral("Add Entry to \"Other\""));
        QVERIFY(clickPopupItem("mnuAddSubCategory"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        const pugi::xml_node other = doc->session().doc().nodeById(kOther);
        QCOMPARE(treeChildNames(other), QStringList{"New Sub-Category"});

        // The menu key in the list acts on its current item.
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Banking")));
        popupAt(doc->listView(), findRow(doc->listView(), QStringLiteral("Shop")), true);
        QCOMPARE(main.menuItem(QStringLiteral("mnuEditAddItemBelow"))->text(), QStringLiteral("Below \"Shop\""));
        answerNewItem(QStringLiteral("Tail"));
        QVERIFY(clickPopupItem("mnuEditAddItemBelow"));
        QCOMPARE(treeChildNames(doc->session().doc().nodeById(kBanking)).last(), QStringLiteral("Tail"));

        // Empty list space stands for the listed node.
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Cards")));
        popupAt(doc->listView(), {});
        QCOMPARE(main.menuItem(QStringLiteral("mnuAddItem"))->text(), QStringLiteral("Add Entry to \"Cards\""));
        QVERIFY(clickPopupItem("mnuEditCancel"));

        // A locked window takes nothing: pop-ups, keys, menu and toolbar commands.
        const std::string before = doc->session().doc().xml();
        doc->LockFileDisplay();
        popupAt(doc->treeView(), findRow(doc->treeView(), QStringLiteral("Other")));
        QVERIFY(!QApplication::activePopupWidget());
        QTest::keyClick(doc->treeView(), Qt::Key_Delete);
        QTest::keyClick(doc->treeView(), Qt::Key_F2);
        for (const char* item : {"mnuDeleteItem", "mnuEditSortDesc", "mnuAddCategory", "mnuAddSubCategory",
                                 "mnuAddItem", "mnuEditEditLabels"})
            main.menuItem(QString::fromLatin1(item))->trigger();
        for (const char* key : {"Delete", "Sort Asc", "UpLevel", "View List"})
            main.toolbarButton(QString::fromLatin1(key))->trigger();
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(doc->session().doc().xml(), before);
        KM_VERIFY_SCRIPT(prompt);
        doc->session().discardChanges();
    }

    // Menu items this work covers are offered, and Delete follows the selection.
    void commandsAreEnabledByTheRules() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* doc = openSample(main, prompt, "rules.kmf");
        QVERIFY(doc);
        QVERIFY(!main.toolbarButton(QStringLiteral("Delete"))->isEnabled());
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Mail")));
        QVERIFY(main.toolbarButton(QStringLiteral("Delete"))->isEnabled());
        for (const char* item : {"mnuEditAddItemAbove", "mnuEditAddItemBelow", "mnuEditEditLabels"})
            QVERIFY2(main.menuItem(QString::fromLatin1(item))->isEnabled(), item);
        frmKMF* second = openSample(main, prompt, "rules2.kmf");
        QVERIFY(second && second != doc);
        QVERIFY(!main.toolbarButton(QStringLiteral("Delete"))->isEnabled());  // nothing selected there
        QVERIFY(!main.toolbarButton(QStringLiteral("Refresh"))->isVisible());
        QVERIFY(main.toolbarButton(QStringLiteral("Save"))->isEnabled());
        KM_VERIFY_SCRIPT(prompt);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int status = 0;
    {
        ItemEditingTest editing;
        status |= QTest::qExec(&editing, argc, argv);
    }
    {
        PopupMenuTest popups;
        status |= QTest::qExec(&popups, argc, argv);
    }
    return status;
}

#include "tst_itemediting.moc"
