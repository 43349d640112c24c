#include "Accessible.h"
#include "FlatButton.h"
#include "Form.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QCursor>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <stdexcept>

using namespace flat;
using tk::TColor;

namespace {

using namespace testsupport;

// A window with the button inside it, the mouse cursor parked away from both.
struct Stage {
    QWidget window;
    TFlatButton button{nullptr, &window};
    int clicks = 0;

    Stage() {
        QCursor::setPos(0, 0);
        window.setGeometry(100, 100, 200, 80);
        button.setBounds(10, 10, 66, 22);
        button.setCaption(QStringLiteral("Query"));
        QObject::connect(&button, &tk::TControl::OnClick, [this] { ++clicks; });
    }
    // Focus and the keyboard need an active window.
    bool activate() { return testsupport::activate(window, &button); }
};

// A 16-pixel-high strip of `cells` square images, each filled with its own colour above a
// white bottom row (white is then the colour drawn transparent).
QImage strip(const QList<QRgb>& cells) {
    QImage img(16 * int(cells.size()), 16, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int i = 0; i < cells.size(); ++i)
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 16; ++x)
                img.setPixel(16 * i + x, y, cells[i]);
    return img;
}

} // namespace

class TestFlatButton : public QObject {
    Q_OBJECT
private slots:
    void clicksCountOnlyReleasesInside_data();
    void clicksCountOnlyReleasesInside();
    void dragOutLooksIdleAndDragBackLooksPressed();
    void spaceClicksOnRelease();
    void enterClicksTheHotButtonOnly();
    void acceleratorClicksVisibleButtonsOnly();
    void clickGivesTheFormItsModalResult();
    void mouseEnterHandlerTakesOverHotTracking();
    void idleAndDefaultFrames();
    void hotPicture();
    void pressedCaptionMovesOnePixel();
    void disabledGlyphAndCaptionAreEngraved();
    void glyphImageFollowsTheState_data();
    void glyphImageFollowsTheState();
    void numGlyphsFollowsTheGlyphWidth_data();
    void numGlyphsFollowsTheGlyphWidth();
    void numGlyphsOutsideOneToFourIsRefused();
    void groupLatchesOneButtonAndSharesAllowAllUp();
    void clickDoesNotReleaseTheButtonItsReleaseLatched();
    void onlyTheLeftDoubleClickOfALatchedButtonIsReported();
    void reenabledLatchedButtonPaintsLatched();
    void stateFollowsEnabledWithoutPainting();
    void disablingThroughAQWidgetIsReportedAndPainted();
    void downChangedComesWithEachChangeOfDown();
    void colourIndexOutsideTheSixIsRefused();
};

// Each row: what the mouse does after pressing at (10, 10), and how many clicks follow.
void TestFlatButton::clicksCountOnlyReleasesInside_data() {
    QTest::addColumn<QList<QPoint>>("moves");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<int>("clicks");
    const QPoint in(10, 10), out(200, 10);
    QTest::newRow("press-release-inside") << QList<QPoint>{} << in << 1;
    QTest::newRow("drag-out-drag-in-release") << QList<QPoint>{out, in} << in << 1;
    QTest::newRow("drag-out-release-outside") << QList<QPoint>{out} << out << 0;
    QTest::newRow("release-one-pixel-below") << QList<QPoint>{} << QPoint(10, 22) << 1;
    QTest::newRow("release-two-pixels-below") << QList<QPoint>{} << QPoint(10, 23) << 0;
    QTest::newRow("release-one-pixel-right") << QList<QPoint>{} << QPoint(66, 10) << 0;
    QTest::newRow("release-above") << QList<QPoint>{} << QPoint(10, -1) << 0;
}

void TestFlatButton::clicksCountOnlyReleasesInside() {
    QFETCH(QList<QPoint>, moves);
    QFETCH(QPoint, release);
    QFETCH(int, clicks);
    Stage s;
    QTest::mousePress(&s.button, Qt::LeftButton, {}, QPoint(10, 10));
    for (const QPoint& p : moves)
        QTest::mouseMove(&s.button, p);
    QCOMPARE(s.clicks, 0); // nothing before the release
    QTest::mouseRelease(&s.button, Qt::LeftButton, {}, release);
    QCOMPARE(s.clicks, clicks);
    QCOMPARE(s.button.state(), fbUp);
}

