#include "Accessible.h"
#include "Classes.h"
#include "FlatCtrls.h"
#include "Form.h"
#include "Label.h"
#include "Layout.h"
#include "Registration.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace flat;
using Action = QAccessibleActionInterface;

namespace {

QAccessibleInterface* iface(QObject* o) {
    return QAccessible::queryAccessibleInterface(o);
}

// Every event the controls raise, while it lives.
struct EventLog {
    struct Entry {
        QAccessible::Event type;
        QObject* object;
        int child;
        QAccessible::State changed;
        QVariant value;
    };
    QList<Entry> entries;
    tk::AccessibleEventObserver previous;

    EventLog() {
        previous = tk::setAccessibleEventObserver([this](QAccessibleEvent& e) {
            Entry entry{e.type(), e.object(), e.child(), {}, {}};
            if (e.type() == QAccessible::StateChanged)
                entry.changed = static_cast<QAccessibleStateChangeEvent&>(e).changedStates();
            if (e.type() == QAccessible::ValueChanged)
                entry.value = static_cast<QAccessibleValueChangeEvent&>(e).value();
            entries.append(entry);
        });
    }
    ~EventLog() { tk::setAccessibleEventObserver(std::move(previous)); }
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    int count(QObject* o, QAccessible::Event t) const {
        return int(std::count_if(entries.begin(), entries.end(),
                                 [&](const Entry& e) { return e.object == o && e.type == t; }));
    }
};

// The bit-field members of QAccessible::State cannot be pointed at; name them instead.
enum class StateFlag { Checked, Mixed, Pressed, Disabled };
int countStateChanges(const EventLog& log, QObject* o, StateFlag f) {
    return int(std::count_if(log.entries.begin(), log.entries.end(), [&](const auto& e) {
        if (e.object != o || e.type != QAccessible::StateChanged) return false;
        switch (f) {
        case StateFlag::Checked:
            return bool(e.changed.checked);
        case StateFlag::Mixed:
            return bool(e.changed.checkStateMixed);
        case StateFlag::Pressed:
            return bool(e.changed.pressed);
        default:
            return bool(e.changed.disabled);
        }
    }));
}

// An active form that the controls of a test stand on.
struct Form {
    tk::TForm form;
    Form() {
        form.setBounds(0, 0, 320, 240);
        form.setCaption(QStringLiteral("Host"));
    }
    bool activate() { return testsupport::activate(form); }
};

tk::TControl* makeByClass(tk::TForm& form, const QString& className) {
    auto* c = qobject_cast<tk::TControl*>(tk::createLayoutObject(className, &form));
    c->setParentControl(&form);
    c->setBounds(10, 10, 120, 24);
    return c;
}

} // namespace

class TestFlatAccessible : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyControlHasItsClassRole_data();
    void everyControlHasItsClassRole();
    void nameIsTheCaptionWithoutAcceleratorMarks_data();
    void nameIsTheCaptionWithoutAcceleratorMarks();
    void defaultActionDoesWhatTheMouseClickDoes_data();
    void defaultActionDoesWhatTheMouseClickDoes();
    void checkBoxReportsItsThreeStates();
    void radioButtonActionChecksItAndClearsItsSibling();
    void latchedButtonIsPressed();
    void disabledControlIsUnavailableAndIgnoresItsAction();
    void focusAndVisibilityAreReported();
    void pagesExposeTheirTabsAndSelectByTab();
    void editIsNamedByItsTicketElseItsHint();
    void comboBoxesAreNamedByTheirTickets();
    void radioGroupItemsAreRadioButtons();
    void labelWithoutAcceleratorsReadsItsAmpersands();
    void captionChangeIsAnnounced();
};

void TestFlatAccessible::initTestCase() {
    registerFlatClasses();
}

void TestFlatAccessible::everyControlHasItsClassRole_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<int>("role");
    QTest::newRow("button") << "TFlatButton" << int(QAccessible::PushButton);
    QTest::newRow("check-box") << "TFlatCheckBox" << int(QAccessible::CheckBox);
    QTest::newRow("radio-button") << "TFlatRadioButton" << int(QAccessible::RadioButton);
    QTest::newRow("radio-group") << "TFlatRadioGroup" << int(QAccessible::Grouping);
    QTest::newRow("panel") << "TFlatPanel" << int(QAccessible::Pane);
    QTest::newRow("flat-label") << "TFlatLabel" << int(QAccessible::StaticText);
    QTest::newRow("plain-label") << "TLabel" << int(QAccessible::StaticText);
    QTest::newRow("pages") << "TFlatPages" << int(QAccessible::PageTabList);
    QTest::newRow("sheet") << "TFlatSheet" << int(QAccessible::Pane);
    QTest::newRow("combo-box") << "TDefineComboBox" << int(QAccessible::ComboBox);
    QTest::newRow("colour-box") << "TDefineColorBox" << int(QAccessible::ComboBox);
    QTest::newRow("edit-around-its-line-edit") << "TFlatEdit" << int(QAccessible::Client);
    QTest::newRow("form") << "TForm" << int(QAccessible::Window);
}

