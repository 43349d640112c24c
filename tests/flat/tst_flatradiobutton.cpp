#include "Action.h"
#include "Classes.h"
#include "Colors.h"
#include "FlatRadioButton.h"
#include "Form.h"
#include "Layout.h"
#include "Registration.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace flat;
using tk::TColor;

namespace {

using testsupport::picture;
using testsupport::rgbOf;

// Two buttons of one group on an active form, with their clicks logged in order.
struct Scene {
    tk::TForm form;
    TFlatRadioButton a{nullptr, &form};
    TFlatRadioButton b{nullptr, &form};
    QStringList log;

    Scene() {
        form.setBounds(0, 0, 300, 120);
        a.setBounds(10, 10, 121, 15);
        b.setBounds(10, 40, 121, 15);
        a.setCaption(QStringLiteral("&Five"));
        b.setCaption(QStringLiteral("T&hree"));
        QObject::connect(&a, &tk::TControl::OnClick,
                         [this] { log << (a.isChecked() && !b.isChecked() ? "a" : "a?"); });
        QObject::connect(&b, &tk::TControl::OnClick,
                         [this] { log << (b.isChecked() && !a.isChecked() ? "b" : "b?"); });
        QObject::connect(&b, &tk::TControl::OnEnter, [this] { log << "b:enter"; });
    }
    bool activate() { return testsupport::activate(form); }
};

} // namespace

class TestFlatRadioButton : public QObject {
    Q_OBJECT

private slots:
    void checkingByCodeClicks_data();
    void checkingByCodeClicks();
    void clearsOnlySameParentAndGroupIndex();
    void clearingUnchecksAutoCheckActions();
    void userPressClicksThriceThenOnce();
    void focusByAnyMeansChecks();
    void onlyTheCheckedButtonIsATabStop();
    void doubleClickAndReleaseAreTheButtons();
    void pressedLookStaysAfterReleaseOutside();
    void circleAndDotPixels_data();
    void circleAndDotPixels();
    void layoutRestoresTheCheckedButton();
    void checkedChangedComesOncePerChange();
    void buttonDestroyedByItsClickIsLeftAlone();
};

void TestFlatRadioButton::checkingByCodeClicks_data() {
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QStringList>("clicks");
    QTest::newRow("enabled-twice") << true << QStringList{"b", "b"};
    QTest::newRow("disabled-once") << false << QStringList{"b"};
}

void TestFlatRadioButton::checkingByCodeClicks() {
    QFETCH(bool, enabled);
    QFETCH(QStringList, clicks);
    Scene s;
    s.a.setChecked(true);
    s.log.clear();
    s.b.setEnabled(enabled);
    // The sibling is already unchecked when the first click runs.
    s.b.setChecked(true);
    QCOMPARE(s.log, clicks);
    QVERIFY(!s.a.isChecked());
    QVERIFY(s.b.tabStop());
    QVERIFY(!s.a.tabStop());
    s.b.setChecked(true);  // unchanged
    s.b.setChecked(false); // unchecking leaves the group empty and fires nothing
    QCOMPARE(s.log, clicks);
    QVERIFY(!s.a.isChecked() && !s.b.isChecked());
    QVERIFY(!s.b.tabStop());
}

void TestFlatRadioButton::clearsOnlySameParentAndGroupIndex() {
    tk::TControl sheet, elsewhere;
    TFlatRadioButton a(nullptr, &sheet), b(nullptr, &sheet), other(nullptr, &sheet);
    TFlatRadioButton far(nullptr, &elsewhere);
    tk::TControl plain(nullptr, &sheet); // not a radio button: never touched
    other.setGroupIndex(1);
    a.setChecked(true);
    other.setChecked(true);
    far.setChecked(true);
    QVERIFY(a.isChecked() && other.isChecked() && far.isChecked());
    b.setChecked(true);
    QVERIFY(!a.isChecked());
    QVERIFY(other.isChecked()); // another GroupIndex
    QVERIFY(far.isChecked());   // another parent
    TFlatRadioButton loose;     // no parent: nothing to clear, still clicks
    int clicks = 0;
    QObject::connect(&loose, &tk::TControl::OnClick, [&] { ++clicks; });
    loose.setChecked(true);
    QCOMPARE(clicks, 2);
}

