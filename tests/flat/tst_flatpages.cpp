#include "FlatButton.h"
#include "FlatPages.h"
#include "FlatUtils.h"
#include "Form.h"
#include "ImageList.h"
#include "Layout.h"
#include "Registration.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <memory>
#include <stdexcept>

using namespace flat;
using tk::Canvas;
using tk::Rect;
using tk::TColor;

namespace {

constexpr QRgb Sentinel = 0xFF123456;
constexpr TColor TabColor = tk::rgb(200, 220, 240);
constexpr TColor Border = DefaultPagesBorderColor;

using testsupport::rgbOf;
constexpr auto grab = &testsupport::picture;

QPoint centre(const Rect& r) {
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

// The main window's page control: 192 x 208, Tahoma 14 px, one flat sheet per caption.
void setUpPages(TFlatPages& pc, const QStringList& captions) {
    pc.setControlFont(tk::Font(QStringLiteral("Tahoma"), 14));
    pc.setBounds(1, 24, 192, 208);
    for (const QString& caption : captions)
        (new TFlatSheet(nullptr, &pc))->setCaption(caption);
}

// Opens the hint question to the test.
class ProbePages : public TFlatPages {
public:
    using TDefinePages::hintAt;
    using TFlatPages::TFlatPages;
};

void sendEnter(QWidget& w, QPoint p) {
    QEnterEvent e(p, w.mapTo(w.window(), p), w.mapToGlobal(p));
    QApplication::sendEvent(&w, &e);
}

void sendMove(QWidget& w, QPoint p) {
    QMouseEvent e(QEvent::MouseMove, p, w.mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

// MulDiv: rounded to the nearest, halves away from zero.
int mulDiv(int a, int b, int c) {
    const double q = double(a) * b / c;
    return int(q < 0 ? q - 0.5 : q + 0.5);
}

} // namespace

class TestFlatPages : public QObject {
    Q_OBJECT

private slots:
    void topTabPixels_data();
    void topTabPixels();
    void tabShapeFollowsThePosition_data();
    void tabShapeFollowsThePosition();
    void sheetsAndFrameLieAroundTheNativePageArea();
    void hiddenMiddleTabShowsTheNextPage();
    void tabHint_data();
    void tabHint();
    void hotTrackOffChangesNothingAndKeepsMouseMoveSilent();
    void hotTrackOnMarksTheHotTabUntilTheMouseLeaves();
    void focusedStripMarksTheSelectedTab();
    void leavingATabDrawsItsLinesInItsNormalColours_data();
    void leavingATabDrawsItsLinesInItsNormalColours();
    void tabPositionIncompatibleWithButtonStyles();
    void imageListNumbersAndMapsTheGlyphs();
    void ownerDrawnTabs();
    void pageThatIsNoFlatSheetIsAnError();
    void emptyBackgroundImage_data();
    void emptyBackgroundImage();
    void gradientSheetShowsSixtyBands_data();
    void gradientSheetShowsSixtyBands();
    void layoutRoundTripKeepsPagesAndSheets();
    void picturesOfSheetAndButtonRoundTrip();
    void activePageSignalComesOncePerChange();
};

void TestFlatPages::topTabPixels_data() {
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("hotTrack");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QRgb>("expected");
    const QRgb c = rgbOf(TabColor), border = rgbOf(Border), frame = rgbOf(tk::clOlive);
    const TColor d5 = DarkenColor(TabColor, 5);
    // Item (2, 2, 60, 22), selected: R = (0, 0, 61, 21); the frame line runs at row 21.
    QTest::newRow("selected-top-edge") << true << false << QPoint(30, 0) << border;
    QTest::newRow("selected-face") << true << false << QPoint(30, 1) << c;
    QTest::newRow("selected-rounded-corner") << true << false << QPoint(0, 0) << Sentinel;
    QTest::newRow("selected-left-edge") << true << false << QPoint(0, 20) << border;
    QTest::newRow("selected-join-row-20") << true << false << QPoint(1, 20) << c;
    QTest::newRow("selected-join-over-frame-line") << true << false << QPoint(30, 21) << c;
    QTest::newRow("selected-join-row-22") << true << false << QPoint(59, 22) << c;
    QTest::newRow("selected-frame-line-left-of-join") << true << false << QPoint(0, 21) << frame;
    QTest::newRow("selected-frame-line-right-of-join") << true << false << QPoint(60, 21) << frame;
    QTest::newRow("selected-nothing-below-join") << true << false << QPoint(30, 23) << Sentinel;
    QTest::newRow("selected-no-hot-lines-without-hot-track")
        << true << false << QPoint(2, 0) << border;
    QTest::newRow("selected-hot-dark-line-start")
        << true << true << QPoint(2, 0) << rgbOf(HotLineDarkColor);
    QTest::newRow("selected-hot-light-line")
        << true << true << QPoint(58, 1) << rgbOf(HotLineLightColor);
    // Unselected: R = (2, 2, 59, 20) in D5, its inner edge shaded.
    QTest::newRow("unselected-face-D5") << false << false << QPoint(30, 10) << rgbOf(d5);
    QTest::newRow("unselected-right-edge") << false << false << QPoint(58, 10) << border;
    QTest::newRow("unselected-shadow-x57-D20")
        << false << false << QPoint(57, 10) << rgbOf(DarkenColor(d5, 20));
    QTest::newRow("unselected-shadow-x56-D10")
        << false << false << QPoint(56, 10) << rgbOf(DarkenColor(d5, 10));
    QTest::newRow("unselected-shadow-y19-D20")
        << false << false << QPoint(30, 19) << rgbOf(DarkenColor(d5, 20));
    QTest::newRow("unselected-shadow-y18-D10")
        << false << false << QPoint(30, 18) << rgbOf(DarkenColor(d5, 10));
    QTest::newRow("unselected-shadow-lines-leave-their-end")
        << false << false << QPoint(57, 19) << rgbOf(d5);
    QTest::newRow("unselected-stops-above-frame") << false << false << QPoint(30, 20) << Sentinel;
    QTest::newRow("unselected-frame-line-untouched") << false << false << QPoint(30, 21) << frame;
}

void TestFlatPages::topTabPixels() {
    QFETCH(bool, selected);
    QFETCH(bool, hotTrack);
    QFETCH(QPoint, at);
    QFETCH(QRgb, expected);
    QImage img(70, 30, QImage::Format_RGB32);
    img.fill(Sentinel);
    Canvas c(img);
    c.fillRect({0, 21, 70, 22}, tk::clOlive); // the page frame's top line

    const Rect r = PaintFlatTab(c, tpTop, {2, 2, 60, 22}, selected, TabColor, Border, hotTrack);
    QCOMPARE(r, (selected ? Rect{0, 0, 61, 21} : Rect{2, 2, 59, 20}));
    QCOMPARE(QString::number(img.pixel(at), 16), QString::number(expected, 16));
}

void TestFlatPages::tabShapeFollowsThePosition_data() {
    QTest::addColumn<TPagesPosition>("position");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<Rect>("expected");
    QTest::addColumn<QPoint>("hotLine"); // a pixel of the dark hot line of a selected tab
    // Item (20, 20, 60, 40).
    QTest::newRow("top-selected") << tpTop << true << Rect{18, 18, 61, 39} << QPoint(20, 18);
    QTest::newRow("top") << tpTop << false << Rect{20, 20, 59, 38} << QPoint();
    QTest::newRow("bottom-selected") << tpBottom << true << Rect{18, 20, 61, 40} << QPoint(20, 39);
    QTest::newRow("bottom") << tpBottom << false << Rect{20, 21, 59, 39} << QPoint();
    QTest::newRow("left-selected") << tpLeft << true << Rect{18, 19, 60, 40} << QPoint(18, 21);
    QTest::newRow("left") << tpLeft << false << Rect{20, 20, 59, 39} << QPoint();
    QTest::newRow("right-selected") << tpRight << true << Rect{20, 19, 62, 40} << QPoint(60, 21);
    QTest::newRow("right") << tpRight << false << Rect{21, 20, 60, 39} << QPoint();
}

void TestFlatPages::tabShapeFollowsThePosition() {
    QFETCH(TPagesPosition, position);
    QFETCH(bool, selected);
    QFETCH(Rect, expected);
    QFETCH(QPoint, hotLine);
    QImage img(80, 60, QImage::Format_RGB32);
    img.fill(Sentinel);
    Canvas c(img);

    const Rect r = PaintFlatTab(c, position, {20, 20, 60, 40}, selected, TabColor, Border, true);
    QCOMPARE(r, expected);
    const QRgb face = rgbOf(selected ? TabColor : DarkenColor(TabColor, 5));
    QCOMPARE(img.pixel(centre(r)), face);
    if (selected) QCOMPARE(img.pixel(hotLine), rgbOf(HotLineDarkColor));
}

void TestFlatPages::sheetsAndFrameLieAroundTheNativePageArea() {
    TFlatPages pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    pc.page(0)->setColor(TabColor);
    // Native page area N = (4, 25, 188, 204).
    QCOMPARE(Rect::fromQRect(pc.page(0)->geometry()), (Rect{1, 23, 191, 207}));
    QCOMPARE(Rect::fromQRect(pc.page(1)->geometry()), (Rect{1, 23, 191, 207}));
    QCOMPARE(pc.frameRect(), (Rect{0, 21, 192, 208}));

    const QImage img = grab(pc);
    const QRgb border = rgbOf(Border), c = rgbOf(TabColor);
    QCOMPARE(img.pixel(100, 21), border); // the frame beside the tabs
    QCOMPARE(img.pixel(0, 100), border);
    QCOMPARE(img.pixel(191, 100), border);
    QCOMPARE(img.pixel(100, 207), border);
    QCOMPARE(img.pixel(20, 21), c); // under the selected tab the page goes on
    QCOMPARE(img.pixel(20, 22), c);
    QCOMPARE(img.pixel(100, 22), rgbOf(pc.color())); // the gap above the sheet
    QCOMPARE(img.pixel(100, 100), c);
}

void TestFlatPages::hiddenMiddleTabShowsTheNextPage() {
    const TColor third = tk::rgb(250, 230, 200);
    ProbePages pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("隐藏的页"), QStringLiteral("关于")});
    pc.page(1)->setTabVisible(false);
    pc.page(2)->setColor(third);
    pc.flatSheet(2).setShowTabHint(true);
    pc.flatSheet(2).setTabHint(QStringLiteral("third"));
    TFlatPages twoPages;
    setUpPages(twoPages, {QStringLiteral("查询"), QStringLiteral("关于")});
    twoPages.page(1)->setColor(third);

    // Tab 1 is page 2's tab: its colour, its caption, nothing of the hidden page.
    const QImage img = grab(pc);
    QCOMPARE(img, grab(twoPages));
    const Rect tab1 = pc.tabRect(1);
    QCOMPARE(img.pixel(tab1.Left + 3, tab1.Top + 8), rgbOf(DarkenColor(third, 5)));
    QString text;
    QRect area = pc.rect();
    pc.hintAt(centre(tab1), text, area);
    QCOMPARE(text, QStringLiteral("third"));
    QCOMPARE(Rect::fromQRect(area), tab1);

    // Shown from the start, through the toolkit's hint event.
    QWidget window;
    window.resize(200, 240);
    pc.setParentControl(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QHelpEvent help(QEvent::ToolTip, centre(tab1), pc.mapToGlobal(centre(tab1)));
    QApplication::sendEvent(&pc, &help);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("third"));
    QToolTip::hideText();
    pc.setParentControl(nullptr);
}

void TestFlatPages::tabHint_data() {
    QTest::addColumn<bool>("show");
    QTest::addColumn<QString>("tabHint");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("tabArea");
    QTest::newRow("short-before-the-bar") << true << "short|long"
                                          << "short" << true;
    QTest::newRow("no-bar-shows-all") << true << "whole"
                                      << "whole" << true;
    QTest::newRow("show-tab-hint-off-keeps-own") << false << "short|long"
                                                 << "own" << false;
    QTest::newRow("empty-tab-hint-keeps-own") << true << ""
                                              << "own" << false;
}

void TestFlatPages::tabHint() {
    QFETCH(bool, show);
    QFETCH(QString, tabHint);
    QFETCH(QString, expected);
    QFETCH(bool, tabArea);
    ProbePages pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    pc.setHint(QStringLiteral("own|long own"));
    pc.flatSheet(1).setShowTabHint(show);
    pc.flatSheet(1).setTabHint(tabHint);

    QString text = QStringLiteral("own");
    QRect area = pc.rect();
    pc.hintAt(centre(pc.tabRect(1)), text, area);
    QCOMPARE(text, expected);
    QCOMPARE(area, tabArea ? pc.tabRect(1).toQRect() : pc.rect());
}

void TestFlatPages::hotTrackOffChangesNothingAndKeepsMouseMoveSilent() {
    TFlatPages pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    int moves = 0;
    QObject::connect(&pc, &tk::TControl::OnMouseMove, [&](tk::TShiftState, int, int) { ++moves; });
    const QImage before = grab(pc);

    sendEnter(pc, centre(pc.tabRect(1)));
    sendMove(pc, centre(pc.tabRect(1)));
    QCOMPARE(pc.hotIndex(), -1);
    QCOMPARE(grab(pc), before);
    QCOMPARE(moves, 0); // the flat style keeps mouse movement to itself

    pc.setStyle(pcsTabs);
    sendMove(pc, centre(pc.tabRect(0)));
    QCOMPARE(moves, 1);
}

void TestFlatPages::hotTrackOnMarksTheHotTabUntilTheMouseLeaves() {
    // A real window and the test's mouse: the control must follow a mouse without buttons.
    QWidget window;
    window.resize(200, 240);
    TFlatPages pc(nullptr, &window);
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于"), QStringLiteral("帮助")});
    pc.setHotTrack(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage before = grab(pc);
    const Rect tab1 = pc.tabRect(1);

    QTest::mouseMove(&pc, centre(pc.tabRect(0))); // the selected tab carries its lines anyway
    QTRY_COMPARE(pc.hotIndex(), 0);
    QCOMPARE(grab(pc), before);

    QTest::mouseMove(&pc, centre(tab1));
    QTRY_COMPARE(pc.hotIndex(), 1);
    const QImage hot = grab(pc);
    QCOMPARE(hot.pixel(tab1.Left + 2, tab1.Top), rgbOf(HotLineDarkColor));
    QCOMPARE(hot.pixel(tab1.Right - 4, tab1.Top), rgbOf(HotLineDarkColor));
    QCOMPARE(hot.pixel(tab1.Left + 2, tab1.Top + 1), rgbOf(HotLineLightColor));
    // Only those two lines of tab 1 changed.
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (hot.pixel(x, y) != before.pixel(x, y))
                QVERIFY2(y - tab1.Top < 2 && y >= tab1.Top && x >= tab1.Left + 2 &&
                             x < tab1.Right - 3,
                         qPrintable(QStringLiteral("changed at %1, %2").arg(x).arg(y)));

    QTest::mouseMove(&window, QPoint(100, 5)); // above the control
    QTRY_COMPARE(pc.hotIndex(), -1);
    QCOMPARE(grab(pc), before);

    // Switched off and on again while the mouse was away, no tab comes back hot.
    QTest::mouseMove(&pc, centre(tab1));
    QTRY_COMPARE(pc.hotIndex(), 1);
    pc.setHotTrack(false);
    QTest::mouseMove(&window, QPoint(100, 5));
    QTRY_COMPARE(pc.hotIndex(), -1);
    pc.setHotTrack(true);
    QCOMPARE(grab(pc), before);
}

void TestFlatPages::focusedStripMarksTheSelectedTab() {
    QWidget window;
    TFlatPages pc(nullptr, &window);
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    TFlatButton other(nullptr, &window);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other.setFocus();
    QTRY_VERIFY(other.hasFocus());
    const QImage before = grab(pc);
    pc.setFocus();
    QTRY_VERIFY(pc.hasFocus());
    const QImage marked = grab(pc);
    QVERIFY(marked != before);
    // The mark is the outline 3 pixels inside the selected tab, and nothing else.
    const QRect outline = pc.tabRect(0).inflated(-3, -3).toQRect().adjusted(0, 0, -1, -1);
    QImage unmarked[] = {before, marked};
    for (QImage& img : unmarked)
        QPainter(&img).drawRect(outline);
    QCOMPARE(unmarked[1], unmarked[0]);
    other.setFocus();
    QTRY_COMPARE(grab(pc), before);
}

void TestFlatPages::leavingATabDrawsItsLinesInItsNormalColours_data() {
    QTest::addColumn<TPagesPosition>("position");
    QTest::addColumn<QPoint>("first");  // the first line's first pixel, from the tab's corner
    QTest::addColumn<QPoint>("second"); // the same of the second line
    QTest::newRow("bottom") << tpBottom << QPoint(2, -3) << QPoint(2, -2);
    QTest::newRow("left") << tpLeft << QPoint(0, 2) << QPoint(1, 2);
    QTest::newRow("right") << tpRight << QPoint(-1, 2) << QPoint(0, 2);
}

// Regression: side and bottom tabs came back in other colours than their own when the
// mouse left them, and the hot lines stayed on through an ordinary repaint.
void TestFlatPages::leavingATabDrawsItsLinesInItsNormalColours() {
    QFETCH(TPagesPosition, position);
    QFETCH(QPoint, first);
    QFETCH(QPoint, second);
    QWidget window;
    window.resize(240, 240);
    TFlatPages pc(nullptr, &window);
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于"), QStringLiteral("帮助")});
    pc.setTabPosition(position);
    pc.setHotTrack(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Rect tab = pc.tabRect(1);
    const QPoint corner = position == tpBottom  ? QPoint(tab.Left, tab.Bottom)
                          : position == tpRight ? QPoint(tab.Right, tab.Top)
                                                : QPoint(tab.Left, tab.Top);
    const tk::TColor sheet = pc.flatSheet(1).color();
    const tk::TColor d20 = DarkenColor(sheet, 20);
    const QRgb hotFirst = rgbOf(HotLineLightColor);
    const QRgb normalFirst = rgbOf(position == tpBottom ? d20 : pc.colorBorder());
    const QRgb normalSecond = rgbOf(position == tpBottom ? pc.colorBorder() : d20);

    QTest::mouseMove(&pc, centre(tab));
    QTRY_COMPARE(pc.hotIndex(), 1);
    QCOMPARE(grab(pc).pixel(corner + first), hotFirst);
    QTest::mouseMove(&window, QPoint(100, 5)); // above the control
    QTRY_COMPARE(pc.hotIndex(), -1);
    const QImage left = grab(pc);
    QCOMPARE(left.pixel(corner + first), normalFirst);
    QCOMPARE(left.pixel(corner + second), normalSecond);
}

void TestFlatPages::tabPositionIncompatibleWithButtonStyles() {
    TFlatPages pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    pc.setTabPosition(tpLeft);
    QCOMPARE(pc.TPageControl::tabPosition(), tk::TPageControl::TTabPosition::tpLeft);

    pc.setStyle(pcsFlatButtons); // buttons stand on top only
    QCOMPARE(pc.tabPosition(), tpTop);
    QCOMPARE(pc.TPageControl::style(), tk::TPageControl::TTabStyle::tsFlatButtons);
    try {
        pc.setTabPosition(tpBottom);
        QFAIL("no error");
    } catch (const std::invalid_argument& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("Tab position incompatible with current tab style"));
    }
    QCOMPARE(pc.tabPosition(), tpTop);
    QCOMPARE(pc.TPageControl::tabPosition(), tk::TPageControl::TTabPosition::tpTop);
    pc.setTabPosition(tpTop); // unchanged: no error

    pc.setStyle(pcsFlatStyle);
    QCOMPARE(pc.TPageControl::style(), tk::TPageControl::TTabStyle::tsTabs);
    pc.setTabPosition(tpRight);
    QCOMPARE(pc.tabPosition(), tpRight);
}

void TestFlatPages::imageListNumbersAndMapsTheGlyphs() {
    TFlatPages pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    QList<int> mapped;
    QObject::connect(&pc, &flat::TDefinePages::OnGlyphMap,
                     [&](tk::TControl* control, int page, int& glyph) {
                         QCOMPARE(control, &pc);
                         mapped << page;
                         glyph += 10;
                     });
    TDefineSheet& second = pc.flatSheet(1);
    second.setImageIndex(-5);
    QCOMPARE(second.imageIndex(), -1);
    TFlatSheet loose;
    loose.setImageIndex(3); // no page control: nothing happens
    QCOMPARE(loose.imageIndex(), -1);

    tk::TImageList list;
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    list.add(red);
    pc.setImageList(&list);
    QCOMPARE(second.imageIndex(), 1);
    QCOMPARE(pc.tabImageIndex(0), 10);
    QCOMPARE(pc.tabImageIndex(1), 11);
    QCOMPARE(mapped, (QList<int>{0, 1}));

    // The flat tab draws its sheet's glyph at (R.Left + 3, middle): R = (0, 0, ..., 22).
    const QImage img = grab(pc);
    QCOMPARE(img.pixel(3, 3), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(18, 18), qRgb(255, 0, 0));
    QVERIFY(img.pixel(2, 3) != qRgb(255, 0, 0));
    QVERIFY(img.pixel(19, 3) != qRgb(255, 0, 0));

    mapped.clear();
    list.add(red); // a change of the list maps again
    QCOMPARE(mapped, (QList<int>{0, 1}));
    second.setImageIndex(0);
    pc.setStyle(pcsTabs); // a re-created strip numbers the sheets again
    QCOMPARE(second.imageIndex(), 1);

    pc.setImageList(nullptr);
    QCOMPARE(pc.flatSheet(0).imageIndex(), -1);
    QCOMPARE(second.imageIndex(), -1);
    mapped.clear();
    list.add(red);
    QVERIFY(mapped.isEmpty());
}

void TestFlatPages::ownerDrawnTabs() {
    TFlatPages pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("x"), QStringLiteral("关于")});
    pc.page(1)->setTabVisible(false);
    pc.setOwnerDraw(true);
    struct Call {
        int index;
        Rect rect;
        TOwnerDrawState state;
    };
    QList<Call> calls;
    QObject::connect(&pc, &flat::TDefinePages::OnDrawItem,
                     [&](tk::TControl*, int index, Canvas&, const Rect& r, TOwnerDrawState s) {
                         calls.append({index, r, s});
                     });

