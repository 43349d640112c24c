#include "FlatUtils.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QMetaEnum>
#include <QTest>
#include <limits>
#include <stdexcept>

using namespace flat;
using tk::Bitmap;
using tk::Canvas;
using tk::Rect;
using tk::TColor;

namespace {

constexpr QRgb Sentinel = 0xFF123456;

QRgb grey(int v) {
    return qRgb(v, v, v);
}

bool isVertical(TFillDirection d) {
    return d == fdTopToBottom || d == fdBottomToTop || d == fdCenterToVerti;
}

// An image with a 1-pixel sentinel border around a w x h area at (1, 1).
QImage framedImage(int w, int h) {
    QImage img(w + 2, h + 2, QImage::Format_RGB32);
    img.fill(Sentinel);
    return img;
}

bool borderUntouched(const QImage& img) {
    for (int x = 0; x < img.width(); ++x)
        if (img.pixel(x, 0) != Sentinel || img.pixel(x, img.height() - 1) != Sentinel) return false;
    for (int y = 0; y < img.height(); ++y)
        if (img.pixel(0, y) != Sentinel || img.pixel(img.width() - 1, y) != Sentinel) return false;
    return true;
}

// Black as '#', the sentinel as '.', anything else as 'o'.
QStringList picture(const QImage& img) {
    return testsupport::sketch(img, Sentinel);
}

} // namespace

class TestFlatUtils : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void enumerationsKeepTheirOrder();
    void standardColorTableNamesDecode();
    void gradientBands_data();
    void gradientBands();
    void linearGradientRefusesOtherDirections();
    void xpFaceCornerTakesTheColourBelow();
    void xpFaceStaysInsideASmallRectangle();
    void darkenColorClamps_data();
    void darkenColorClamps();
    void drawSolidFrameRings_data();
    void drawSolidFrameRings();
    void drawCheckMarkInTheFourteenPixelBox();
    void makeDisabledBitmapEngraves();
    void makeDisabledBitmapFromOneBitSource();
    void calcGlyphTextLayout_data();
    void calcGlyphTextLayout();
    void removeAmpersand_data();
    void removeAmpersand();
    void rectHelpers();
    void tileBitmapRepeatsAndCuts();
};

void TestFlatUtils::initTestCase() {
    // The layout figures below rely on this caption measuring 40 x 13 in Tahoma 11 px.
    QImage img(1, 1, QImage::Format_RGB32);
    Canvas c(img);
    c.setFont(tk::Font(QStringLiteral("Tahoma"), 11));
    QCOMPARE(c.textExtent(QStringLiteral("Refresh!")), QSize(40, 13));
}

