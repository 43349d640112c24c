#include "Bitmap.h"
#include "Canvas.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QImage>
#include <QTest>
#include <limits>
#include <stdexcept>

using namespace tk;

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;

QImage whiteImage(int w, int h, qreal dpr = 1.0) {
    QImage img(int(w * dpr), int(h * dpr), QImage::Format_RGB32);
    img.setDevicePixelRatio(dpr);
    img.fill(White);
    return img;
}

// Black as '#', white as '.', anything else as 'o'.
QStringList picture(const QImage& img) {
    return testsupport::sketch(img, White);
}

// The picture of what `draw` paints on a white image w x h.
template <class Draw> QStringList drawn(int w, int h, Draw draw) {
    QImage img = whiteImage(w, h);
    Canvas c(img);
    draw(c);
    return picture(img);
}

// Rows [first, last] that hold a pixel other than white.
QPair<int, int> inkRows(const QImage& img) {
    int first = -1, last = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) | 0xFF000000u) != White) {
                if (first < 0) first = y;
                last = y;
            }
    return {first, last};
}

Font tahoma(int px) {
    return Font(QStringLiteral("Tahoma"), px, {}, clBlack);
}

} // namespace

class TestCanvas : public QObject {
    Q_OBJECT

private slots:
    void fillRectIsHalfOpen_data();
    void fillRectIsHalfOpen();
    void clearBrushFillsNothing();
    void linesLeaveOutTheirEndPoint_data();
    void linesLeaveOutTheirEndPoint();
    void axisLinesAreTheirPenStamps_data();
    void axisLinesAreTheirPenStamps();
    void polylinePaintsEveryVertexButTheLast();
    void frameRectIsAOnePixelRing();
    void rectangleWithClearBrushKeepsTheInside();
    void ellipseOfFourteenIsTheRadioCircle();
    void ellipseOfEightIsTheDot();
    void roundRectHasSixPixelCorners();
    void polygonFillsTheArrow();
    void focusRectInvertsEveryOtherPixelAndUndoes();
    void stateSaverRestoresClipAndOrigin();
    void stateSaverRestoresWhenUnwinding();
    void excludeClipRectLeavesAHole();
    void pixelReadsThroughTheOrigin();
    void hugeCoordinatesStayCheap();
    void textBaselineLiesAtTheCellAscent();
    void prefixUnderlinesOrHides();
    void drawTextMeasuresWithCalcRect();
    void drawTextWrapsAtWords();
    void drawTextAlignsAndCentres();
    void drawTextEndEllipsisFits();
    void drawTextClipsToItsRectangle();
    void opaqueTextFillsItsCellWithTheBrush();
    void drawTransparentLeavesOutTheKeyColour();
    void stretchDrawRepeatsPixels();
    void doubleRatioFillsWholeLogicalPixels();
    void doubleRatioTextIsDrawnAtDeviceResolution();
    void monochromeBitmapTakesNearestColour();
    void unsupportedFormatIsRefused();
};

void TestCanvas::fillRectIsHalfOpen_data() {
    QTest::addColumn<Rect>("rect");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one-pixel") << Rect{1, 1, 2, 2} << QStringList{"....", ".#..", "....", "...."};
    QTest::newRow("odd-width") << Rect{0, 1, 3, 3} << QStringList{"....", "###.", "###.", "...."};
    QTest::newRow("inverted-is-empty")
        << Rect{3, 3, 1, 1} << QStringList{"....", "....", "....", "...."};
    QTest::newRow("reaching-outside")
        << Rect{-5, 2, 99, 99} << QStringList{"....", "....", "####", "####"};
}

void TestCanvas::fillRectIsHalfOpen() {
    QFETCH(Rect, rect);
    QFETCH(QStringList, expected);
    QCOMPARE(drawn(4, 4, [&](Canvas& c) { c.fillRect(rect, clBlack); }), expected);
}

void TestCanvas::clearBrushFillsNothing() {
    QImage img = whiteImage(3, 3);
    Canvas c(img);
    c.setBrush({clBlack, BrushStyle::Clear});
    c.fillRect({0, 0, 3, 3});
    QCOMPARE(picture(img), (QStringList{"...", "...", "..."}));
    c.setBrushStyle(BrushStyle::Solid);
    c.fillRect({0, 0, 1, 1});
    QCOMPARE(img.pixel(0, 0), Black);
}