    grab(pc); // the flat style: page indices, no state
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[1].index, 2);
    QCOMPARE(calls[1].rect, pc.tabRect(1));
    QCOMPARE(calls[0].state, TOwnerDrawState());

    calls.clear();
    pc.setStyle(pcsTabs); // native: tab numbers, the selected one marked
    grab(pc);
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0].index, 1);
    QCOMPARE(calls[1].index, 0);
    QCOMPARE(calls[1].state, TOwnerDrawState(odSelected));

    // Without OnDrawItem: white at the edges, 0xDCDCDC in the middle.
    QObject::disconnect(&pc, &flat::TDefinePages::OnDrawItem, nullptr, nullptr);
    const QImage img = grab(pc);
    // Tab 1, 21 high: 10 colours each way; left of its caption, right of where the
    // selected tab's box and caption reach over it.
    const Rect r = pc.tabRect(1);
    const int x = r.Left + 6;
    QCOMPARE(img.pixel(x, r.Top), qRgb(255, 255, 255));
    QCOMPARE(img.pixel(x, r.Top + 9), qRgb(220, 220, 220));
    QCOMPARE(img.pixel(x, r.Top + 10), qRgb(220, 220, 220));
    QCOMPARE(img.pixel(x, r.Bottom - 1), qRgb(255, 255, 255));
}

