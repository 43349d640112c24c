#include "TestHelpers.h"

#include "Control.h"
#include "Gbk.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QInputMethodQueryEvent>
#include <QTest>
#include <QWidget>

namespace tk {

char* toString(const Rect& r) {
    return qstrdup(QStringLiteral("(%1, %2, %3, %4)")
                       .arg(r.Left)
                       .arg(r.Top)
                       .arg(r.Right)
                       .arg(r.Bottom)
                       .toUtf8());
}

} // namespace tk

namespace testsupport {

QRgb rgbOf(tk::TColor c) {
    return tk::toQRgb(c);
}

QImage picture(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

namespace {

template <class Pred> QRect boxWhere(const QImage& img, Pred inked) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (inked(img.pixel(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

QRect inkBox(const QImage& img, QRgb colour) {
    return boxWhere(img, [colour](QRgb p) { return p == colour; });
}

QRect inkBoxOn(const QImage& img, QRgb background) {
    return boxWhere(img, [background](QRgb p) { return p != background; });
}

QStringList sketch(const QImage& img, QRgb blank) {
    QStringList rows;
    for (int y = 0; y < img.height(); ++y) {
        QString row;
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y) | 0xFF000000u;
            row += c == 0xFF000000u             ? QLatin1Char('#')
                   : c == (blank | 0xFF000000u) ? QLatin1Char('.')
                                                : QLatin1Char('o');
        }
        rows << row;
    }
    return rows;
}

int count(const QImage& img, QRgb colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == colour;
    return n;
}

bool activate(QWidget& window, QWidget* focus) {
    window.show();
    if (!QTest::qWaitForWindowActive(&window)) return false;
    if (!focus) return true;
    focus->setFocus();
    return focus->hasFocus();
}

MouseLog::MouseLog(tk::TControl& c) {
    QObject::connect(&c, &tk::TControl::OnMouseDown,
                     [this](tk::TMouseButton, tk::TShiftState shift, int, int) {
                         downsDouble << shift.testFlag(tk::ssDouble);
                     });
    QObject::connect(&c, &tk::TControl::OnMouseUp,
                     [this](tk::TMouseButton, tk::TShiftState, int, int) { ++ups; });
    QObject::connect(&c, &tk::TControl::OnDblClick, [this] { ++doubles; });
}

void sendEnter(QWidget& w) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&w, &e);
}

void sendLeave(QWidget& w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(&w, &e);
}

bool acceptsInputMethod(QWidget& control) {
    QWidget* target = &control;
    while (target->focusProxy())
        target = target->focusProxy();
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QApplication::sendEvent(target, &query);
    return query.value(Qt::ImEnabled).toBool();
}

tk::Font tahoma(int px) {
    return tk::Font(QStringLiteral("Tahoma"), px);
}

void writeTable(const QString& path, const QStringList& lines) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    for (const QString& line : lines) {
        const auto bytes = tk::gbk::encode(line);
        QVERIFY(bytes.has_value());
        f.write(*bytes);
        f.write("\n");
    }
}

WorkingFolder::WorkingFolder() : m_oldDir(QDir::currentPath()) {
    QDir::setCurrent(m_dir.path());
}

WorkingFolder::~WorkingFolder() {
    QDir::setCurrent(m_oldDir);
}

} // namespace testsupport
