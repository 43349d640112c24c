#include "Control.h"

#include "Accessible.h"
#include "Action.h"
#include "Bitmap.h"
#include "Canvas.h"
#include "Cursors.h"
#include "DragManager.h"
#include "Form.h"
#include "Geometry.h"
#include "Menu.h"
#include "Navigation.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <stdexcept>
#include <utility>

namespace tk {

bool applicationHasActiveWindow() {
    return QApplication::activeWindow() != nullptr;
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
    DragSession::sourceDestroyed(this);
    FocusTracker::forget(this);
}

TForm* TControl::parentForm() const {
    return qobject_cast<TForm*>(window());
}

void TControl::loaded() {
    Component::loaded();
    realignChildren();
    update();
}

void TControl::setParentControl(QWidget* parent) {
    if (parentWidget() == parent) return;
    // Qt would loop for ever looking for the window of a widget inside itself.
    if (parent && isWithin(parent, this))
        throw std::invalid_argument("a control cannot be placed within itself");
    const bool shown = visible();
    const TColor oldColor = color();
    const Font oldFont = controlFont();
    QWidget::setParent(parent);
    // QWidget::setParent hides the widget; the control keeps its own Visible.
    if (shown && parent) QWidget::setVisible(true);
    if (parent) {
        // A control placed in a parent starts at the end of the parent's tab order.
        if (m_tabOrder < 0 || !isLoading()) m_tabOrder = endOfTabOrder(parent);
        spreadColor(oldColor);
        parentColorChanged();
        spreadFont(oldFont);
        if (m_parentShowHint) setParentShowHint(true);
    }
    if (m_anchorOrigin) anchorHere();
}

int TControl::endOfTabOrder(const QWidget* parent) const {
    int maxOrder = -1;
    for (TControl* sibling : controlsUnder(parent))
        if (sibling != this) maxOrder = std::max(maxOrder, sibling->m_tabOrder);
    return std::min(maxOrder + 1, MaxCoordinate);
}

void TControl::setLayoutParent(QObject* parent) {
    if (auto* w = qobject_cast<QWidget*>(parent))
        setParentControl(w);
    else
        Component::setLayoutParent(parent);
}

void TControl::setVisible(bool on) {
    const bool changed = on != visible();
    QWidget::setVisible(on);
    if (!changed) return;
    visibleChanged();
    tellParent();
}

void TControl::followEnabled() {
    const bool on = enabled();
    const bool changed = on != m_enabledSeen;
    m_enabledSeen = on;
    // Qt drops the focus of a control it disables, itself or with its parent, without moving
    // it to another control: the control leaves, or it would go on showing the focus it no
    // longer has.
    if (!isEnabled()) FocusTracker::focusLeft(this);
    if (changed) enabledChanged();
    // The hook may have changed the children's Enabled (a radio group's buttons follow
    // it), which Qt does not report while this control is disabled.
    for (TControl* c : childControls())
        c->followEnabled();
    if (!changed) return;
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

TColor TControl::color() const {
    if (m_parentColor)
        if (const TControl* p = parentControl()) return p->color();
    return m_color;
}

void TControl::setColor(TColor c) {
    setParentColor(false);
    assignColor(c);
}

void TControl::assignColor(TColor c) {
    const TColor old = color();
    m_color = c;
    spreadColor(old);
}

void TControl::setParentColor(bool on) {
    if (on == m_parentColor) return;
    const TColor old = color();
    if (!on) m_color = old;
    m_parentColor = on;
    if (on && !isLoading()) {
        spreadColor(old);
        parentColorChanged();
    }
}

void TControl::spreadColor(TColor old) {
    if (color() == old) return;
    colorChanged();
    for (TControl* c : childControls()) {
        if (c->m_parentColor) c->spreadColor(old);
        c->parentColorChanged();
    }
}

Font TControl::controlFont() const {
    if (parentFont())
        if (const TControl* p = parentControl()) return p->controlFont();
    return m_font;
}

void TControl::setControlFont(const Font& f) {
    setParentFont(false);
    spreadFont(std::exchange(m_font, f));
}

void TControl::setParentFont(bool on) {
    if (on == m_parentFont) return;
    const Font old = controlFont();
    if (!on) m_font = old;
    m_parentFont = on;
    if (on && !isLoading()) spreadFont(old);
}

void TControl::spreadFont(const Font& old) {
    if (controlFont() == old) return;
    fontChanged();
    for (TControl* c : childControls())
        if (c->parentFont()) c->spreadFont(old);
}

void TControl::setCaption(const QString& text) {
    if (!assignIfChanged(m_caption, text)) return;
    textChanged();
    accessibleNameChanged(this);
}

void TControl::setCursorId(TCursor c) {
    if (!assignIfChanged(m_cursor, c)) return;
    if (c == crDefault)
        unsetCursor();
    else
        setCursor(cursorShape(c));
}

void TControl::setHint(const QString& h) {
    if (h == m_hint) return;
    m_hint = h;
    applyHint();
    hintChanged();
    // A hint names the controls that have no caption of their own (the edits).
    accessibleNameChanged(this);
    accessibleDescriptionChanged(this);
}

void TControl::setShowHint(bool on) {
    m_parentShowHint = false;
    takeShowHint(on);
}

void TControl::setParentShowHint(bool on) {
    m_parentShowHint = on;
    if (TControl* p = parentControl(); on && p) takeShowHint(p->m_showHint);
}

void TControl::takeShowHint(bool on) {
    // The children that follow this control have its value already.
    if (on == m_showHint) return;
    m_showHint = on;
    applyHint();
    for (TControl* c : childControls())
        if (c->m_parentShowHint) c->takeShowHint(on);
}

void TControl::applyHint() {
    // The part before the first "|" is the short hint that shows on the screen.
    setToolTip(m_showHint ? m_hint.section(QLatin1Char('|'), 0, 0) : QString());
}

void TControl::setTabOrder(int order) {
    if (isLoading() || !parentWidget()) {
        // A negative place is the end of the order, as for a control in place (below).
        m_tabOrder = order < 0 && parentWidget() ? endOfTabOrder(parentWidget())
                                                 : std::clamp(order, -1, MaxCoordinate);
        return;
    }
    QList<TControl*> list = controlsInTabOrder(parentWidget());
    list.removeAll(this);
    if (order < 0 || order > list.size()) order = int(list.size());
    list.insert(order, this);
    for (int i = 0; i < list.size(); ++i)
        list[i]->m_tabOrder = i;
}

void TControl::requestHelp() {
    const TControl* from = this;
    while (from && from->m_helpKeyword.isEmpty() && from->m_helpContext == 0)
        from = from->parentControl();
    if (!from) from = this;
    if (TForm* form = parentForm())
        emit form->OnHelp(from->m_helpType, from->m_helpKeyword, from->m_helpContext);
}

void TControl::setImeMode(TImeMode m) {
    m_imeMode = m;
    textEntry()->setAttribute(Qt::WA_InputMethodEnabled, m != imDisable);
}

TPopupMenu* TControl::popupMenuComponent() const {
    return m_popupMenu;
}

void TControl::setPopupMenuComponent(TPopupMenu* m) {
    m_popupMenu = m;
}

QMenu* TControl::popupMenu() const {
    return m_popupMenu ? m_popupMenu->menu() : nullptr;
}

TAction* TControl::action() const {
    return m_action;
}

void TControl::setAction(TAction* a) {
    if (m_action == a) return;
    if (m_action) disconnect(m_action, &TAction::changed, this, nullptr);
    m_action = a;
    if (!a) return;
    const auto show = [this](const char* property, const QVariant& value) {
        if (const int i = metaObject()->indexOfProperty(property); i >= 0)
            metaObject()->property(i).write(this, value);
    };
    connect(a, &TAction::changed, this, show);
    // Linking gives the action's values to what the control still has at its default.
    const QScopedValueRollback<bool> showing(a->m_showing, true);
    for (const auto& [name, fresh] : {std::pair<const char*, QVariant>{"Caption", QString()},
                                      {"Hint", QString()},
                                      {"Enabled", true},
                                      {"Visible", true},
                                      {"Checked", false}})
        if (property(name) == fresh) show(name, a->property(name));
}

void TControl::beginDrag(bool immediate, int threshold) {
    DragSession::begin(this, QCursor::pos(), immediate, threshold);
}

bool TControl::dragging() const {
    const DragSession* s = DragSession::active();
    return s && s->source() == this && s->started();
}

void TControl::click() {
    if (isHandled(&TControl::OnClick))
        emit OnClick();
    else if (TAction* a = m_action)
        a->execute(this);
}

void TControl::mouseClickAt(QPoint p) {
    const QPointer<TControl> alive(this);
    wmMouseDown(mbLeft, ssLeft, p);
    if (alive) wmMouseUp(mbLeft, TShiftState(), p);
}

bool TControl::dialogChar(QChar c) {
    return std::ranges::any_of(childControls(),
                               [c](TControl* child) { return child->dialogChar(c); });
}

bool TControl::dialogKey(int key, TShiftState shift) {
    return std::ranges::any_of(childControls(),
                               [&](TControl* child) { return child->dialogKey(key, shift); });
}

bool isWithin(const QWidget* w, const QWidget* ancestor) {
    while (w && w != ancestor)
        w = w->parentWidget();
    return w != nullptr;
}

QList<TControl*> controlsUnder(const QWidget* w) {
    return w->findChildren<TControl*>(Qt::FindDirectChildrenOnly);
}

QList<TControl*> controlsInTabOrder(const QWidget* w) {
    QList<TControl*> list = controlsUnder(w);
    std::ranges::stable_sort(list, {}, &TControl::tabOrder);
    return list;
}

void TControl::wmMouseDown(TMouseButton b, TShiftState shift, QPoint p) {
    if (b == mbLeft && (m_style & csClickEvents)) m_clicked = true;
    // The press is still a press (OnMouseDown, and a click if the mouse stays put): the drag
    // starts only once the mouse moves on.
    if (b == mbLeft && m_dragMode == dmAutomatic && !isDesigning())
        DragSession::begin(this, mapToGlobal(p), false, -1, true);
    mouseDown(b, shift, p.x(), p.y());
}

void TControl::wmMouseUp(TMouseButton b, TShiftState shift, QPoint p) {
    if (b == mbLeft && m_clicked) {
        m_clicked = false;
        if (rect().contains(p)) click();
    }
    mouseUp(b, shift, p.x(), p.y());
}

void TControl::wmDblClick(TMouseButton b, TShiftState shift, QPoint p) {
    if (m_style & csClickEvents) dblClick();
    mouseDown(b, shift | ssDouble, p.x(), p.y());
}

bool TControl::event(QEvent* e) {
    // Qt leaves the focus on a control hidden (or moved away) in a window that stays, when no
    // other widget takes it, and the keys would go on reaching the control out of sight. A
    // window that hides keeps its focus for when it shows again.
    if (e->type() == QEvent::Hide && !e->spontaneous() && !window()->isHidden()) {
        QWidget* focus = window()->focusWidget();
        if (focus && controlFor(focus) == this) {
            focus->clearFocus();
            FocusTracker::focusLeft(this);
        }
    }
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
    mouseMove(shiftFromQt(e->modifiers(), e->buttons()), p.x(), p.y());
}

void TControl::forwardInnerMouse(QWidget* source, QMouseEvent* e) {
    // Qt drops the mouse of a disabled widget only after the filters that call this.
    if (!isEnabled()) return;
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

// The hooks run however the change was made, also through a QWidget*.
void TControl::changeEvent(QEvent* e) {
    switch (e->type()) {
    // The system colours are the application palette's. A change of it reaches a widget as a
    // change of the palette it inherits, parents before children (the application's own
    // event stops at the window and never reaches this hook).
    case QEvent::PaletteChange:
        sysColorChanged();
        break;
    case QEvent::EnabledChange:
        followEnabled();
        break;
    case QEvent::FontChange:
        // A font set on this widget through QWidget::setFont becomes the control's own, as far
        // as a QFont goes (the colour and the charset stay); one that Qt passes down from a
        // parent or from the application would override the control's own font and ParentFont.
        if (testAttribute(Qt::WA_SetFont) && font() != m_widgetFontSeen) {
            m_widgetFontSeen = font();
            Font f = controlFont();
            f.setName(font().family());
            f.setHeight(font().pixelSize() > 0
                            ? font().pixelSize()
                            : qRound(font().pointSizeF() * logicalDpiY() / 72.0));
            f.setStyle(TFontStyles()
                           .setFlag(fsBold, font().bold())
                           .setFlag(fsItalic, font().italic())
                           .setFlag(fsUnderline, font().underline())
                           .setFlag(fsStrikeOut, font().strikeOut()));
            setControlFont(f);
        }
        break;
    default:
        break;
    }
    QWidget::changeEvent(e);
}

void TControl::contextMenuEvent(QContextMenuEvent* e) {
    if (m_popupMenu)
        m_popupMenu->popup(e->globalPos());
    else
        QWidget::contextMenuEvent(e);
}

} // namespace tk