void TestFlatPages::pageThatIsNoFlatSheetIsAnError() {
    TFlatPages pc;
    setUpPages(pc, {QStringLiteral("查询")});
    auto* plain = new tk::TTabSheet(nullptr, &pc);
    plain->setName(QStringLiteral("Plain"));
    tk::TImageList list;

    QVERIFY_THROWS_EXCEPTION(std::logic_error, pc.flatSheet(1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, pc.flatSheet(2));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, pc.setImageList(&list));
    QCOMPARE(pc.imageList(), nullptr); // nothing attached halfway
    QCOMPARE(pc.flatSheet(0).imageIndex(), -1);
}

void TestFlatPages::emptyBackgroundImage_data() {
    QTest::addColumn<TDefineSheetBGStyle>("style");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<TDefineSheetBGStyle>("expected");
    QTest::newRow("tile-falls-back") << bgsTileImage << true << bgsNone;
    QTest::newRow("stretch-falls-back") << bgsStrechImage << true << bgsNone;
    QTest::newRow("gradient-stays") << bgsGradient << true << bgsGradient;
    QTest::newRow("picture-keeps-tile") << bgsTileImage << false << bgsTileImage;
}

void TestFlatPages::emptyBackgroundImage() {
    QFETCH(TDefineSheetBGStyle, style);
    QFETCH(bool, empty);
    QFETCH(TDefineSheetBGStyle, expected);
    TFlatSheet sheet;
    sheet.setBGImage(tk::Bitmap(4, 4));
    sheet.setBGStyle(style);
    sheet.setBGImage(empty ? tk::Bitmap() : tk::Bitmap(2, 2));
    QCOMPARE(sheet.bgStyle(), expected);
    QCOMPARE(sheet.bgImage().width(), empty ? 0 : 2);
}