// Every enumeration a layout names, its names by value from 0 on: layouts and the values
// stored beside them rely on both.
void TestFlatUtils::enumerationsKeepTheirOrder() {
    const auto keys = [](const char* enumName) {
        const QMetaObject& mo = flat::staticMetaObject;
        const QMetaEnum e = mo.enumerator(mo.indexOfEnumerator(enumName));
        QStringList names;
        for (int value = 0; value < e.keyCount(); ++value)
            names << QString::fromLatin1(e.valueToKey(value));
        return names;
    };
    QCOMPARE(keys("TFillDirection"),
             QStringList({"fdBottomToTop", "fdCenterToVerti", "fdCenterToHoriz", "fdLeftToRight",
                          "fdRightToLeft", "fdTopToBottom", "fdXPFace"}));
    QCOMPARE(keys("TTransparentMode"), QStringList({"tmAlways", "tmNotFocused", "tmNone"}));
    QCOMPARE(keys("TPagesStyle"),
             QStringList({"pcsTabs", "pcsButtons", "pcsFlatButtons", "pcsFlatStyle"}));
    QCOMPARE(keys("TPagesPosition"), QStringList({"tpTop", "tpBottom", "tpLeft", "tpRight"}));
    QCOMPARE(keys("TButtonLayout"),
             QStringList({"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}));
    QCOMPARE(keys("TLayoutPosition"), QStringList({"lpLeft", "lpRight"}));
    QCOMPARE(keys("TGroupBoxBorder"), QStringList({"brFull", "brOnlyTopLine"}));
    QCOMPARE(keys("TStyleFace"), QStringList({"fsDefault", "fsCustom"}));
    QCOMPARE(keys("TAlignmentText"), QStringList({"stLeft", "stCenter", "stRight"}));
    QCOMPARE(keys("TTicketPosition"), QStringList({"poLeft", "poTop", "poRight", "poBottom"}));
    QCOMPARE(keys("TDefineSheetBGStyle"),
             QStringList({"bgsNone", "bgsGradient", "bgsTileImage", "bgsStrechImage"}));
    QCOMPARE(keys("TCheckBoxState"), QStringList({"cbUnchecked", "cbChecked", "cbGrayed"}));
}

void TestFlatUtils::standardColorTableNamesDecode() {
    QCOMPARE(StandardColorTable.size(), size_t(19));
    QCOMPARE(localColorName(StandardColorTable[0]), QString::fromUtf8("黑色"));
    QCOMPARE(localColorName(StandardColorTable[12]), QString::fromUtf8("橄榄"));
    QCOMPARE(localColorName(StandardColorTable[18]), QString::fromUtf8("自定"));
    QCOMPARE(englishColorName(StandardColorTable[8]), QStringLiteral("MoneyGreen"));
    QCOMPARE(StandardColorTable[12].Color, tk::clOlive);
    QCOMPARE(StandardColorTable[18].Color, tk::rgb(255, 128, 64));
    for (const TStandardColor& e : StandardColorTable)
        QVERIFY2(!localColorName(e).contains(QChar(0xFFFD)), e.EnglishName);
}

void TestFlatUtils::gradientBands_data() {
    testsupport::addColumns<QSize, int, int, int, int>(
        {"size", "direction", "colors", "start", "end"});
    // Grey level of each row (vertical directions) or column, top to bottom / left to right.
    QTest::addColumn<QList<int>>("expected");

    QList<int> sixty;
    for (int i = 0; i < 100; ++i)
        sixty << (i < 60 ? -1 : 255);
    sixty[0] = 0;
    sixty[1] = 4;    // 255 / 59 = 4.32
    sixty[30] = 130; // 129.66
    sixty[59] = 255;
    QTest::newRow("sixty-bands-over-100-rows")
        << QSize(3, 100) << int(fdTopToBottom) << 60 << 0 << 255 << sixty;
    QTest::newRow("four-colours-over-10-rows")
        << QSize(2, 10) << int(fdTopToBottom) << 4 << 0 << 255
        << QList<int>{0, 0, 85, 85, 170, 170, 255, 255, 255, 255};
    QTest::newRow("halves-round-away-from-zero")
        << QSize(1, 3) << int(fdTopToBottom) << 3 << 255 << 0 << QList<int>{255, 127, 0};
    QTest::newRow("one-row-top-to-bottom-is-end")
        << QSize(5, 1) << int(fdTopToBottom) << 8 << 0 << 255 << QList<int>{255};
    QTest::newRow("one-row-bottom-to-top-is-start")
        << QSize(5, 1) << int(fdBottomToTop) << 8 << 0 << 255 << QList<int>{0};
    QTest::newRow("bottom-to-top-starts-at-the-bottom")
        << QSize(2, 4) << int(fdBottomToTop) << 4 << 0 << 255 << QList<int>{255, 170, 85, 0};
    QTest::newRow("right-to-left-starts-at-the-right")
        << QSize(3, 2) << int(fdRightToLeft) << 3 << 0 << 255 << QList<int>{255, 127, 0};
    QTest::newRow("centre-to-vertical-odd-height-splits-5-6")
        << QSize(2, 11) << int(fdCenterToVerti) << 255 << 0 << 255
        << QList<int>{0, 64, 128, 191, 255, 255, 204, 153, 102, 51, 0};
    QTest::newRow("centre-to-horizontal")
        << QSize(4, 2) << int(fdCenterToHoriz) << 2 << 0 << 255 << QList<int>{0, 255, 255, 0};
    QTest::newRow("no-colours-is-solid-start")
        << QSize(2, 3) << int(fdTopToBottom) << 0 << 10 << 255 << QList<int>{10, 10, 10};
    QTest::newRow("one-colour-is-solid-start")
        << QSize(3, 2) << int(fdRightToLeft) << 1 << 10 << 255 << QList<int>{10, 10, 10};
    QTest::newRow("empty-rectangle-draws-nothing")
        << QSize(0, 4) << int(fdTopToBottom) << 4 << 0 << 255 << QList<int>{};
}

void TestFlatUtils::gradientBands() {
    QFETCH(QSize, size);
    QFETCH(int, direction);
    QFETCH(int, colors);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QList<int>, expected);
    QImage img = framedImage(size.width(), size.height());
    Canvas c(img);
    const auto dir = TFillDirection(direction);
    GradientFill(c, Rect::fromSize(1, 1, size.width(), size.height()), tk::rgb(start, start, start),
                 tk::rgb(end, end, end), dir, colors);
    QVERIFY(borderUntouched(img));
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int level = expected.value(isVertical(dir) ? y : x, -2);
            if (level == -1) continue; // a band in between, not pinned
            QCOMPARE(img.pixel(x + 1, y + 1), grey(level));
        }
    }
}

