#include "Canvas.h"
#include "Colors.h"
#include "Cursors.h"
#include "DragManager.h"
#include "FlatButton.h"
#include "FlatCheckBox.h"
#include "FlatEdit.h"
#include "FlatGroupBox.h"
#include "FlatPages.h"
#include "FlatPanel.h"
#include "FlatUtils.h"
#include "Form.h"
#include "Label.h"
#include "Layout.h"
#include "Published.h"
#include "Registration.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"
#include "VersionBases.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPointer>
#include <QTest>
#include <functional>
#include <memory>
#include <stdexcept>

using namespace flat;
using tk::Rect;
using tk::TColor;

namespace {

constexpr QRgb Face = qRgb(240, 240, 240); // clBtnFace of the test palette
constexpr QRgb Highlight = qRgb(255, 255, 255);
constexpr QRgb Shadow = qRgb(160, 160, 160);
constexpr QRgb DefaultBorder = qRgb(136, 165, 97);

QRgb grey(int v) {
    return qRgb(v, v, v);
}

constexpr auto grab = &testsupport::picture;

// The pixels unlike `background`, as a set of points.
QList<QPoint> inkOf(const QImage& img, QRgb background) {
    QList<QPoint> ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != background) ink << QPoint(x, y);
    return ink;
}

QRect boundsOf(const QList<QPoint>& points) {
    QRect r;
    for (const QPoint& p : points)
        r |= QRect(p, QSize(1, 1));
    return r;
}

// Counts the paint events a widget receives and the area they cover.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* w) { w->installEventFilter(this); }
    int count = 0;
    QRegion region;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++count;
            region += static_cast<QPaintEvent*>(e)->region();
        }
        return false;
    }
};

// Runs the pending update requests so that the paint events arrive now.
void flushPaints() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// One control's indexed colours, whatever its class.
struct IndexedColours {
    const char* name;
    QWidget* control;
    int count;
    std::function<TColor(int)> get;
    std::function<void(int, TColor)> set;
};

template <class T> IndexedColours coloursOf(const char* name, T& c) {
    return {name, &c, T::ColorCount, [&c](int i) { return c.colorByIndex(i); },
            [&c](int i, TColor v) { c.setColorByIndex(i, v); }};
}

template <class T> std::unique_ptr<QObject> made() {
    return std::make_unique<T>();
}

} // namespace

class TestFlatPanel : public QObject {
    Q_OBJECT

private slots:
    void versionReadsTheSameWhateverIsWritten_data();
    void versionReadsTheSameWhateverIsWritten();
    void drawFlatBorderRingsAndInnerColour_data();
    void drawFlatBorderRingsAndInnerColour();
    void drawParentBackgroundShiftsAndClips();
    void newPanelDefaults();
    void defaultPanelShowsFaceInsideFrame();
    void borderColourAndTransBorder();
    void customFaceIsA60BandGradientUnderTheFrame();
    void transparentShowsTheParentsPicture();
    void captionIsOneLineCentredVerticallyInsideTheInset_data();
    void captionIsOneLineCentredVerticallyInsideTheInset();
    void longCaptionIsCutAtTheInset();
    void disabledCaptionIsDrawnTwiceEngraved();
    void settersRepaintOnlyWhenTheyShould_data();
    void settersRepaintOnlyWhenTheyShould();
    void unknownColourIndexIsRefused();
    void everyControlsColoursFollowOneSetterRule();
    void repaintRegionForMovesAndResizes_data();
    void repaintRegionForMovesAndResizes();
    void resizeWithoutFullRepaintPaintsOnlyTheOldBorderStrip();
    void alignedChildrenKeepClearOfTheBorder();
    void toolControlQueryFollowsLocked();
    void dockingSizesAnEmptyAxis_data();
    void dockingSizesAnEmptyAxis();
    void dockingMarkIsClearedWhenPlacementFails();
    void autoSizeFitsTheChildrenThatKeepTheirPlace();
    void panelDocksOutIntoAFloatingWindowAndBackIntoASite();
    void refusedUnDockLeavesTheClientWhereItIs();
    void dropOverhangingItsSiteIsMovedIn_data();
    void dropOverhangingItsSiteIsMovedIn();
    void dockManagerTilesTheClientsAlongTheLongerSide_data();
    void dockManagerTilesTheClientsAlongTheLongerSide();
    void dockSettingsReadFromALayoutRoundTripAndDock();
};

void TestFlatPanel::versionReadsTheSameWhateverIsWritten_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("control") << 0;
    QTest::newRow("ctrl-ext") << 1;
    QTest::newRow("edit") << 2;
    QTest::newRow("pages") << 3;
    QTest::newRow("sheet") << 4;
    QTest::newRow("combo-box") << 5;
    QTest::newRow("flat-panel") << 6;
}

void TestFlatPanel::versionReadsTheSameWhateverIsWritten() {
    QFETCH(int, kind);
    using Make = std::unique_ptr<QObject> (*)();
    // In the order of the rows.
    constexpr Make make[] = {made<TVersionControl>, made<TVersionCtrlExt>, made<TVersionEdit>,
                             made<TVersionPages>,   made<TVersionSheet>,   made<TVersionComboBox>,
                             made<TFlatPanel>};
    const std::unique_ptr<QObject> o = make[kind]();
    QCOMPARE(o->property("Version").toString(), QStringLiteral("4.56.0.0"));
    QVERIFY(o->setProperty("Version", QStringLiteral("9.9")));
    QCOMPARE(o->property("Version").toString(), QStringLiteral("4.56.0.0"));
    const QMetaObject* mo = o->metaObject();
    bool always = false;
    for (int i = 0; i < mo->classInfoCount(); ++i)
        always |= QByteArray(mo->classInfo(i).name()) == "AlwaysStored" &&
                  QByteArray(mo->classInfo(i).value()).contains("Version");
    QVERIFY(always);
}

