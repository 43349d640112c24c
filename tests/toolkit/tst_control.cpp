#include "Application.h"
#include "Canvas.h"
#include "Colors.h"
#include "Edit.h"
#include "Form.h"
#include "Label.h"
#include "Navigation.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace tk;

namespace {

// A focusable custom control that records what reaches it.
class Probe : public TControl {
public:
    explicit Probe(const QString& name, QStringList* log, QWidget* parent = nullptr)
        : TControl(nullptr, parent), m_log(log) {
        setName(name);
        setTabStop(true);
    }
    QChar accelerator;
    bool takeDialogKeys = false;

    bool dialogChar(QChar c) override {
        if (!accelerator.isNull() && c.toUpper() == accelerator.toUpper()) {
            m_log->append(name() + ":char");
            return true;
        }
        return TControl::dialogChar(c);
    }
    bool dialogKey(int key, TShiftState shift) override {
        if (takeDialogKeys && key == VK_RETURN) {
            m_log->append(name() + ":dialogkey");
            return true;
        }
        return TControl::dialogKey(key, shift);
    }
    void enter() override {
        TControl::enter();
        m_log->append(name() + ":enter");
    }
    void exit() override {
        TControl::exit();
        m_log->append(name() + ":exit");
    }

protected:
    void focusGained() override { m_log->append(name() + ":focus"); }
    void paint(Canvas& c) override { c.fillRect(Rect{0, 0, width(), height()}, clRed); }

private:
    QStringList* m_log;
};

constexpr auto grab = &testsupport::picture;

} // namespace

class TestControl : public QObject {
    Q_OBJECT
private slots:
    void periodRule_data();
    void periodRule();
    void errorBoxGoesThroughTheHandler();
    void systemColoursResolveThroughThePalette();
    void colourIdentifiersRoundTrip();
    void parentColourAndFontFollowUntilSetOwn();
    void tabWalksTabStopsInTabOrder();
    void tabOrderAssignmentMovesSiblings();
    void exitThenEnterWhenFocusMoves();
    void accelerratorCharacterReachesTheControlThatClaimsIt();
    void enterGoesToDialogKeysUnlessTheEditWantsIt();
    void clickNeedsPressAndReleaseInside();
    void labelSizesToItsCaptionAndKeepsLineBreaks();
    void stayOnTopTogglesWithoutMoving();
    void windowFollowsTheMouseWhenNoWindowManagerMovesIt();
    void otherButtonsMoveTheWindowUntilTheirOwnRelease();
    void transparentLabelShowsParentPicture();
};

void TestControl::periodRule_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty-stays-empty") << QString() << QString();
    QTest::newRow("letter-gets-period") << "No such file"
                                        << "No such file.";
    QTest::newRow("period-kept") << "Done."
                                 << "Done.";
    QTest::newRow("comma-below-period") << "a,"
                                        << "a,";
    QTest::newRow("bang-below-period") << "Stop!"
                                       << "Stop!";
    QTest::newRow("chinese-gets-period") << QStringLiteral("文件") << QStringLiteral("文件.");
    QTest::newRow("astral-character-whole") << QStringLiteral("𠀀") << QStringLiteral("𠀀.");
}

void TestControl::periodRule() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(withClosingPeriod(message), shown);
}

void TestControl::errorBoxGoesThroughTheHandler() {
    QStringList seen;
    Application::setTitle(QStringLiteral("Zarvik2.2"));
    setErrorBoxHandler([&](const QString& title, const QString& text) { seen << title << text; });
    showException(std::runtime_error("Cannot open file \"/x/cj5.m\". No such file or directory"));
    setErrorBoxHandler({});
    QCOMPARE(seen, (QStringList{"Zarvik2.2",
                                "Cannot open file \"/x/cj5.m\". No such file or directory."}));
}