void TestCanvas::linesLeaveOutTheirEndPoint_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("horizontal") << QPoint(1, 1) << QPoint(4, 1)
                                << QStringList{".....", ".###.", ".....", "....."};
    QTest::newRow("leftwards") << QPoint(4, 1) << QPoint(1, 1)
                               << QStringList{".....", "..###", ".....", "....."};
    QTest::newRow("vertical") << QPoint(0, 0) << QPoint(0, 3)
                              << QStringList{"#....", "#....", "#....", "....."};
    QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(3, 3)
                              << QStringList{"#....", ".#...", "..#..", "....."};
    QTest::newRow("up-right") << QPoint(0, 3) << QPoint(3, 0)
                              << QStringList{".....", "..#..", ".#...", "#...."};
    QTest::newRow("zero-length") << QPoint(2, 2) << QPoint(2, 2)
                                 << QStringList{".....", ".....", ".....", "....."};
}

void TestCanvas::linesLeaveOutTheirEndPoint() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QStringList, expected);
    QImage img = whiteImage(5, 4);
    Canvas c(img);
    c.moveTo(from.x(), from.y());
    c.lineTo(to.x(), to.y());
    QCOMPARE(picture(img), expected);
    QCOMPARE(c.penPos(), to);
}

// A line along an axis is drawn as one rectangle; it must cover exactly the squares the pen
// stamps at each step (the end point left out), inside the clip, at any scale.
void TestCanvas::axisLinesAreTheirPenStamps_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("penWidth");
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("right-width-2") << QPoint(2, 3) << QPoint(9, 3) << 2 << 1.0;
    QTest::newRow("left-width-3") << QPoint(9, 4) << QPoint(1, 4) << 3 << 1.0;
    QTest::newRow("down-width-4") << QPoint(5, 1) << QPoint(5, 10) << 4 << 1.0;
    QTest::newRow("up-width-1") << QPoint(6, 10) << QPoint(6, 0) << 1 << 1.0;
    QTest::newRow("from-far-outside") << QPoint(-100000, 5) << QPoint(8, 5) << 3 << 1.0;
    QTest::newRow("past-the-edge") << QPoint(3, 2) << QPoint(40, 2) << 2 << 1.0;
    QTest::newRow("scale-1.5") << QPoint(9, 7) << QPoint(0, 7) << 2 << 1.5;
}

void TestCanvas::axisLinesAreTheirPenStamps() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, penWidth);
    QFETCH(qreal, dpr);
    // The clip leaves a hole in the middle and the origin is moved, so both are honoured.
    const auto prepare = [&](Canvas& c) {
        c.setOrigin({1, -1});
        c.excludeClipRect({4, 3, 6, 8});
        c.setPenColor(clBlack);
        c.setPenWidth(penWidth);
    };
    QImage drawn = whiteImage(12, 12, dpr);
    Canvas line(drawn);
    prepare(line);
    line.moveTo(from.x(), from.y());
    line.lineTo(to.x(), to.y());

    QImage stamped = whiteImage(12, 12, dpr);
    Canvas stamps(stamped);
    prepare(stamps);
    const QPoint step((to.x() > from.x()) - (to.x() < from.x()),
                      (to.y() > from.y()) - (to.y() < from.y()));
    const int half = (penWidth - 1) / 2;
    for (QPoint p = from; p != to; p += step)
        if (p.x() > -20 && p.y() > -20) // the rest lies far outside the image
            stamps.fillRect(Rect::fromSize(p.x() - half, p.y() - half, penWidth, penWidth),
                            clBlack);
    QCOMPARE(picture(drawn), picture(stamped));
}

void TestCanvas::polylinePaintsEveryVertexButTheLast() {
    QCOMPARE(drawn(4, 4,
                   [](Canvas& c) {
                       c.polyline({{0, 3}, {0, 0}, {3, 0}, {3, 3}});
                   }),
             (QStringList{"####", "#..#", "#..#", "#..."}));
}

void TestCanvas::frameRectIsAOnePixelRing() {
    const auto ring = [](Canvas& c) {
        c.setBrushColor(clBlack);
        c.frameRect({1, 1, 5, 4});
    };
    QCOMPARE(drawn(5, 5, ring), (QStringList{".....", ".####", ".#..#", ".####", "....."}));
}