void TestFlatUtils::linearGradientRefusesOtherDirections() {
    QImage img(4, 4, QImage::Format_RGB32);
    Canvas c(img);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, LinearGradientFill(c, {0, 0, 4, 4}, tk::clBlack,
                                                                       tk::clWhite, fdXPFace, 4));
    QVERIFY_THROWS_EXCEPTION(
        std::invalid_argument,
        GradientFill(c, {0, 0, 4, 4}, tk::clBlack, tk::clWhite, TFillDirection(42), 4));
}

void TestFlatUtils::xpFaceCornerTakesTheColourBelow() {
    QImage img = framedImage(20, 24);
    Canvas c(img);
    c.setPenColor(tk::clRed);
    const TColor start = tk::rgb(100, 120, 140), end = tk::rgb(20, 40, 60);
    GradientFill(c, {1, 1, 21, 25}, start, end, fdXPFace, 16);
    QVERIFY(borderUntouched(img));
    QCOMPARE(c.pen().color, tk::clRed); // the corner's pens do not outlive the call
    const auto at = [&](int x, int y) { return img.pixel(x + 1, y + 1); };
    for (int y = 0; y <= 6; ++y)
        for (int x = 0; x <= 5; ++x)
            QCOMPARE(at(x, y), at(std::min(x, y), 7));
    // The 1-pixel top and left lines hold no whole band: they come out in Start.
    QCOMPARE(at(10, 0), tk::toQRgb(start));
    QCOMPARE(at(0, 12), tk::toQRgb(start));
    // Five 1-pixel rows of the top strip, Start to End.
    QCOMPARE(at(10, 1), tk::toQRgb(start));
    QCOMPARE(at(10, 3), qRgb(60, 80, 100));
    QCOMPARE(at(10, 5), tk::toQRgb(end));
    // The left blend runs from the left line to the pixel right of it.
    QCOMPARE(at(1, 12), at(0, 12));
    QCOMPARE(at(5, 12), at(7, 12));
}

void TestFlatUtils::xpFaceStaysInsideASmallRectangle() {
    QImage img = framedImage(4, 5);
    Canvas c(img);
    XPFaceFill(c, {1, 1, 5, 6}, tk::clWhite, tk::clBlack, 8);
    QVERIFY(borderUntouched(img));
    QCOMPARE(c.clipBox(), (Rect{0, 0, 6, 7}));
    XPFaceFill(c, {3, 3, 3, 9}, tk::clWhite, tk::clBlack, 8); // empty: nothing
    QVERIFY(borderUntouched(img));
}