void TestControl::systemColoursResolveThroughThePalette() {
    QCOMPARE(resolveColor(clBtnFace), rgb(240, 240, 240));
    QCOMPARE(resolveColor(clBtnHighlight), rgb(255, 255, 255));
    QCOMPARE(resolveColor(clBtnShadow), rgb(160, 160, 160));
    QCOMPARE(resolveColor(clWindowText), rgb(0, 0, 0));
    QCOMPARE(resolveColor(clOlive), clOlive); // plain colours pass unchanged
    QCOMPARE(toQColor(clOlive), QColor(128, 128, 0));
    QPalette p = classicPalette();
    p.setColor(QPalette::Button, QColor(1, 2, 3));
    QApplication::setPalette(p);
    QCOMPARE(resolveColor(clBtnFace), rgb(1, 2, 3));
    QApplication::setPalette(classicPalette());
}

void TestControl::colourIdentifiersRoundTrip() {
    QCOMPARE(colorFromIdent(QStringLiteral("clBtnFace")).value(), clBtnFace);
    QCOMPARE(colorFromIdent(QStringLiteral("clolive")).value(), clOlive);
    QCOMPARE(colorToIdent(clSilver).value(), QStringLiteral("clSilver"));
    QVERIFY(!colorToIdent(0x0061A588).has_value());
    QVERIFY(!colorFromIdent(QStringLiteral("clNoSuchColour")).has_value());
}

void TestControl::parentColourAndFontFollowUntilSetOwn() {
    TControl parent;
    parent.setColor(clWhite);
    TControl child(nullptr, &parent);
    QVERIFY(child.parentColor());
    QCOMPARE(child.color(), clWhite); // taken on insertion
    parent.setColor(clSilver);
    QCOMPARE(child.color(), clSilver);
    child.setColor(clOlive);
    QVERIFY(!child.parentColor());
    parent.setColor(clWhite);
    QCOMPARE(child.color(), clOlive);
    child.setParentColor(true);
    QCOMPARE(child.color(), clWhite);

    parent.setFont(Font(QStringLiteral("Tahoma"), 14));
    QCOMPARE(child.font().height(), 14);
    child.setFont(Font(QStringLiteral("Tahoma"), 12));
    parent.setFont(Font(QStringLiteral("Tahoma"), 11));
    QCOMPARE(child.font().height(), 12);
}

void TestControl::tabWalksTabStopsInTabOrder() {
    TForm form;
    QStringList log;
    Probe a(QStringLiteral("a"), &log, &form), b(QStringLiteral("b"), &log, &form),
        c(QStringLiteral("c"), &log, &form);
    TControl panel(nullptr, &form); // a container: its children follow it in tab order
    Probe d(QStringLiteral("d"), &log, &panel);
    b.setTabStop(false);
    c.setTabOrder(0); // c, a, b, panel
    form.setBounds(0, 0, 200, 200);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    c.setFocus();
    QTRY_VERIFY(c.focused());
    QTest::keyClick(&c, Qt::Key_Tab);
    QVERIFY(a.focused());
    QTest::keyClick(&a, Qt::Key_Tab);
    QVERIFY(d.focused()); // b is no tab stop; the panel's child comes after the panel
    QTest::keyClick(&d, Qt::Key_Tab);
    QVERIFY(c.focused()); // wraps round
    QTest::keyClick(&c, Qt::Key_Backtab);
    QVERIFY(d.focused());
    a.setEnabled(false); // a disabled control is passed over
    QTest::keyClick(&d, Qt::Key_Tab);
    QVERIFY(c.focused());
    QTest::keyClick(&c, Qt::Key_Tab);
    QVERIFY(d.focused());
}

void TestControl::tabOrderAssignmentMovesSiblings() {
    TControl parent;
    TControl a(nullptr, &parent), b(nullptr, &parent), c(nullptr, &parent);
    QCOMPARE((QList<int>{a.tabOrder(), b.tabOrder(), c.tabOrder()}), (QList<int>{0, 1, 2}));
    c.setTabOrder(0);
    QCOMPARE((QList<int>{a.tabOrder(), b.tabOrder(), c.tabOrder()}), (QList<int>{1, 2, 0}));
    a.setTabOrder(99); // beyond the end: last
    QCOMPARE((QList<int>{a.tabOrder(), b.tabOrder(), c.tabOrder()}), (QList<int>{2, 1, 0}));
    QCOMPARE(parent.tabList(), (QList<TControl*>{&c, &b, &a}));
}