void TestFlatButton::dragOutLooksIdleAndDragBackLooksPressed() {
    Stage s;
    QTest::mousePress(&s.button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(s.button.state(), fbPressed);
    QTest::mouseMove(&s.button, QPoint(10, 40));
    QCOMPARE(s.button.state(), fbUp);
    QTest::mouseMove(&s.button, QPoint(10, 5));
    QCOMPARE(s.button.state(), fbPressed);
    QTest::mouseRelease(&s.button, Qt::LeftButton, {}, QPoint(10, 5));
}

void TestFlatButton::spaceClicksOnRelease() {
    Stage s;
    QVERIFY(s.activate());
    QTest::keyPress(&s.button, Qt::Key_Space);
    QCOMPARE(s.button.state(), fbPressed);
    QCOMPARE(s.clicks, 0);
    QTest::keyRelease(&s.button, Qt::Key_Space);
    QCOMPARE(s.button.state(), fbUp);
    QCOMPARE(s.clicks, 1);
}

void TestFlatButton::enterClicksTheHotButtonOnly() {
    // GIVEN two buttons, the first focused and the second a Default button
    Stage s;
    TFlatButton other(nullptr, &s.window);
    other.setBounds(100, 10, 66, 22);
    other.setDefault(true);
    int otherClicks = 0;
    QObject::connect(&other, &tk::TControl::OnClick, [&] { ++otherClicks; });
    QVERIFY(s.activate());
    QVERIFY(s.button.isHot());
    // WHEN Enter is pressed THEN only the focused button clicks: Default does not claim Enter
    QTest::keyClick(&s.button, Qt::Key_Return);
    QCOMPARE(s.clicks, 1);
    QCOMPARE(otherClicks, 0);
    // Shift+Enter is not the button's key.
    QTest::keyClick(&s.button, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(s.clicks, 1);
}

void TestFlatButton::acceleratorClicksVisibleButtonsOnly() {
    Stage s;
    s.button.setCaption(QStringLiteral("&Go"));
    TFlatButton hidden(nullptr, &s.window);
    hidden.setCaption(QStringLiteral("&Hide"));
    hidden.setVisible(false);
    int hiddenClicks = 0;
    QObject::connect(&hidden, &tk::TControl::OnClick, [&] { ++hiddenClicks; });
    QVERIFY(s.activate());
    QTest::keyClick(&s.button, Qt::Key_G, Qt::AltModifier);
    QCOMPARE(s.clicks, 1);
    // The focused button wants no characters, so a plain "g" is an accelerator too.
    QTest::keyClick(&s.button, Qt::Key_G);
    QCOMPARE(s.clicks, 2);
    QTest::keyClick(&s.button, Qt::Key_H, Qt::AltModifier);
    QCOMPARE(hiddenClicks, 0);
}

void TestFlatButton::clickGivesTheFormItsModalResult() {
    tk::TForm form;
    TFlatButton button(nullptr, &form);
    form.setModalResult(5);
    button.click();
    QCOMPARE(form.modalResult(), 0); // a zero result is given too
    button.setModalResult(7);
    int clicks = 0;
    QObject::connect(&button, &tk::TControl::OnClick, [&] { ++clicks; });
    button.click();
    QCOMPARE(form.modalResult(), 7);
    QCOMPARE(clicks, 1);
}

void TestFlatButton::mouseEnterHandlerTakesOverHotTracking() {
    Stage s;
    sendEnter(s.button);
    QVERIFY(s.button.isHot());

    Stage t;
    int entered = 0;
    QObject::connect(&t.button, &flat::TDefineButton::OnMouseEnter, [&] { ++entered; });
    const QImage before = picture(t.button);
    sendEnter(t.button);
    QCOMPARE(entered, 1);
    QVERIFY(!t.button.isHot());
    QCOMPARE(picture(t.button), before);
}

void TestFlatButton::idleAndDefaultFrames() {
    Stage s;
    QImage img = picture(s.button);
    QCOMPARE(img.pixel(65, 21), rgbOf(s.button.colorBorder()));
    QCOMPARE(img.pixel(1, 1), rgbOf(s.button.colorFlat()));
    QVERIFY(count(img, rgbOf(tk::clWindowText)) > 0); // caption in the font colour
    QCOMPARE(count(img, rgbOf(s.button.hotColor())), 0);

    s.button.setDefault(true);
    img = picture(s.button);
    QCOMPARE(img.pixel(1, 1), rgbOf(s.button.colorBorder()));
    QCOMPARE(img.pixel(2, 2), rgbOf(s.button.colorFlat()));
}

void TestFlatButton::hotPicture() {
    Stage s;
    const QImage idle = picture(s.button);
    sendEnter(s.button);
    const QImage hot = picture(s.button);
    const QRgb face = rgbOf(s.button.colorFocused());
    QCOMPARE(hot.pixel(0, 0), rgbOf(s.button.colorShadow()));
    QCOMPARE(hot.pixel(1, 1), face);
    // The dotted focus rectangle 2 pixels in: every other pixel inverted.
    QCOMPARE(hot.pixel(2, 2), face ^ 0x00FFFFFFu);
    QCOMPARE(hot.pixel(3, 2), face);
    QCOMPARE(hot.pixel(2, 4), face ^ 0x00FFFFFFu);
    // The caption turns FoisColor and bold: more ink than the regular caption.
    const int ink = count(hot, rgbOf(s.button.hotColor()));
    QVERIFY(ink > 0);
    QVERIFY(ink > count(idle, rgbOf(tk::clWindowText)));
    QCOMPARE(count(hot, rgbOf(tk::clWindowText)), 0);
}

void TestFlatButton::pressedCaptionMovesOnePixel() {
    Stage s;
    s.button.setHotFontChange(false);
    const QRgb ink = rgbOf(tk::clWindowText);
    const QRect idle = inkBox(picture(s.button), ink);
    QVERIFY(!idle.isNull());
    int space = tk::VK_SPACE;
    s.button.keyDown(space, {});
    const QImage pressed = picture(s.button);
    QCOMPARE(inkBox(pressed, ink), idle.translated(1, 1));
    QCOMPARE(pressed.pixel(1, 1), rgbOf(s.button.colorDown()));
    QCOMPARE(pressed.pixel(0, 0), rgbOf(s.button.colorShadow()));
}

void TestFlatButton::disabledGlyphAndCaptionAreEngraved() {
    // GIVEN a single 16x16 glyph, white with one black pixel at (4, 5), and no caption
    Stage s;
    s.button.setCaption(QString());
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(Qt::white);
    glyph.setPixel(4, 5, qRgb(0, 0, 0));
    s.button.setGlyphImage(glyph);
    // WHEN disabled
    s.button.setEnabled(false);
    const QImage img = picture(s.button);
    // THEN the glyph (centred: 25, 3) shows the black pixel engraved, the rest transparent
    const QPoint at(25 + 4, 3 + 5);
    QCOMPARE(img.pixel(at), rgbOf(tk::clBtnShadow));
    QCOMPARE(img.pixel(at + QPoint(1, 1)), rgbOf(tk::clBtnHighlight));
    QCOMPARE(img.pixel(at + QPoint(2, 2)), rgbOf(s.button.colorFlat()));
    QCOMPARE(img.pixel(0, 0), rgbOf(s.button.colorBorder()));
    QCOMPARE(img.pixel(1, 1), rgbOf(s.button.colorFlat()));
    QCOMPARE(count(img, qRgb(0, 0, 0)), 0);

    // A disabled caption: a highlight copy one pixel down and right under the shadow.
    Stage t;
    t.button.setEnabled(false);
    const QImage text = picture(t.button);
    const QRect shadow = inkBox(text, rgbOf(tk::clBtnShadow));
    QVERIFY(!shadow.isNull());
    QVERIFY(count(text, rgbOf(tk::clBtnHighlight)) > 0);
    QCOMPARE(count(text, rgbOf(tk::clWindowText)), 0);
    QCOMPARE(inkBox(text, rgbOf(tk::clBtnHighlight)).bottomRight(),
             shadow.bottomRight() + QPoint(1, 1));
}

// A glyph-only button shows its strip's image for the state at (25, 3), moved one pixel
// down and right while pressed or latched.
void TestFlatButton::glyphImageFollowsTheState_data() {
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("shown"); // 1-based image of the strip
    QTest::newRow("4-up") << 4 << int(fbUp) << 1;
    QTest::newRow("4-disabled") << 4 << int(fbDisabled) << 2;
    QTest::newRow("4-pressed") << 4 << int(fbPressed) << 3;
    QTest::newRow("4-latched") << 4 << int(fbLatched) << 4;
    QTest::newRow("3-latched-shows-pressed") << 3 << int(fbLatched) << 3;
    QTest::newRow("2-pressed-shows-up") << 2 << int(fbPressed) << 1;
}

void TestFlatButton::glyphImageFollowsTheState() {
    QFETCH(int, cells);
    QFETCH(int, state);
    QFETCH(int, shown);
    const QList<QRgb> colours{qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200), qRgb(200, 200, 0)};
    Stage s;
    s.button.setCaption(QString());
    s.button.setGlyphImage(strip(colours.mid(0, cells)));
    QCOMPARE(s.button.numGlyphs(), cells);
    int space = tk::VK_SPACE;
    switch (state) {
    case fbDisabled:
        s.button.setEnabled(false);
        break;
    case fbPressed:
        s.button.keyDown(space, {});
        break;
    case fbLatched:
        s.button.setGroupIndex(1);
        s.button.setDown(true);
        break;
    default:
        break;
    }
    QCOMPARE(int(s.button.state()), state);
    const int offset = state == fbPressed || state == fbLatched ? 1 : 0;
    const QImage img = picture(s.button);
    QCOMPARE(img.pixel(25 + offset + 8, 3 + offset + 8), colours[shown - 1]);
    // The white bottom row of the image is the transparent colour.
    QCOMPARE(img.pixel(25 + offset + 8, 3 + offset + 15), img.pixel(5, 5));
}

void TestFlatButton::numGlyphsFollowsTheGlyphWidth_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("numGlyphs");
    QTest::newRow("64x16-four-images") << QSize(64, 16) << 4;
    QTest::newRow("32x16-two-images") << QSize(32, 16) << 2;
    QTest::newRow("80x16-five-is-too-many") << QSize(80, 16) << 1;
    QTest::newRow("50x16-not-a-multiple-unchanged") << QSize(50, 16) << 3;
}