void TestFlatUtils::darkenColorClamps_data() {
    QTest::addColumn<TColor>("color");
    QTest::addColumn<int>("amount");
    QTest::addColumn<TColor>("expected");
    QTest::newRow("white-darker") << tk::clWhite << 30 << tk::rgb(225, 225, 225);
    QTest::newRow("dark-grey-to-black") << tk::rgb(16, 16, 16) << 30 << tk::clBlack;
    QTest::newRow("light-grey-to-white") << tk::rgb(240, 240, 240) << -30 << tk::clWhite;
    QTest::newRow("channels-apart") << tk::rgb(10, 100, 250) << -10 << tk::rgb(20, 110, 255);
    const TColor face = tk::resolveColor(tk::clBtnFace);
    QTest::newRow("system-colour-resolved")
        << tk::clBtnFace << 5
        << tk::rgb(tk::redOf(face) - 5, tk::greenOf(face) - 5, tk::blueOf(face) - 5);
}

void TestFlatUtils::darkenColorClamps() {
    QFETCH(TColor, color);
    QFETCH(int, amount);
    QFETCH(TColor, expected);
    QCOMPARE(DarkenColor(color, amount), expected);
}

void TestFlatUtils::drawSolidFrameRings_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("none") << 0 << QStringList{"......", "......", "......",
                                              "......", "......", "......"};
    QTest::newRow("one-ring") << 1 << QStringList{"......", ".####.", ".#oo#.",
                                                  ".#oo#.", ".####.", "......"};
    QTest::newRow("two-rings-fill-4x4")
        << 2 << QStringList{"......", ".####.", ".####.", ".####.", ".####.", "......"};
    QTest::newRow("too-wide-stays-inside")
        << 1000 << QStringList{"......", ".####.", ".####.", ".####.", ".####.", "......"};
}

void TestFlatUtils::drawSolidFrameRings() {
    QFETCH(int, width);
    QFETCH(QStringList, expected);
    QImage img = framedImage(4, 4);
    Canvas c(img);
    c.fillRect({1, 1, 5, 5}, tk::clWhite);
    if (width == 0) img.fill(Sentinel);
    const Rect r{1, 1, 5, 5};
    DrawSolidFrame(c, r, tk::clBlack, width);
    QCOMPARE(picture(img), expected);
    QCOMPARE(c.pen().color, tk::clBlack);
    QCOMPARE(c.pen().width, 1);
}

void TestFlatUtils::drawCheckMarkInTheFourteenPixelBox() {
    QImage img(14, 14, QImage::Format_RGB32);
    img.fill(Sentinel);
    Canvas c(img);
    DrawCheckMark(c, {0, 0, 14, 14}, tk::clBlack);
    const QStringList expected{
        "..............", "..............", "..............", "..........#...", ".........##...",
        "........###...", "...#...###....", "...##.###.....", "...#####......", "....###.......",
        ".....#........", "..............", "..............", "..............",
    };
    QCOMPARE(picture(img), expected);
    // In a wider box the mark moves by (width - 12) div 2 on both axes.
    QImage wide(16, 16, QImage::Format_RGB32);
    wide.fill(Sentinel);
    Canvas w(wide);
    DrawCheckMark(w, {0, 0, 16, 16}, tk::clBlack);
    QCOMPARE(wide.pixel(10 + 1, 3 + 1), qRgb(0, 0, 0));
    QCOMPARE(wide.pixel(10, 3), Sentinel);
}

