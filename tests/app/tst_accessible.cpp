#include "Accessible.h"
#include "Application.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"
#include "zrvkf.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDesktopServices>
#include <QTest>
#include <QUrl>
#include <memory>

using Action = QAccessibleActionInterface;

namespace {

using testsupport::UrlSink;
using testsupport::writeTable;

// The window as a screen reader walks it: every node under `root`, depth first.
QList<QAccessibleInterface*> walk(QAccessibleInterface* root) {
    QList<QAccessibleInterface*> all{root};
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* c = root->child(i)) all += walk(c);
    return all;
}

QList<QAccessibleInterface*> findAll(QAccessibleInterface* root, QAccessible::Role role,
                                     const QString& name) {
    QList<QAccessibleInterface*> found;
    for (QAccessibleInterface* n : walk(root))
        if (n->role() == role && n->text(QAccessible::Name) == name) found << n;
    return found;
}

// The one node of that role and name; null (and a failed check) otherwise.
QAccessibleInterface* findOne(QAccessibleInterface* root, QAccessible::Role role,
                              const QString& name) {
    const QList<QAccessibleInterface*> found = findAll(root, role, name);
    if (found.size() != 1) {
        qWarning() << found.size() << "nodes of role" << role << "named" << name;
        return nullptr;
    }
    return found.first();
}

// The events of the window's controls, while it lives.
struct EventLog {
    QList<std::pair<QObject*, QAccessible::State>> states;
    QList<std::pair<QObject*, QVariant>> values;
    tk::AccessibleEventObserver previous;
    EventLog() {
        previous = tk::setAccessibleEventObserver([this](QAccessibleEvent& e) {
            if (e.type() == QAccessible::StateChanged)
                states.append(
                    {e.object(), static_cast<QAccessibleStateChangeEvent&>(e).changedStates()});
            if (e.type() == QAccessible::ValueChanged)
                values.append({e.object(), static_cast<QAccessibleValueChangeEvent&>(e).value()});
        });
    }
    ~EventLog() { tk::setAccessibleEventObserver(std::move(previous)); }
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;
    bool heardChecked(QObject* o) const {
        return std::any_of(states.begin(), states.end(),
                           [o](const auto& e) { return e.first == o && e.second.checked; });
    }
};

} // namespace

class TestAccessibleWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void screenReaderFindsTheWindowAsDescribed();
    void queryByActionsAnnouncesTheAnswer();
    void tableSwitchByActionAnnouncesBothButtons();
    void makerLinkOpensByItsAction();
    void aboutTabShowsTheNote();

private:
    std::unique_ptr<testsupport::WorkingFolder> m_folder;
    std::unique_ptr<TForm1> m_form;
    QAccessibleInterface* m_window = nullptr;
};

void TestAccessibleWindow::init() {
    m_folder = std::make_unique<testsupport::WorkingFolder>();
    tk::Application::setTitle(QStringLiteral("Zarvik2.2"));
    tk::setErrorBoxHandler([](const QString&, const QString&) {});
    writeTable(QStringLiteral("cj5.m"), {QStringLiteral("字 jnd 十弓木")});
    writeTable(QStringLiteral("cj3.m"), {QStringLiteral("字 jnd 十弓木 (cj3)")});
    m_form = std::make_unique<TForm1>();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_window = QAccessible::queryAccessibleInterface(m_form.get());
    QVERIFY(m_window);
}

void TestAccessibleWindow::cleanup() {
    m_form.reset();
    tk::setErrorBoxHandler({});
    m_folder.reset();
}

void TestAccessibleWindow::screenReaderFindsTheWindowAsDescribed() {
    QCOMPARE(m_window->role(), QAccessible::Window);
    QCOMPARE(m_window->text(QAccessible::Name), QStringLiteral("Zarvik2.2"));

    const QList<QAccessibleInterface*> lists =
        findAll(m_window, QAccessible::PageTabList, QString());
    QCOMPARE(lists.size(), 1);
    QStringList tabs;
    for (int i = 0; i < lists[0]->childCount(); ++i)
        if (lists[0]->child(i)->role() == QAccessible::PageTab)
            tabs << lists[0]->child(i)->text(QAccessible::Name);
    QCOMPARE(tabs, (QStringList{QStringLiteral("查询"), QStringLiteral("关于")}));

    QAccessibleInterface* cj5 = findOne(m_window, QAccessible::RadioButton, QStringLiteral("仓五"));
    QAccessibleInterface* cj3 = findOne(m_window, QAccessible::RadioButton, QStringLiteral("仓三"));
    QAccessibleInterface* onTop = findOne(m_window, QAccessible::CheckBox, QStringLiteral("置顶"));
    QVERIFY(cj5 && cj3 && onTop);
    QVERIFY(cj5->state().checked);
    QVERIFY(!cj3->state().checked);
    QVERIFY(onTop->state().checked);
    QVERIFY(findOne(m_window, QAccessible::PushButton, QStringLiteral("查询")));
    QVERIFY(findOne(m_window, QAccessible::Grouping, QStringLiteral("字典选择")));
    QVERIFY(findOne(m_window, QAccessible::PushButton, QStringLiteral("退出")));

    // The boxes are Qt's line edits, each with a name of its own.
    QAccessibleInterface* input =
        findOne(m_window, QAccessible::EditableText, QString::fromUtf8(InputBoxName));
    QAccessibleInterface* result =
        findOne(m_window, QAccessible::EditableText, QString::fromUtf8(ResultBoxName));
    QVERIFY(input && result);
    QVERIFY(!input->state().readOnly);
    QVERIFY(result->state().readOnly);
    QVERIFY(input->state().focused);

    QAccessibleInterface* link =
        findOne(m_window, QAccessible::Link, QStringLiteral("来自Zarvik主页"));
    QVERIFY(link);
    QCOMPARE(link->actionInterface()->actionNames().value(0), Action::pressAction());
    QCOMPARE(link->text(QAccessible::Description), QString::fromLatin1(MakerHomePage));
}

