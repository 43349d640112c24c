#pragma once

// The main window at a scale factor above 1, compared logical pixel by logical pixel with
// the same window drawn at scale 1. Included by one test program per scale factor: Qt
// reads QT_SCALE_FACTOR once, before the application object exists.

#include "Application.h"
#include "TestEnvironment.h"
#include "zrvkf.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace hidpi {

constexpr QRgb Olive = 0xFF808000;
constexpr QRgb TextInk = 0xFF000000; // clWindowText of the fixed palette

// Logical pixel v covers device pixels [edge(v), edge(v + 1)) of the window's picture: Qt
// rounds a child's fractional device position to the nearest pixel, halves up.
inline int edge(int v, qreal scale) {
    return int(std::floor(v * scale + 0.5 + 1e-6));
}

struct Comparison {
    int compared = 0;    // logical pixels looked at
    int textBlocks = 0;  // of those, blocks holding text ink
    int finerBlocks = 0; // text blocks whose device pixels are not all alike
    QStringList faults;  // blocks that differ from scale 1 away from text
};

// Every logical pixel outside `masked` must come out as a block of device pixels all of
// its scale-1 colour, unless text is involved: glyphs (and the tabs' caption shadows, one
// pixel off) are rasterised anew at the device resolution, so blocks with ink or up to
// two pixels from ink may differ.
inline Comparison compare(const QImage& low, const QImage& high, qreal scale,
                          const QRegion& masked) {
    const int w = low.width(), h = low.height();
    std::vector<char> ink(size_t(w) * size_t(h)), uniform(ink.size()), same(ink.size());
    std::vector<QRgb> first(ink.size());
    std::vector<QPoint> wrongAt(ink.size()); // the first device pixel off the scale-1 colour
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            const QRgb want = low.pixel(x, y) | 0xFF000000u;
            first[i] = high.pixel(edge(x, scale), edge(y, scale)) | 0xFF000000u;
            ink[i] = want == TextInk;
            uniform[i] = same[i] = true;
            for (int dy = edge(y, scale); dy < edge(y + 1, scale); ++dy)
                for (int dx = edge(x, scale); dx < edge(x + 1, scale); ++dx) {
                    const QRgb got = high.pixel(dx, dy) | 0xFF000000u;
                    if (same[i] && got != want) wrongAt[i] = QPoint(dx, dy);
                    same[i] = same[i] && got == want;
                    uniform[i] = uniform[i] && got == first[i];
                    ink[i] = ink[i] || got == TextInk;
                }
        }
    }
    const auto nearInk = [&](int x, int y) {
        for (int ny = std::max(y - 2, 0); ny <= std::min(y + 2, h - 1); ++ny)
            for (int nx = std::max(x - 2, 0); nx <= std::min(x + 2, w - 1); ++nx)
                if (ink[size_t(ny) * size_t(w) + size_t(nx)]) return true;
        return false;
    };
    Comparison r;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (masked.contains(QPoint(x, y))) continue;
            ++r.compared;
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            if (ink[i]) {
                ++r.textBlocks;
                if (!uniform[i]) ++r.finerBlocks;
            }
            if (same[i] || nearInk(x, y) || r.faults.size() >= 20) continue;
            r.faults << QStringLiteral("(%1, %2) is #%3 at scale 1, #%4 at (%5, %6)")
                            .arg(x)
                            .arg(y)
                            .arg(low.pixel(x, y) & 0xFFFFFFu, 6, 16, QLatin1Char('0'))
                            .arg(high.pixel(wrongAt[i]) & 0xFFFFFFu, 6, 16, QLatin1Char('0'))
                            .arg(wrongAt[i].x())
                            .arg(wrongAt[i].y());
        }
    }
    return r;
}

} // namespace hidpi

namespace hidpi {

// The window with the real tables, shown; its checks at the scale factor it runs at. Each
// test program includes "moc_HiDpiWindowTest.cpp" and runs it with ZARVIK_HIDPI_TEST_MAIN.
class WindowTest : public QObject {
    Q_OBJECT
public:
    explicit WindowTest(qreal scale) : m_scale(scale) {}

private slots:
    void init() {
        m_oldDir = QDir::currentPath();
        const QString data = qEnvironmentVariable("ZARVIK_DATA_DIR");
        if (data.isEmpty()) QSKIP("ZARVIK_DATA_DIR names no folder with the tables");
        QDir::setCurrent(data);
        m_errors.clear();
        tk::setErrorBoxHandler(
            [this](const QString& title, const QString& text) { m_errors << title + text; });
        m_form = std::make_unique<TForm1>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QCOMPARE(m_errors, QStringList());
    }