void TestFlatPanel::drawFlatBorderRingsAndInnerColour_data() {
    QTest::addColumn<bool>("designing");
    QTest::addColumn<bool>("mouseIn");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<TColor>("inner");
    const TColor flatC = tk::rgb(235, 234, 225), focusC = tk::clWhite;
    QTest::newRow("quiet") << false << false << false << flatC;
    QTest::newRow("hover") << false << true << false << focusC;
    QTest::newRow("focused") << false << false << true << focusC;
    QTest::newRow("designing-ignores-focus-and-hover") << true << true << true << flatC;
}

void TestFlatPanel::drawFlatBorderRingsAndInnerColour() {
    QFETCH(bool, designing);
    QFETCH(bool, mouseIn);
    QFETCH(bool, focused);
    QFETCH(TColor, inner);
    tk::TControl control;
    control.setBounds(0, 0, 10, 8);
    control.setDesigning(designing);
    QImage img(10, 8, QImage::Format_RGB32);
    img.fill(qRgb(1, 2, 3));
    tk::Canvas c(img);

    const TColor got = DrawFlatBorder(control, c, tk::clOlive, tk::rgb(235, 234, 225), tk::clWhite,
                                      mouseIn, focused);

    QCOMPARE(got, inner);
    const QRgb innerRgb = tk::toQRgb(inner);
    QCOMPARE(img.pixel(0, 0), qRgb(128, 128, 0));
    QCOMPARE(img.pixel(9, 7), qRgb(128, 128, 0));
    QCOMPARE(img.pixel(1, 4), innerRgb);
    QCOMPARE(img.pixel(2, 4), innerRgb);
    QCOMPARE(img.pixel(8, 1), innerRgb);
    QCOMPARE(img.pixel(7, 5), innerRgb);
    QCOMPARE(img.pixel(3, 3), qRgb(1, 2, 3)); // the text area is the edit's own
    QCOMPARE(img.pixel(6, 4), qRgb(1, 2, 3));
}

void TestFlatPanel::drawParentBackgroundShiftsAndClips() {
    // GIVEN a parent whose rows are all different greys, and a child across its bottom edge
    TFlatPanel parent;
    parent.setBounds(0, 0, 40, 60);
    parent.setTransBorder(true);
    parent.setStyleFace(fsCustom);
    parent.setGradientDirection(fdTopToBottom);
    parent.setGradientStartColor(tk::rgb(0, 0, 0));
    parent.setGradientStopColor(tk::rgb(236, 236, 236)); // 60 bands of 4 levels: row y is 4y
    tk::TControl child(nullptr, &parent);
    child.setBounds(5, 50, 20, 20);
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(qRgb(1, 2, 3));
    tk::Canvas c(img);

    DrawParentBackground(child, c);

    QCOMPARE(img.pixel(0, 0), grey(200)); // parent row 50
    QCOMPARE(img.pixel(19, 9), grey(236));
    QCOMPARE(img.pixel(0, 10), qRgb(1, 2, 3)); // below the parent: clipped
    QCOMPARE(c.origin(), QPoint(0, 0));        // the canvas state is put back

    // The parent's labels are part of its picture, wherever they stand in the stacking order
    tk::TLabel label(nullptr, &parent);
    label.setAutoSize(false);
    label.setBounds(20, 52, 4, 4);
    label.setColor(tk::clRed);
    DrawParentBackground(child, c);
    QCOMPARE(img.pixel(16, 3), qRgb(255, 0, 0));

    tk::TControl orphan;
    orphan.setBounds(0, 0, 20, 20);
    img.fill(qRgb(1, 2, 3));
    DrawParentBackground(orphan, c);
    QCOMPARE(img.pixel(0, 0), qRgb(1, 2, 3));
}

void TestFlatPanel::newPanelDefaults() {
    TFlatPanel panel;
    QCOMPARE(panel.size(), QSize(185, 41));
    QCOMPARE(panel.color(), tk::clBtnFace);
    QVERIFY(!panel.parentColor());
    QVERIFY(panel.useDockManager());
    QVERIFY(panel.fullRepaint());
    QCOMPARE(panel.alignment(), tk::taCenter);
    QCOMPARE(panel.colorBorder(), TColor(0x0061A588));
    QCOMPARE(panel.gradientStartColor(), TColor(0x00FBF1ED));
    QCOMPARE(panel.gradientStopColor(), TColor(0x00F7DFD6));
    QCOMPARE(panel.gradientDirection(), fdLeftToRight);
    QVERIFY(!panel.tabStop());
    QVERIFY(panel.controlStyle() & tk::csAcceptsControls);
}

