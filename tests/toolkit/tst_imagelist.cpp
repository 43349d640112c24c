#include "Bitmap.h"
#include "Canvas.h"
#include "ImageList.h"
#include "TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>
#include <stdexcept>

using namespace tk;

namespace {

QImage filled(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}

QImage whiteSurface(int w, int h) {
    return filled(w, h, qRgb(255, 255, 255)).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestImageList : public QObject {
    Q_OBJECT

private slots:
    void addCutsAPictureIntoCells_data();
    void addCutsAPictureIntoCells();
    void everyChangeIsReportedOnceAndNoOpsNotAtAll();
    void badSizesAndIndicesFail();
    void maskedColourStaysTransparent();
    void drawBlendsAlphaAndGreysWhenDisabled();
    void drawKeepsToTheCanvasOriginAndClip();
};

void TestImageList::addCutsAPictureIntoCells_data() {
    QTest::addColumn<int>("pictureWidth");
    QTest::addColumn<int>("images");
    QTest::newRow("one-cell") << 16 << 1;
    QTest::newRow("strip-of-three") << 48 << 3;
    QTest::newRow("partial-cell-dropped") << 40 << 2;
    QTest::newRow("narrower-than-a-cell") << 10 << 1;
}

void TestImageList::addCutsAPictureIntoCells() {
    QFETCH(int, pictureWidth);
    QFETCH(int, images);
    TImageList list;
    list.add(filled(1, 1, qRgb(1, 2, 3)));
    QCOMPARE(list.add(filled(pictureWidth, 10, qRgb(200, 0, 0))), 1);
    QCOMPARE(list.count(), 1 + images);
    const QImage last = list.image(images);
    QCOMPARE(last.size(), QSize(16, 16));
    QCOMPARE(last.pixel(0, 0), qRgb(200, 0, 0));
    QCOMPARE(qAlpha(last.pixel(0, 12)), 0); // below a short picture: transparent
    if (pictureWidth < 16) QCOMPARE(qAlpha(last.pixel(12, 0)), 0);
}

void TestImageList::everyChangeIsReportedOnceAndNoOpsNotAtAll() {
    TImageList list;
    QSignalSpy spy(&list, &TImageList::OnChange);
    int events = 0;
    QObject::connect(&list, &tk::TImageList::OnChange, [&] { ++events; });

    list.add(filled(32, 16, qRgb(0, 0, 0)));
    QCOMPARE(spy.count(), 1);
    list.setSize(16, 16); // unchanged
    list.replace(1, filled(16, 16, qRgb(9, 9, 9)));
    list.remove(0);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(list.image(0).pixel(0, 0), qRgb(9, 9, 9));

    list.setHeight(24); // a new size empties the list
    QCOMPARE(spy.count(), 4);
    QCOMPARE(list.count(), 0);
    list.clear(); // already empty
    QCOMPARE(spy.count(), 4);
    QCOMPARE(events, 4);
}

void TestImageList::badSizesAndIndicesFail() {
    TImageList list;
    list.add(filled(16, 16, qRgb(0, 0, 0)));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, list.setWidth(0));
    QCOMPARE(list.width(), 16);
    QCOMPARE(list.count(), 1);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.remove(1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.replace(-1, filled(1, 1, 0)));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, list.add(QImage()));
    QVERIFY(list.image(5).isNull());
}

void TestImageList::maskedColourStaysTransparent() {
    QImage picture = filled(16, 16, qRgb(255, 0, 255));
    picture.setPixel(3, 4, qRgb(0, 0, 255));
    TImageList list;
    list.addMasked(Bitmap(picture), clFuchsia);

    QImage surface = whiteSurface(20, 20);
    Canvas c(surface);
    list.draw(c, 2, 2, 0);
    QCOMPARE(surface.pixel(5, 6), qRgb(0, 0, 255));
    QCOMPARE(surface.pixel(6, 6), qRgb(255, 255, 255));
    list.draw(c, 2, 2, 1); // out of range: nothing, no error
    list.draw(c, 2, 2, -1);
    QCOMPARE(surface.pixel(6, 6), qRgb(255, 255, 255));
}

void TestImageList::drawBlendsAlphaAndGreysWhenDisabled() {
    TImageList list;
    list.add(filled(16, 16, qRgba(255, 0, 0, 255)));
    list.add(filled(16, 16, qRgba(0, 0, 0, 128)));

    QImage surface = whiteSurface(40, 20);
    Canvas c(surface);
    list.draw(c, 0, 0, 0);
    list.draw(c, 20, 0, 1);
    QCOMPARE(surface.pixel(8, 8), qRgb(255, 0, 0));
    QCOMPARE(surface.pixel(28, 8), qRgb(127, 127, 127)); // half-transparent black over white

    QImage grey = whiteSurface(20, 20);
    Canvas g(grey);
    list.draw(g, 0, 0, 0, false);
    // Red as grey (11/32 of 255 = 87), at half strength over white.
    QCOMPARE(grey.pixel(8, 8), qRgb(171, 171, 171));
}

void TestImageList::drawKeepsToTheCanvasOriginAndClip() {
    TImageList list;
    list.add(filled(16, 16, qRgb(0, 0, 0)));
    QImage surface = whiteSurface(30, 30);
    Canvas c(surface);
    {
        Canvas::StateSaver saver(c);
        c.moveOrigin(10, 10);
        c.clipRect(Rect{0, 0, 4, 4});
        list.draw(c, 0, 0, 0);
    }
    QCOMPARE(surface.pixel(10, 10), qRgb(0, 0, 0));
    QCOMPARE(surface.pixel(13, 13), qRgb(0, 0, 0));
    QCOMPARE(surface.pixel(14, 13), qRgb(255, 255, 255));
    QCOMPARE(surface.pixel(9, 10), qRgb(255, 255, 255));
}

ZARVIK_TEST_MAIN(TestImageList)
#include "tst_imagelist.moc"