void TestFlatButton::numGlyphsFollowsTheGlyphWidth() {
    QFETCH(QSize, size);
    QFETCH(int, numGlyphs);
    TFlatButton button;
    button.setNumGlyphs(3);
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    button.setGlyphImage(img);
    QCOMPARE(button.numGlyphs(), numGlyphs);
    QCOMPARE(button.glyph().width(), size.width());
}

void TestFlatButton::numGlyphsOutsideOneToFourIsRefused() {
    TFlatButton button;
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, button.setNumGlyphs(0));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, button.setNumGlyphs(5));
    QCOMPARE(button.numGlyphs(), 1);
}

void TestFlatButton::groupLatchesOneButtonAndSharesAllowAllUp() {
    QWidget parent;
    TFlatButton a(nullptr, &parent), b(nullptr, &parent), c(nullptr, &parent);
    a.setDown(true); // without a group a button stays up
    QVERIFY(!a.isDown());
    QCOMPARE(a.state(), fbUp);
    for (TFlatButton* x : {&a, &b, &c})
        x->setGroupIndex(1);
    const auto clickOn = [](TFlatButton& x) {
        QTest::mouseClick(&x, Qt::LeftButton, {}, QPoint(5, 5));
    };
    clickOn(a);
    QVERIFY(a.isDown());
    QCOMPARE(a.state(), fbLatched);
    clickOn(b);
    QVERIFY(b.isDown());
    QVERIFY(!a.isDown());
    QCOMPARE(a.state(), fbUp);
    // Without AllowAllUp the latched button cannot release itself.
    clickOn(b);
    QVERIFY(b.isDown());
    QVERIFY(!a.isDown() && !c.isDown());

    c.setAllowAllUp(true);
    QVERIFY(a.allowAllUp() && b.allowAllUp() && c.allowAllUp());
    clickOn(b);
    QVERIFY(!b.isDown());
    QCOMPARE(b.state(), fbUp);
    a.setAllowAllUp(false);
    QVERIFY(!b.allowAllUp() && !c.allowAllUp());
}