void TestFlatPanel::defaultPanelShowsFaceInsideFrame() {
    TFlatPanel panel;
    const QImage img = grab(panel);
    for (QPoint p : {QPoint(0, 0), QPoint(184, 0), QPoint(0, 40), QPoint(184, 40), QPoint(92, 0),
                     QPoint(92, 40), QPoint(0, 20), QPoint(184, 20)})
        QCOMPARE(img.pixel(p), DefaultBorder);
    for (QPoint p : {QPoint(1, 1), QPoint(183, 39), QPoint(92, 20)})
        QCOMPARE(img.pixel(p), Face);
}

void TestFlatPanel::borderColourAndTransBorder() {
    TFlatPanel panel;
    panel.setBounds(0, 0, 194, 233);
    panel.setColorBorder(tk::clOlive);
    QImage img = grab(panel);
    QCOMPARE(img.pixel(0, 0), qRgb(128, 128, 0));
    QCOMPARE(img.pixel(193, 232), qRgb(128, 128, 0));
    QCOMPARE(img.pixel(1, 1), Face);

    panel.setTransBorder(true);
    img = grab(panel);
    QCOMPARE(img.pixel(0, 0), Face);
    QCOMPARE(img.pixel(193, 232), Face);
}

void TestFlatPanel::customFaceIsA60BandGradientUnderTheFrame() {
    // 185 columns in 60 bands: bands of 3 columns, the last 5 columns in the stop colour.
    TFlatPanel panel;
    panel.setStyleFace(fsCustom);
    const QImage img = grab(panel);
    QCOMPARE(img.pixel(0, 20), DefaultBorder);
    QCOMPARE(img.pixel(1, 20), qRgb(237, 241, 251));
    QCOMPARE(img.pixel(2, 1), qRgb(237, 241, 251));
    // band 30: start + MulDiv(30, stop - start, 59) per channel
    QCOMPARE(img.pixel(90, 20), qRgb(225, 232, 249));
    QCOMPARE(img.pixel(92, 39), qRgb(225, 232, 249));
    QCOMPARE(img.pixel(177, 20), qRgb(214, 223, 247)); // band 59
    QCOMPARE(img.pixel(183, 20), qRgb(214, 223, 247)); // remainder
    QCOMPARE(img.pixel(184, 20), DefaultBorder);
}

void TestFlatPanel::transparentShowsTheParentsPicture() {
    TFlatPanel parent;
    parent.setBounds(0, 0, 60, 60);
    parent.setStyleFace(fsCustom);
    parent.setGradientDirection(fdTopToBottom);
    parent.setGradientStartColor(tk::rgb(0, 0, 0));
    parent.setGradientStopColor(tk::rgb(236, 236, 236));
    TFlatPanel child(nullptr, &parent);
    child.setBounds(0, 10, 30, 20);
    child.setStyleFace(fsCustom); // Transparent wins over it
    child.setTransparent(true);

    QImage img = grab(child);
    QCOMPARE(img.pixel(0, 0), DefaultBorder); // the child's own frame
    QCOMPARE(img.pixel(5, 5), grey(60));      // parent row 15
    QCOMPARE(img.pixel(5, 18), grey(112));

    child.setTransBorder(true);
    img = grab(child);
    QCOMPARE(img.pixel(0, 5), DefaultBorder); // the parent's frame, column 0
    QCOMPARE(img.pixel(1, 0), grey(40));
}

void TestFlatPanel::captionIsOneLineCentredVerticallyInsideTheInset_data() {
    QTest::addColumn<tk::TAlignment>("alignment");
    QTest::addColumn<int>("height");
    QTest::newRow("left-odd-height") << tk::taLeftJustify << 41;
    QTest::newRow("left-even-height") << tk::taLeftJustify << 40;
    QTest::newRow("centre") << tk::taCenter << 41;
    QTest::newRow("right") << tk::taRightJustify << 41;
}

void TestFlatPanel::captionIsOneLineCentredVerticallyInsideTheInset() {
    QFETCH(tk::TAlignment, alignment);
    QFETCH(int, height);
    TFlatPanel panel;
    panel.setBounds(0, 0, 80, height);
    panel.setTransBorder(true);
    panel.setAlignment(alignment);
    panel.setCaption(QStringLiteral("&Hx"));

    // The expected picture: "Hx" with H underlined, at the inset caption rectangle's
    // horizontal place and (height - cell) / 2 from the top.
    QImage expected(80, height, QImage::Format_RGB32);
    expected.fill(Face);
    tk::Canvas c(expected);
    c.setFont(panel.controlFont());
    const int cell = c.fontMetrics().height;
    const int w = c.textWidth(QStringLiteral("Hx"));
    const int inner = 80 - 6;
    const int x = alignment == tk::taLeftJustify ? 3
                  : alignment == tk::taCenter    ? 3 + (inner - w) / 2
                                                 : 80 - 3 - w;
    c.setTextBackground(tk::TextBackground::Transparent);
    c.drawText(Rect::fromSize(x, (height - cell) / 2, w, cell), QStringLiteral("&Hx"),
               tk::TextFormats(tk::TextFormat::SingleLine) | tk::TextFormat::NoClip);

    QCOMPARE(grab(panel), expected);
}