    void cleanup() {
        m_form.reset();
        tk::setErrorBoxHandler({});
        QDir::setCurrent(m_oldDir);
    }

    void windowKeepsItsLogicalLayout() {
        QCOMPARE(m_form->devicePixelRatioF(), m_scale);
        QCOMPARE(m_form->size(), QSize(194, 233));
        // Scaled, the screen may be too small for the designed place: the window comes in.
        const QRect room = m_form->screen()->availableGeometry();
        QCOMPARE(m_form->pos(), QPoint(std::min(257, room.right() + 1 - 194),
                                       std::min(289, room.bottom() + 1 - 233)));
        QCOMPARE(m_form->FlatEdit1->geometry(), QRect(15, 15, 81, 22));
        const QImage high = m_form->grab().toImage();
        QCOMPARE(high.size(), QSize(edge(194, m_scale), edge(233, m_scale)));
    }

    // The olive outline of one logical pixel: whole device rows and columns.
    void outlineIsWholeDevicePixels() {
        const QImage high = m_form->grab().toImage();
        const int w = high.width(), h = high.height();
        const int inner = edge(1, m_scale);    // thickness at the top and left
        const int right = edge(193, m_scale);  // first column of the right side
        const int bottom = edge(232, m_scale); // first row of the bottom side
        if (m_scale == 2.0) QCOMPARE(inner, 2);
        const auto olive = [&](int x, int y) { return (high.pixel(x, y) | 0xFF000000u) == Olive; };
        for (int x = 0; x < w; ++x)
            for (int y : {0, inner - 1, bottom, h - 1})
                QVERIFY2(olive(x, y), qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        for (int y = 0; y < h; ++y)
            for (int x : {0, inner - 1, right, w - 1})
                QVERIFY2(olive(x, y), qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        // And no wider than that.
        QVERIFY(!olive(inner, h / 2));
        QVERIFY(!olive(right - 1, h / 2));
        QVERIFY(!olive(w / 2, inner));
        QVERIFY(!olive(w / 2, bottom - 1));
    }

    // Frames, fills and seams between controls match scale 1 exactly; text is drawn anew at
    // the device resolution rather than enlarged.
    void everyLogicalPixelMatchesScaleOne() {
        QImage low(m_form->size(), QImage::Format_RGB32);
        low.fill(Qt::magenta);
        m_form->render(&low);
        const QImage high = m_form->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The native text fields draw their own caret, which blinks.
        QRegion masked;
        for (QLineEdit* e : m_form->findChildren<QLineEdit*>())
            masked += QRect(e->mapTo(m_form.get(), QPoint()), e->size());
        const Comparison r = compare(low, high, m_scale, masked);
        QVERIFY2(r.faults.isEmpty(), qPrintable(r.faults.join(QLatin1Char('\n'))));
        QVERIFY(r.compared > 194 * 233 * 9 / 10);
        // "Zarvik 2.2", 退出, the tabs, 查询, the group caption, the radio and check captions
        // and the link: hundreds of blocks with ink, many of them with edges inside.
        QVERIFY2(r.textBlocks > 500, qPrintable(QString::number(r.textBlocks)));
        QVERIFY2(r.finerBlocks * 4 > r.textBlocks,
                 qPrintable(QStringLiteral("%1 of %2").arg(r.finerBlocks).arg(r.textBlocks)));
    }

private:
    qreal m_scale;
    QString m_oldDir;
    QStringList m_errors;
    std::unique_ptr<TForm1> m_form;
};

} // namespace hidpi

// QTest's main with the scale factor set before the application reads it.
#define ZARVIK_HIDPI_TEST_MAIN(factor)                                                             \
    int main(int argc, char** argv) {                                                              \
        qputenv("QT_SCALE_FACTOR", #factor);                                                       \
        QApplication app(argc, argv);                                                              \
        testenv::setUp();                                                                          \
        hidpi::WindowTest tc(factor);                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