void TestFlatAccessible::everyControlHasItsClassRole() {
    QFETCH(QString, className);
    QFETCH(int, role);
    Form f;
    QObject* o = className == QLatin1String("TForm") ? static_cast<QObject*>(&f.form)
                                                     : makeByClass(f.form, className);
    QAccessibleInterface* i = iface(o);
    QVERIFY(i);
    QCOMPARE(int(i->role()), role);
    QCOMPARE(i->object(), o);
}

void TestFlatAccessible::nameIsTheCaptionWithoutAcceleratorMarks_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("keys");
    QTest::newRow("plain") << "查询"
                           << "查询"
                           << "";
    QTest::newRow("accelerator") << "&Query"
                                 << "Query"
                                 << "Alt+Q";
    QTest::newRow("lower-case-accelerator") << "Fi&ve"
                                            << "Five"
                                            << "Alt+V";
    QTest::newRow("double-ampersand-is-one") << "Fish && &Chips"
                                             << "Fish & Chips"
                                             << "Alt+C";
    QTest::newRow("trailing-ampersand") << "Top&"
                                        << "Top"
                                        << "";
}

void TestFlatAccessible::nameIsTheCaptionWithoutAcceleratorMarks() {
    QFETCH(QString, caption);
    QFETCH(QString, name);
    QFETCH(QString, keys);
    Form f;
    TFlatButton b(nullptr, &f.form);
    b.setCaption(caption);
    QAccessibleInterface* i = iface(&b);
    QCOMPARE(i->text(QAccessible::Name), name);
    QCOMPARE(i->text(QAccessible::Accelerator), keys);
    const QStringList bindings = i->actionInterface()->keyBindingsForAction(Action::pressAction());
    QCOMPARE(bindings, keys.isEmpty() ? QStringList() : QStringList{keys});
}

void TestFlatAccessible::defaultActionDoesWhatTheMouseClickDoes_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("action");
    QTest::newRow("button") << "TFlatButton" << Action::pressAction();
    QTest::newRow("check-box") << "TFlatCheckBox" << Action::toggleAction();
    QTest::newRow("radio-button") << "TFlatRadioButton" << Action::pressAction();
    QTest::newRow("label-with-onclick") << "TFlatLabel" << Action::pressAction();
    QTest::newRow("panel-with-onclick") << "TFlatPanel" << Action::pressAction();
    QTest::newRow("plain-label-with-onclick") << "TLabel" << Action::pressAction();
}

void TestFlatAccessible::defaultActionDoesWhatTheMouseClickDoes() {
    QFETCH(QString, className);
    QFETCH(QString, action);
    // GIVEN two identical controls, WHEN one is clicked and the other's default action
    // runs, THEN both raised the same clicks and ended in the same state.
    Form f;
    tk::TControl* byMouse = makeByClass(f.form, className);
    tk::TControl* byAction = makeByClass(f.form, className);
    byAction->setTop(60);
    // Radio buttons of one parent clear each other; keep the two apart.
    if (className == QLatin1String("TFlatRadioButton")) byMouse->setProperty("GroupIndex", 1);
    int mouseClicks = 0, actionClicks = 0;
    QObject::connect(byMouse, &tk::TControl::OnClick, [&] { ++mouseClicks; });
    QObject::connect(byAction, &tk::TControl::OnClick, [&] { ++actionClicks; });
    QVERIFY(f.activate());

    QTest::mouseClick(byMouse, Qt::LeftButton, {}, byMouse->rect().center());
    QAccessibleInterface* i = iface(byAction);
    QVERIFY(i->actionInterface()->actionNames().contains(action));
    QCOMPARE(i->actionInterface()->actionNames().constFirst(), action);
    i->actionInterface()->doAction(action);

    QVERIFY(mouseClicks > 0);
    QCOMPARE(actionClicks, mouseClicks);
    QCOMPARE(i->state().checked, iface(byMouse)->state().checked);
    QCOMPARE(i->state().pressed, iface(byMouse)->state().pressed);
}