void TestFlatButton::clickDoesNotReleaseTheButtonItsReleaseLatched() {
    QWidget parent;
    TFlatButton a(nullptr, &parent), b(nullptr, &parent);
    a.setGroupIndex(2);
    b.setGroupIndex(2);
    a.setAllowAllUp(true);
    int clicks = 0;
    QObject::connect(&a, &tk::TControl::OnClick, [&] { ++clicks; });
    QTest::mouseClick(&a, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicks, 1);
    QVERIFY(a.isDown());
    QCOMPARE(a.state(), fbLatched);
}

// The right and middle buttons' double clicks are only presses, latched or not.
void TestFlatButton::onlyTheLeftDoubleClickOfALatchedButtonIsReported() {
    Stage s;
    s.button.setGroupIndex(1);
    s.button.setDown(true);
    int doubles = 0;
    QObject::connect(&s.button, &tk::TControl::OnDblClick, [&] { ++doubles; });
    for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton}) {
        QTest::mouseDClick(&s.button, b, {}, QPoint(5, 5));
        QTest::mouseRelease(&s.button, b, {}, QPoint(5, 5));
    }
    QCOMPARE(doubles, 1);
}

void TestFlatButton::reenabledLatchedButtonPaintsLatched() {
    Stage s;
    s.button.setGroupIndex(1);
    s.button.setDown(true);
    s.button.setEnabled(false);
    picture(s.button);
    QCOMPARE(s.button.state(), fbDisabled);
    s.button.setEnabled(true);
    const QImage img = picture(s.button);
    QCOMPARE(s.button.state(), fbLatched);
    QCOMPARE(img.pixel(1, 1), rgbOf(s.button.colorDown()));
}