void TestFlatPages::gradientSheetShowsSixtyBands_data() {
    QTest::addColumn<int>("pagesHeight");
    QTest::addColumn<int>("sheetHeight");
    QTest::newRow("184-rows-bands-of-3-rest-4") << 208 << 184;
    QTest::newRow("60-rows-bands-of-1") << 84 << 60;
    QTest::newRow("119-rows-bands-of-1-rest-59") << 143 << 119;
}

void TestFlatPages::gradientSheetShowsSixtyBands() {
    QFETCH(int, pagesHeight);
    QFETCH(int, sheetHeight);
    TFlatPages pc;
    setUpPages(pc, {QStringLiteral("查询")});
    pc.setHeight(pagesHeight);
    TDefineSheet& sheet = pc.flatSheet(0);
    sheet.setBGStyle(bgsGradient);
    QCOMPARE(sheet.height(), sheetHeight);

    // White to silver (192) from the top, 60 bands, the rest silver.
    const QImage img = grab(sheet);
    const int band = sheetHeight / 60;
    for (int y = 0; y < sheetHeight; ++y) {
        const int i = y / band;
        const int v = i < 60 ? 255 + mulDiv(i, 192 - 255, 59) : 192;
        QCOMPARE(img.pixel(0, y), qRgb(v, v, v));
        QCOMPARE(img.pixel(sheet.width() - 1, y), qRgb(v, v, v));
    }
}