void TestCanvas::rectangleWithClearBrushKeepsTheInside() {
    QImage img = whiteImage(5, 4);
    img.setPixel(2, 1, qRgb(0, 0, 255));
    Canvas c(img);
    c.setBrush({clRed, BrushStyle::Clear});
    c.rectangle({0, 0, 5, 4});
    QCOMPARE(picture(img), (QStringList{"#####", "#.o.#", "#...#", "#####"}));
    QCOMPARE(img.pixel(2, 1), qRgb(0, 0, 255));

    c.setBrushStyle(BrushStyle::Solid);
    c.rectangle({0, 0, 5, 4});
    QCOMPARE(img.pixel(2, 1), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(0, 0), Black);
}

void TestCanvas::ellipseOfFourteenIsTheRadioCircle() {
    const auto circle = [](Canvas& c) {
        c.setBrushStyle(BrushStyle::Clear);
        c.ellipse({0, 0, 14, 14});
    };
    const QStringList expected{
        ".....####.....", "...##....##...", "..#........#..", ".#..........#.", ".#..........#.",
        "#............#", "#............#", "#............#", "#............#", ".#..........#.",
        ".#..........#.", "..#........#..", "...##....##...", ".....####.....",
    };
    QCOMPARE(drawn(14, 14, circle), expected);
}

void TestCanvas::ellipseOfEightIsTheDot() {
    const auto dot = [](Canvas& c) {
        c.setPenColor(clRed);
        c.setBrushColor(clBlack);
        c.ellipse({1, 1, 9, 9});
    };
    const QStringList expected{
        "..........", "...oooo...", "..o####o..", ".o######o.", ".o######o.",
        ".o######o.", ".o######o.", "..o####o..", "...oooo...", "..........",
    };
    QCOMPARE(drawn(10, 10, dot), expected);
}

void TestCanvas::roundRectHasSixPixelCorners() {
    const auto rounded = [](Canvas& c) {
        c.setBrushColor(clRed);
        c.roundRect({0, 0, 9, 8}, 6, 6);
    };
    const QStringList expected{
        "..#####..", ".#ooooo#.", "#ooooooo#", "#ooooooo#",
        "#ooooooo#", "#ooooooo#", ".#ooooo#.", "..#####..",
    };
    QCOMPARE(drawn(9, 8, rounded), expected);
}

void TestCanvas::polygonFillsTheArrow() {
    const auto arrow = [](Canvas& c) {
        c.setBrushColor(clBlack);
        c.polygon({{0, 0}, {4, 0}, {2, 2}});
    };
    QCOMPARE(drawn(6, 4, arrow), (QStringList{"#####.", ".###..", "..#...", "......"}));
}

void TestCanvas::focusRectInvertsEveryOtherPixelAndUndoes() {
    QImage img = whiteImage(7, 5);
    const QImage before = img;
    Canvas c(img);
    c.drawFocusRect({1, 0, 7, 5});
    // The dots follow the parity of the image position, not of the rectangle.
    const QStringList expected{"..#.#.#", ".#.....", "......#", ".#.....", "..#.#.#"};
    QCOMPARE(picture(img), expected);
    c.drawFocusRect({1, 0, 7, 5});
    QCOMPARE(img, before);
}

void TestCanvas::stateSaverRestoresClipAndOrigin() {
    QImage img = whiteImage(6, 6);
    Canvas c(img);
    {
        Canvas::StateSaver saver(c);
        c.moveOrigin(2, 2);
        c.clipRect({0, 0, 2, 2});
        c.setPenColor(clRed);
        c.fillRect({-10, -10, 10, 10}, clBlack);
        QCOMPARE(c.clipBox(), (Rect{0, 0, 2, 2}));
    }
    QCOMPARE(c.origin(), QPoint(0, 0));
    QCOMPARE(c.pen().color, clBlack);
    QCOMPARE(c.clipBox(), (Rect{0, 0, 6, 6}));
    c.fillRect({0, 0, 1, 1}, clBlack);
    QCOMPARE(picture(img),
             (QStringList{"#.....", "......", "..##..", "..##..", "......", "......"}));
}

void TestCanvas::stateSaverRestoresWhenUnwinding() {
    QImage img = whiteImage(2, 2);
    Canvas c(img);
    try {
        Canvas::StateSaver saver(c);
        c.clipRect({});
        c.setFont(tahoma(20));
        throw std::runtime_error("paint failed");
    } catch (const std::runtime_error&) {
    }
    QCOMPARE(c.clipBox(), (Rect{0, 0, 2, 2}));
    QCOMPARE(c.font(), Font());
}

