#include "Classes.h"
#include "FlatButton.h"
#include "FlatComboBox.h"
#include "FlatEdit.h"
#include "Form.h"
#include "Layout.h"
#include "Menu.h"
#include "Registration.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

using namespace flat;
using tk::TColor;

namespace {

using testsupport::picture;
using testsupport::rgbOf;
using testsupport::sendEnter;
using testsupport::sendLeave;
using testsupport::tahoma;

// Here the ink is everything unlike the background.
constexpr auto inkBox = &testsupport::inkBoxOn;

// A form with the edit and a second control to take the focus away.
struct Stage {
    tk::TForm form;
    TFlatEdit edit{nullptr, &form};
    TFlatEdit other{nullptr, &form};

    Stage() {
        QCursor::setPos(0, 0);
        form.setBounds(100, 100, 240, 120);
        form.setColor(tk::clBtnFace);
        edit.setControlFont(tahoma(13));
        edit.setBounds(15, 15, 81, 22);
        other.setBounds(15, 60, 81, 22);
    }
    // Qt gives the first native edit the focus when the window activates; the tests
    // start with it on the other edit.
    bool activate() { return testsupport::activate(form, &other); }
};

// The input method's events that reach a text field past the application's filters: each
// one's preedit, replaced range and attribute count.
struct ImeLog : QObject {
    QStringList events;
    bool eventFilter(QObject*, QEvent* e) override {
        if (const auto* m = dynamic_cast<QInputMethodEvent*>(e))
            events << m->preeditString() + QString::asprintf(" %d %d %d", m->replacementStart(),
                                                             m->replacementLength(),
                                                             int(m->attributes().size()));
        return false;
    }
};

} // namespace

class TestFlatEdit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void coloursFollowFocusAndHover_data();
    void coloursFollowFocusAndHover();
    void focusLostKeepsTheHoverColourUntilTheMouseLeaves();
    void parentColorAndColorFlatFollowEachOther();
    void storedLayoutEndsWithTheParentsColour();
    void heightIsTheFontCellPlusSix_data();
    void heightIsTheFontCellPlusSix();
    void enterReachesOnKeyPressButNeverTheText();
    void inputMethodCommitPassesOnKeyPress_data();
    void inputMethodCommitPassesOnKeyPress();
    void enterStaysWithTheEditWhenAButtonIsHot();
    void focusSelectsTheWholeText();
    void placeholderShowsTheHintWhileEmptyAndUnfocused();
    void centredTextStaysCentredAndSurvivesRecreation();
    void ticketStandsBesideTheEdit_data();
    void ticketStandsBesideTheEdit();
    void ticketFollowsTheEditUntilDestroyed();
    void ticketFitsOnceReadWhetherOrNotItsWidthIsStored();
    void onChangeIsTheTextSignalOncePerChange();
    void rightClickShowsThePopupMenuInsteadOfQtsOwn();
    void imDisableOutlivesReadOnlyAndPasswordChar();
    void hugeTextIsCutToWhatTheBoxHolds();
    void disabledEditRaisesNoMouseEvents();
};

void TestFlatEdit::initTestCase() {
    registerFlatClasses();
}

// The frame's inner band and the text area by state; hover counts only while the
// application has an active window.
void TestFlatEdit::coloursFollowFocusAndHover_data() {
    testsupport::addColumns<bool, bool, bool, bool, bool, bool>(
        {"activeWindow", "hover", "focus", "readOnly", "highlighted", "newSystemColours"});
    QTest::newRow("normal") << true << false << false << false << false << false;
    QTest::newRow("hover") << true << true << false << false << true << false;
    QTest::newRow("focused") << true << false << true << false << true << false;
    QTest::newRow("focused-read-only") << true << false << true << true << true << false;
    QTest::newRow("hover-read-only") << true << true << false << true << true << false;
    QTest::newRow("hover-without-active-window")
        << false << true << false << false << false << false;
    // The desktop's colours change while the window is up: clBtnFace, the form's colour and
    // so the edit's, is another colour now, in the frame and in the text area alike.
    QTest::newRow("normal-new-system-colours") << true << false << false << false << false << true;
}

