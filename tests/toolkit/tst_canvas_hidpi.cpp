#include "Bitmap.h"
#include "Canvas.h"
#include "TestEnvironment.h"

#include <QImage>
#include <QTest>
#include <functional>

// The canvas on images of device pixel ratio 1.5 and 2: whole device pixels per logical
// pixel, pictures of child widgets on the same grid as their parent's, text at the device
// resolution.
using namespace tk;

namespace {

constexpr QRgb White = 0xFFFFFFFF;

QImage whiteImage(int deviceW, int deviceH, qreal dpr) {
    QImage img(deviceW, deviceH, QImage::Format_RGB32);
    img.setDevicePixelRatio(dpr);
    img.fill(White);
    return img;
}

// Frames, a diagonal, a filled rectangle and text: what the controls paint.
void scene(Canvas& c, int dx, int dy) {
    c.setFont(Font(QStringLiteral("Tahoma"), 13, {}, clBlack));
    c.frameRect({dx + 1, dy + 1, dx + 40, dy + 20}, clOlive);
    c.frameRect({dx + 3, dy + 3, dx + 9, dy + 8}, clGreen);
    c.fillRect({dx + 11, dy + 4, dx + 14, dy + 6}, clRed);
    c.setPenColor(clNavy);
    c.moveTo(dx + 2, dy + 18);
    c.lineTo(dx + 20, dy + 10);
    c.setBrushStyle(BrushStyle::Clear);
    c.textOut(dx + 16, dy + 3, QStringLiteral("Hg查"));
}

int countOtherThan(const QImage& img, std::initializer_list<QRgb> colours) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (std::find(colours.begin(), colours.end(), img.pixel(x, y) | 0xFF000000u) ==
                colours.end())
                ++n;
    return n;
}

} // namespace

class TestCanvasHiDpi : public QObject {
    Q_OBJECT

private slots:
    void logicalPixelsAreWholeDevicePixels_data();
    void logicalPixelsAreWholeDevicePixels();
    void onePixelFrameAtDoubleRatioIsTwoDeviceRows();
    void childPictureMeetsTheParentGrid_data();
    void childPictureMeetsTheParentGrid();
    void compatibleBitmapCopiesOneToOne();
    void foreignGridCopyKeepsLinesWhole();
    void textAtOneAndAHalfIsNotAnEnlargedBitmap();
    void extentsRoundTrip();
};

void TestCanvasHiDpi::logicalPixelsAreWholeDevicePixels_data() {
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<qreal>("subpixel");
    QTest::addColumn<QList<int>>("runs"); // device pixels of logical 0, 1, 2, ...
    QTest::newRow("2") << 2.0 << 0.0 << QList<int>{2, 2, 2, 2, 2, 2};
    QTest::newRow("1.5, whole position") << 1.5 << 0.0 << QList<int>{2, 1, 2, 1, 2, 1};
    QTest::newRow("1.5, half position") << 1.5 << -0.5 << QList<int>{1, 2, 1, 2, 1, 2};
    QTest::newRow("1.25") << 1.25 << 0.0 << QList<int>{1, 2, 1, 1, 1, 2};
}

// Neighbouring logical pixels in alternating colours: runs of whole device pixels, no
// gap, no pixel of any other colour.
void TestCanvasHiDpi::logicalPixelsAreWholeDevicePixels() {
    QFETCH(qreal, ratio);
    QFETCH(qreal, subpixel);
    QFETCH(QList<int>, runs);
    int total = 0;
    for (int n : runs)
        total += n;
    QImage img = whiteImage(total, total, ratio);
    Canvas c(img, QPointF(subpixel, subpixel));
    QCOMPARE(c.width(), int(runs.size()));
    for (int v = 0; v < runs.size(); ++v) {
        c.fillRect({v, 0, v + 1, 1}, v % 2 ? clBlue : clRed);
        c.fillRect({0, v, 1, v + 1}, v % 2 ? clBlue : clRed);
    }
    int x = 0;
    for (int v = 0; v < runs.size(); ++v) {
        const QRgb want = v % 2 ? qRgb(0, 0, 255) : qRgb(255, 0, 0);
        for (int k = 0; k < runs[v]; ++k, ++x) {
            QCOMPARE(img.pixel(x, 0), want);
            QCOMPARE(img.pixel(0, x), want);
        }
    }
}

void TestCanvasHiDpi::onePixelFrameAtDoubleRatioIsTwoDeviceRows() {
    QImage img = whiteImage(20, 20, 2.0);
    Canvas c(img);
    c.frameRect({1, 1, 9, 9}, clOlive);
    const QRect outer(2, 2, 16, 16), inner(4, 4, 12, 12);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const bool ring = outer.contains(x, y) && !inner.contains(x, y);
            QCOMPARE(img.pixel(x, y), ring ? qRgb(128, 128, 0) : White);
        }
}

void TestCanvasHiDpi::childPictureMeetsTheParentGrid_data() {
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QPoint>("childAt");
    QTest::newRow("2, (1, 12)") << 2.0 << QPoint(1, 12);
    QTest::newRow("1.5, odd (1, 3)") << 1.5 << QPoint(1, 3);
    QTest::newRow("1.5, even (2, 4)") << 1.5 << QPoint(2, 4);
    QTest::newRow("1.5, mixed (7, 10)") << 1.5 << QPoint(7, 10);
    QTest::newRow("1.25, (3, 5)") << 1.25 << QPoint(3, 5);
}

