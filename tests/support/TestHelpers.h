#pragma once

// Helpers the widget and window tests share: pictures of widgets, the pixels in them,
// events sent straight to a widget, the fixed font, and the table files of the window.

#include "Colors.h"
#include "Font.h"
#include "Geometry.h"

#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QRect>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <array>
#include <cstddef>
#include <memory>

class QWidget;
namespace tk {
class TControl;
} // namespace tk

// Failure messages of QCOMPARE name the rectangle.
namespace tk {
char* toString(const Rect& r);
} // namespace tk
Q_DECLARE_METATYPE(tk::Rect)

namespace testsupport {

// The columns of a wide data-driven table in one call: `names` in order, typed by Ts.
template <typename... Ts> void addColumns(const std::array<const char*, sizeof...(Ts)>& names) {
    std::size_t i = 0;
    (QTest::addColumn<Ts>(names[i++]), ...);
}

// `c` as a picture holds it (system colours resolved, opaque).
QRgb rgbOf(tk::TColor c);
// The widget as it paints itself, in RGB32.
QImage picture(QWidget& w);
// The smallest rectangle holding every pixel of `colour` (null when there is none).
QRect inkBox(const QImage& img, QRgb colour);
// The smallest rectangle holding every pixel other than `background`.
QRect inkBoxOn(const QImage& img, QRgb background);
// The image as rows of '#' (black), '.' (`blank`) and 'o' (anything else), alpha aside.
QStringList sketch(const QImage& img, QRgb blank);
// How many pixels are `colour`.
int count(const QImage& img, QRgb colour);

// Shows `window` and waits until it is active, then gives `focus`, when there is one, the
// focus: tells whether all went so. Focus and the keyboard need an active window.
bool activate(QWidget& window, QWidget* focus = nullptr);

// What a control's mouse events tell while this lives: each OnMouseDown, whether it came
// as part of a double click; how many OnMouseUp and OnDblClick came.
struct MouseLog {
    explicit MouseLog(tk::TControl& c);
    QList<bool> downsDouble;
    int ups = 0;
    int doubles = 0;
};

// The mouse entering and leaving `w`, without moving the real cursor.
void sendEnter(QWidget& w);
void sendLeave(QWidget& w);

// Whether the input method would serve `control` once it has the focus: what the platform
// asks the widget the focus goes to.
bool acceptsInputMethod(QWidget& control);

tk::Font tahoma(int px);

// Writes a table file in GBK, a line each.
void writeTable(const QString& path, const QStringList& lines);

// A fresh folder as the current directory while it lives: where the window reads its
// tables.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    QTemporaryDir m_dir;
    QString m_oldDir;
};

// Catches the addresses the desktop shell is asked to open.
class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace testsupport