void TestFlatEdit::coloursFollowFocusAndHover() {
    QFETCH(bool, activeWindow);
    QFETCH(bool, hover);
    QFETCH(bool, focus);
    QFETCH(bool, readOnly);
    QFETCH(bool, highlighted);
    QFETCH(bool, newSystemColours);
    const auto restore = qScopeGuard([] { QApplication::setPalette(tk::classicPalette()); });
    Stage s;
    s.edit.setReadOnly(readOnly);
    if (activeWindow)
        QVERIFY(s.activate());
    else
        QVERIFY(!tk::applicationHasActiveWindow());
    if (hover) sendEnter(s.edit);
    if (focus) {
        s.edit.setFocus();
        QVERIFY(s.edit.hasFocus());
    }
    if (newSystemColours) {
        QPalette p = tk::classicPalette();
        p.setColor(QPalette::Button, QColor(220, 255, 255));
        QApplication::setPalette(p);
        QCoreApplication::processEvents(); // the widgets hear of it from the event loop
    }
    const TColor inner = highlighted ? s.edit.colorFocused() : s.edit.colorFlat();
    QCOMPARE(s.edit.isMouseIn(), hover && activeWindow);
    QCOMPARE(s.edit.color(), inner);
    const QImage img = picture(s.edit);
    QCOMPARE(img.pixel(0, 0), rgbOf(s.edit.colorBorder()));
    QCOMPARE(img.pixel(80, 21), rgbOf(s.edit.colorBorder()));
    QCOMPARE(img.pixel(1, 1), rgbOf(inner));
    QCOMPARE(img.pixel(2, 10), rgbOf(inner));
    QCOMPARE(img.pixel(78, 19), rgbOf(inner));
    QCOMPARE(img.pixel(40, 3), rgbOf(inner)); // the text area's background
}

void TestFlatEdit::focusLostKeepsTheHoverColourUntilTheMouseLeaves() {
    Stage s;
    QVERIFY(s.activate());
    s.edit.setFocus();
    sendEnter(s.edit);
    s.other.setFocus();
    QCOMPARE(s.edit.color(), s.edit.colorFocused());
    sendLeave(s.edit);
    QCOMPARE(s.edit.color(), s.edit.colorFlat());
}

void TestFlatEdit::parentColorAndColorFlatFollowEachOther() {
    // GIVEN an edit that takes its parent's colour
    tk::TForm form;
    form.setColor(tk::clTeal);
    TFlatEdit edit(nullptr, &form);
    QVERIFY(edit.parentColor());
    QCOMPARE(edit.colorFlat(), tk::clTeal);
    form.setColor(tk::clNavy);
    QCOMPARE(edit.colorFlat(), tk::clNavy);
    QCOMPARE(edit.color(), tk::clNavy);
    // WHEN ColorFlat is set THEN ParentColor ends and the parent no longer counts
    edit.setColorFlat(tk::clRed);
    QVERIFY(!edit.parentColor());
    QCOMPARE(edit.color(), tk::clRed);
    form.setColor(tk::clOlive);
    QCOMPARE(edit.colorFlat(), tk::clRed);
    // ParentColor True copies the parent's colour at once; False keeps ColorFlat.
    edit.setParentColor(true);
    QCOMPARE(edit.colorFlat(), tk::clOlive);
    QCOMPARE(edit.color(), tk::clOlive);
    edit.setParentColor(false);
    QCOMPARE(edit.colorFlat(), tk::clOlive);
}

void TestFlatEdit::storedLayoutEndsWithTheParentsColour() {
    tk::TForm form;
    tk::readLayout(&form, QStringLiteral("object Form1: TForm\n"
                                         "  Color = clTeal\n"
                                         "  object FlatEdit1: TFlatEdit\n"
                                         "    ColorFlat = clBtnFace\n"
                                         "    ParentColor = True\n"
                                         "  end\n"
                                         "end\n"));
    auto* edit = form.findChild<TFlatEdit*>(QStringLiteral("FlatEdit1"));
    QVERIFY(edit);
    QVERIFY(edit->parentColor());
    QCOMPARE(edit->colorFlat(), tk::clTeal);
    // Written back, ParentColor True is stored (its declared default is False) after
    // ColorFlat, so reading it again gives the same edit.
    const QString text = tk::writeLayout(&form);
    const qsizetype parentColor = text.indexOf(QLatin1String("ParentColor = True"));
    QVERIFY2(parentColor > 0, qPrintable(text));
    QVERIFY2(text.indexOf(QLatin1String("ColorFlat")) < parentColor, qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("    Color =")), qPrintable(text));
}

