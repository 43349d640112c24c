#include "Control.h"

#include "Accessible.h"
#include "Action.h"
#include "Bitmap.h"
#include "Canvas.h"
#include "Form.h"
#include "Geometry.h"
#include "Navigation.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace tk {

namespace {

TMouseButton mouseButtonFromQt(Qt::MouseButton b) {
    switch (b) {
    case Qt::RightButton:
        return mbRight;
    case Qt::MiddleButton:
        return mbMiddle;
    default:
        return mbLeft;
    }
}

Qt::CursorShape cursorShape(TCursor c) {
    switch (c) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

bool applicationHasActiveWindow() {
    return QApplication::activeWindow() != nullptr;
}

int virtualKeyFromQt(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey; // same codes as 'A'..'Z'
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;
    switch (qtKey) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_F4:
        return VK_F4;
    default:
        return 0;
    }
}

TShiftState shiftFromQt(Qt::KeyboardModifiers m, Qt::MouseButtons buttons) {
    TShiftState s;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::AltModifier) s |= ssAlt;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TControl::TControl(Component* owner, QWidget* parent) : QWidget(nullptr), Component(this, owner) {
    KeyRouter::install();
    installAccessibility();
    // Focus moves only where the controls and the form's navigation say so.
    QWidget::setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (parent) TControl::setParentControl(parent);
}

TControl::~TControl() {
    FocusTracker::forget(this);
}

TControl* TControl::parentControl() const {
    return qobject_cast<TControl*>(parentWidget());
}

TForm* TControl::parentForm() const {
    return qobject_cast<TForm*>(window());
}

void TControl::setBounds(int l, int t, int w, int h) {
    const QRect old = geometry();
    const QRect now = boundedControlRect(l, t, w, h);
    if (old == now && testAttribute(Qt::WA_Resized)) return;
    setGeometry(now);
    // Qt defers move and resize events of hidden widgets; the controls react at once.
    windowPosChanged(old);
}

void TControl::windowPosChanged(const QRect& oldBounds) {
    if (oldBounds.size() != size()) resized();
    if (oldBounds.topLeft() != pos()) moved();
}

void TControl::resized() {
    // Aligned children follow their parent's size, so OnResize sees them in place.
    if (!isLoading()) realignChildren();
    if (OnResize) OnResize();
}

void TControl::loaded() {
    Component::loaded();
    realignChildren();
}

void TControl::setParentControl(QWidget* parent) {
    if (parentWidget() == parent) return;
    QWidget::setParent(parent);
    // QWidget::setParent hides the widget; the control keeps its own Visible.
    if (m_visible && parent) QWidget::setVisible(true);
    if (parent) {
        // A control placed in a parent starts at the end of the parent's tab order.
        if (m_tabOrder < 0 || !isLoading()) {
            int maxOrder = -1;
            for (TControl* sibling :
                 parentControl() ? parentControl()->childControls() : QList<TControl*>{})
                if (sibling != this) maxOrder = std::max(maxOrder, sibling->m_tabOrder);
            if (!parentControl()) {
                for (QObject* o : parent->children())
                    if (auto* c = qobject_cast<TControl*>(o); c && c != this)
                        maxOrder = std::max(maxOrder, c->m_tabOrder);
            }
            m_tabOrder = maxOrder + 1;
        }
        parentColorChanged();
        parentFontChanged();
        if (m_parentShowHint) {
            if (TControl* p = parentControl()) m_showHint = p->m_showHint;
            applyHint();
        }
    }
    parentChanged();
}

void TControl::setLayoutParent(QObject* parent) {
    if (auto* w = qobject_cast<QWidget*>(parent))
        setParentControl(w);
    else
        Component::setLayoutParent(parent);
}

void TControl::setVisible(bool on) {
    const bool changed = on != m_visible;
    m_visible = on;
    QWidget::setVisible(on);
    if (changed) visibleChanged();
}

void TControl::setEnabled(bool on) {
    if (on == enabled()) return;
    QWidget::setEnabled(on);
    enabledChanged();
    QAccessible::State changedStates;
    changedStates.disabled = true;
    accessibleStateChanged(this, changedStates);
}

bool TControl::canFocus() const {
    for (const QWidget* w = this; w; w = w->parentWidget()) {
        if (w->isHidden() || w->testAttribute(Qt::WA_ForceDisabled)) return false;
        if (w->isWindow()) break;
    }
    return true;
}

void TControl::setColor(TColor c) {
    if (c == m_color && !m_parentColor) return;
    m_parentColor = false;
    assignColor(c);
}

void TControl::assignColor(TColor c) {
    if (c == m_color) return;
    m_color = c;
    colorChanged();
    notifyChildren(&TControl::parentColorChanged);
}

void TControl::setParentColor(bool on) {
    if (on == m_parentColor) return;
    m_parentColor = on;
    if (on && !isLoading()) parentColorChanged();
}

void TControl::parentColorChanged() {
    takeParentColor();
}

void TControl::takeParentColor() {
    if (!m_parentColor) return;
    if (TControl* p = parentControl()) assignColor(p->color());
}

void TControl::setFont(const Font& f) {
    m_parentFont = false;
    assignFont(f);
}

void TControl::assignFont(const Font& f) {
    if (f == m_font) return;
    m_font = f;
    fontChanged();
    notifyChildren(&TControl::parentFontChanged);
}

void TControl::setParentFont(bool on) {
    if (on == m_parentFont) return;
    m_parentFont = on;
    if (on && !isLoading()) parentFontChanged();
}

void TControl::parentFontChanged() {
    if (!m_parentFont) return;
    if (TControl* p = parentControl()) assignFont(p->font());
}

void TControl::notifyChildren(void (TControl::*hook)()) {
    for (TControl* c : childControls())
        (c->*hook)();
}

void TControl::setCaption(const QString& text) {
    if (text == m_caption) return;
    m_caption = text;
    textChanged();
    accessibleNameChanged(this);
}

void TControl::setCursorId(TCursor c) {
    if (c == m_cursor) return;
    m_cursor = c;
    updateCursor();
}

void TControl::updateCursor() {
    if (m_cursor == crDefault)
        unsetCursor();
    else
        setCursor(cursorShape(m_cursor));
}

void TControl::setHint(const QString& h) {
    if (h == m_hint) return;
    m_hint = h;
    applyHint();
    // A hint names the controls that have no caption of their own (the edits).
    accessibleNameChanged(this);
    accessibleDescriptionChanged(this);
}

void TControl::setShowHint(bool on) {
    m_parentShowHint = false;
    if (on == m_showHint) return;
    m_showHint = on;
    applyHint();
    for (TControl* c : childControls())
        if (c->m_parentShowHint) c->setParentShowHint(true);
}

void TControl::setParentShowHint(bool on) {
    m_parentShowHint = on;
    if (!on) return;
    if (TControl* p = parentControl()) {
        m_showHint = p->m_showHint;
        applyHint();
        for (TControl* c : childControls())
            if (c->m_parentShowHint) c->setParentShowHint(true);
    }
}

void TControl::applyHint() {
    // The part before the first "|" is the short hint that shows on the screen.
    setToolTip(m_showHint ? m_hint.section(QLatin1Char('|'), 0, 0) : QString());
}

void TControl::hintAt(QPoint, QString&, QRect&) {}

void TControl::setTabOrder(int order) {
    if (isLoading() || !parentWidget()) {
        m_tabOrder = order;
        return;
    }
    QList<TControl*> list = parentControl() ? parentControl()->tabList() : QList<TControl*>{};
    if (!parentControl()) {
        for (QObject* o : parentWidget()->children())
            if (auto* c = qobject_cast<TControl*>(o)) list.append(c);
        std::stable_sort(list.begin(), list.end(),
                         [](TControl* a, TControl* b) { return a->m_tabOrder < b->m_tabOrder; });
    }
    list.removeAll(this);
    if (order < 0 || order > list.size()) order = int(list.size());
    list.insert(order, this);
    for (int i = 0; i < list.size(); ++i)
        list[i]->m_tabOrder = i;
}

void TControl::setTabStop(bool on) {
    m_tabStop = on;
}

void TControl::setAlign(TAlign a) {
    if (a == m_align) return;
    m_align = a;
    // A parent being read aligns its children once it is complete (loaded()).
    if (TControl* p = parentControl(); p && !p->isLoading()) p->realignChildren();
}

void TControl::realignChildren() {
    QRect r = alignRect();
    for (TControl* c : childControls()) {
        if (c->isHidden()) continue;
        switch (c->m_align) {
        case alTop:
            c->setBounds(r.left(), r.top(), r.width(), c->height());
            r.setTop(r.top() + c->height());
            break;
        case alBottom:
            c->setBounds(r.left(), r.bottom() + 1 - c->height(), r.width(), c->height());
            r.setBottom(r.bottom() - c->height());
            break;
        case alLeft:
            c->setBounds(r.left(), r.top(), c->width(), r.height());
            r.setLeft(r.left() + c->width());
            break;
        case alRight:
            c->setBounds(r.right() + 1 - c->width(), r.top(), c->width(), r.height());
            r.setRight(r.right() - c->width());
            break;
        case alClient:
            c->setBounds(r.left(), r.top(), r.width(), r.height());
            break;
        default:
            break;
        }
    }
}

QRect TControl::alignRect() const {
    return rect();
}

void TControl::setAction(TAction* a) {
    m_action = a;
}

bool TControl::focused() const {
    return hasFocus();
}

void TControl::setFocus() {
    QWidget::setFocus(Qt::OtherFocusReason);
}

bool TControl::mouseInClient() const {
    return rect().contains(mapFromGlobal(QCursor::pos()));
}

void TControl::click() {
    if (OnClick)
        OnClick();
    else if (m_action)
        m_action->execute();
}

void TControl::mouseClickAt(QPoint p) {
    const QPointer<TControl> alive(this);
    wmMouseDown(mbLeft, ssLeft, p);
    if (alive) wmMouseUp(mbLeft, TShiftState(), p);
}

bool TControl::dialogChar(QChar c) {
    for (TControl* child : childControls())
        if (child->dialogChar(c)) return true;
    return false;
}

bool TControl::dialogKey(int key, TShiftState shift) {
    for (TControl* child : childControls())
        if (child->dialogKey(key, shift)) return true;
    return false;
}

void TControl::paintAsBackground(Canvas& c) {
    eraseBackground(c);
    paint(c);
}

QList<TControl*> TControl::childControls() const {
    QList<TControl*> list;
    for (QObject* o : children())
        if (auto* c = qobject_cast<TControl*>(o)) list.append(c);
    return list;
}

QList<TControl*> TControl::tabList() const {
    QList<TControl*> list = childControls();
    std::stable_sort(list.begin(), list.end(),
                     [](TControl* a, TControl* b) { return a->m_tabOrder < b->m_tabOrder; });
    return list;
}

void TControl::keyDown(int& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(key, shift);
}

void TControl::keyPress(QChar& key) {
    if (OnKeyPress) OnKeyPress(key);
}

void TControl::keyUp(int& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(key, shift);
}

void TControl::enter() {
    if (OnEnter) OnEnter();
}

void TControl::exit() {
    if (OnExit) OnExit();
}

void TControl::paint(Canvas&) {}

void TControl::eraseBackground(Canvas& c) {
    c.fillRect(Rect::fromQRect(rect()), m_color);
}

void TControl::wmMouseDown(TMouseButton b, TShiftState shift, QPoint p) {
    if (b == mbLeft && (m_style & csClickEvents)) m_clicked = true;
    mouseDown(b, shift, p.x(), p.y());
}

void TControl::wmMouseUp(TMouseButton b, TShiftState shift, QPoint p) {
    if (b == mbLeft && m_clicked) {
        m_clicked = false;
        if (rect().contains(p)) click();
    }
    mouseUp(b, shift, p.x(), p.y());
}

void TControl::wmMouseMove(TShiftState shift, QPoint p) {
    mouseMove(shift, p.x(), p.y());
}

void TControl::wmDblClick(TMouseButton b, TShiftState shift, QPoint p) {
    if (m_style & csClickEvents) dblClick();
    mouseDown(b, shift | ssDouble, p.x(), p.y());
}

void TControl::mouseDown(TMouseButton b, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(b, shift, x, y);
}

void TControl::mouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(shift, x, y);
}

