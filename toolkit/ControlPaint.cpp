// How a control's picture is made: composed on a Canvas over an image at the resolution
// it lands at, and put on the screen in one step.

#include "Bitmap.h"
#include "Canvas.h"
#include "Control.h"
#include "Label.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>

namespace tk {

namespace {

// Draws a finished picture with `p` at `pos` as QPainter::drawImage does, inside the
// region a paint event asks for. A region of several rectangles goes rectangle by
// rectangle at whole scale factors: Qt copies each part at once, where over a clip of many
// rectangles it would blend span by span and, for a picture of more than 64 rows, start
// threads for it.
void present(QPainter& p, QPointF pos, const QImage& image, const QRegion& region) {
    const QTransform t = p.deviceTransform();
    // A rectangle clip lands on whole device pixels only at whole scales; elsewhere the parts
    // could leave seams between them.
    const bool wholePixels = t.type() <= QTransform::TxScale && t.m11() == t.m22() &&
                             t.m11() == std::round(t.m11()) && t.dx() == std::round(t.dx()) &&
                             t.dy() == std::round(t.dy());
    if (region.rectCount() <= 1 || !wholePixels) {
        p.drawImage(pos, image);
        return;
    }
    for (const QRect& part : region) {
        p.setClipRect(part);
        p.drawImage(pos, image);
    }
    p.setClipping(false);
}

} // namespace

void TControl::paintAsBackground(Canvas& c) {
    eraseBackground(c);
    paint(c);
}

void TControl::paint(Canvas&) {}

void TControl::eraseBackground(Canvas& c) {
    c.fillRect(Rect::fromQRect(rect()), color());
}

void TControl::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    // The picture is made at the resolution it lands at: the screen's, or that of the
    // picture the widget is rendered into.
    const QTransform toDevice = p.deviceTransform();
    const bool plainScale = toDevice.type() <= QTransform::TxScale && toDevice.m11() > 0 &&
                            qFuzzyCompare(toDevice.m11(), toDevice.m22());
    const qreal dpr = plainScale ? toDevice.m11() : devicePixelRatioF();
    // At a ratio like 1.5 Qt places a child at a fractional device position and shows the
    // device pixels from the rounded one on. The picture is drawn on that same grid, and
    // put exactly there, so that its edges meet the parent's and the siblings' lines.
    const QPointF subpixel =
        plainScale ? Canvas::subpixelAt(QPointF(toDevice.dx(), toDevice.dy())) : QPointF();
    // Only the part being repainted gets a picture, so a huge control costs what shows of
    // it. The margin keeps pictures that read back nearby pixels (the shaded face blends
    // from a pixel 7 away) as they are when painted whole; even corners keep the parity
    // of the dotted focus rectangle.
    constexpr int ReadBackMargin = 8;
    QRect area = e->region()
                     .boundingRect()
                     .adjusted(-ReadBackMargin, -ReadBackMargin, ReadBackMargin, ReadBackMargin)
                     .intersected(rect());
    // Nor, in a window larger than the screens, does what lies beyond them: a form of 32,767
    // pixels a side would otherwise have a picture of gigabytes made at every paint. Such a
    // window is painted again when it moves (moveEvent); a smaller one is painted whole, so
    // that moving it back onto the screen shows what it painted.
    if (windowExceedsScreens()) {
        const QRect screens = screen()->virtualGeometry();
        area &= QRect(mapFromGlobal(screens.topLeft()), screens.size());
    }
    if (area.isEmpty()) return;
    area.setLeft(area.left() & ~1);
    area.setTop(area.top() & ~1);
    const auto edge = [&](int v, qreal sub) { return Canvas::deviceEdge(v, dpr, sub); };
    const QPoint deviceTopLeft(int(edge(area.left(), subpixel.x())),
                               int(edge(area.top(), subpixel.y())));
    const QSize device(int(edge(area.left() + area.width(), subpixel.x()) - deviceTopLeft.x()),
                       int(edge(area.top() + area.height(), subpixel.y()) - deviceTopLeft.y()));
    if (device.isEmpty()) return;
    QImage image(device, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(toQColor(color()));
    {
        // The picture's own grid continues the control's: logical pixel v of the control
        // falls on the device pixels it would in a picture of the whole control.
        Canvas c(image, Canvas::subpixelAt(QPointF(area.topLeft()) * dpr + subpixel));
        c.setOrigin(-area.topLeft());
        c.setFont(controlFont());
        if (!(m_style & csOpaque)) eraseBackground(c);
        paint(c);
    }
    present(p, (QPointF(deviceTopLeft) - subpixel) / dpr, image, e->region());
}

bool TControl::windowExceedsScreens() const {
    const QScreen* s = isVisible() ? screen() : nullptr;
    return s && (window()->width() > s->virtualGeometry().width() ||
                 window()->height() > s->virtualGeometry().height());
}

void paintParentBackground(const QWidget* control, Canvas& c) {
    QWidget* parent = control->parentWidget();
    if (!parent) return;
    Canvas::StateSaver saver(c);
    c.moveOrigin(-control->x(), -control->y());
    c.clipRect(Rect{0, 0, parent->width(), parent->height()});
    if (auto* pc = qobject_cast<TControl*>(parent)) {
        pc->paintAsBackground(c);
        // Labels have no window on the platform: they are part of their parent's painting.
        const QRect shown = c.clipBox().toQRect();
        for (QObject* o : parent->children())
            if (auto* l = qobject_cast<TLabel*>(o);
                l && o != control && l->isVisibleTo(parent) && l->geometry().intersects(shown))
                l->paintInParent(c);
        return;
    }
    // A plain widget: its background and its own painting, without its children, at the
    // canvas's resolution. At a whole ratio only the part the canvas can show is rendered
    // (the same pixels: the grid does not move); at another one the whole widget, so that
    // its picture keeps the grid it has on the screen.
    const qreal dpr = c.devicePixelRatio();
    QRect area = parent->rect();
    if (qFuzzyCompare(dpr, qreal(qRound(dpr)))) area &= c.clipBox().toQRect();
    if (area.isEmpty()) return;
    QImage picture(int(Canvas::deviceEdge(area.width(), dpr, 0)),
                   int(Canvas::deviceEdge(area.height(), dpr, 0)),
                   QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull()) return;
    picture.setDevicePixelRatio(dpr);
    picture.fill(parent->palette().color(parent->backgroundRole()));
    parent->render(&picture, QPoint(), QRegion(area), QWidget::DrawWindowBackground);
    c.draw(area.left(), area.top(), Bitmap(picture));
}

} // namespace tk