void TestFlatPanel::longCaptionIsCutAtTheInset() {
    TFlatPanel panel;
    panel.setBounds(0, 0, 30, 41);
    panel.setTransBorder(true);
    panel.setAlignment(tk::taLeftJustify);
    panel.setCaption(QStringLiteral("HHHHHHHHHHHH HHHHHHHHHHHHHHH"));
    const QImage img = grab(panel);
    const QRect ink = boundsOf(inkOf(img, Face));
    QVERIFY(!ink.isEmpty());
    QVERIFY2(ink.left() >= 3 && ink.right() <= 26, "ink outside the caption rectangle");
    QVERIFY2(ink.right() >= 25, "the caption should run up to the cut");
    const int cell = panel.controlFont().metrics().height;
    QVERIFY2(ink.top() >= (41 - cell) / 2 && ink.bottom() < (41 + cell) / 2 + 1, "one line only");
}

void TestFlatPanel::disabledCaptionIsDrawnTwiceEngraved() {
    TFlatPanel panel;
    panel.setBounds(0, 0, 60, 30);
    panel.setTransBorder(true);
    panel.setCaption(QStringLiteral("Hg"));
    const QList<QPoint> ink = inkOf(grab(panel), Face);
    QVERIFY(!ink.isEmpty());

    panel.setEnabled(false);
    const QImage img = grab(panel);

    int highlights = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QPoint p(x, y);
            const QRgb want = ink.contains(p)                  ? Shadow
                              : ink.contains(p - QPoint(1, 1)) ? Highlight
                                                               : Face;
            highlights += want == Highlight;
            if (img.pixel(p) != want)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    QVERIFY(highlights > 0);
}

// Each row names the class it sets a property of.
void TestFlatPanel::settersRepaintOnlyWhenTheyShould_data() {
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("repaints");
    const QString panel = QStringLiteral("TFlatPanel");
    QTest::newRow("equal-colour-still-repaints")
        << panel << QByteArray("ColorBorder") << QVariant(int(0x0061A588)) << true;
    QTest::newRow("new-colour") << panel << QByteArray("BackgropStopColor")
                                << QVariant(int(tk::clRed)) << true;
    QTest::newRow("equal-alignment-silent")
        << panel << QByteArray("Alignment") << QVariant::fromValue(tk::taCenter) << false;
    QTest::newRow("new-alignment")
        << panel << QByteArray("Alignment") << QVariant::fromValue(tk::taLeftJustify) << true;
    QTest::newRow("equal-transparent-silent")
        << panel << QByteArray("Transparent") << QVariant(false) << false;
    QTest::newRow("new-style-face")
        << panel << QByteArray("StyleFace") << QVariant::fromValue(fsCustom) << true;
    QTest::newRow("locked-never-repaints")
        << panel << QByteArray("Locked") << QVariant(true) << false;
    QTest::newRow("full-repaint-never-repaints")
        << panel << QByteArray("FullRepaint") << QVariant(false) << false;
    QTest::newRow("caption") << panel << QByteArray("Caption") << QVariant(QStringLiteral("x"))
                             << true;
    QTest::newRow("enabled") << panel << QByteArray("Enabled") << QVariant(false) << true;
    QTest::newRow("check-box-equal-layout-still-repaints")
        << "TFlatCheckBox" << QByteArray("Layout") << QVariant::fromValue(lpLeft) << true;
    QTest::newRow("radio-button-equal-layout-silent")
        << "TFlatRadioButton" << QByteArray("Layout") << QVariant::fromValue(lpLeft) << false;
}

void TestFlatPanel::settersRepaintOnlyWhenTheyShould() {
    QFETCH(QString, cls);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QFETCH(bool, repaints);
    registerFlatClasses();
    const std::unique_ptr<QObject> made(tk::createLayoutObject(cls, nullptr));
    auto* control = qobject_cast<QWidget*>(made.get());
    control->show();
    QVERIFY(QTest::qWaitForWindowExposed(control));
    flushPaints();
    PaintSpy spy(control);

    QVERIFY(control->setProperty(property.constData(), value));
    flushPaints();

    QCOMPARE(spy.count > 0, repaints);
}

void TestFlatPanel::unknownColourIndexIsRefused() {
    TFlatPanel panel;
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, panel.setColorByIndex(3, tk::clRed));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, panel.setColorByIndex(-1, tk::clRed));
    QCOMPARE(panel.colorBorder(), TColor(0x0061A588));
}

// Every control's colours go through one indexed setter: it stores without comparing and
// repaints also for the colour already there; an index that names no colour is refused
// and changes nothing.
void TestFlatPanel::everyControlsColoursFollowOneSetterRule() {
    QWidget window;
    TFlatPanel panel(nullptr, &window);
    TFlatButton button(nullptr, &window);
    TFlatCheckBox box(nullptr, &window);
    TFlatRadioButton radio(nullptr, &window);
    TFlatRadioGroup group(nullptr, &window);
    TFlatEdit edit(nullptr, &window);
    TFlatPages pages(nullptr, &window);
    TFlatSheet sheet(nullptr, &pages);
    // One below the other, so that each shows.
    int top = 0;
    for (tk::TControl* c : tk::controlsUnder(&window)) {
        c->setTop(top);
        top += c->height();
    }
    window.resize(400, top);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const IndexedColours& k :
         {coloursOf("panel", panel), coloursOf("button", button), coloursOf("check box", box),
          coloursOf("radio button", radio), coloursOf("group", group), coloursOf("edit", edit),
          coloursOf("pages", pages), coloursOf("sheet", sheet)}) {
        const int last = k.count - 1;
        const TColor before = k.get(last);
        flushPaints();
        PaintSpy spy(k.control);
        k.set(last, before);
        QTRY_VERIFY2(spy.count > 0, k.name);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, k.set(k.count, tk::clRed));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, k.set(-1, tk::clRed));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, k.get(k.count));
        QCOMPARE(k.get(last), before);
        k.set(0, tk::clOlive);
        QCOMPARE(k.get(0), tk::clOlive);
    }
}