void TControl::mouseUp(TMouseButton b, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(b, shift, x, y);
}

void TControl::dblClick() {
    if (OnDblClick) OnDblClick();
}

bool TControl::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(e);
        if (!m_showHint) {
            e->ignore();
            return true;
        }
        QString text = m_hint.section(QLatin1Char('|'), 0, 0);
        QRect area = rect();
        hintAt(he->pos(), text, area);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(he->globalPos(), text, this, area);
        return true;
    }
    return QWidget::event(e);
}

void TControl::paintEvent(QPaintEvent*) {
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
    const QSize device(int(Canvas::deviceEdge(width(), dpr, subpixel.x())),
                       int(Canvas::deviceEdge(height(), dpr, subpixel.y())));
    if (device.isEmpty()) return;
    QImage image(device, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(toQColor(m_color));
    {
        Canvas c(image, subpixel);
        c.setFont(m_font);
        if (!(m_style & csOpaque)) eraseBackground(c);
        paint(c);
    }
    p.drawImage(-subpixel / dpr, image);
}

void TControl::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    wmMouseDown(mouseButtonFromQt(e->button()), shiftFromQt(e->modifiers(), e->buttons()), p);
}

void TControl::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const TShiftState s = shiftFromQt(e->modifiers(), e->buttons());
    // Without double clicks in its style, a quick second press is just a press.
    if (m_style & csDoubleClicks)
        wmDblClick(mouseButtonFromQt(e->button()), s, p);
    else
        wmMouseDown(mouseButtonFromQt(e->button()), s, p);
}

