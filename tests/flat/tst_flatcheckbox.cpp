#include "Classes.h"
#include "Colors.h"
#include "FlatCheckBox.h"
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

constexpr TColor Face = 0x00E1EAEB; // the default Color

bool hasPixel(const QImage& img, QRgb c) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == c) return true;
    return false;
}

void enterMouse(QWidget& w) {
    QEnterEvent e(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
    QApplication::sendEvent(&w, &e);
}

// Records the value-changed notification beside the clicks.
class LoggingCheckBox : public TFlatCheckBox {
public:
    using TFlatCheckBox::TFlatCheckBox;
    QStringList* log = nullptr;

protected:
    void changed() override {
        if (log) log->append(QStringLiteral("changed"));
    }
};

// A form with the check box under test and a second control to take the focus.
struct Scene {
    tk::TForm form;
    LoggingCheckBox box{nullptr, &form};
    TFlatCheckBox other{nullptr, &form};
    QStringList log;
    int clicks = 0;

    Scene() {
        form.setBounds(0, 0, 300, 120);
        box.setBounds(10, 10, 121, 15);
        other.setBounds(10, 60, 121, 15);
        box.setTransparent(false);
        box.log = &log;
        QObject::connect(&box, &tk::TControl::OnClick, [this] {
            ++clicks;
            log.append(box.isChecked() ? QStringLiteral("click:checked")
                                       : QStringLiteral("click:unchecked"));
        });
    }
    bool activate() { return testsupport::activate(form); }
    // The box's fill, one pixel inside its frame at the top-left (never under the mark).
    QRgb boxFill() {
        const QImage img = picture(box);
        const tk::Rect r = markRect(lpLeft, box.width(), box.height());
        return img.pixel(r.Left + 1, r.Top + 1);
    }
};

} // namespace

class TestFlatCheckBox : public QObject {
    Q_OBJECT

private slots:
    void onClickFollowsEveryChangeWhileEnabled();
    void cycleOfPresses_data();
    void cycleOfPresses();
    void doubleClickDoesNotToggleBack();
    void pressedLookStaysAfterReleaseOutside();
    void acceleratorAndSpaceToggle();
    void autoSizeFollowsCaptionAndFont_data();
    void autoSizeFollowsCaptionAndFont();
    void boxAndMarkPixels_data();
    void boxAndMarkPixels();
    void disabledCaptionIsEngraved();
    void focusRectangleOnlyWhileFocused();
    void layoutStoresAndRestoresTheBox();
    void sizeFollowsCaptionWithoutPainting();
    void signalsComeRightBeforeTheClick();
    void boxDestroyedByItsClickIsLeftAlone();
    void colourIndexOutsideTheFourIsRefused();
};

void TestFlatCheckBox::onClickFollowsEveryChangeWhileEnabled() {
    Scene s;
    // GIVEN an enabled, unchecked box; WHEN code checks it THEN one click, after the
    // notification, with the new value already readable.
    s.box.setChecked(true);
    QCOMPARE(s.log, (QStringList{"changed", "click:checked"}));
    s.box.setChecked(true); // unchanged: nothing
    s.box.setState(cbChecked);
    QCOMPARE(s.clicks, 1);
    s.box.setState(cbGrayed);
    QCOMPARE(s.clicks, 2);
    QVERIFY(!s.box.isChecked()); // grayed reads as not checked

    // Disabled: the value changes, nothing fires.
    s.box.setEnabled(false);
    s.box.setChecked(true);
    QCOMPARE(s.box.state(), cbChecked);
    QCOMPARE(s.clicks, 2);
}

void TestFlatCheckBox::cycleOfPresses_data() {
    QTest::addColumn<bool>("allowGrayed");
    QTest::addColumn<QList<int>>("states");
    QTest::newRow("two-state") << false << QList<int>{cbChecked, cbUnchecked, cbChecked};
    QTest::newRow("three-state") << true << QList<int>{cbGrayed, cbChecked, cbUnchecked};
}