void TestFlatEdit::heightIsTheFontCellPlusSix_data() {
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("height");
    // 13 and 14 are what the main window's layout stores: 22 and 23.
    QTest::newRow("tahoma-13") << 13 << 22;
    QTest::newRow("tahoma-14") << 14 << 23;
    QTest::newRow("tahoma-11") << 11 << 19;
}

void TestFlatEdit::heightIsTheFontCellPlusSix() {
    QFETCH(int, pixels);
    QFETCH(int, height);
    TFlatEdit edit;
    edit.setControlFont(tahoma(pixels));
    QCOMPARE(edit.height(), height);
    edit.setHeight(50);
    QCOMPARE(edit.height(), height);
    edit.setBounds(3, 4, 90, 10);
    QCOMPARE(edit.height(), height);
    QCOMPARE(edit.width(), 90);
    // The native edit fills the area inside the frame.
    QCOMPARE(edit.lineEdit()->geometry(), QRect(3, 3, 84, height - 6));
}

void TestFlatEdit::enterReachesOnKeyPressButNeverTheText() {
    Stage s;
    QString seen;
    QObject::connect(&s.edit, &tk::TControl::OnKeyPress, [&](QChar& c) { seen += c; });
    QVERIFY(s.activate());
    s.edit.setFocus();
    QTest::keyClicks(s.edit.lineEdit(), QStringLiteral("ab"));
    QTest::keyClick(s.edit.lineEdit(), Qt::Key_Return);
    QTest::keyClick(s.edit.lineEdit(), Qt::Key_C);
    QCOMPARE(seen, QStringLiteral("ab\rc"));
    QCOMPARE(s.edit.text(), QStringLiteral("abc"));
}

// Each committed character passes OnKeyPress as a typed one does (the handler here capitalises
// and drops digits); the preedit and the replaced range stay the input method's.
void TestFlatEdit::inputMethodCommitPassesOnKeyPress_data() {
    testsupport::addColumns<QString, bool, QString, bool, QString>(
        {"commit", "handled", "seen", "combo", "text"});
    QTest::newRow("no-handler-enter") << "字\r典" << false << "" << false << "x字典";
    QTest::newRow("changed-pair-unfiltered") << "a😀b" << true << "ab" << false << "xA😀B";
    QTest::newRow("swallowed") << "1字2" << true << "1字2" << false << "x字";
    QTest::newRow("mixed-with-preedit") << "a1字" << true << "a1字" << false << "xA字";
    QTest::newRow("combo-box") << "a1字" << true << "a1字" << true << "xA字";
}

void TestFlatEdit::inputMethodCommitPassesOnKeyPress() {
    QFETCH(bool, combo);
    QFETCH(bool, handled);
    QFETCH(QString, commit);
    QFETCH(QString, seen);
    QFETCH(QString, text);
    Stage s;
    TDefineComboBox box(nullptr, &s.form);
    tk::TControl& target = combo ? static_cast<tk::TControl&>(box) : s.edit;
    QString heard;
    if (handled)
        QObject::connect(&target, &tk::TControl::OnKeyPress, [&](QChar& c) {
            heard += c;
            c = c.isDigit() ? QChar() : c.toUpper();
        });
    QVERIFY(s.activate());
    target.setFocus();
    target.setProperty("Text", QStringLiteral("xy"));
    QWidget* field = QApplication::focusWidget();
    ImeLog log;
    field->installEventFilter(&log);
    // The commit replaces the "y" before the caret.
    QInputMethodEvent e(QStringLiteral("拼"), {{QInputMethodEvent::Cursor, 1, 1, {}}});
    e.setCommitString(commit, -1, 1);
    QApplication::sendEvent(field, &e);
    QCOMPARE(heard, seen);
    // A commit that comes out unchanged reaches the field alone.
    QInputMethodEvent same;
    same.setCommitString(QStringLiteral("字"));
    QApplication::sendEvent(field, &same);
    QCOMPARE(target.property("Text").toString(), text + u'字');
    QCOMPARE(log.events, QStringList({"拼 -1 1 1", " 0 0 0"}));
}