void TestFlatPages::layoutRoundTripKeepsPagesAndSheets() {
    tk::registerLayoutClass<tk::TForm>();
    tk::registerPageControlClasses();
    registerFlatClasses();
    QString text;
    {
        tk::TForm form;
        form.setName(QStringLiteral("Form1"));
        auto* list = new tk::TImageList(&form);
        list->setName(QStringLiteral("ImageList1"));
        auto* pc = new TFlatPages(&form, &form);
        pc->setName(QStringLiteral("fltpgs1"));
        for (const char* name : {"fltsht1", "fltsht2"}) {
            auto* s = new TFlatSheet(&form, pc);
            s->setName(QString::fromLatin1(name));
            s->setCaption(QString::fromLatin1(name));
        }
        pc->setImageList(list);
        auto& second = pc->flatSheet(1);
        second.setBGStyle(bgsGradient);
        second.setGradientFillDir(fdLeftToRight);
        second.setTabHint(QStringLiteral("a|b"));
        pc->setActivePage(&second);
        text = tk::writeLayout(&form);
    }
    for (const char* line :
         {"Style = pcsFlatStyle", "TabPosition = tpTop", "TabTextAlignment = taCenter",
          "ImageList = ImageList1", "BGStyle = bgsGradient", "GradientFillDir = fdLeftToRight"})
        QVERIFY2(text.contains(QLatin1String(line)), qPrintable(text));
    QCOMPARE(text.count(QLatin1String("Version = '4.56.0.0'")), 3);
    QVERIFY2(!text.contains(QLatin1String("Images")), qPrintable(text));

    tk::TForm form;
    tk::readLayout(&form, text);
    auto* pc = qobject_cast<TFlatPages*>(form.findComponent(QStringLiteral("fltpgs1"))->object());
    QVERIFY(pc);
    QCOMPARE(pc->pageCount(), 2);
    QCOMPARE(pc->style(), pcsFlatStyle);
    QCOMPARE(pc->activePage(), pc->page(1));
    QVERIFY(pc->imageList());
    QCOMPARE(pc->flatSheet(1).imageIndex(), 1);
    QCOMPARE(pc->flatSheet(1).bgStyle(), bgsGradient);
    QCOMPARE(pc->flatSheet(1).tabHint(), QStringLiteral("a|b"));
    QCOMPARE(pc->flatSheet(0).bgStyle(), bgsNone);
    QCOMPARE(Rect::fromQRect(pc->page(0)->geometry()).Top, pc->displayRect().Top - 2);
}