void TestCanvas::excludeClipRectLeavesAHole() {
    QImage img = whiteImage(4, 3);
    Canvas c(img);
    c.excludeClipRect({1, 1, 3, 2});
    c.fillRect({0, 0, 4, 3}, clBlack);
    QCOMPARE(picture(img), (QStringList{"####", "#..#", "####"}));
    QVERIFY(!c.isDrawable(1, 1));
    QVERIFY(c.isDrawable(0, 1));
}

void TestCanvas::pixelReadsThroughTheOrigin() {
    QImage img = whiteImage(3, 3);
    img.setPixel(2, 1, qRgb(10, 20, 30));
    Canvas c(img);
    c.setOrigin({1, 1});
    QCOMPARE(c.pixel(1, 0), rgb(10, 20, 30));
    QCOMPARE(c.pixel(-2, 0), clNone);
    QCOMPARE(c.pixel(2, 0), clNone);
    c.setPixel(0, 0, clBtnFace); // system colours are resolved
    QCOMPARE(img.pixel(1, 1), toQRgb(clBtnFace));
}

void TestCanvas::hugeCoordinatesStayCheap() {
    constexpr int Min = std::numeric_limits<int>::min();
    constexpr int Max = std::numeric_limits<int>::max();
    QImage img = whiteImage(4, 4);
    Canvas c(img);
    c.moveTo(Min, 1);
    c.lineTo(Max, 1);
    c.ellipse({Min / 2, Min / 2, Max / 2, Max / 2});
    c.polygon({{Min, Min}, {Max, Min}, {0, Max}});
    c.drawFocusRect({Min, Min, Max, Max});
    c.fillRect({Min, Min, Max, Max}, clBlack);
    QCOMPARE(picture(img), (QStringList{"####", "####", "####", "####"}));
}

void TestCanvas::textBaselineLiesAtTheCellAscent() {
    QImage img = whiteImage(12, 16);
    Canvas c(img);
    c.setFont(tahoma(13));
    c.setBrushStyle(BrushStyle::Clear);
    QCOMPARE(c.fontMetrics().height, 16);
    QCOMPARE(c.textHeight(QStringLiteral("H")), 16);
    c.textOut(0, 0, QStringLiteral("H"));
    QCOMPARE(inkRows(img), qMakePair(4, 12));
}

void TestCanvas::prefixUnderlinesOrHides() {
    const auto render = [](const QString& text, TextFormats extra) {
        QImage img = whiteImage(30, 16);
        Canvas c(img);
        c.setFont(tahoma(13));
        c.setBrushStyle(BrushStyle::Clear);
        c.drawText({0, 0, 30, 16}, text, TextFormat::SingleLine | extra);
        return img;
    };
    const QImage plain = render(QStringLiteral("Hx"), {});
    const QImage marked = render(QStringLiteral("&Hx"), {});
    QCOMPARE(render(QStringLiteral("&Hx"), TextFormat::HidePrefix), plain);
    QVERIFY(render(QStringLiteral("&Hx"), TextFormat::NoPrefix) != plain);
    QCOMPARE(render(QStringLiteral("&&"), {}), render(QStringLiteral("&"), TextFormat::NoPrefix));

    // The mark is a line under "H" alone, inside the cell, below the baseline.
    int differingRow = -1;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 30; ++x)
            if (plain.pixel(x, y) != marked.pixel(x, y)) {
                QVERIFY(differingRow == -1 || differingRow == y);
                differingRow = y;
            }
    QVERIFY(differingRow >= 13 && differingRow < 16);
    QImage measure = whiteImage(1, 1);
    Canvas m(measure);
    m.setFont(tahoma(13));
    const int hWidth = m.textWidth(QStringLiteral("H"));
    QCOMPARE(marked.pixel(0, differingRow), Black);
    QCOMPARE(marked.pixel(hWidth - 1, differingRow), Black);
    QCOMPARE(marked.pixel(hWidth, differingRow), plain.pixel(hWidth, differingRow));
}