void TestFlatAccessible::checkBoxReportsItsThreeStates() {
    Form f;
    TFlatCheckBox box(nullptr, &f.form);
    box.setCaption(QStringLiteral("置顶"));
    box.setAllowGrayed(true);
    int clicks = 0;
    QObject::connect(&box, &tk::TControl::OnClick, [&] { ++clicks; });
    QVERIFY(f.activate());
    EventLog log;
    QAccessibleInterface* i = iface(&box);
    QCOMPARE(i->text(QAccessible::Name), QStringLiteral("置顶"));
    QVERIFY(i->state().checkable);
    QVERIFY(i->state().focusable);
    QVERIFY(!i->state().checked);
    QVERIFY(!i->state().focused);

    i->actionInterface()->doAction(Action::toggleAction()); // unchecked -> grayed
    QVERIFY(i->state().checkStateMixed);
    QVERIFY(!i->state().checked);
    QVERIFY(i->state().focused); // the click focuses, as the mouse's does
    i->actionInterface()->doAction(Action::toggleAction()); // grayed -> checked
    QVERIFY(i->state().checked);
    QVERIFY(!i->state().checkStateMixed);
    QCOMPARE(clicks, 2);
    QCOMPARE(countStateChanges(log, &box, StateFlag::Checked), 2);
    QCOMPARE(countStateChanges(log, &box, StateFlag::Mixed), 2);

    box.setChecked(true); // unchanged: nothing more
    QCOMPARE(countStateChanges(log, &box, StateFlag::Checked), 2);
}

void TestFlatAccessible::radioButtonActionChecksItAndClearsItsSibling() {
    Form f;
    TFlatRadioButton five(nullptr, &f.form), three(nullptr, &f.form);
    five.setCaption(QStringLiteral("仓五"));
    three.setCaption(QStringLiteral("仓三"));
    three.setTop(40);
    five.setChecked(true);
    int clicks = 0;
    QObject::connect(&three, &tk::TControl::OnClick, [&] { ++clicks; });
    QVERIFY(f.activate());
    EventLog log;

    QAccessibleInterface* i = iface(&three);
    QVERIFY(!i->state().checked);
    QVERIFY(i->state().focusable); // though no tab stop while unchecked
    i->actionInterface()->doAction(Action::pressAction());
    QVERIFY(three.isChecked());
    QVERIFY(i->state().checked);
    QVERIFY(!iface(&five)->state().checked);
    QVERIFY(clicks > 0);
    // "仓三 radio button checked", and the other one's change too.
    QCOMPARE(countStateChanges(log, &three, StateFlag::Checked), 1);
    QCOMPARE(countStateChanges(log, &five, StateFlag::Checked), 1);
}

void TestFlatAccessible::latchedButtonIsPressed() {
    Form f;
    TFlatButton b(nullptr, &f.form);
    b.setGroupIndex(1);
    b.setAllowAllUp(true);
    QVERIFY(f.activate());
    EventLog log;
    QAccessibleInterface* i = iface(&b);
    QVERIFY(!i->state().pressed);
    i->actionInterface()->doAction(Action::pressAction());
    QVERIFY(b.isDown());
    QVERIFY(i->state().pressed);
    i->actionInterface()->doAction(Action::pressAction());
    QVERIFY(!i->state().pressed);
    // Down, then up: each change once, however many steps the click takes.
    QCOMPARE(countStateChanges(log, &b, StateFlag::Pressed), 2);
}

void TestFlatAccessible::disabledControlIsUnavailableAndIgnoresItsAction() {
    Form f;
    TFlatPanel panel(nullptr, &f.form);
    TFlatButton b(nullptr, &panel);
    int clicks = 0;
    QObject::connect(&b, &tk::TControl::OnClick, [&] { ++clicks; });
    QVERIFY(f.activate());
    EventLog log;
    QAccessibleInterface* i = iface(&b);
    QVERIFY(!i->state().disabled);

    b.setEnabled(false);
    QVERIFY(i->state().disabled);
    QVERIFY(!i->actionInterface()->actionNames().contains(Action::pressAction()));
    i->actionInterface()->doAction(Action::pressAction());
    QCOMPARE(clicks, 0);
    QCOMPARE(countStateChanges(log, &b, StateFlag::Disabled), 1);

    // A disabled parent disables the button as the user sees it.
    b.setEnabled(true);
    panel.setEnabled(false);
    QVERIFY(i->state().disabled);
    i->actionInterface()->doAction(Action::pressAction());
    QCOMPARE(clicks, 0);
}