// The sheet's background and a button's glyph are stored in the layout as pictures; read
// back, they are the same pixels and set what they set when assigned (the glyph strip its
// NumGlyphs, the tiled background its style).
void TestFlatPages::picturesOfSheetAndButtonRoundTrip() {
    tk::registerLayoutClass<tk::TForm>();
    registerFlatClasses();
    QImage tile(3, 2, QImage::Format_RGB32);
    tile.fill(qRgb(10, 200, 30));
    tile.setPixel(2, 1, qRgb(250, 0, 0));
    QImage strip(32, 16, QImage::Format_RGB32);
    for (int x = 0; x < 32; ++x)
        for (int y = 0; y < 16; ++y)
            strip.setPixel(x, y, x < 16 ? qRgb(x * 15, y * 15, 0) : qRgb(0, 0, 255));
    QString text;
    {
        tk::TForm form;
        form.setName(QStringLiteral("Form1"));
        auto* pc = new TFlatPages(&form, &form);
        pc->setName(QStringLiteral("fltpgs1"));
        auto* sheet = new TFlatSheet(&form, pc);
        sheet->setName(QStringLiteral("fltsht1"));
        sheet->setBGImage(tk::Bitmap(tile));
        sheet->setBGStyle(bgsTileImage);
        auto* button = new TFlatButton(&form, sheet);
        button->setName(QStringLiteral("FlatButton1"));
        button->setGlyph(tk::Bitmap(strip));
        text = tk::writeLayout(&form);
    }
    QVERIFY2(text.contains(QLatin1String("\n      BGImage.Data = {\n        89504E47")),
             qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("\n        Glyph.Data = {\n          89504E47")),
             qPrintable(text));

    tk::TForm form;
    tk::readLayout(&form, text);
    auto* sheet =
        qobject_cast<TFlatSheet*>(form.findComponent(QStringLiteral("fltsht1"))->object());
    auto* button =
        qobject_cast<TFlatButton*>(form.findComponent(QStringLiteral("FlatButton1"))->object());
    QVERIFY(sheet && button);
    QCOMPARE(sheet->bgImage().image(), tile);
    QCOMPARE(sheet->bgStyle(), bgsTileImage);
    QCOMPARE(button->glyph().image(), strip);
    QCOMPARE(button->numGlyphs(), 2);
    QCOMPARE(tk::writeLayout(&form), text);
}