void TestCanvas::drawTextMeasuresWithCalcRect() {
    QImage img = whiteImage(20, 20);
    const QImage before = img;
    Canvas c(img);
    c.setFont(tahoma(13));
    const int w = c.textWidth(QStringLiteral("Search"));
    const Rect r = c.drawText({5, 7, 6, 7}, QStringLiteral("Sea&rch"),
                              TextFormat::CalcRect | TextFormat::SingleLine);
    QCOMPARE(r, (Rect{5, 7, 5 + w, 7 + 16}));
    QCOMPARE(img, before); // measuring draws nothing
}

void TestCanvas::drawTextWrapsAtWords() {
    QImage img = whiteImage(1, 1);
    Canvas c(img);
    c.setFont(tahoma(13));
    const int one = c.textWidth(QStringLiteral("aaa bbb"));
    const Rect wrapped = c.drawText({0, 0, one, 0}, QStringLiteral("aaa bbb ccc"),
                                    TextFormat::CalcRect | TextFormat::WordBreak);
    QCOMPARE(wrapped.height(), 32);
    QCOMPARE(wrapped.Right, one);
    const Rect breaks =
        c.drawText({0, 0, 500, 0}, QStringLiteral("a\r\nb\nc"), TextFormat::CalcRect);
    QCOMPARE(breaks.height(), 48);
    // A word wider than the box stays whole and widens the result.
    const Rect wide = c.drawText({0, 0, 3, 0}, QStringLiteral("wide"),
                                 TextFormat::CalcRect | TextFormat::WordBreak);
    QCOMPARE(wide.width(), c.textWidth(QStringLiteral("wide")));
    QCOMPARE(wide.height(), 16);
}

void TestCanvas::drawTextAlignsAndCentres() {
    QImage img = whiteImage(60, 30);
    Canvas c(img);
    c.setFont(tahoma(13));
    c.setBrushStyle(BrushStyle::Clear);
    const int w = c.textWidth(QStringLiteral("H"));
    const Rect box{0, 0, 60, 30};
    QCOMPARE(c.drawText(box, QStringLiteral("H"), TextFormat::SingleLine | TextFormat::Right),
             (Rect{60 - w, 0, 60, 16}));
    QCOMPARE(c.drawText(box, QStringLiteral("H"),
                        TextFormat::SingleLine | TextFormat::Center | TextFormat::VCenter),
             (Rect{(60 - w) / 2, 7, (60 - w) / 2 + w, 23}));
    QCOMPARE(c.drawText(box, QStringLiteral("H"), TextFormat::SingleLine | TextFormat::Bottom).Top,
             14);
}

void TestCanvas::drawTextEndEllipsisFits() {
    QImage img = whiteImage(40, 16);
    Canvas c(img);
    c.setFont(tahoma(13));
    const Rect r =
        c.drawText({0, 0, 40, 16}, QStringLiteral("A rather long caption"),
                   TextFormat::SingleLine | TextFormat::EndEllipsis | TextFormat::CalcRect);
    QVERIFY(r.width() <= 40);
    QVERIFY(r.width() > 40 - c.textWidth(QStringLiteral("W...")));
}

void TestCanvas::drawTextClipsToItsRectangle() {
    QImage img = whiteImage(60, 16);
    Canvas c(img);
    c.setFont(tahoma(13));
    c.setBrushStyle(BrushStyle::Clear);
    c.drawText({0, 0, 10, 16}, QStringLiteral("WWWW"), TextFormat::SingleLine);
    for (int y = 0; y < 16; ++y)
        for (int x = 10; x < 60; ++x)
            QCOMPARE(img.pixel(x, y), White);
    c.drawText({0, 0, 10, 16}, QStringLiteral("WWWW"), TextFormat::SingleLine | TextFormat::NoClip);
    QVERIFY(inkRows(img.copy(10, 0, 50, 16)).first >= 0);
}

void TestCanvas::opaqueTextFillsItsCellWithTheBrush() {
    QImage img = whiteImage(40, 20);
    Canvas c(img);
    c.setFont(tahoma(13));
    c.setBrushColor(clRed);
    const int w = c.textWidth(QStringLiteral("ab"));
    c.textOut(2, 1, QStringLiteral("ab"));
    QCOMPARE(img.pixel(2, 1), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(2 + w - 1, 16), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(2 + w, 1), White);
    QCOMPARE(img.pixel(2, 17), White);
    c.setTextBackground(TextBackground::Transparent);
    c.textOut(20, 1, QStringLiteral("ab"));
    QCOMPARE(img.pixel(20, 1), White);
}

