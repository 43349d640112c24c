#include "Form.h"

#include "Navigation.h"

#include <QCursor>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>
#include <QWindow>

namespace tk {

TForm::TForm(Component* owner) : TControl(owner, nullptr) {
    setColor(clBtnFace);
    setControlStyle(TControlStyle(csAcceptsControls) | csCaptureMouse | csClickEvents |
                    csSetCaption | csDoubleClicks);
}

void TForm::setBorderStyle(TFormBorderStyle s) {
    m_borderStyle = s;
    setWindowFlag(Qt::FramelessWindowHint, s == bsNone);
}

void TForm::setBounds(int l, int t, int w, int h) {
    // A top-level keeps its place on the screen as given (placed where designed).
    TControl::setBounds(l, t, w, h);
}

TControl* TForm::activeControl() const {
    return FocusTracker::activeControl(this);
}

void TForm::textChanged() {
    setWindowTitle(caption());
    TControl::textChanged();
}

void TForm::setStayOnTop(bool on) {
    // Once the native window exists, change its flag in place: QWidget::setWindowFlag
    // would re-create the window, which unmaps and re-maps it.
    if (QWindow* w = windowHandle())
        w->setFlag(Qt::WindowStaysOnTopHint, on);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, on);
}

bool TForm::isStayOnTop() const {
    if (const QWindow* w = windowHandle()) return w->flags().testFlag(Qt::WindowStaysOnTopHint);
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TForm::startSystemMove() {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    if (QWindow* w = windowHandle(); w && w->startSystemMove()) return;
    // No window manager to do it (or it refused): follow the mouse ourselves.
    m_manualMove = true;
    m_moveGrip = QCursor::pos() - pos();
    grabMouse();
}

void TForm::openUrl(const QString& address) {
    QDesktopServices::openUrl(QUrl(address));
}

bool TForm::event(QEvent* e) {
    if (m_manualMove) {
        if (e->type() == QEvent::MouseMove) {
            move(QCursor::pos() - m_moveGrip);
            return true;
        }
        if (e->type() == QEvent::MouseButtonRelease) {
            m_manualMove = false;
            releaseMouse();
            return true;
        }
    }
    return TControl::event(e);
}

} // namespace tk