// Every change of page raises the signal of ActivePage once: the user's right before
// OnChange, the program's without OnChange. A refused change and the page already active
// raise neither.
void TestFlatPages::activePageSignalComesOncePerChange() {
    TFlatPages pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    QStringList log;
    bool allow = true;
    QObject::connect(&pc, &tk::TPageControl::OnChanging, [&](bool& ok) { ok = allow; });
    QObject::connect(&pc, &tk::TPageControl::OnChange, [&] { log << QStringLiteral("change"); });
    connect(&pc, &tk::TPageControl::activePageChanged, this, [&](tk::TTabSheet* page) {
        log << QStringLiteral("signal:%1").arg(pc.pages().indexOf(page));
    });
    QSignalSpy spy(&pc, &tk::TPageControl::activePageChanged);
    const QMetaObject* mo = pc.metaObject();
    QCOMPARE(mo->property(mo->indexOfProperty("ActivePage")).notifySignal().name(),
             QByteArray("activePageChanged"));

    QTest::mouseClick(&pc, Qt::LeftButton, {}, centre(pc.tabRect(1)));
    QCOMPARE(log, QStringList({"signal:1", "change"}));
    allow = false;
    QTest::mouseClick(&pc, Qt::LeftButton, {}, centre(pc.tabRect(0)));
    QCOMPARE(log.size(), 2);
    pc.setActivePageIndex(0);
    pc.setActivePageIndex(0); // already active
    QCOMPARE(pc.activePageIndex(), 0);
    QCOMPARE(log, QStringList({"signal:1", "change", "signal:0"}));
    delete pc.page(0); // the active page goes: its successor becomes active
    QCOMPARE(log.last(), QStringLiteral("signal:0"));
    QCOMPARE(pc.activePageIndex(), 0);
    QCOMPARE(spy.count(), 3);
}

ZARVIK_TEST_MAIN(TestFlatPages)
#include "tst_flatpages.moc"
