#include "Action.h"
#include "Classes.h"
#include "Control.h"
#include "Edit.h"
#include "Form.h"
#include "Layout.h"
#include "Menu.h"
#include "Navigation.h"
#include "TestEnvironment.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <memory>

// The settings every control has from the framework: anchors, size constraints, the popup
// menu and action references, help and input-method settings.
class TestFramework : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { tk::registerToolkitClasses(); }

    void anchoredChildrenFollowTheParentsResize_data() {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("throughQWidget");
        QTest::newRow("setBounds-hidden") << false << false;
        QTest::newRow("setBounds-shown") << true << false;     // Qt's resize event sees it too
        QTest::newRow("qwidget-resize-shown") << true << true; // a window manager's road
    }

    void anchoredChildrenFollowTheParentsResize() {
        QFETCH(bool, shown);
        QFETCH(bool, throughQWidget);
        tk::TForm parent;
        parent.setBounds(0, 0, 200, 100);
        const auto resize = [&](int w, int h) {
            throughQWidget ? static_cast<QWidget&>(parent).resize(w, h)
                           : parent.setBounds(0, 0, w, h);
        };
        const auto child = [&](tk::TAnchors a) {
            auto* c = new tk::TControl(nullptr, &parent);
            c->setBounds(10, 20, 30, 40);
            c->setAnchors(a);
            return c;
        };
        tk::TControl* plain = child(tk::TAnchors(tk::akLeft) | tk::akTop);
        tk::TControl* right = child(tk::TAnchors(tk::akRight) | tk::akBottom);
        tk::TControl* stretched = child(tk::TAnchors(tk::akLeft) | tk::akTop | tk::akRight);
        tk::TControl* tall = child(tk::TAnchors(tk::akTop) | tk::akBottom);
        tk::TControl* aligned = child(tk::TAnchors(tk::akLeft) | tk::akRight);
        aligned->setAlign(tk::alTop);
        tk::TControl* wide = child(tk::TAnchors(tk::akLeft) | tk::akRight);
        if (shown) parent.show();
        QVERIFY(!shown || QTest::qWaitForWindowExposed(&parent));
        QSignalSpy resizes(&parent, &tk::TControl::OnResize);

        resize(250, 130);
        QCOMPARE(plain->geometry(), QRect(10, 20, 30, 40));
        QCOMPARE(right->geometry(), QRect(60, 50, 30, 40));
        QCOMPARE(stretched->geometry(), QRect(10, 20, 80, 40));
        // Held by neither of two opposite edges, the centre keeps its proportion.
        QCOMPARE(tall->geometry(), QRect(16, 20, 30, 70));
        QCOMPARE(wide->geometry(), QRect(10, 32, 80, 40));
        // Align places the control; its anchors do not move it again.
        QCOMPARE(aligned->geometry(), QRect(0, 0, 250, 40));

        // Shrinking back returns every anchored control to where it was.
        resize(200, 100);
        QCOMPARE(right->geometry(), QRect(10, 20, 30, 40));
        QCOMPARE(stretched->geometry(), QRect(10, 20, 30, 40));
        // Squeezed to nothing by a small parent and back: as it was, not as wide as the growth.
        resize(20, 100);
        resize(200, 100);
        QCOMPARE(stretched->geometry(), QRect(10, 20, 30, 40));
        QCOMPARE(tall->geometry(), QRect(10, 20, 30, 40));
        resize(200, 100);             // the same size
        QCOMPARE(resizes.count(), 4); // once for each change of size
    }

    void constraintsHoldThroughEveryChangeOfBounds() {
        tk::TControl parent;
        parent.setBounds(0, 0, 200, 100);
        auto* c = new tk::TControl(nullptr, &parent);
        c->setBounds(0, 0, 100, 50);
        c->setAnchors(tk::TAnchors(tk::akLeft) | tk::akTop | tk::akRight | tk::akBottom);
        tk::TSizeConstraints limits;
        limits.minWidth = 60;
        limits.maxWidth = 120;
        limits.maxHeight = 45;
        c->setConstraints(limits); // applies at once
        QCOMPARE(c->size(), QSize(100, 45));
        c->setWidth(10);
        QCOMPARE(c->width(), 60);
        c->setBounds(0, 0, 500, 10);
        QCOMPARE(c->size(), QSize(120, 10));
        // A parent's resize stretches the anchored control only as far as its limits.
        c->setWidth(100);
        parent.setBounds(0, 0, 300, 200);
        QCOMPARE(c->size(), QSize(120, 45));
        parent.setBounds(0, 0, 200, 100); // as wide as placed again: the limit left no trace
        QCOMPARE(c->size(), QSize(100, 10));
        parent.setBounds(0, 0, 100, 100);
        QCOMPARE(c->width(), 60);
    }

    void rightClickShowsThePopupMenuUntilItIsDestroyed() {
        tk::TForm form;
        tk::readLayout(&form, QStringLiteral("object Form1: TForm\n"
                                             "  object PopupMenu1: TPopupMenu\n"
                                             "    object Item1: TMenuItem\n"
                                             "      Caption = '&Copy'\n"
                                             "      ShortCut = 16451\n"
                                             "      Checked = True\n"
                                             "    end\n"
                                             "    object Line: TMenuItem\n"
                                             "      Caption = '-'\n"
                                             "    end\n"
                                             "    object Item2: TMenuItem\n"
                                             "      Caption = 'More'\n"
                                             "      ShortCut = 8262\n"
                                             "      object Item3: TMenuItem\n"
                                             "        ShortCut = 32840\n"
                                             "        Enabled = False\n"
                                             "      end\n"
                                             "    end\n"
                                             "  end\n"
                                             "  object Label1: TLabel\n"
                                             "  end\n"
                                             "end\n"));
        auto* label = qobject_cast<tk::TControl*>(form.findComponent("Label1")->object());
        auto* popup = qobject_cast<tk::TPopupMenu*>(form.findComponent("PopupMenu1")->object());
        label->setPopupMenuComponent(popup);
        QMenu* menu = popup->menu();
        QCOMPARE(menu->actions().size(), 3);
        QCOMPARE(menu->actions()[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
        QVERIFY(menu->actions()[0]->isChecked());
        QVERIFY(menu->actions()[1]->isSeparator()); // a caption of one dash
        QVERIFY(!menu->actions()[0]->isSeparator());
        QVERIFY(menu->actions()[2]->menu());
        QVERIFY(!menu->actions()[2]->menu()->actions()[0]->isEnabled());
        QCOMPARE(menu->actions()[2]->shortcut(), QKeySequence(QStringLiteral("Shift+F")));
        QCOMPARE(menu->actions()[2]->menu()->actions()[0]->shortcut(),
                 QKeySequence(QStringLiteral("Alt+H")));

        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2),
                                label->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(label, &click);
        QVERIFY(menu->isVisible());
        menu->hide();

        int clicked = 0;
        auto* item = qobject_cast<tk::TMenuItem*>(form.findComponent("Item1")->object());
        QObject::connect(item, &tk::TMenuItem::OnClick, [&] { ++clicked; });
        item->qaction()->trigger();
        QCOMPARE(clicked, 1);

        delete popup;
        QCOMPARE(label->popupMenuComponent(), nullptr);
        QApplication::sendEvent(label, &click); // nothing left to show
    }

    void theActionReferenceClearsItselfToo() {
        tk::TControl c;
        auto action = std::make_unique<tk::TAction>();
        int executed = 0;
        QObject::connect(action.get(), &tk::TAction::OnExecute, [&] { ++executed; });
        c.setAction(action.get());
        c.click();
        QCOMPARE(executed, 1);
        action.reset();
        QCOMPARE(c.action(), nullptr);
        c.click();
    }

    // GIVEN an action and two controls, one with a caption of its own WHEN they are linked,
    // the action changes, and a control sets a value of its own THEN each control takes the
    // action's values where it still had its default, every change of the action reaches
    // both, and a control's own value stands until the action changes that value again.
    void actionLinkGoesBothWays() {
        tk::TAction action;
        action.setCaption(QStringLiteral("Go"));
        action.setHint(QStringLiteral("run it"));
        action.setEnabled(false);
        tk::TControl plain;
        tk::TControl own;
        own.setCaption(QStringLiteral("Mine"));
        plain.setAction(&action);
        own.setAction(&action);
        QCOMPARE(plain.caption(), QStringLiteral("Go"));
        QCOMPARE(own.caption(), QStringLiteral("Mine"));
        QCOMPARE(own.hint(), QStringLiteral("run it"));
        QVERIFY(!plain.enabled() && !own.enabled());
        action.setCaption(QStringLiteral("Run"));
        QCOMPARE(own.caption(), QStringLiteral("Run"));
        plain.setCaption(QStringLiteral("Own"));
        action.setEnabled(true);
        action.setVisible(false);
        QCOMPARE(plain.caption(), QStringLiteral("Own"));
        QVERIFY(plain.enabled() && !plain.visible() && !own.visible());
        action.setCaption(QStringLiteral("Again"));
        QCOMPARE(plain.caption(), QStringLiteral("Again"));
        plain.setAction(nullptr);
        action.setCaption(QStringLiteral("Gone"));
        QCOMPARE(plain.caption(), QStringLiteral("Again"));
    }

    void f1RaisesTheFormsHelpWithTheNearestSettings() {
        tk::TForm form;
        auto* panel = new tk::TControl(nullptr, &form);
        panel->setHelpType(tk::htKeyword);
        panel->setHelpKeyword(QStringLiteral("lookup"));
        auto* edit = new tk::TCustomEdit(nullptr, panel);
        QList<std::tuple<tk::THelpType, QString, int>> asked;
        QObject::connect(&form, &tk::TForm::OnHelp,
                         [&](tk::THelpType t, const QString& k, int ctx) {
                             asked.append({t, k, ctx});
                         });
        tk::KeyRouter::install();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        edit->lineEdit()->setFocus();
        QTRY_VERIFY(edit->lineEdit()->hasFocus());
        QTest::keyClick(edit->lineEdit(), Qt::Key_F1);
        edit->setHelpContext(42);
        QTest::keyClick(edit->lineEdit(), Qt::Key_F1);
        QCOMPARE(asked, (QList<std::tuple<tk::THelpType, QString, int>>{
                            {tk::htKeyword, QStringLiteral("lookup"), 0},
                            {tk::htContext, QString(), 42}}));
    }

    void focusLeavingAnEditHidesItsSelectionOnlyWithHideSelection_data() {
        QTest::addColumn<bool>("hide");
        QTest::addColumn<QString>("kept");
        QTest::newRow("hidden") << true << QString();
        QTest::newRow("kept-with-the-caret-before-it") << false << QStringLiteral("bcd");
    }
    void focusLeavingAnEditHidesItsSelectionOnlyWithHideSelection() {
        QFETCH(bool, hide);
        tk::TForm form;
        auto* edit = new tk::TCustomEdit(nullptr, &form);
        auto* other = new tk::TCustomEdit(nullptr, &form);
        other->setTop(30);
        edit->setText(QStringLiteral("abcdef"));
        edit->setHideSelection(hide);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        edit->lineEdit()->setFocus();
        QTRY_VERIFY(edit->lineEdit()->hasFocus());
        edit->lineEdit()->setSelection(4, -3);
        other->lineEdit()->setFocus();
        QTRY_VERIFY(other->lineEdit()->hasFocus());
        QTEST(edit->lineEdit()->selectedText(), "kept");
        QCOMPARE(edit->lineEdit()->cursorPosition(), 1);
        edit->setHideSelection(true); // shown while unfocused no longer
        QVERIFY(!edit->lineEdit()->hasSelectedText());
    }

    void onlyImDisableTurnsTheInputMethodOff() {
        tk::TCustomEdit edit;
        QVERIFY(edit.lineEdit()->testAttribute(Qt::WA_InputMethodEnabled));
        edit.setImeMode(tk::imDisable);
        QVERIFY(!edit.lineEdit()->testAttribute(Qt::WA_InputMethodEnabled));
        edit.setImeMode(tk::imChinese);
        QVERIFY(edit.lineEdit()->testAttribute(Qt::WA_InputMethodEnabled));
    }
};

ZARVIK_TEST_MAIN(TestFramework)
#include "tst_framework.moc"