void TestFlatCheckBox::cycleOfPresses() {
    QFETCH(bool, allowGrayed);
    QFETCH(QList<int>, states);
    Scene s;
    QVERIFY(s.activate());
    s.box.setAllowGrayed(allowGrayed);
    for (int i = 0; i < states.size(); ++i) {
        QTest::mouseClick(&s.box, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(int(s.box.state()), states[i]);
        QCOMPARE(s.clicks, i + 1);
    }
    QVERIFY(s.box.hasFocus()); // the press takes the focus
}

void TestFlatCheckBox::doubleClickDoesNotToggleBack() {
    Scene s;
    QVERIFY(s.activate());
    const testsupport::MouseLog mouse(s.box);
    QTest::mouseClick(&s.box, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(&s.box, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&s.box, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(s.box.isChecked());
    QCOMPARE(s.clicks, 1);
    QCOMPARE(mouse.downsDouble, (QList<bool>{false, true}));
    QCOMPARE(mouse.doubles, 0);
    QCOMPARE(mouse.ups, 0); // the left release is the box's own
    QTest::mouseClick(&s.box, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(mouse.ups, 1);
    QVERIFY(s.box.isChecked());
}

void TestFlatCheckBox::pressedLookStaysAfterReleaseOutside() {
    Scene s;
    QVERIFY(s.activate());
    QTest::mousePress(&s.box, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&s.box, Qt::LeftButton, {}, QPoint(5, 200)); // not heard
    QCOMPARE(s.boxFill(), rgbOf(s.box.colorDown()));
    s.other.setFocus(); // neither focused nor hot: idle fill, though still pressed
    QCOMPARE(s.boxFill(), rgbOf(s.box.color()));
    enterMouse(s.box); // hot again: the stuck press shows
    QCOMPARE(s.boxFill(), rgbOf(s.box.colorDown()));
    QTest::mouseRelease(&s.box, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(s.boxFill(), rgbOf(s.box.colorFocused()));

    // Disabling while hot and pressed clears both looks at once.
    QTest::mousePress(&s.box, Qt::LeftButton, {}, QPoint(5, 5));
    s.box.setEnabled(false);
    s.box.setEnabled(true);
    s.other.setFocus();
    QCOMPARE(s.boxFill(), rgbOf(s.box.color()));
}

void TestFlatCheckBox::acceleratorAndSpaceToggle() {
    Scene s;
    s.box.setCaption(QStringLiteral("S&tay on top"));
    QVERIFY(s.activate());
    s.other.setFocus();
    QTRY_VERIFY(s.other.hasFocus());

    QTest::keyClick(&s.other, Qt::Key_T, Qt::AltModifier);
    QVERIFY(s.box.hasFocus());
    QCOMPARE(s.box.state(), cbChecked);
    s.other.setFocus();
    QTest::keyClick(&s.other,
                    Qt::Key_T); // offered by the form: a custom control takes no characters
    QVERIFY(s.box.hasFocus());
    QCOMPARE(s.box.state(), cbUnchecked);
    QTest::keyClick(&s.box, Qt::Key_Space);
    QCOMPARE(s.box.state(), cbChecked);
    QCOMPARE(s.clicks, 3);

    s.other.setFocus();
    QTest::keyClick(&s.other, Qt::Key_Space); // only the focused box
    QCOMPARE(s.box.state(), cbChecked);
    QCOMPARE(s.other.state(), cbChecked);
    QTest::keyClick(&s.other, Qt::Key_X);
    QCOMPARE(s.clicks, 3);
}

void TestFlatCheckBox::autoSizeFollowsCaptionAndFont_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("fontHeight");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("widthFollows");
    QTest::newRow("left-13px") << int(lpLeft) << 13 << QStringLiteral("&Top") << true;
    QTest::newRow("left-14px-cjk") << int(lpLeft) << 14 << QStringLiteral("置顶") << true;
    QTest::newRow("left-empty") << int(lpLeft) << 13 << QString() << true;
    QTest::newRow("right-keeps-width") << int(lpRight) << 13 << QStringLiteral("&Top") << false;
}

void TestFlatCheckBox::autoSizeFollowsCaptionAndFont() {
    QFETCH(int, layout);
    QFETCH(int, fontHeight);
    QFETCH(QString, caption);
    QFETCH(bool, widthFollows);
    TFlatCheckBox box;
    box.setControlFont(tk::Font(QStringLiteral("Tahoma"), fontHeight));
    box.setCaption(caption);
    box.setLayoutPosition(TLayoutPosition(layout));
    box.setBounds(0, 0, 121, 15);

    QImage scratch(1, 1, QImage::Format_RGB32);
    tk::Canvas c(scratch);
    c.setFont(box.controlFont());
    const int cell = box.controlFont().metrics().height; // 16 at 13 px, 17 at 14 px
    const int expectedWidth =
        widthFollows ? c.textWidth(QString(caption).remove(QLatin1Char('&'))) + cell + 5 : 121;
    QCOMPARE(box.height(), cell + 2);
    QCOMPARE(box.width(), expectedWidth);
}

void TestFlatCheckBox::boxAndMarkPixels_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("left-checked") << int(lpLeft) << int(cbChecked) << true;
    QTest::newRow("right-checked") << int(lpRight) << int(cbChecked) << true;
    QTest::newRow("grayed-draws-no-mark") << int(lpLeft) << int(cbGrayed) << true;
    QTest::newRow("disabled-mark-in-shadow") << int(lpLeft) << int(cbChecked) << false;
}

void TestFlatCheckBox::boxAndMarkPixels() {
    QFETCH(int, layout);
    QFETCH(int, state);
    QFETCH(bool, enabled);
    TFlatCheckBox box;
    box.setTransparent(false);
    box.setControlFont(tk::Font(QStringLiteral("Tahoma"), 13));
    box.setLayoutPosition(TLayoutPosition(layout));
    box.setState(TCheckBoxState(state));
    box.setEnabled(enabled);
    const QImage img = picture(box);
    QCOMPARE(box.height(), 18);

    // 14 x 14, centred: rows 2 .. 15; one pixel in from its side.
    const int left = layout == lpLeft ? 1 : box.width() - 15;
    const tk::Rect r{left, 2, left + 14, 16};
    QCOMPARE(markRect(TLayoutPosition(layout), box.width(), box.height()), r);
    const QRgb border = rgbOf(box.colorBorder());
    for (int i = 0; i < 14; ++i) {
        QCOMPARE(img.pixel(r.Left + i, r.Top), border);
        QCOMPARE(img.pixel(r.Left + i, r.Bottom - 1), border);
        QCOMPARE(img.pixel(r.Left, r.Top + i), border);
        QCOMPARE(img.pixel(r.Right - 1, r.Top + i), border);
    }
    QCOMPARE(img.pixel(r.Left - 1, r.Top + 5), rgbOf(Face)); // just outside
    QCOMPARE(img.pixel(r.Left + 1, r.Top + 1), rgbOf(Face)); // idle fill

    const QRgb mark = state == cbChecked
                          ? (enabled ? rgbOf(box.colorChecked()) : rgbOf(tk::clBtnShadow))
                          : rgbOf(Face);
    // The short stroke, the corner and the long stroke, three pixels thick.
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(img.pixel(r.Left + 3, r.Top + 6 + k), mark);
        QCOMPARE(img.pixel(r.Left + 5, r.Top + 8 + k), mark);
        QCOMPARE(img.pixel(r.Left + 10, r.Top + 3 + k), mark);
    }
    QCOMPARE(img.pixel(r.Left + 5, r.Top + 11), rgbOf(Face)); // below the thickness
    QCOMPARE(img.pixel(r.Left + 11, r.Top + 3), rgbOf(Face)); // the strokes' end points
    QCOMPARE(img.pixel(r.Left + 2, r.Top + 6), rgbOf(Face));  // before the start
}

void TestFlatCheckBox::disabledCaptionIsEngraved() {
    TFlatCheckBox box;
    box.setTransparent(false);
    box.setControlFont(tk::Font(QStringLiteral("Tahoma"), 13));
    box.setCaption(QStringLiteral("Hold"));
    const QRgb text = rgbOf(tk::clWindowText);
    QVERIFY(hasPixel(picture(box), text));
    box.setEnabled(false);
    const QImage img = picture(box);
    QVERIFY(!hasPixel(img, text));
    QVERIFY(hasPixel(img, rgbOf(tk::clBtnShadow)));
    QVERIFY(hasPixel(img, rgbOf(tk::clBtnHighlight)));
}

void TestFlatCheckBox::focusRectangleOnlyWhileFocused() {
    Scene s;
    s.box.setControlFont(tk::Font(QStringLiteral("Tahoma"), 13));
    QVERIFY(s.activate());
    const QRgb idle = rgbOf(s.box.color()); // opaque takes the parent's colour
    QCOMPARE(idle, rgbOf(tk::clBtnFace));
    QCOMPARE(picture(s.box).pixel(0, 0), idle);
    s.box.setFocus();
    QTRY_VERIFY(s.box.hasFocus());
    const QImage img = picture(s.box);
    QVERIFY(img.pixel(0, 0) != idle); // every other pixel of the ring inverted
    QCOMPARE(img.pixel(1, 0), idle);
    QVERIFY(img.pixel(img.width() - 1, img.height() - 1) != idle ||
            img.pixel(img.width() - 2, img.height() - 1) != idle);

    // Disabling the focused box takes the focus from it, and every sign of it.
    s.box.setEnabled(false);
    s.box.setEnabled(true);
    QCOMPARE(s.boxFill(), idle);
    QCOMPARE(picture(s.box).pixel(0, 0), idle);
}

void TestFlatCheckBox::layoutStoresAndRestoresTheBox() {
    registerFlatClasses();
    tk::TForm form;
    form.setName(QStringLiteral("Form1"));
    auto* box = new TFlatCheckBox(&form, &form);
    box->setName(QStringLiteral("Box"));
    box->setAllowGrayed(true);
    box->setState(cbGrayed);
    box->setLayoutPosition(lpRight);
    box->setColorChecked(tk::clOlive);
    const QString text = tk::writeLayout(&form);
    QVERIFY2(text.contains(QStringLiteral("Version = '4.56.0.0'")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("State = cbGrayed")), qPrintable(text));

    tk::TForm copy;
    tk::readLayout(&copy, text);
    auto* read = dynamic_cast<TFlatCheckBox*>(copy.findComponent(QStringLiteral("Box")));
    QVERIFY(read);
    QCOMPARE(read->state(), cbGrayed);
    QVERIFY(read->allowGrayed());
    QCOMPARE(read->layoutPosition(), lpRight);
    QCOMPARE(read->colorChecked(), tk::clOlive);
    QCOMPARE(read->version(), QStringLiteral("4.56.0.0"));
}

void TestFlatCheckBox::sizeFollowsCaptionWithoutPainting() {
    tk::TControl parent;
    TFlatCheckBox box(nullptr, &parent);
    const auto expected = [&](const QString& caption) {
        QImage scratch(1, 1, QImage::Format_RGB32);
        tk::Canvas c(scratch);
        c.setFont(box.controlFont());
        const int cell = box.controlFont().metrics().height;
        return QSize(c.textWidth(caption) + cell + 5, cell + 2);
    };
    box.setCaption(QStringLiteral("A longer caption"));
    QCOMPARE(box.size(), expected(QStringLiteral("A longer caption")));
    parent.setControlFont(tk::Font(QStringLiteral("Tahoma"), 14)); // followed by ParentFont
    QCOMPARE(box.size(), expected(QStringLiteral("A longer caption")));
    QCOMPARE(box.sizeHint(), box.size());
    box.setBounds(3, 4, 200, 40); // the caption's size wins
    QCOMPARE(box.size(), expected(QStringLiteral("A longer caption")));
    QCOMPARE(box.pos(), QPoint(3, 4));
    box.setLayoutPosition(lpRight); // keeps the width it has
    box.setBounds(3, 4, 200, 40);
    QCOMPARE(box.width(), 200);
}

// Each signal comes with its change of value: State always, Checked when it changes,
// both after the value is stored and before the notification and the click.
void TestFlatCheckBox::signalsComeRightBeforeTheClick() {
    Scene s;
    QObject::connect(&s.box, &TDefineCheckBox::stateChanged, [&] { s.log << "state"; });
    QObject::connect(&s.box, &TDefineCheckBox::checkedChanged,
                     [&] { s.log << (s.box.isChecked() ? "checked" : "unchecked"); });
    QSignalSpy states(&s.box, &TDefineCheckBox::stateChanged);
    s.box.setChecked(true);
    s.box.setChecked(true); // unchanged: nothing
    QCOMPARE(s.log, (QStringList{"state", "checked", "changed", "click:checked"}));
    s.log.clear();
    s.box.setState(cbGrayed); // Checked goes false as well
    s.box.setAllowGrayed(true);
    s.box.setState(cbUnchecked); // Checked stays false
    QCOMPARE(s.log, (QStringList{"state", "unchecked", "changed", "click:unchecked", "state",
                                 "changed", "click:unchecked"}));
    QCOMPARE(states.count(), 3);
    QCOMPARE(s.clicks, 3);
}

// A handler may destroy the box it was called for; the box then touches nothing of itself.
void TestFlatCheckBox::boxDestroyedByItsClickIsLeftAlone() {
    tk::TControl parent;
    QPointer<TFlatCheckBox> box = new TFlatCheckBox(nullptr, &parent);
    QObject::connect(box, &tk::TControl::OnClick, [&] { delete box.data(); });
    box->setChecked(true);
    QVERIFY(box.isNull());
}

void TestFlatCheckBox::colourIndexOutsideTheFourIsRefused() {
    TFlatCheckBox box;
    box.setColorByIndex(TDefineCheckBox::ciChecked, tk::clOlive);
    QCOMPARE(box.colorChecked(), tk::clOlive);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, box.setColorByIndex(4, tk::clRed));
    QCOMPARE(box.colorBorder(), TColor(0x0061A588));
}

ZARVIK_TEST_MAIN(TestFlatCheckBox)
#include "tst_flatcheckbox.moc"