void TestFlatEdit::enterStaysWithTheEditWhenAButtonIsHot() {
    // GIVEN a button under the mouse (hot) and the focus in the edit
    Stage s;
    TFlatButton button(nullptr, &s.form);
    button.setBounds(110, 15, 66, 22);
    int clicks = 0;
    QObject::connect(&button, &tk::TControl::OnClick, [&] { ++clicks; });
    QVERIFY(s.activate());
    s.edit.setFocus();
    sendEnter(button);
    QVERIFY(button.isHot());
    // WHEN Enter is pressed in the edit THEN the edit keeps it
    QTest::keyClick(s.edit.lineEdit(), Qt::Key_Return);
    QCOMPARE(clicks, 0);
    QCOMPARE(s.edit.text(), QString());
}

void TestFlatEdit::focusSelectsTheWholeText() {
    Stage s;
    s.edit.setText(QStringLiteral("hello"));
    QVERIFY(s.activate());
    QVERIFY(!s.edit.lineEdit()->hasSelectedText());
    s.edit.setFocus();
    QCOMPARE(s.edit.lineEdit()->selectedText(), QStringLiteral("hello"));
}

void TestFlatEdit::placeholderShowsTheHintWhileEmptyAndUnfocused() {
    Stage s;
    s.edit.setHint(QStringLiteral("Type here"));
    QVERIFY(s.activate());
    s.edit.setFocus();
    tk::TLabel* cue = s.edit.cueLabel();
    QVERIFY(cue);
    QVERIFY(!cue->isVisible());

    // Unfocused and empty: the hint at the left of the text area, in the edit's font.
    s.other.setFocus();
    QVERIFY(cue->isVisible());
    QCOMPARE(cue->caption(), QStringLiteral("Type here"));
    QCOMPARE(cue->controlFont(), s.edit.controlFont());
    QCOMPARE(cue->left(), 0);
    QCOMPARE(cue->width(), s.edit.width());
    QCOMPARE(cue->parentWidget(), s.edit.lineEdit());

    // Text hides it, also unfocused; clearing the text shows it again.
    s.edit.setText(QStringLiteral("x"));
    QVERIFY(!cue->isVisible());
    s.edit.setText(QString());
    QVERIFY(cue->isVisible());
    // A Hint given later (a layout reads it after the edit's size) shows at once.
    s.edit.setHint(QStringLiteral("Type a character"));
    QCOMPARE(cue->caption(), QStringLiteral("Type a character"));

    // A click on it hides it and focuses the edit.
    QTest::mouseClick(cue, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(s.edit.hasFocus());
    QVERIFY(!cue->isVisible());
}

void TestFlatEdit::centredTextStaysCentredAndSurvivesRecreation() {
    Stage s;
    s.edit.setBounds(15, 15, 101, 22);
    s.edit.setText(QStringLiteral("iii"));
    s.edit.setAlignment(tk::taCenter);
    QCOMPARE(s.edit.text(), QStringLiteral("iii"));
    QVERIFY(s.edit.lineEdit()->alignment() & Qt::AlignHCenter);
    const QImage img = picture(s.edit);
    const QRect ink = inkBox(img.copy(3, 3, 95, 16), rgbOf(s.edit.color()));
    QVERIFY(!ink.isNull());
    // The ink's centre lies within a pixel or two of the text area's centre.
    QVERIFY2(qAbs((ink.left() + ink.right()) / 2 - 47) <= 2,
             qPrintable(QStringLiteral("ink %1..%2").arg(ink.left()).arg(ink.right())));
}

// A ticket 4 x 17 beside an edit at (15, 15) sized 81 x 22, 3 pixels away.
void TestFlatEdit::ticketStandsBesideTheEdit_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("space");
    QTest::addColumn<QPoint>("at");
    QTest::newRow("left") << int(poLeft) << 3 << QPoint(8, 17);
    QTest::newRow("top") << int(poTop) << 3 << QPoint(15, -5);
    QTest::newRow("right") << int(poRight) << 3 << QPoint(99, 17);
    QTest::newRow("bottom") << int(poBottom) << 3 << QPoint(15, 40);
    QTest::newRow("left-no-space") << int(poLeft) << 0 << QPoint(11, 17);
}