void TestFlatAccessible::focusAndVisibilityAreReported() {
    Form f;
    TFlatButton b(nullptr, &f.form);
    TFlatLabel label(nullptr, &f.form);
    QVERIFY(f.activate());
    QAccessibleInterface* i = iface(&b);
    QVERIFY(!i->state().invisible);
    QVERIFY(i->state().focusable);
    QVERIFY(!iface(&label)->state().focusable);

    b.setFocus();
    QVERIFY(i->state().focused);
    b.setVisible(false);
    QVERIFY(i->state().invisible);
}

void TestFlatAccessible::pagesExposeTheirTabsAndSelectByTab() {
    Form f;
    TFlatPages pages(nullptr, &f.form);
    pages.setBounds(0, 0, 200, 150);
    auto* query = new TFlatSheet(nullptr, &pages);
    query->setCaption(QStringLiteral("查询"));
    auto* about = new TFlatSheet(nullptr, &pages);
    about->setCaption(QStringLiteral("&About"));
    pages.setActivePage(query);
    int changes = 0;
    QObject::connect(&pages, &tk::TPageControl::OnChange, [&] { ++changes; });
    QVERIFY(f.activate());
    EventLog log;

    QAccessibleInterface* i = iface(&pages);
    QCOMPARE(i->childCount(), 4); // two tabs, two sheets
    QAccessibleInterface* tab0 = i->child(0);
    QAccessibleInterface* tab1 = i->child(1);
    QCOMPARE(tab0->role(), QAccessible::PageTab);
    QCOMPARE(tab0->text(QAccessible::Name), QStringLiteral("查询"));
    QCOMPARE(tab1->text(QAccessible::Name), QStringLiteral("About"));
    QCOMPARE(tab1->actionInterface()->keyBindingsForAction(Action::pressAction()),
             QStringList{QStringLiteral("Alt+A")});
    QVERIFY(tab0->state().selected);
    QVERIFY(!tab1->state().selected);
    QCOMPARE(tab0->parent(), i);
    QCOMPARE(i->indexOfChild(tab1), 1);
    QCOMPARE(i->child(1), tab1); // the same interface every time
    QCOMPARE(i->indexOfChild(iface(about)), 3);
    QCOMPARE(iface(about)->role(), QAccessible::Pane);
    QVERIFY(iface(about)->state().invisible);
    const QPoint tabCentre = tab1->rect().center();
    QCOMPARE(i->childAt(tabCentre.x(), tabCentre.y()), tab1);

    tab1->actionInterface()->doAction(Action::pressAction());
    QCOMPARE(pages.activePage(), about);
    QCOMPARE(changes, 1);
    QVERIFY(tab1->state().selected);
    QVERIFY(tab1->state().focused); // the click focused the strip
    QVERIFY(!iface(about)->state().invisible);
    QVERIFY(iface(query)->state().invisible);
    QCOMPARE(log.count(&pages, QAccessible::Selection), 1);
    QCOMPARE(log.entries.last().child, 1);

    tab1->actionInterface()->doAction(Action::pressAction()); // already selected
    QCOMPARE(changes, 1);
    QCOMPARE(log.count(&pages, QAccessible::Selection), 1);

    // A renamed page renames its tab.
    about->setCaption(QStringLiteral("关于"));
    QCOMPARE(tab1->text(QAccessible::Name), QStringLiteral("关于"));
    QVERIFY(std::any_of(log.entries.begin(), log.entries.end(), [&](const auto& e) {
        return e.object == &pages && e.type == QAccessible::NameChanged && e.child == 1;
    }));

    // A page that goes takes its tab: the stale interface says so.
    delete about;
    QCOMPARE(i->childCount(), 2);
    QVERIFY(!tab1->isValid());
}

void TestFlatAccessible::editIsNamedByItsTicketElseItsHint() {
    Form f;
    TFlatEdit edit(nullptr, &f.form);
    EventLog log;
    QAccessibleInterface* i = iface(&edit);
    QAccessibleInterface* line = iface(edit.lineEdit());
    QCOMPARE(i->text(QAccessible::Name), QString());
    QCOMPARE(line->role(), QAccessible::EditableText); // Qt's own interface
    QCOMPARE(i->indexOfChild(line), 0);

    edit.setHint(QStringLiteral("Type a character|One character, then Enter"));
    QCOMPARE(i->text(QAccessible::Name), QStringLiteral("Type a character"));
    QCOMPARE(i->text(QAccessible::Description), QStringLiteral("One character, then Enter"));
    QCOMPARE(line->text(QAccessible::Name), QStringLiteral("Type a character"));

    edit.ticket()->setCaption(QStringLiteral("&Character:"));
    QCOMPARE(i->text(QAccessible::Name), QStringLiteral("Character:"));
    QCOMPARE(line->text(QAccessible::Name), QStringLiteral("Character:"));
    QVERIFY(log.count(&edit, QAccessible::NameChanged) >= 2);

    tk::setAccessibleName(&edit, QStringLiteral("Input"));
    QCOMPARE(i->text(QAccessible::Name), QStringLiteral("Input"));
    QCOMPARE(line->text(QAccessible::Name), QStringLiteral("Input"));

    edit.setText(QStringLiteral("字"));
    QCOMPARE(i->text(QAccessible::Value), QStringLiteral("字"));
    QCOMPARE(line->text(QAccessible::Value), QStringLiteral("字"));
    QCOMPARE(log.count(&edit, QAccessible::ValueChanged), 1);
    QCOMPARE(log.entries.last().value.toString(), QStringLiteral("字"));

    edit.setReadOnly(true);
    QVERIFY(i->state().readOnly);
}