void TestFlatPanel::repaintRegionForMovesAndResizes_data() {
    testsupport::addColumns<QRect, QSize, bool, bool, QRegion>(
        {"oldBounds", "newSize", "fullRepaint", "caption", "expected"});
    const QRect old(10, 10, 100, 40);
    QTest::newRow("full-repaint") << old << QSize(120, 40) << true << false
                                  << QRegion(0, 0, 120, 40);
    QTest::newRow("caption-forces-full")
        << old << QSize(100, 30) << false << true << QRegion(0, 0, 100, 30);
    QTest::newRow("wider-old-right-strip")
        << old << QSize(120, 40) << false << false << QRegion(98, 0, 2, 40);
    // Shrinking uncovers nothing of the panel: its new border is drawn too.
    QTest::newRow("narrower-old-and-new-right-strips")
        << old << QSize(50, 40) << false << false
        << (QRegion(98, 0, 2, 40) + QRegion(48, 0, 2, 40));
    QTest::newRow("taller-old-bottom-strip")
        << old << QSize(100, 60) << false << false << QRegion(0, 38, 100, 2);
    QTest::newRow("both") << old << QSize(90, 30) << false << false
                          << (QRegion(98, 0, 2, 40) + QRegion(0, 38, 100, 2) +
                              QRegion(88, 0, 2, 30) + QRegion(0, 28, 90, 2));
    QTest::newRow("plain-move-nothing") << old << QSize(100, 40) << false << false << QRegion();
}

void TestFlatPanel::repaintRegionForMovesAndResizes() {
    QFETCH(QRect, oldBounds);
    QFETCH(QSize, newSize);
    QFETCH(bool, fullRepaint);
    QFETCH(bool, caption);
    QFETCH(QRegion, expected);
    QCOMPARE(panelRepaintRegion(oldBounds, newSize, fullRepaint, caption), expected);
}

void TestFlatPanel::resizeWithoutFullRepaintPaintsOnlyTheOldBorderStrip() {
    // GIVEN a shown panel that repaints only what its border needs
    tk::TControl host;
    host.setBounds(0, 0, 300, 100);
    TFlatPanel panel(nullptr, &host);
    panel.setBounds(10, 10, 100, 40);
    panel.setFullRepaint(false);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    flushPaints();
    PaintSpy spy(&panel);

    // WHEN it grows by 20 pixels
    panel.setBounds(10, 10, 120, 40);
    flushPaints();

    // THEN the old right border and the uncovered columns are painted, the middle is not
    QVERIFY(spy.region.contains(QPoint(98, 20)));
    QVERIFY(spy.region.contains(QPoint(119, 20)));
    QVERIFY(!spy.region.contains(QPoint(50, 20)));
    // and the picture is right: the old border is gone, the new one is in place
    const QImage img = grab(panel);
    QCOMPARE(img.pixel(99, 20), Face);
    QCOMPARE(img.pixel(119, 20), DefaultBorder);

    // WHEN FullRepaint is on, the same resize repaints everything
    panel.setFullRepaint(true);
    flushPaints();
    spy.region = QRegion();
    panel.setBounds(10, 10, 140, 40);
    flushPaints();
    QVERIFY(spy.region.contains(QPoint(50, 20)));
}

void TestFlatPanel::alignedChildrenKeepClearOfTheBorder() {
    TFlatPanel panel;
    panel.setBounds(0, 0, 100, 50);
    tk::TControl top(nullptr, &panel);
    top.setBounds(0, 0, 10, 10);
    top.setAlign(tk::alTop);
    tk::TControl rest(nullptr, &panel);
    rest.setAlign(tk::alClient);
    QCOMPARE(top.geometry(), QRect(2, 2, 96, 10));
    QCOMPARE(rest.geometry(), QRect(2, 12, 96, 36));
}

void TestFlatPanel::toolControlQueryFollowsLocked() {
    TFlatPanel panel;
    QVERIFY(panel.isToolControl());
    panel.setLocked(true);
    QVERIFY(!panel.isToolControl());
}

void TestFlatPanel::dockingSizesAnEmptyAxis_data() {
    QTest::addColumn<bool>("autoSize");
    QTest::addColumn<tk::TAlign>("align");
    QTest::addColumn<QRect>("before");
    QTest::addColumn<QRect>("after");
    // The dock rectangle is 30 wide and 20 high.
    QTest::newRow("left-zero-width")
        << true << tk::alLeft << QRect(50, 5, 0, 40) << QRect(50, 5, 30, 40);
    QTest::newRow("top-zero-height")
        << true << tk::alTop << QRect(5, 50, 40, 0) << QRect(5, 50, 40, 20);
    QTest::newRow("right-grows-leftwards")
        << true << tk::alRight << QRect(50, 5, 0, 40) << QRect(20, 5, 30, 40);
    QTest::newRow("bottom-grows-upwards")
        << true << tk::alBottom << QRect(5, 50, 40, 0) << QRect(5, 30, 40, 20);
    QTest::newRow("left-with-width-kept")
        << true << tk::alLeft << QRect(50, 5, 7, 40) << QRect(50, 5, 7, 40);
    QTest::newRow("no-autosize-nothing")
        << false << tk::alLeft << QRect(50, 5, 0, 40) << QRect(50, 5, 0, 40);
}