// Painting changes nothing: the state is right the moment its cause changes.
void TestFlatButton::stateFollowsEnabledWithoutPainting() {
    Stage s;
    s.button.setEnabled(false);
    QCOMPARE(s.button.state(), fbDisabled);
    s.button.setEnabled(true);
    QCOMPARE(s.button.state(), fbUp);

    // A latch made while disabled shows once enabled.
    s.button.setGroupIndex(1);
    s.button.setEnabled(false);
    s.button.setDown(true);
    QCOMPARE(s.button.state(), fbDisabled);
    s.button.setEnabled(true);
    QCOMPARE(s.button.state(), fbLatched);

    // Disabling drops a press in progress: its release clicks nothing.
    Stage t;
    QTest::mousePress(&t.button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(t.button.isPressed());
    t.button.setEnabled(false);
    QVERIFY(!t.button.isPressed() && !t.button.isHot());
    t.button.setEnabled(true);
    QCOMPARE(t.button.state(), fbUp);
    QTest::mouseRelease(&t.button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(t.clicks, 0);
}

void TestFlatButton::disablingThroughAQWidgetIsReportedAndPainted() {
    Stage s;
    int reports = 0;
    const tk::AccessibleEventObserver previous =
        tk::setAccessibleEventObserver([&](QAccessibleEvent& e) {
            if (e.object() == &s.button && e.type() == QAccessible::StateChanged &&
                static_cast<QAccessibleStateChangeEvent&>(e).changedStates().disabled)
                ++reports;
        });
    QWidget* widget = &s.button;
    widget->setEnabled(false);
    tk::setAccessibleEventObserver(previous);
    QCOMPARE(reports, 1);
    QCOMPARE(s.button.state(), fbDisabled);
    const QImage img = picture(s.button);
    QCOMPARE(count(img, rgbOf(tk::clWindowText)), 0); // the caption is engraved
    QVERIFY(count(img, rgbOf(tk::clBtnShadow)) > 0);
}

// Down's signal comes with every change of Down: a latching button's after the release of
// the one it replaces, both before its click.
void TestFlatButton::downChangedComesWithEachChangeOfDown() {
    QWidget parent;
    TFlatButton a(nullptr, &parent), b(nullptr, &parent);
    QStringList log;
    for (auto [button, name] : {std::pair{&a, "a"}, std::pair{&b, "b"}}) {
        button->setGroupIndex(1);
        const QString n = QLatin1String(name);
        QObject::connect(button, &TDefineButton::downChanged,
                         [&log, button, n] { log << n + (button->isDown() ? ":down" : ":up"); });
        QObject::connect(button, &tk::TControl::OnClick, [&log, n] { log << n + ":click"; });
    }
    QSignalSpy spy(&a, &TDefineButton::downChanged);
    QTest::mouseClick(&a, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5)); // stays down: no signal
    QCOMPARE(log, (QStringList{"a:down", "a:click", "a:up", "b:down", "b:click", "b:click"}));
    QCOMPARE(spy.count(), 2);
    b.setAllowAllUp(true);
    b.setDown(false);
    b.setDown(false); // unchanged
    QCOMPARE(log.last(), QStringLiteral("b:up"));
    QCOMPARE(log.size(), 7);
}

void TestFlatButton::colourIndexOutsideTheSixIsRefused() {
    TFlatButton button;
    button.setColorByIndex(TDefineButton::ciHot, tk::clOlive);
    QCOMPARE(button.hotColor(), tk::clOlive);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, button.setColorByIndex(6, tk::clRed));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, button.setColorByIndex(-1, tk::clRed));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, button.colorByIndex(6));
}

ZARVIK_TEST_MAIN(TestFlatButton)
#include "tst_flatbutton.moc"