void TestFlatUtils::makeDisabledBitmapEngraves() {
    Bitmap glyph(4, 3);
    glyph.canvas().setPixel(0, 0, tk::clBlack);
    glyph.canvas().setPixel(1, 1, tk::clBlack);
    glyph.canvas().setPixel(3, 2, tk::clBlack); // its highlight would fall outside
    const TColor back = tk::clBtnFace, light = tk::clBtnHighlight, shadow = tk::clBtnShadow;
    const Bitmap out = MakeDisabledBitmap(glyph, tk::clBlack, back, light, shadow, true);
    QCOMPARE(out.width(), 4);
    QCOMPARE(out.height(), 3);
    const auto at = [&](int x, int y) { return out.image().pixel(x, y); };
    QCOMPARE(at(0, 0), tk::toQRgb(shadow));
    QCOMPARE(at(1, 1), tk::toQRgb(shadow)); // shadow lies over the highlight
    QCOMPARE(at(2, 2), tk::toQRgb(light));
    QCOMPARE(at(3, 2), tk::toQRgb(shadow));
    QCOMPARE(at(1, 0), tk::toQRgb(back));
    QCOMPARE(at(0, 2), tk::toQRgb(back));

    const Bitmap flatOut = MakeDisabledBitmap(glyph, tk::clBlack, back, light, shadow, false);
    QCOMPARE(flatOut.image().pixel(2, 2), tk::toQRgb(back));
    QVERIFY(MakeDisabledBitmap(Bitmap(), tk::clBlack, back, light, shadow, true).isEmpty());
}

void TestFlatUtils::makeDisabledBitmapFromOneBitSource() {
    Bitmap mono = Bitmap::monochrome(2, 1);
    mono.canvas().setPixel(1, 0, tk::clBlack); // bit 1
    QCOMPARE(mono.image().pixelIndex(1, 0), 1);
    const TColor back = tk::clRed, shadow = tk::clBlue;
    // 0-bits count as white, the key: they take the shadow; 1-bits stand for the key
    // colour and count only when the key is white.
    const Bitmap blackKey = MakeDisabledBitmap(mono, tk::clBlack, back, tk::clLime, shadow, false);
    QCOMPARE(blackKey.image().pixel(0, 0), tk::toQRgb(shadow));
    QCOMPARE(blackKey.image().pixel(1, 0), tk::toQRgb(back));
    const Bitmap whiteKey = MakeDisabledBitmap(mono, tk::clWhite, back, tk::clLime, shadow, false);
    QCOMPARE(whiteKey.image().pixel(1, 0), tk::toQRgb(shadow));
}

void TestFlatUtils::calcGlyphTextLayout_data() {
    QTest::addColumn<QSize>("glyphSize"); // 0 x 0: no glyph
    testsupport::addColumns<int, QString, Rect, QPoint, int, int, int, QPoint, Rect>(
        {"numGlyphs", "caption", "client", "offset", "margin", "spacing", "layout", "glyphPos",
         "textBounds"});

    const QString caption = QStringLiteral("Refresh!"); // 40 x 13
    QTest::newRow("caption-only-top-spacing-dropped")
        << QSize() << 1 << caption << Rect{0, 0, 66, 22} << QPoint() << -1 << 4 << int(blGlyphTop)
        << QPoint(33, 5) << Rect{13, 5, 53, 18};
    QTest::newRow("left-automatic-margin-and-spacing")
        << QSize(16, 16) << 1 << caption << Rect{0, 0, 100, 30} << QPoint() << -1 << -1
        << int(blGlyphLeft) << QPoint(14, 7) << Rect{44, 9, 84, 22};
    QTest::newRow("right-fixed-margin-automatic-spacing")
        << QSize(16, 16) << 1 << caption << Rect{0, 0, 100, 30} << QPoint() << 4 << -1
        << int(blGlyphRight) << QPoint(80, 7) << Rect{20, 9, 60, 22};
    QTest::newRow("bottom-both-given-moved-by-client-and-offset")
        << QSize(16, 16) << 1 << caption << Rect{10, 20, 110, 70} << QPoint(1, 1) << 2 << 3
        << int(blGlyphBottom) << QPoint(53, 53) << Rect{41, 37, 81, 50};
    QTest::newRow("strip-of-two-images")
        << QSize(32, 16) << 2 << caption << Rect{0, 0, 100, 30} << QPoint() << -1 << 4
        << int(blGlyphLeft) << QPoint(20, 7) << Rect{40, 9, 80, 22};
    QTest::newRow("glyph-alone") << QSize(16, 16) << 1 << QString() << Rect{0, 0, 100, 30}
                                 << QPoint() << -1 << 4 << int(blGlyphTop) << QPoint(42, 7)
                                 << Rect{50, 23, 50, 23};
    QTest::newRow("strip-claiming-no-images-is-one")
        << QSize(16, 16) << 0 << QString() << Rect{0, 0, 100, 30} << QPoint() << 0 << 0
        << int(blGlyphLeft) << QPoint(0, 7) << Rect{16, 15, 16, 15};
}