// A child widget's picture goes where Qt puts it, the rounded device position of its
// place; drawn on the grid of that position, it is exactly the part of the parent's
// picture it covers: frames, line, fill and text alike, so nothing shows a seam.
void TestCanvasHiDpi::childPictureMeetsTheParentGrid() {
    QFETCH(qreal, ratio);
    QFETCH(QPoint, childAt);
    const int w = 60, h = 40;
    QImage parent = whiteImage(int(Canvas::deviceEdge(w, ratio, 0)),
                               int(Canvas::deviceEdge(h, ratio, 0)), ratio);
    {
        Canvas c(parent);
        scene(c, 0, 0);
    }
    const QPointF at = QPointF(childAt) * ratio;
    const QPoint topLeft = Canvas::devicePixelAt(at);
    const QPointF subpixel = Canvas::subpixelAt(at);
    const int cw = w - childAt.x(), ch = h - childAt.y();
    QImage child = whiteImage(int(Canvas::deviceEdge(cw, ratio, subpixel.x())),
                              int(Canvas::deviceEdge(ch, ratio, subpixel.y())), ratio);
    {
        Canvas c(child, subpixel);
        QCOMPARE(c.width(), cw);
        QCOMPARE(c.height(), ch);
        scene(c, -childAt.x(), -childAt.y());
    }
    QCOMPARE(topLeft.x() + child.width(), parent.width());
    QCOMPARE(child, parent.copy(QRect(topLeft, child.size())));
    QVERIFY(countOtherThan(child, {White}) > 100);
}

// What a control composes off-screen comes out as if drawn straight onto the canvas,
// whatever the canvas's origin and grid.
void TestCanvasHiDpi::compatibleBitmapCopiesOneToOne() {
    QImage direct = whiteImage(75, 45, 1.5);
    QImage copied = direct;
    copied.detach();
    const QPointF subpixel(-0.5, -0.5);
    {
        Canvas c(direct, subpixel);
        c.setOrigin({3, 1});
        scene(c, 0, 0);
    }
    {
        Canvas c(copied, subpixel);
        c.setOrigin({3, 1});
        Bitmap buffer = Bitmap::compatibleWith(c, 45, 25);
        QCOMPARE(buffer.width(), 45);
        buffer.canvas().fillRect({0, 0, 45, 25}, clWhite);
        scene(buffer.canvas(), 0, 0);
        c.draw(0, 0, buffer);
    }
    QCOMPARE(copied, direct);
}

// A picture made on another grid (here a frame cached at the whole position, shown by a
// child at a half one) still shows every logical pixel of its lines.
void TestCanvasHiDpi::foreignGridCopyKeepsLinesWhole() {
    Bitmap frame(9, 7, 1.5);
    frame.canvas().frameRect({0, 0, 9, 7}, clOlive);
    QImage img = whiteImage(15, 12, 1.5);
    Canvas c(img, QPointF(-0.5, -0.5));
    c.draw(0, 0, frame);
    QImage expected = whiteImage(15, 12, 1.5);
    Canvas(expected, QPointF(-0.5, -0.5)).frameRect({0, 0, 9, 7}, clOlive);
    QCOMPARE(img, expected);
}

// At 1.5 a logical pixel is one or two device pixels; glyphs rasterised at the device
// resolution put stroke edges inside the two-pixel ones, an enlarged 1x picture never.
void TestCanvasHiDpi::textAtOneAndAHalfIsNotAnEnlargedBitmap() {
    QImage img = whiteImage(60, 24, 1.5);
    Canvas c(img);
    c.setFont(Font(QStringLiteral("Tahoma"), 13, {}, clBlack));
    c.setBrushStyle(BrushStyle::Clear);
    c.textOut(0, 0, QStringLiteral("Hg查询"));
    int split = 0, ink = 0;
    for (int v = 0; v < c.width(); ++v) {
        const int x0 = int(Canvas::deviceEdge(v, 1.5, 0)),
                  x1 = int(Canvas::deviceEdge(v + 1, 1.5, 0));
        for (int y = 0; y < img.height(); ++y) {
            bool any = false, all = true;
            for (int x = x0; x < x1; ++x) {
                const bool black = (img.pixel(x, y) | 0xFF000000u) != White;
                any = any || black;
                all = all && black;
            }
            ink += any;
            split += any && !all;
        }
    }
    QVERIFY2(ink > 40, qPrintable(QString::number(ink)));
    QVERIFY2(split * 5 > ink, qPrintable(QStringLiteral("%1 of %2").arg(split).arg(ink)));
}

void TestCanvasHiDpi::extentsRoundTrip() {
    for (qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0})
        for (qreal subpixel : {-0.5, -0.25, 0.0, 0.25})
            for (int w = 0; w < 50; ++w) {
                const int device = int(Canvas::deviceEdge(w, ratio, subpixel));
                QCOMPARE(Canvas::logicalExtent(device, ratio, subpixel), w);
                QCOMPARE(Bitmap(w, 3, ratio, {subpixel, 0}).width(), w);
            }
}

ZARVIK_TEST_MAIN(TestCanvasHiDpi)
#include "tst_canvas_hidpi.moc"