void TestFlatRadioButton::clearingUnchecksAutoCheckActions() {
    tk::TControl sheet;
    TFlatRadioButton a(nullptr, &sheet), b(nullptr, &sheet), c(nullptr, &sheet);
    tk::TAction autoAction, plainAction;
    autoAction.setAutoCheck(true);
    autoAction.setChecked(true);
    plainAction.setChecked(true);
    a.setAction(&autoAction);
    b.setAction(&plainAction);
    c.setChecked(true);
    QVERIFY(!autoAction.checked());
    QVERIFY(plainAction.checked()); // without AutoCheck the action keeps its state
    QVERIFY(!b.isChecked());
    // The action's Checked reaches its client, and the click that follows runs nothing.
    int executed = 0;
    QObject::connect(&autoAction, &tk::TAction::OnExecute, [&] { ++executed; });
    autoAction.setChecked(true);
    QVERIFY(a.isChecked() && !c.isChecked());
    QCOMPARE(executed, 0);
    QVERIFY(autoAction.checked());
    // Clicked again, the client stays checked: the action takes its state, not a flip.
    a.click();
    QVERIFY(a.isChecked() && autoAction.checked());
    QCOMPARE(executed, 1);
}

void TestFlatRadioButton::userPressClicksThriceThenOnce() {
    Scene s;
    QVERIFY(s.activate());
    s.a.setFocus();
    QTRY_VERIFY(s.a.hasFocus());
    s.log.clear();
    // Exit and enter, the focus that checks it (two clicks), then the press's own click.
    QTest::mousePress(&s.b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(s.log, (QStringList{"b:enter", "b", "b", "b"}));
    QTest::mouseRelease(&s.b, Qt::LeftButton, {}, QPoint(5, 5));
    s.log.clear();
    QTest::mouseClick(&s.b, Qt::LeftButton, {}, QPoint(5, 5)); // focused and checked
    QCOMPARE(s.log, QStringList{"b"});
}

void TestFlatRadioButton::focusByAnyMeansChecks() {
    Scene s;
    tk::TControl neutral(nullptr, &s.form);
    neutral.setBounds(200, 10, 20, 20);
    QVERIFY(s.activate());
    neutral.setFocus();
    QTRY_VERIFY(neutral.hasFocus());
    s.b.setFocus(); // by code
    QVERIFY(s.b.isChecked());
    QCOMPARE(s.log, (QStringList{"b:enter", "b", "b"}));

    neutral.setFocus();
    s.log.clear();
    QTest::keyClick(&neutral, Qt::Key_F, Qt::AltModifier); // a's accelerator
    QVERIFY(s.a.hasFocus());
    QVERIFY(s.a.isChecked());
    QVERIFY(!s.b.isChecked());
    QCOMPARE(s.log, (QStringList{"a", "a"}));
}

void TestFlatRadioButton::onlyTheCheckedButtonIsATabStop() {
    Scene s;
    tk::TControl before(nullptr, &s.form);
    before.setTabStop(true);
    before.setTabOrder(0);
    s.b.setChecked(true);
    QVERIFY(s.activate());
    before.setFocus();
    QTRY_VERIFY(before.hasFocus());
    s.log.clear();
    QTest::keyClick(&before, Qt::Key_Tab); // a is no tab stop: straight to b
    QVERIFY(s.b.hasFocus());
    QVERIFY(s.b.isChecked());
    QCOMPARE(s.log, QStringList{"b:enter"}); // already checked: no click
}

void TestFlatRadioButton::doubleClickAndReleaseAreTheButtons() {
    Scene s;
    QVERIFY(s.activate());
    const testsupport::MouseLog mouse(s.b);
    QTest::mouseClick(&s.b, Qt::LeftButton, {}, QPoint(5, 5));
    const qsizetype afterClick = s.log.size();
    QTest::mouseDClick(&s.b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&s.b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(s.log.size(), afterClick);             // the double click does not click
    QCOMPARE(mouse.downsDouble, QList<bool>{true}); // the left press raises no OnMouseDown
    QCOMPARE(mouse.doubles, 0);
    QCOMPARE(mouse.ups, 0);
}

void TestFlatRadioButton::pressedLookStaysAfterReleaseOutside() {
    Scene s;
    s.b.setTransparent(false);
    s.b.setControlFont(tk::Font(QStringLiteral("Tahoma"), 13));
    QVERIFY(s.activate());
    const auto fill = [&] { return picture(s.b).pixel(8, 4); }; // inside the circle, above the dot
    QCOMPARE(fill(), rgbOf(s.b.color()));
    QTest::mousePress(&s.b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&s.b, Qt::LeftButton, {}, QPoint(5, 200)); // not heard
    QCOMPARE(fill(), rgbOf(s.b.colorDown()));
    QTest::mouseRelease(&s.b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(fill(), rgbOf(s.b.colorFocused()));
}

void TestFlatRadioButton::circleAndDotPixels_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("left-unchecked") << int(lpLeft) << false << true;
    QTest::newRow("left-checked") << int(lpLeft) << true << true;
    QTest::newRow("right-checked") << int(lpRight) << true << true;
    QTest::newRow("disabled-dot-in-shadow") << int(lpLeft) << true << false;
}

void TestFlatRadioButton::circleAndDotPixels() {
    QFETCH(int, layout);
    QFETCH(bool, checked);
    QFETCH(bool, enabled);
    TFlatRadioButton r;
    r.setTransparent(false);
    r.setControlFont(tk::Font(QStringLiteral("Tahoma"), 13));
    r.setLayoutPosition(TLayoutPosition(layout));
    r.setChecked(checked);
    r.setEnabled(enabled);
    const QImage img = picture(r);
    QCOMPARE(r.height(), 18);
    const int left = layout == lpLeft ? 1 : r.width() - 15;
    const int top = 2; // 14 x 14, centred in 18 rows
    const QRgb face = rgbOf(r.color());
    const QRgb border = rgbOf(r.colorBorder());
    const QRgb dot = !checked ? face : enabled ? rgbOf(r.colorChecked()) : rgbOf(tk::clBtnShadow);

    QCOMPARE(img.pixel(left, top), face); // the corners lie outside the circle
    QCOMPARE(img.pixel(left + 13, top + 13), face);
    QCOMPARE(img.pixel(left + 7, top), border); // the outline at the four extremes
    QCOMPARE(img.pixel(left + 7, top + 13), border);
    QCOMPARE(img.pixel(left, top + 7), border);
    QCOMPARE(img.pixel(left + 13, top + 7), border);
    QCOMPARE(img.pixel(left + 7, top + 2), face); // between outline and dot
    // The dot: 8 x 8 from (3, 3), round.
    QCOMPARE(img.pixel(left + 7, top + 7), dot);
    QCOMPARE(img.pixel(left + 7, top + 3), dot);
    QCOMPARE(img.pixel(left + 3, top + 7), dot);
    QCOMPARE(img.pixel(left + 10, top + 7), dot);
    QCOMPARE(img.pixel(left + 3, top + 3), face);
}

void TestFlatRadioButton::layoutRestoresTheCheckedButton() {
    registerFlatClasses();
    tk::TForm form;
    tk::readLayout(&form, QStringLiteral("object Form1: TForm\n"
                                         "  object Five: TFlatRadioButton\n"
                                         "    Checked = True\n"
                                         "  end\n"
                                         "  object Three: TFlatRadioButton\n"
                                         "    GroupIndex = 1\n"
                                         "    Layout = lpRight\n"
                                         "  end\n"
                                         "end\n"));
    auto* five = dynamic_cast<TFlatRadioButton*>(form.findComponent(QStringLiteral("Five")));
    auto* three = dynamic_cast<TFlatRadioButton*>(form.findComponent(QStringLiteral("Three")));
    QVERIFY(five && three);
    QVERIFY(five->isChecked() && five->tabStop());
    QCOMPARE(three->groupIndex(), 1);
    QCOMPARE(three->layoutPosition(), lpRight);
    const QString text = tk::writeLayout(&form);
    QVERIFY2(text.contains(QStringLiteral("Checked = True")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Version = '4.56.0.0'")), qPrintable(text));
}

// One signal per change of Checked: the unchecked sibling's first, then the checked
// button's, before its two clicks.
void TestFlatRadioButton::checkedChangedComesOncePerChange() {
    Scene s;
    s.a.setChecked(true);
    s.log.clear();
    for (auto [button, name] : {std::pair{&s.a, "a"}, std::pair{&s.b, "b"}}) {
        const QString n = QLatin1String(name);
        QObject::connect(button, &TDefineRadioButton::checkedChanged, [&s, button, n] {
            s.log << n + (button->isChecked() ? ":checked" : ":unchecked");
        });
    }
    QSignalSpy spy(&s.b, &TDefineRadioButton::checkedChanged);
    s.b.setChecked(true);
    QCOMPARE(s.log, (QStringList{"a:unchecked", "b:checked", "b", "b"}));
    s.b.click(); // already checked: a click, no change
    s.b.setChecked(false);
    QCOMPARE(s.log, (QStringList{"a:unchecked", "b:checked", "b", "b", "b", "b:unchecked"}));
    QCOMPARE(spy.count(), 2);
}

// Its first click may destroy the button: the second, the notification and the repaint
// then do not happen.
void TestFlatRadioButton::buttonDestroyedByItsClickIsLeftAlone() {
    tk::TControl sheet;
    TFlatRadioButton other(nullptr, &sheet);
    other.setChecked(true);
    QPointer<TFlatRadioButton> b = new TFlatRadioButton(nullptr, &sheet);
    int clicks = 0;
    QObject::connect(b, &tk::TControl::OnClick, [&] {
        ++clicks;
        delete b.data();
    });
    b->setChecked(true);
    QVERIFY(b.isNull());
    QCOMPARE(clicks, 1);
    QVERIFY(!other.isChecked());
}

ZARVIK_TEST_MAIN(TestFlatRadioButton)
#include "tst_flatradiobutton.moc"