void TestFlatPanel::dockingSizesAnEmptyAxis() {
    QFETCH(bool, autoSize);
    QFETCH(tk::TAlign, align);
    QFETCH(QRect, before);
    QFETCH(QRect, after);
    TFlatPanel panel;
    panel.setAlign(align);
    panel.setAutoSize(autoSize);
    panel.setBounds(before.x(), before.y(), before.width(), before.height());
    bool placed = false;
    bool refusedMeanwhile = false;

    panel.dockClient(QRect(100, 100, 30, 20), [&] {
        placed = true;
        refusedMeanwhile = !panel.canAutoSize();
    });

    QVERIFY(placed);
    QCOMPARE(refusedMeanwhile, autoSize);
    QVERIFY(panel.canAutoSize());
    QCOMPARE(panel.geometry(), after);
}

void TestFlatPanel::dockingMarkIsClearedWhenPlacementFails() {
    TFlatPanel panel;
    panel.setAutoSize(true);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, panel.dockClient(QRect(0, 0, 10, 10), [] {
        throw std::runtime_error("no room");
    }));
    QVERIFY(!panel.isSizingForDock());
}

// GIVEN a panel holding a child wider than itself WHEN AutoSize goes on, children come,
// move, hide and go, and when a layout holding such a panel is read THEN it fits the union of
// the children that keep their place, plus its frame; aligned children do not count.
void TestFlatPanel::autoSizeFitsTheChildrenThatKeepTheirPlace() {
    TFlatPanel panel;
    panel.setBounds(0, 0, 100, 100);
    auto* wide = new TFlatPanel(nullptr, &panel);
    wide->setBounds(10, 10, 300, 20);
    QCOMPARE(panel.size(), QSize(100, 100));
    panel.setAutoSize(true);
    QCOMPARE(panel.size(), QSize(312, 32));
    auto* low = new TFlatPanel(nullptr, &panel);
    low->setBounds(5, 40, 20, 20);
    QCOMPARE(panel.size(), QSize(312, 62));
    wide->hide();
    QCOMPARE(panel.size(), QSize(27, 62));
    auto* filling = new TFlatPanel(nullptr, &panel);
    filling->setAlign(tk::alClient);
    QCOMPARE(panel.size(), QSize(27, 62));
    wide->show();
    delete low;
    QCOMPARE(panel.size(), QSize(312, 32));
    QCOMPARE(filling->geometry(), QRect(2, 2, 308, 28));

    registerFlatClasses();
    tk::TForm form;
    tk::readLayout(&form, QStringLiteral("object F: TForm\n  object P: TFlatPanel\n"
                                         "    AutoSize = True\n    object C: TFlatPanel\n"
                                         "      Left = 10\n      Top = 10\n      Width = 300\n"
                                         "    end\n    object B: TFlatPanel\n"
                                         "      Align = alBottom\n    end\n  end\nend\n"));
    auto* read = qobject_cast<QWidget*>(form.findComponent(QStringLiteral("P"))->object());
    QCOMPARE(read->size(), QSize(312, 53));
    // Placed from the fitted size, not from the one the panel had before it fitted.
    auto* bottom = qobject_cast<QWidget*>(form.findComponent(QStringLiteral("B"))->object());
    QCOMPARE(bottom->geometry(), QRect(2, 10, 308, 41));
}

namespace {

// A window (a panel) with an empty dock site aligned left that sizes itself to its clients,
// and a second site holding a client panel that docks. The dock events land in `log`.
struct DockScene {
    QStringList log;
    TFlatPanel root;
    TFlatPanel left{nullptr, &root};
    TFlatPanel home{nullptr, &root};
    TFlatPanel client{nullptr, &home};

    DockScene() {
        root.resize(400, 300);
        left.setObjectName(QStringLiteral("left"));
        home.setObjectName(QStringLiteral("home"));
        client.setObjectName(QStringLiteral("client"));
        left.setAlign(tk::alLeft);
        left.setAutoSize(true);
        left.setDockSite(true);
        left.setWidth(0);
        home.setBounds(200, 50, 150, 150);
        home.setDockSite(true);
        client.setBounds(10, 10, 60, 40);
        client.setDragMode(tk::dmAutomatic);
        client.setDragKind(tk::dkDock);
        const auto name = [](const QObject* o) {
            if (qobject_cast<const tk::FloatingDockWindow*>(o)) return QStringLiteral("floating");
            return o ? o->objectName() : QStringLiteral("none");
        };
        QObject::connect(&client, &tk::TControl::OnStartDock,
                         [this] { log << QStringLiteral("StartDock"); });
        QObject::connect(&client, &tk::TControl::OnEndDock,
                         [this, name](QObject* target, int, int) {
                             log << QStringLiteral("EndDock ") + name(target);
                         });
        QObject::connect(&home, &tk::TControl::OnUnDock,
                         [this, name](tk::TControl* c, QWidget* to, bool&) {
                             log << QStringLiteral("UnDock %1 to %2").arg(name(c), name(to));
                         });
        QObject::connect(&left, &tk::TControl::OnDockOver,
                         [this](tk::TControl*, int, int, tk::TDragState state, bool&) {
                             log << QStringLiteral("DockOver left %1").arg(int(state));
                         });
        QObject::connect(&left, &tk::TControl::OnDockDrop, [this, name](tk::TControl* c, int, int) {
            log << QStringLiteral("DockDrop ") + name(c);
        });
        root.show();
    }
    // Takes the client at (5, 5) and lets go of it at `to` in the root.
    void dragClientTo(QPoint to) {
        QTest::mousePress(&client, Qt::LeftButton, {}, QPoint(5, 5));
        const QPoint there = client.mapFromGlobal(root.mapToGlobal(to));
        QTest::mouseMove(&client, there);
        QTest::mouseRelease(&client, Qt::LeftButton, {}, there);
    }
};

} // namespace