void TestFlatEdit::ticketStandsBesideTheEdit() {
    QFETCH(int, position);
    QFETCH(int, space);
    QFETCH(QPoint, at);
    Stage s;
    TDefineTicket* t = s.edit.ticket();
    QVERIFY(t);
    QCOMPARE(t->parentWidget(), &s.form);
    t->setAutoSize(false);
    t->setBounds(0, 0, 4, 17);
    s.edit.setTicketPosition(TTicketPosition(position));
    s.edit.setTicketSpace(space);
    QCOMPARE(t->geometry(), QRect(at, QSize(4, 17)));
}

void TestFlatEdit::ticketFollowsTheEditUntilDestroyed() {
    Stage s;
    TDefineTicket* t = s.edit.ticket();
    t->setAutoSize(false);
    t->setBounds(0, 0, 4, 17);
    s.edit.setBounds(30, 50, 81, 22);
    QCOMPARE(t->pos(), QPoint(23, 52));
    // A caption that re-sizes the ticket places it again.
    t->setAutoSize(true);
    t->setCaption(QStringLiteral("Name:"));
    QCOMPARE(t->left() + t->width() + 3, 30);

    s.edit.setVisible(false);
    QVERIFY(!t->visible());
    s.edit.setVisible(true);
    QVERIFY(t->visible());
    s.edit.setEnabled(false);
    QVERIFY(!t->enabled());

    tk::TForm elsewhere;
    s.edit.setParentControl(&elsewhere);
    QCOMPARE(t->parentWidget(), &elsewhere);
    s.edit.setParentControl(&s.form); // back, so that both go with the form

    // Once the ticket is gone, everything that would touch it passes it by.
    delete s.edit.ticket();
    QVERIFY(!s.edit.ticket());
    s.edit.setTicketPosition(poTop);
    s.edit.setTicketSpace(9);
    QCOMPARE(s.edit.ticketPosition(), poLeft);
    QCOMPARE(s.edit.ticketSpace(), 3);
    s.edit.setBounds(40, 40, 81, 22);
    s.edit.setVisible(false);
    s.edit.setEnabled(true);
}

// The ticket fitted itself on every font change while its edit was read, so a stored
// Ticket.Width won over an inherited font, and a width equal to a fresh ticket's (not
// written) lost to it: the layout read back wrote a different width.
void TestFlatEdit::ticketFitsOnceReadWhetherOrNotItsWidthIsStored() {
    const auto layout = [](const char* ticketWidth) {
        return QStringLiteral("object F: TForm\n  object P: TFlatPanel\n    Font.Height = 40\n"
                              "    object E: TFlatEdit\n%1    end\n  end\nend\n")
            .arg(QLatin1String(ticketWidth));
    };
    const auto ticketWidth = [](const tk::TForm& form) {
        return qobject_cast<TFlatEdit*>(form.findComponent(QStringLiteral("E"))->object())
            ->ticket()
            ->width();
    };
    tk::TForm bare;
    tk::readLayout(&bare, layout(""));
    QVERIFY(ticketWidth(bare) > TFlatEdit().ticket()->width());
    for (const char* stored : {"      Ticket.Width = 3\n", "      Ticket.Width = 500\n"}) {
        tk::TForm form;
        tk::readLayout(&form, layout(stored));
        QCOMPARE(ticketWidth(form), ticketWidth(bare));
        const QString text = tk::writeLayout(&form);
        tk::TForm copy;
        tk::readLayout(&copy, text);
        QCOMPARE(tk::writeLayout(&copy), text);
    }
}