void TestControl::exitThenEnterWhenFocusMoves() {
    TForm form;
    QStringList log;
    Probe a(QStringLiteral("a"), &log, &form), b(QStringLiteral("b"), &log, &form);
    int enters = 0;
    b.OnEnter = [&] { ++enters; };
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    a.setFocus();
    QTRY_VERIFY(a.focused());
    log.clear();
    b.setFocus();
    QTRY_VERIFY(b.focused());
    // The notifications of the move come before the new control's own focus handling.
    QCOMPARE(log, (QStringList{"a:exit", "b:enter", "b:focus"}));
    QCOMPARE(enters, 1);
    QCOMPARE(form.activeControl(), &b);
}

void TestControl::accelerratorCharacterReachesTheControlThatClaimsIt() {
    TForm form;
    QStringList log;
    Probe a(QStringLiteral("a"), &log, &form), b(QStringLiteral("b"), &log, &form);
    TControl panel(nullptr, &form);
    Probe inner(QStringLiteral("inner"), &log, &panel);
    inner.accelerator = QLatin1Char('t');
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    a.setFocus();
    QTRY_VERIFY(a.focused());
    log.clear();
    QTest::keyClick(&a, Qt::Key_T, Qt::AltModifier);
    QCOMPARE(log, QStringList{"inner:char"});
    log.clear();
    QTest::keyClick(&a, Qt::Key_T); // a custom control takes no characters: offered too
    QCOMPARE(log, QStringList{"inner:char"});
    log.clear();
    QTest::keyClick(&a, Qt::Key_X);
    QVERIFY(log.isEmpty());
}

void TestControl::enterGoesToDialogKeysUnlessTheEditWantsIt() {
    TForm form;
    QStringList log;
    Probe button(QStringLiteral("button"), &log, &form);
    button.takeDialogKeys = true;
    TCustomEdit edit(nullptr, &form);
    QString pressed;
    edit.OnKeyPress = [&](QChar& k) { pressed += k; };
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    edit.setFocus();
    QTRY_VERIFY(edit.focused());
    QTest::keyClick(edit.lineEdit(), Qt::Key_Return);
    QCOMPARE(log, QStringList{"button:dialogkey"}); // a single-line edit leaves Enter to the form
    QVERIFY(pressed.isEmpty());
    log.clear();
    edit.setWantsAllKeys(true);
    QTest::keyClick(edit.lineEdit(), Qt::Key_Return);
    QVERIFY(log.isEmpty());
    QCOMPARE(pressed, QStringLiteral("\r"));
    QTest::keyClicks(edit.lineEdit(), QStringLiteral("ab"));
    QCOMPARE(edit.text(), QStringLiteral("ab"));
    QCOMPARE(pressed, QStringLiteral("\rab"));
}

void TestControl::clickNeedsPressAndReleaseInside() {
    QWidget host;
    host.resize(200, 100);
    TControl c(nullptr, &host);
    c.setBounds(10, 10, 50, 20);
    int clicks = 0;
    QStringList order;
    c.OnClick = [&] {
        ++clicks;
        order << "click";
    };
    c.OnMouseUp = [&](TMouseButton, TShiftState, int, int) { order << "up"; };
    host.show();
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicks, 1);
    QCOMPARE(order, (QStringList{"click", "up"}));
    QTest::mousePress(&c, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&c, Qt::LeftButton, {}, QPoint(80, 5)); // released outside
    QCOMPARE(clicks, 1);
    QTest::mouseClick(&c, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(clicks, 1);
}

void TestControl::labelSizesToItsCaptionAndKeepsLineBreaks() {
    TLabel label;
    label.setFont(Font(QStringLiteral("Tahoma"), 13));
    label.setCaption(QStringLiteral("Hx"));
    const int oneLine = label.height();
    QCOMPARE(oneLine, 16); // the font's cell height
    QVERIFY(label.width() > 0);
    label.setCaption(QStringLiteral("Hx\r\nHxHxHx"));
    QCOMPARE(label.height(), 2 * oneLine);
    label.setCaption(QStringLiteral("&Go"));
    const int withPrefix = label.width();
    label.setCaption(QStringLiteral("Go"));
    QCOMPARE(label.width(), withPrefix); // "&" is not drawn
}