// GIVEN a client panel in a dock site WHEN it is dragged out to where no site is, and then
// from its floating window onto a site aligned left with no width THEN it floats in a tool
// window of its own, then lands in the site, which takes the client's width; the events
// come in their order, and the empty floating window goes.
void TestFlatPanel::panelDocksOutIntoAFloatingWindowAndBackIntoASite() {
    DockScene s;
    int siteQueries = 0;
    QObject::connect(&s.left, &tk::TControl::OnGetSiteInfo,
                     [&](tk::TControl* c, QRect& influence, QPoint, bool&) {
                         QCOMPARE(c, &s.client);
                         QCOMPARE(influence.width(), 20); // no width, and the reach on either side
                         ++siteQueries;
                     });
    s.dragClientTo(QPoint(300, 250));
    auto* floating = qobject_cast<tk::FloatingDockWindow*>(s.client.window());
    QVERIFY(floating);
    QVERIFY(floating->isVisible());
    QCOMPARE(floating->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QCOMPARE(floating->geometry(), QRect(s.root.mapToGlobal(QPoint(300, 250)) - QPoint(5, 20),
                                         QSize(60, 40 + tk::FloatingDockWindow::CaptionHeight)));
    QVERIFY(siteQueries > 0);
    // Its caption strip moves it; its close button hides the client, and the window with it,
    // until the client shows again.
    const QPoint before = floating->pos();
    QTest::mousePress(floating, Qt::LeftButton, {}, QPoint(10, 5));
    QTest::mouseMove(floating, QPoint(30, 25));
    QTest::mouseRelease(floating, Qt::LeftButton, {}, QPoint(30, 25));
    QCOMPARE(floating->pos(), before + QPoint(20, 20));
    QTest::mouseClick(floating, Qt::LeftButton, {}, floating->closeButton().center());
    QVERIFY(!s.client.visible() && !floating->isVisible());
    s.client.setVisible(true);
    QVERIFY(floating->isVisible());

    QPointer<QWidget> gone = floating;
    s.dragClientTo(QPoint(5, 100));
    QCOMPARE(s.client.parentWidget(), &s.left);
    QCOMPARE(s.left.width(), 60); // the client's width, which the dock manager then fills
    QCOMPARE(s.log,
             QStringList({"StartDock", "UnDock client to floating", "EndDock floating", "StartDock",
                          "DockOver left 0", "DockDrop client", "EndDock left"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!gone);
    QVERIFY(!tk::DragSession::active());
}

// The old site may keep its client; a site that refuses in OnGetSiteInfo is passed over.
void TestFlatPanel::refusedUnDockLeavesTheClientWhereItIs() {
    DockScene s;
    QObject::connect(&s.left, &tk::TControl::OnGetSiteInfo,
                     [](tk::TControl*, QRect&, QPoint, bool& canDock) { canDock = false; });
    QObject::disconnect(&s.home, &tk::TControl::OnUnDock, nullptr, nullptr);
    QObject::connect(&s.home, &tk::TControl::OnUnDock, [&](tk::TControl*, QWidget*, bool& allow) {
        s.log << QStringLiteral("UnDock refused");
        allow = false;
    });
    s.dragClientTo(QPoint(5, 100));
    QCOMPARE(s.client.parentWidget(), &s.home);
    QCOMPARE(s.client.geometry(), QRect(10, 10, 60, 40));
    QCOMPARE(s.left.width(), 0);
    QCOMPARE(s.log, QStringList({"StartDock", "UnDock refused", "EndDock none"}));
    QVERIFY(QApplication::topLevelWidgets().size() >= 1);
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<tk::FloatingDockWindow*>(w));
}

void TestFlatPanel::dropOverhangingItsSiteIsMovedIn_data() {
    QTest::addColumn<bool>("manager"); // UseDockManager of the site
    QTest::addColumn<QPoint>("to");    // where in the root the client is let go of
    QTest::addColumn<QRect>("placed"); // where in its site it lands
    // The site: 150 x 150 at 200,50, with a border of 2; the client: 60 x 40, held at 5,5.
    QTest::newRow("over-the-bottom-right") << false << QPoint(345, 195) << QRect(88, 108, 60, 40);
    QTest::newRow("over-the-top-left") << false << QPoint(201, 51) << QRect(2, 2, 60, 40);
    QTest::newRow("the-dock-manager-fills-the-site")
        << true << QPoint(345, 195) << QRect(2, 2, 146, 146);
}

void TestFlatPanel::dropOverhangingItsSiteIsMovedIn() {
    QFETCH(QPoint, to);
    QFETCH(bool, manager);
    DockScene s;
    s.home.setUseDockManager(manager);
    s.dragClientTo(to);
    QCOMPARE(s.client.parentWidget(), &s.home);
    QTEST(s.client.geometry(), "placed");
}

// GIVEN a site with a dock manager WHEN clients dock, the site turns from wide to tall, a
// client leaves, and the manager is turned off THEN the clients share the client area along
// its longer side, in the order they came; without the manager a client stays where it lands.
void TestFlatPanel::dockManagerTilesTheClientsAlongTheLongerSide_data() {
    QTest::addColumn<bool>("autoSize");
    QTest::newRow("fixed") << false;
    // Sized to its clients as well, the panel keeps the size it tiles them in (it grew a
    // pixel when it fitted itself to half-tiled clients).
    QTest::newRow("auto-size") << true;
}

void TestFlatPanel::dockManagerTilesTheClientsAlongTheLongerSide() {
    QFETCH(bool, autoSize);
    TFlatPanel site;
    TFlatPanel elsewhere;
    site.setBounds(0, 0, 104, 44);
    site.setAutoSize(autoSize);
    TFlatPanel a;
    TFlatPanel b;
    site.placeDockClient(&a, QRect(50, 5, 30, 20));
    site.placeDockClient(&b, QRect(5, 5, 30, 20));
    QCOMPARE(a.geometry(), QRect(2, 2, 50, 40));
    QCOMPARE(b.geometry(), QRect(52, 2, 50, 40));
    QCOMPARE(site.geometry(), QRect(0, 0, 104, 44));
    site.setBounds(0, 0, 44, 104);
    QCOMPARE(a.geometry(), QRect(2, 2, 40, 50));
    QCOMPARE(b.geometry(), QRect(2, 52, 40, 50));
    QCOMPARE(site.geometry(), QRect(0, 0, 44, 104));
    a.setParentControl(&elsewhere);
    QCOMPARE(b.geometry(), QRect(2, 2, 40, 100));
    site.setUseDockManager(false);
    site.placeDockClient(&a, QRect(5, 60, 30, 20));
    QCOMPARE(a.geometry(), QRect(2, 52, 40, 50));
    QCOMPARE(b.geometry(), QRect(2, 2, 40, 100));
}

// The handlers a dock layout binds: each logs its name.
class DockHandlers : public QObject {
    Q_OBJECT
public:
    QStringList log;
public slots:
    void GroupStartDock() { log << QStringLiteral("GroupStartDock"); }
    void GroupEndDock() { log << QStringLiteral("GroupEndDock"); }
    void SiteDockDrop() { log << QStringLiteral("SiteDockDrop"); }
};

// The drag and dock settings and events a layout names are what a real dock runs by, and
// they are written back as read.
void TestFlatPanel::dockSettingsReadFromALayoutRoundTripAndDock() {
    tk::registerLayoutClass<tk::TForm>();
    registerFlatClasses();
    const QString text = QStringLiteral("object Form1: TForm\n"
                                        "  object Home: TFlatPanel\n"
                                        "    Left = 150\n"
                                        "    Width = 140\n"
                                        "    Height = 150\n"
                                        "    DockSite = True\n"
                                        "    object Group: TFlatRadioGroup\n"
                                        "      DragCursor = crHandPoint\n"
                                        "      DragKind = dkDock\n"
                                        "      DragMode = dmAutomatic\n"
                                        "      OnStartDock = GroupStartDock\n"
                                        "      OnEndDock = GroupEndDock\n"
                                        "    end\n"
                                        "  end\n"
                                        "  object Site: TFlatRadioGroup\n"
                                        "    Top = 160\n"
                                        "    DockSite = True\n"
                                        "    OnDockDrop = SiteDockDrop\n"
                                        "  end\n"
                                        "end\n");
    DockHandlers handlers;
    QStringList& log = handlers.log;
    QString written;
    {
        tk::TForm form;
        tk::readLayout(&form, text, &handlers);
        written = tk::writeLayout(&form);
    }
    for (const char* line :
         {"DragCursor = crHandPoint", "DragKind = dkDock", "DragMode = dmAutomatic",
          "OnStartDock = GroupStartDock", "OnDockDrop = SiteDockDrop"})
        QVERIFY2(written.contains(QLatin1String(line)), qPrintable(written));
    QCOMPARE(written.count(QLatin1String("DockSite = True")), 2);

    tk::TForm form;
    tk::readLayout(&form, written, &handlers);
    QCOMPARE(tk::writeLayout(&form), written);
    form.resize(400, 300);
    form.show();
    auto* group =
        qobject_cast<tk::TControl*>(form.findComponent(QStringLiteral("Group"))->object());
    auto* site = qobject_cast<tk::TControl*>(form.findComponent(QStringLiteral("Site"))->object());
    QVERIFY(group && site);
    log.clear();
    QTest::mousePress(group, Qt::LeftButton, {}, QPoint(5, 5));
    const QPoint there = group->mapFromGlobal(site->mapToGlobal(QPoint(20, 10)));
    QTest::mouseMove(group, there);
    QCOMPARE(QApplication::overrideCursor()->shape(), tk::cursorShape(tk::crHandPoint));
    QTest::mouseRelease(group, Qt::LeftButton, {}, there);
    QCOMPARE(group->parentWidget(), site);
    QCOMPARE(log, QStringList({"GroupStartDock", "SiteDockDrop", "GroupEndDock"}));
}

ZARVIK_TEST_MAIN(TestFlatPanel)
#include "tst_flatpanel.moc"