// Text's signal is OnChange, once for each change with the new text, for the program's
// changes and the user's typing alike; setting the same text raises nothing.
void TestFlatEdit::onChangeIsTheTextSignalOncePerChange() {
    Stage s;
    QStringList log;
    connect(&s.edit, &tk::TCustomEdit::OnChange, this,
            [&](const QString& t) { log << t + QLatin1Char('|') + s.edit.text(); });
    const QMetaObject* mo = s.edit.metaObject();
    QCOMPARE(mo->property(mo->indexOfProperty("Text")).notifySignal().name(),
             QByteArray("OnChange"));

    s.edit.setText(QStringLiteral("字"));
    s.edit.setText(QStringLiteral("字"));
    QTest::keyClick(s.edit.lineEdit(), Qt::Key_A);
    s.edit.setText(QString());
    QCOMPARE(log, QStringList({"字|字", "字a|字a", "|"}));
}

// A right click on the text shows the edit's PopupMenu where it has one; without one, the
// text field's own menu (copy, paste, ...).
void TestFlatEdit::rightClickShowsThePopupMenuInsteadOfQtsOwn() {
    Stage s;
    QVERIFY(s.activate());
    // What the window makes of a right click on the text field.
    const auto rightClick = [&] {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                s.edit.lineEdit()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(s.edit.lineEdit(), &click);
    };
    rightClick();
    QWidget* shown = QApplication::activePopupWidget();
    QVERIFY(shown);
    QCOMPARE(shown->objectName(), QStringLiteral("qt_edit_menu"));
    shown->close();

    tk::TPopupMenu popup;
    s.edit.setPopupMenuComponent(&popup);
    rightClick();
    QCOMPARE(QApplication::activePopupWidget(), popup.menu());
    popup.menu()->close();
}

// Qt decides the text field's input method anew when ReadOnly or PasswordChar changes;
// imDisable keeps it off through both.
void TestFlatEdit::imDisableOutlivesReadOnlyAndPasswordChar() {
    TFlatEdit edit;
    QVERIFY(testsupport::acceptsInputMethod(edit));
    edit.setImeMode(tk::imDisable);
    edit.setReadOnly(true);
    edit.setReadOnly(false);
    QVERIFY(!testsupport::acceptsInputMethod(edit));
    edit.setPasswordChar(QStringLiteral("*"));
    edit.setPasswordChar(QString());
    QVERIFY(!testsupport::acceptsInputMethod(edit));
    edit.setImeMode(tk::imChinese);
    QVERIFY(testsupport::acceptsInputMethod(edit));
}

// Without a limit of its own the box holds at most MaxTextLength characters however they
// come, set, pasted or typed, so that no paste makes each keystroke lay out megabytes.
void TestFlatEdit::hugeTextIsCutToWhatTheBoxHolds() {
    TFlatEdit edit;
    const QString huge(10'000'000, QChar(0x5B57));
    edit.setText(huge);
    QCOMPARE(edit.text().size(), tk::TCustomEdit::MaxTextLength);
    edit.setText(QString());
    QGuiApplication::clipboard()->setText(huge);
    QTest::keyClick(edit.lineEdit(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text().size(), tk::TCustomEdit::MaxTextLength);
    QTest::keyClick(edit.lineEdit(), Qt::Key_A);
    QCOMPARE(edit.text().size(), tk::TCustomEdit::MaxTextLength);
    QCOMPARE(edit.maxLength(), 0);
    // One line at most: a copied line's end stays out.
    edit.setText(QStringLiteral("ab"));
    edit.lineEdit()->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("字\r\n典"));
    QTest::keyClick(edit.lineEdit(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("a字b"));
    QGuiApplication::clipboard()->clear();
}

// A disabled edit hears no mouse, also through the text field it hosts.
void TestFlatEdit::disabledEditRaisesNoMouseEvents() {
    Stage s;
    QVERIFY(s.activate());
    QSignalSpy down(&s.edit, &tk::TControl::OnMouseDown);
    QSignalSpy click(&s.edit, &tk::TControl::OnClick);
    for (const bool enabled : {false, true}) {
        s.edit.setEnabled(enabled);
        QTest::mouseClick(s.edit.lineEdit(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(down.count(), int(enabled));
        QCOMPARE(click.count(), int(enabled));
    }
}

ZARVIK_TEST_MAIN(TestFlatEdit)
#include "tst_flatedit.moc"