void TestCanvas::drawTransparentLeavesOutTheKeyColour() {
    Bitmap glyph(3, 2);
    glyph.canvas().fillRect({0, 0, 3, 2}, clFuchsia);
    glyph.canvas().setPixel(1, 0, clBlack);
    glyph.canvas().setPixel(2, 1, clBlue);
    QImage img = whiteImage(5, 3);
    Canvas c(img);
    c.draw(1, 1, glyph, clFuchsia);
    QCOMPARE(picture(img), (QStringList{".....", "..#..", "...o."}));
    c.draw(1, 0, glyph);
    QCOMPARE(img.pixel(1, 0), qRgb(255, 0, 255));
}

void TestCanvas::stretchDrawRepeatsPixels() {
    Bitmap b(2, 1);
    b.canvas().setPixel(0, 0, clBlack);
    QImage img = whiteImage(4, 2);
    Canvas c(img);
    c.stretchDraw({0, 0, 4, 2}, b);
    QCOMPARE(picture(img), (QStringList{"##..", "##.."}));
    c.copyRect({3, 0, 4, 1}, b, {0, 0, 1, 1});
    QCOMPARE(img.pixel(3, 0), Black);
}

void TestCanvas::doubleRatioFillsWholeLogicalPixels() {
    QImage img = whiteImage(4, 3, 2.0);
    Canvas c(img);
    QCOMPARE(c.width(), 4);
    QCOMPARE(c.height(), 3);
    c.fillRect({1, 0, 2, 1}, clBlack);
    c.moveTo(0, 2);
    c.lineTo(3, 2);
    const QStringList expected{"..##....", "..##....", "........",
                               "........", "######..", "######.."};
    QCOMPARE(picture(img), expected);
    QCOMPARE(c.pixel(1, 0), clBlack);
    c.drawFocusRect({0, 0, 2, 2}); // inverts logical (0, 0) and (1, 1), each a 2x2 block
    QCOMPARE(picture(img.copy(0, 0, 4, 4)), (QStringList{"####", "####", "..##", "..##"}));
}

void TestCanvas::doubleRatioTextIsDrawnAtDeviceResolution() {
    QImage img = whiteImage(12, 16, 2.0);
    Canvas c(img);
    c.setFont(tahoma(13));
    c.setBrushStyle(BrushStyle::Clear);
    c.textOut(0, 0, QStringLiteral("H"));
    const auto [first, last] = inkRows(img);
    QVERIFY(first >= 7 && last <= 26);
    // Some stroke edge falls inside a logical pixel: the ink was not drawn in 2x2 blocks.
    bool finer = false;
    for (int y = 0; y < img.height() && !finer; ++y)
        for (int x = 0; x + 1 < img.width(); x += 2)
            finer = finer || img.pixel(x, y) != img.pixel(x + 1, y) ||
                    img.pixel(x, y & ~1) != img.pixel(x, y | 1);
    QVERIFY(finer);
}

void TestCanvas::monochromeBitmapTakesNearestColour() {
    Bitmap b = Bitmap::monochrome(3, 1);
    QVERIFY(b.isMonochrome());
    Canvas& c = b.canvas();
    c.setPixel(0, 0, rgb(40, 40, 40));
    c.setPixel(1, 0, rgb(200, 200, 200));
    QCOMPARE(b.image().pixelIndex(0, 0), 1);
    QCOMPARE(b.image().pixelIndex(1, 0), 0);
    QCOMPARE(c.pixel(0, 0), clBlack);
    c.drawFocusRect({0, 0, 3, 1});
    QCOMPARE(b.image().pixelIndex(0, 0), 0);
    QCOMPARE(b.image().pixelIndex(2, 0), 1);

    Bitmap text = Bitmap::monochrome(12, 16);
    text.canvas().setFont(tahoma(13));
    text.canvas().setBrushStyle(BrushStyle::Clear);
    text.canvas().textOut(0, 0, QStringLiteral("H"));
    QCOMPARE(inkRows(text.image().convertToFormat(QImage::Format_RGB32)), qMakePair(4, 12));
}

void TestCanvas::unsupportedFormatIsRefused() {
    QImage img(2, 2, QImage::Format_RGB888);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Canvas{img});
    QImage none;
    Canvas c(none); // a null image is an empty surface
    c.fillRect({0, 0, 5, 5}, clBlack);
    QCOMPARE(c.pixel(0, 0), clNone);
}

ZARVIK_TEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