void TestFlatAccessible::comboBoxesAreNamedByTheirTickets() {
    Form f;
    TDefineComboBox combo(nullptr, &f.form);
    TDefineColorBox colours(nullptr, &f.form);
    combo.ticket()->setCaption(QStringLiteral("&Table"));
    colours.setHint(QStringLiteral("Colour"));
    QCOMPARE(iface(&combo)->text(QAccessible::Name), QStringLiteral("Table"));
    QCOMPARE(iface(combo.comboBox())->text(QAccessible::Name), QStringLiteral("Table"));
    QCOMPARE(iface(&colours)->text(QAccessible::Name), QStringLiteral("Colour"));
    combo.setItems({QStringLiteral("仓五"), QStringLiteral("仓三")});
    combo.setItemIndex(1);
    QCOMPARE(iface(&combo)->text(QAccessible::Value), QStringLiteral("仓三"));
}

void TestFlatAccessible::radioGroupItemsAreRadioButtons() {
    Form f;
    TFlatRadioGroup group(nullptr, &f.form);
    group.setCaption(QStringLiteral("字典选择"));
    group.setItems({QStringLiteral("&One"), QStringLiteral("Two")});
    group.setItemIndex(0);
    QVERIFY(f.activate());
    QAccessibleInterface* g = iface(&group);
    QCOMPARE(g->text(QAccessible::Name), QStringLiteral("字典选择"));
    QCOMPARE(g->childCount(), 2);
    QAccessibleInterface* two = g->child(1);
    QCOMPARE(two->role(), QAccessible::RadioButton);
    QCOMPARE(two->text(QAccessible::Name), QStringLiteral("Two"));
    QCOMPARE(g->child(0)->text(QAccessible::Accelerator), QStringLiteral("Alt+O"));
    QVERIFY(g->child(0)->state().checked);
    two->actionInterface()->doAction(Action::pressAction());
    QCOMPARE(group.itemIndex(), 1);
    QVERIFY(two->state().checked);
    QVERIFY(!g->child(0)->state().checked);
}

void TestFlatAccessible::labelWithoutAcceleratorsReadsItsAmpersands() {
    Form f;
    tk::TLabel label(nullptr, &f.form);
    label.setCaption(QStringLiteral("Fish & &Chips"));
    QCOMPARE(iface(&label)->text(QAccessible::Name), QStringLiteral("Fish  Chips"));
    label.setShowAccelChar(false);
    QCOMPARE(iface(&label)->text(QAccessible::Name), QStringLiteral("Fish & &Chips"));
    QCOMPARE(iface(&label)->text(QAccessible::Accelerator), QString());
}

void TestFlatAccessible::captionChangeIsAnnounced() {
    Form f;
    tk::TLabel label(nullptr, &f.form);
    TFlatLabel ticketed(nullptr, &f.form);
    EventLog log;
    label.setCaption(QStringLiteral("未找到"));
    QCOMPARE(iface(&label)->text(QAccessible::Name), QStringLiteral("未找到"));
    QCOMPARE(log.count(&label, QAccessible::NameChanged), 1);
    label.setCaption(QStringLiteral("未找到")); // unchanged: nothing more
    QCOMPARE(log.count(&label, QAccessible::NameChanged), 1);
    // The label's own ticket is static text beside it.
    ticketed.ticket()->setCaption(QStringLiteral("From"));
    QCOMPARE(iface(ticketed.ticket())->role(), QAccessible::StaticText);
    QCOMPARE(iface(ticketed.ticket())->text(QAccessible::Name), QStringLiteral("From"));
}

ZARVIK_TEST_MAIN(TestFlatAccessible)
#include "tst_flataccessible.moc"