void TControl::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    // Qt sends the release to the pressed widget wherever it happens; a control that does
    // not capture the mouse only hears releases over itself.
    if (!(m_style & csCaptureMouse) && !rect().contains(p)) return;
    wmMouseUp(mouseButtonFromQt(e->button()), shiftFromQt(e->modifiers(), e->buttons()), p);
}

void TControl::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (!(m_style & csCaptureMouse) && e->buttons() != Qt::NoButton && !rect().contains(p)) return;
    wmMouseMove(shiftFromQt(e->modifiers(), e->buttons()), p);
}

void TControl::forwardInnerMouse(QWidget* source, QMouseEvent* e) {
    QMouseEvent mapped(e->type(), source->mapTo(this, e->position()), e->scenePosition(),
                       e->globalPosition(), e->button(), e->buttons(), e->modifiers());
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        mousePressEvent(&mapped);
        break;
    case QEvent::MouseButtonRelease:
        mouseReleaseEvent(&mapped);
        break;
    case QEvent::MouseButtonDblClick:
        mouseDoubleClickEvent(&mapped);
        break;
    default:
        mouseMoveEvent(&mapped);
        break;
    }
}

void TControl::enterEvent(QEnterEvent*) {
    if (m_inside) return;
    m_inside = true;
    mouseEnter();
}

