#include "Form.h"

#include "Geometry.h"
#include "Platform.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <utility>

namespace tk {

TForm::TForm(Component* owner) : TControl(owner, nullptr) {
    setColor(clBtnFace);
    setControlStyle(controlStyle() | csAcceptsControls);
    TControl::setVisible(false);
    // Its size is its own: Qt would otherwise size a window never resized from where its
    // children lie when it is first shown or drawn, beyond what a layout can hold.
    setAttribute(Qt::WA_Resized);
}

void TForm::setVisible(bool on) {
    if (on && isLoading() && isWindow()) {
        m_showWhenLoaded = true;
        return;
    }
    if (!on) m_showWhenLoaded = false;
    TControl::setVisible(on);
}

void TForm::loaded() {
    TControl::loaded();
    if (std::exchange(m_showWhenLoaded, false)) TControl::setVisible(true);
}

void TForm::setBorderStyle(TFormBorderStyle s) {
    m_borderStyle = s;
    setWindowFlag(Qt::FramelessWindowHint, s == bsNone);
    holdSize(true);
}

void TForm::holdSize(bool hold) {
    // A window without a border, a dialog's or a tool window's can be neither sized nor
    // maximised by its user: the window manager must not stretch it around its controls. A
    // single border still lets its window be maximised.
    hold = hold && isWindow() &&
           (m_borderStyle == bsNone || m_borderStyle == bsDialog || m_borderStyle == bsToolWindow);
    setMinimumSize(hold ? size() : QSize(0, 0));
    setMaximumSize(hold ? size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

namespace {

// The smallest base length from which whole steps of `step` device pixels reach `length`
// logical pixels at `scale`, as Qt rounds both to device pixels; 0 when none does.
int reachableBase(int length, qreal scale, int step) {
    const int target = qRound(length * scale);
    for (int base = 0; base < length; ++base)
        if ((target - qRound(base * scale)) % step == 0) return base;
    return 0;
}

// A Wayland compositor places every window itself and keeps it where it likes in the stack.
bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

void TForm::setBounds(int l, int t, int w, int h) {
    // The hints go first, so that the window manager lets the new size through.
    holdSize(false);
    keepSizeReachable(boundedControlRect(l, t, w, h).size());
    // A top-level keeps its place on the screen as given (placed where designed).
    TControl::setBounds(l, t, w, h);
    holdSize(true);
}

void TForm::keepSizeReachable(const QSize& size) {
    // With scaling on, Qt 6.4 on X11 always hints a resize increment of one logical pixel in
    // device pixels, rounded: 2 at a scale of 1.5, over a base of the unset (-1, -1) scaled,
    // -2. The window manager then only allows even widths and heights, also when it first
    // maps the window, so 194 wide (291 device pixels) maps 290 wide and Qt reads that back
    // as 193. A base of the right parity makes the size we ask for one of the allowed ones.
    // The window itself is never resized here, so nothing can loop, and a size the user or
    // the window manager chooses later stands.
    QWindow* win = windowHandle();
    if (!win || !isWindow() || !sizeIncrement().isEmpty()) return;
    const qreal scale = win->devicePixelRatio();
    const int step = qRound(scale);
    if (step < 1) return;
    const QSize base(reachableBase(size.width(), scale, step),
                     reachableBase(size.height(), scale, step));
    // The widget's record is copied to the window whenever its constraints change, but not
    // when the window is created, so both are set.
    setBaseSize(base);
    win->setBaseSize(base);
}

void TForm::textChanged() {
    setWindowTitle(caption());
    TControl::textChanged();
}

bool TForm::canStayOnTop() {
    if (onWayland()) return false;
    // On X11 it is the window manager that keeps a window on top, where there is one that can.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) return xWindowManagerKeepsAbove();
    return true;
}

void TForm::setStayOnTop(bool on) {
    if (!canStayOnTop()) return;
    // Once the native window exists, change its flag in place: QWidget::setWindowFlag
    // would re-create the window, which unmaps and re-maps it.
    if (QWindow* w = windowHandle())
        w->setFlag(Qt::WindowStaysOnTopHint, on);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, on);
}

bool TForm::isStayOnTop() const {
    if (!canStayOnTop()) return false;
    if (const QWindow* w = windowHandle()) return w->flags().testFlag(Qt::WindowStaysOnTopHint);
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TForm::startSystemMove(TMouseButton button) {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    // X11 window managers make their move for the left button: with another, some never
    // start it and some let it outlive the button's release and swallow the next click. So
    // other buttons get our own move, which ends with their release. A Wayland window cannot
    // place itself, but its compositor moves it for any button and stops on the release.
    QWindow* w = windowHandle();
    if (w && (button == mbLeft || onWayland()) && w->startSystemMove()) return;
    // No window manager to do it (or it refused): follow the mouse ourselves.
    m_manualMove = true;
    m_moveButton = mouseButtonToQt(button);
    m_moveGrip = QCursor::pos() - pos();
    // Moves without a button held reach a widget only when it tracks the mouse; they tell
    // of a release that never reached us (a grab broken by another program).
    m_trackedBeforeMove = hasMouseTracking();
    setMouseTracking(true);
    grabMouse();
}

bool TForm::followMouse(QEvent* e) {
    switch (e->type()) {
    case QEvent::MouseMove: {
        const auto* me = static_cast<QMouseEvent*>(e);
        if (me->buttons() & m_moveButton) {
            move(me->globalPosition().toPoint() - m_moveGrip);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(e)->button() != m_moveButton) return true;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return true; // other buttons do nothing while the window follows the mouse
    default:
        return false;
    }
    m_manualMove = false;
    setMouseTracking(m_trackedBeforeMove);
    releaseMouse();
    return true;
}

void TForm::openUrl(const QString& address) {
    QDesktopServices::openUrl(QUrl(address));
}

bool TForm::event(QEvent* e) {
    // The native window now exists (and is not mapped yet), or the scale may have changed.
    if (e->type() == QEvent::WinIdChange || e->type() == QEvent::ScreenChangeInternal)
        keepSizeReachable(size());
    // A designed place that leaves part of the window off the screen (a small screen, a large
    // scale) is moved in just so far: out there it could not be reached.
    if (e->type() == QEvent::Show && !e->spontaneous() && m_position == poDesigned) {
        const QRect r = frameGeometry();
        const QScreen* s = QGuiApplication::screenAt(r.center());
        const QRect room = (s ? s : screen())->availableGeometry();
        move(pos() +
             QPoint(std::max(std::min(room.right() - r.right(), 0), room.left() - r.left()),
                    std::max(std::min(room.bottom() - r.bottom(), 0), room.top() - r.top())));
    }
    if (m_manualMove && followMouse(e)) return true;
    return TControl::event(e);
}

} // namespace tk