void TestControl::transparentLabelShowsParentPicture() {
    TControl parent;
    parent.setBounds(0, 0, 60, 30);
    parent.setColor(clOlive);
    TLabel label(nullptr, &parent);
    label.setAutoSize(false);
    label.setBounds(10, 5, 30, 16);
    label.setCaption(QString());
    label.setColor(clWhite);
    QCOMPARE(grab(label).pixel(2, 2), qRgb(255, 255, 255));
    label.setTransparent(true);
    QCOMPARE(grab(label).pixel(2, 2), qRgb(128, 128, 0));
}

void TestControl::stayOnTopTogglesWithoutMoving() {
    TForm form;
    form.setBorderStyle(bsNone);
    form.setBounds(257, 289, 194, 233);
    form.setStayOnTop(true); // before the window exists
    QVERIFY(form.isStayOnTop());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const WId id = form.winId();
    form.setStayOnTop(false);
    QVERIFY(!form.isStayOnTop());
    form.setStayOnTop(true);
    form.setStayOnTop(true); // the band it is already in: harmless
    QVERIFY(form.isStayOnTop());
    QCOMPARE(form.winId(), id); // the same native window
    QCOMPARE(form.pos(), QPoint(257, 289));
    QCOMPARE(form.size(), QSize(194, 233));
}

void TestControl::windowFollowsTheMouseWhenNoWindowManagerMovesIt() {
    TForm form;
    form.setBorderStyle(bsNone);
    form.setBounds(100, 100, 194, 233);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCursor::setPos(form.mapToGlobal(QPoint(10, 10)));
    form.startSystemMove(); // the offscreen platform has no window manager to ask
    QCursor::setPos(form.mapToGlobal(QPoint(50, 30)));
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 30), QPointF(QCursor::pos()), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &move);
    QCOMPARE(form.pos(), QPoint(140, 120));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(50, 30), QPointF(QCursor::pos()),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &release);
    QMouseEvent later(QEvent::MouseMove, QPointF(0, 0), QPointF(0, 0), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&form, &later);
    QCOMPARE(form.pos(), QPoint(140, 120)); // the move ended with the release
}

void TestControl::otherButtonsMoveTheWindowUntilTheirOwnRelease() {
    TForm form;
    form.setBorderStyle(bsNone);
    form.setBounds(100, 100, 194, 233);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const auto send = [&form](QEvent::Type type, QPoint global, Qt::MouseButton button,
                              Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(form.mapFromGlobal(global)), QPointF(global), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(&form, &e);
    };
    QCursor::setPos(QPoint(110, 110));
    form.startSystemMove(mbRight);
    send(QEvent::MouseMove, {150, 130}, Qt::NoButton, Qt::RightButton);
    QCOMPARE(form.pos(), QPoint(140, 120));
    // Another button pressed and released on the way: nothing happens, the move goes on.
    send(QEvent::MouseButtonPress, {150, 130}, Qt::LeftButton, Qt::RightButton | Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {150, 130}, Qt::LeftButton, Qt::RightButton);
    send(QEvent::MouseMove, {160, 140}, Qt::NoButton, Qt::RightButton);
    QCOMPARE(form.pos(), QPoint(150, 130));
    send(QEvent::MouseButtonRelease, {160, 140}, Qt::RightButton, Qt::NoButton);
    send(QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::NoButton);
    QCOMPARE(form.pos(), QPoint(150, 130)); // the release of the right button ended it
    QVERIFY(!QWidget::mouseGrabber());

    // The release never came (a broken grab): a move without the button ends the move.
    form.startSystemMove(mbMiddle);
    send(QEvent::MouseMove, {210, 210}, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseMove, {220, 220}, Qt::NoButton, Qt::MiddleButton);
    QCOMPARE(form.pos(), QPoint(150, 130));
    QVERIFY(!QWidget::mouseGrabber());
}

ZARVIK_TEST_MAIN(TestControl)
#include "tst_control.moc"