void TestFlatUtils::calcGlyphTextLayout() {
    QFETCH(QSize, glyphSize);
    QFETCH(int, numGlyphs);
    QFETCH(QString, caption);
    QFETCH(Rect, client);
    QFETCH(QPoint, offset);
    QFETCH(int, margin);
    QFETCH(int, spacing);
    QFETCH(int, layout);
    QFETCH(QPoint, glyphPos);
    QFETCH(Rect, textBounds);
    Bitmap b(1, 1);
    b.canvas().setFont(tk::Font(QStringLiteral("Tahoma"), 11));
    const Bitmap glyph(glyphSize.width(), glyphSize.height());
    const TGlyphTextLayout l = CalcGlyphTextLayout(
        b.canvas(), client, offset, caption, glyphSize.isEmpty() ? nullptr : &glyph, numGlyphs,
        margin, spacing, TButtonLayout(layout));
    QCOMPARE(l.GlyphPos, glyphPos);
    QCOMPARE(l.TextBounds, textBounds);
}

void TestFlatUtils::removeAmpersand_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two-ampersands-become-one") << QStringLiteral("&&") << QStringLiteral("&");
    QTest::newRow("no-ampersand-unchanged") << QStringLiteral("abc") << QStringLiteral("abc");
    QTest::newRow("accelerator") << QStringLiteral("&File") << QStringLiteral("File");
    QTest::newRow("only-the-first") << QStringLiteral("a&b&c") << QStringLiteral("ab&c");
    QTest::newRow("empty") << QString() << QString();
}

void TestFlatUtils::removeAmpersand() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(RemoveAmpersand(text), expected);
}

void TestFlatUtils::rectHelpers() {
    QCOMPARE(RectWidth({5, 1, 2, 9}), -3);
    QCOMPARE(RectHeight({5, 1, 2, 9}), 8);
    QVERIFY(RectsIntersect({0, 0, 4, 4}, {3, 3, 6, 6}));
    QVERIFY(!RectsIntersect({0, 0, 4, 4}, {4, 0, 6, 4})); // touching edges share no pixel
    QVERIFY(!RectsIntersect({0, 0, 0, 4}, {0, 0, 6, 4}));
    constexpr int Max = std::numeric_limits<int>::max(), Min = std::numeric_limits<int>::min();
    QCOMPARE(RectWidth({Min, 0, Max, 0}), Max); // clamped, not wrapped
}

void TestFlatUtils::tileBitmapRepeatsAndCuts() {
    Bitmap tile(3, 2);
    tile.canvas().fillRect({0, 0, 3, 2}, tk::clBlack);
    tile.canvas().setPixel(1, 0, tk::clWhite);
    QImage img = framedImage(7, 5);
    Canvas c(img);
    TileBitmap(c, {1, 1, 8, 6}, tile);
    const QStringList expected{
        ".........", ".#o##o##.", ".#######.", ".#o##o##.", ".#######.", ".#o##o##.", ".........",
    };
    QCOMPARE(picture(img), expected);
    QCOMPARE(c.clipBox(), (Rect{0, 0, 9, 7}));
    TileBitmap(c, {1, 1, 8, 6}, Bitmap()); // nothing to tile
    QCOMPARE(picture(img), expected);
}

ZARVIK_TEST_MAIN(TestFlatUtils)
#include "tst_flatutils.moc"