void TControl::leaveEvent(QEvent*) {
    if (!m_inside) return;
    m_inside = false;
    mouseLeave();
}

void TControl::focusInEvent(QFocusEvent*) {
    FocusTracker::focusMovedTo(this);
    focusGained();
}

void TControl::focusOutEvent(QFocusEvent*) {
    focusLost();
}

void TControl::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ApplicationPaletteChange) sysColorChanged();
    QWidget::changeEvent(e);
}

void TControl::contextMenuEvent(QContextMenuEvent* e) {
    if (m_popupMenu)
        m_popupMenu->exec(e->globalPos());
    else
        QWidget::contextMenuEvent(e);
}

} // namespace tk

namespace tk {

void paintParentBackground(const QWidget* control, Canvas& c) {
    QWidget* parent = control->parentWidget();
    if (!parent) return;
    Canvas::StateSaver saver(c);
    c.moveOrigin(-control->x(), -control->y());
    c.clipRect(Rect{0, 0, parent->width(), parent->height()});
    if (auto* pc = qobject_cast<TControl*>(parent)) {
        pc->paintAsBackground(c);
        return;
    }
    // A plain widget: its background and its own painting, without its children, at the
    // canvas's resolution.
    const qreal dpr = c.devicePixelRatio();
    QImage picture(int(Canvas::deviceEdge(parent->width(), dpr, 0)),
                   int(Canvas::deviceEdge(parent->height(), dpr, 0)),
                   QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull()) return;
    picture.setDevicePixelRatio(dpr);
    picture.fill(parent->palette().color(parent->backgroundRole()));
    parent->render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    c.draw(0, 0, Bitmap(picture));
}

} // namespace tk