void TestAccessibleWindow::queryByActionsAnnouncesTheAnswer() {
    EventLog log;
    QAccessibleInterface* input =
        findOne(m_window, QAccessible::EditableText, QString::fromUtf8(InputBoxName));
    QVERIFY(input && input->editableTextInterface());
    input->editableTextInterface()->insertText(0, QStringLiteral("字"));
    QCOMPARE(m_form->FlatEdit1->text(), QStringLiteral("字"));

    QAccessibleInterface* button =
        findOne(m_window, QAccessible::PushButton, QStringLiteral("查询"));
    button->actionInterface()->doAction(Action::pressAction());

    QAccessibleInterface* result =
        findOne(m_window, QAccessible::EditableText, QString::fromUtf8(ResultBoxName));
    QCOMPARE(result->text(QAccessible::Value), QStringLiteral("字 jnd 十弓木"));
    QVERIFY(std::any_of(log.values.begin(), log.values.end(), [&](const auto& v) {
        return v.first == m_form->FlatEdit2 && v.second == QStringLiteral("字 jnd 十弓木");
    }));
}

void TestAccessibleWindow::tableSwitchByActionAnnouncesBothButtons() {
    EventLog log;
    QAccessibleInterface* cj3 = findOne(m_window, QAccessible::RadioButton, QStringLiteral("仓三"));
    cj3->actionInterface()->doAction(cj3->actionInterface()->actionNames().value(0));
    QVERIFY(cj3->state().checked);
    QVERIFY(!findOne(m_window, QAccessible::RadioButton, QStringLiteral("仓五"))->state().checked);
    QVERIFY(log.heardChecked(m_form->FlatRadioButton2));
    QVERIFY(log.heardChecked(m_form->FlatRadioButton1));

    m_form->FlatEdit1->setText(QStringLiteral("字"));
    findOne(m_window, QAccessible::PushButton, QStringLiteral("查询"))
        ->actionInterface()
        ->doAction(Action::pressAction());
    QCOMPARE(m_form->FlatEdit2->text(), QStringLiteral("字 jnd 十弓木 (cj3)"));
}

void TestAccessibleWindow::makerLinkOpensByItsAction() {
    UrlSink sink;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &sink, "open");
    findOne(m_window, QAccessible::Link, QStringLiteral("来自Zarvik主页"))
        ->actionInterface()
        ->doAction(Action::pressAction());
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(sink.opened, QList<QUrl>{QUrl(QString::fromLatin1(MakerHomePage))});
}

void TestAccessibleWindow::aboutTabShowsTheNote() {
    QList<QAccessibleInterface*> notes;
    for (QAccessibleInterface* n : walk(m_window))
        if (n->role() == QAccessible::StaticText &&
            n->text(QAccessible::Name).contains(QStringLiteral("这是简繁仓颉字典2.2")))
            notes << n;
    QCOMPARE(notes.size(), 1);
    QVERIFY(notes[0]->state().invisible);

    QAccessibleInterface* list = findAll(m_window, QAccessible::PageTabList, QString()).value(0);
    QAccessibleInterface* about = list->child(1);
    QCOMPARE(about->text(QAccessible::Name), QStringLiteral("关于"));
    about->actionInterface()->doAction(Action::pressAction());
    QVERIFY(about->state().selected);
    QVERIFY(!notes[0]->state().invisible);
    QVERIFY(notes[0]->text(QAccessible::Name).contains(QStringLiteral("注意：老版本的GCC 3无")));
}

ZARVIK_TEST_MAIN(TestAccessibleWindow)
#include "tst_accessible.moc"
