#include "Control.h"

#include "Accessible.h"
#include "Action.h"
#include "Bitmap.h"
#include "Canvas.h"
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

} // namespace

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

bool applicationHasActiveWindow() {
    return QApplication::activeWindow() != nullptr;
}

namespace {

struct KeyCode {
    int qt;
    int vk;
};

// The keypad's own codes; its Enter and navigation keys share the main keys' codes.
constexpr KeyCode KeypadKeys[] = {{Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD},
                                  {Qt::Key_Comma, VK_SEPARATOR},   {Qt::Key_Minus, VK_SUBTRACT},
                                  {Qt::Key_Period, VK_DECIMAL},    {Qt::Key_Slash, VK_DIVIDE}};

// Punctuation goes by the key it lies on in the US layout, shifted or not, as the codes
// were defined.
// clang-format off
constexpr KeyCode Keys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE}, {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME}, {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN},
    // Modifiers and locks.
    {Qt::Key_Shift, VK_SHIFT}, {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_AltGr, VK_MENU}, {Qt::Key_Meta, VK_LWIN}, {Qt::Key_Super_L, VK_LWIN},
    {Qt::Key_Super_R, VK_RWIN}, {Qt::Key_Menu, VK_APPS}, {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
    // Special keys.
    {Qt::Key_Cancel, VK_CANCEL}, {Qt::Key_Clear, VK_CLEAR}, {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Print, VK_SNAPSHOT}, {Qt::Key_Printer, VK_PRINT}, {Qt::Key_Execute, VK_EXECUTE},
    {Qt::Key_Select, VK_SELECT}, {Qt::Key_Help, VK_HELP}, {Qt::Key_Sleep, VK_SLEEP},
    {Qt::Key_Play, VK_PLAY}, {Qt::Key_Zoom, VK_ZOOM},
    // Input-method keys.
    {Qt::Key_Mode_switch, VK_MODECHANGE}, {Qt::Key_Henkan, VK_CONVERT},
    {Qt::Key_Muhenkan, VK_NONCONVERT}, {Qt::Key_Kana_Lock, VK_KANA},
    {Qt::Key_Katakana, VK_KANA}, {Qt::Key_Hiragana, VK_KANA}, {Qt::Key_Hangul, VK_KANA},
    {Qt::Key_Kanji, VK_HANJA}, {Qt::Key_Hangul_Hanja, VK_HANJA},
    // Browser and media keys.
    {Qt::Key_Back, VK_BROWSER_BACK}, {Qt::Key_Forward, VK_BROWSER_FORWARD},
    {Qt::Key_Refresh, VK_BROWSER_REFRESH}, {Qt::Key_Stop, VK_BROWSER_STOP},
    {Qt::Key_Search, VK_BROWSER_SEARCH}, {Qt::Key_Favorites, VK_BROWSER_FAVORITES},
    {Qt::Key_HomePage, VK_BROWSER_HOME}, {Qt::Key_VolumeMute, VK_VOLUME_MUTE},
    {Qt::Key_VolumeDown, VK_VOLUME_DOWN}, {Qt::Key_VolumeUp, VK_VOLUME_UP},
    {Qt::Key_MediaNext, VK_MEDIA_NEXT_TRACK}, {Qt::Key_MediaPrevious, VK_MEDIA_PREV_TRACK},
    {Qt::Key_MediaStop, VK_MEDIA_STOP}, {Qt::Key_MediaPlay, VK_MEDIA_PLAY_PAUSE},
    {Qt::Key_MediaPause, VK_MEDIA_PLAY_PAUSE}, {Qt::Key_MediaTogglePlayPause, VK_MEDIA_PLAY_PAUSE},
    {Qt::Key_LaunchMail, VK_LAUNCH_MAIL}, {Qt::Key_LaunchMedia, VK_LAUNCH_MEDIA_SELECT},
    {Qt::Key_Launch0, VK_LAUNCH_APP1}, {Qt::Key_Launch1, VK_LAUNCH_APP2},
    // Punctuation.
    {Qt::Key_Semicolon, VK_OEM_1}, {Qt::Key_Colon, VK_OEM_1}, {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS}, {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS}, {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD}, {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2}, {Qt::Key_Question, VK_OEM_2}, {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3}, {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4}, {Qt::Key_Backslash, VK_OEM_5}, {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7}, {Qt::Key_QuoteDbl, VK_OEM_7},
    {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'}};
// clang-format on

template <std::size_t N> int codeOf(const KeyCode (&table)[N], int qtKey) {
    for (const KeyCode& k : table)
        if (k.qt == qtKey) return k.vk;
    return 0;
}

} // namespace

int virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return VK_NUMPAD0 + (qtKey - Qt::Key_0);
        if (const int vk = codeOf(KeypadKeys, qtKey)) return vk;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey; // same codes as 'A'..'Z'
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
    if (const int vk = codeOf(Keys, qtKey)) return vk;
    // Qt names a key that types a character by the character, below the special keys.
    return qtKey > 0 && qtKey < Qt::Key_Escape ? VK_PACKET : 0;
}

int qtKeyFromVirtual(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    if (vk >= VK_F1 && vk <= VK_F24) return Qt::Key_F1 + (vk - VK_F1);
    // The first key of the table that has the code is its main key (Return, not Enter).
    for (const KeyCode& k : Keys)
        if (k.vk == vk) return k.qt;
    return 0;
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
    DragSession::sourceDestroyed(this);
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
    const QRect now = boundedControlRect(l, t, m_constraints.width(w), m_constraints.height(h));
    if (old == now && testAttribute(Qt::WA_Resized)) return;
    setGeometry(now);
    // Qt defers move and resize events of hidden widgets; the controls react at once.
    windowPosChanged(old);
}

void TControl::windowPosChanged(const QRect& oldBounds) {
    if (oldBounds.size() != size()) {
        // A control being read takes its children's bounds as the layout gives them.
        if (!isLoading()) followAnchors(oldBounds.size());
        resized();
    }
    if (oldBounds.topLeft() != pos()) moved();
    if (oldBounds != geometry() && repaintsWhenMoved()) update();
}

void TControl::resized() {
    // Aligned children follow their parent's size, so OnResize sees them in place.
    if (!isLoading()) realignChildren();
    emit OnResize();
}

void TControl::loaded() {
    Component::loaded();
    realignChildren();
    update();
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
            for (TControl* sibling : controlsUnder(parent))
                if (sibling != this) maxOrder = std::max(maxOrder, sibling->m_tabOrder);
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

void TControl::followEnabled() {
    const bool on = enabled();
    const bool changed = on != m_enabledSeen;
    m_enabledSeen = on;
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

void TControl::setColor(TColor c) {
    if (c == m_color && !m_parentColor) return;
    m_parentColor = false;
    assignColor(c);
}

void TControl::assignColor(TColor c) {
    if (!assignIfChanged(m_color, c)) return;
    colorChanged();
    notifyChildren(&TControl::parentColorChanged);
}

void TControl::setParentColor(bool on) {
    if (assignIfChanged(m_parentColor, on) && on && !isLoading()) parentColorChanged();
}

void TControl::parentColorChanged() {
    takeParentColor();
    update();
}

void TControl::takeParentColor() {
    if (!m_parentColor) return;
    if (TControl* p = parentControl()) assignColor(p->color());
}

void TControl::setControlFont(const Font& f) {
    m_parentFont = false;
    assignFont(f);
}

void TControl::takeWidgetFont() {
    // Only a font set on this widget: one that Qt passes down from a parent or from the
    // application would override the control's own font and ParentFont.
    if (!testAttribute(Qt::WA_SetFont)) return;
    const QFont q = QWidget::font();
    if (q == m_widgetFontSeen) return;
    m_widgetFontSeen = q;
    Font f = m_font; // the colour and the charset are not the QFont's to change
    f.setName(q.family());
    if (const int px = q.pixelSize(); px > 0)
        f.setHeight(px);
    else
        f.setHeight(qRound(q.pointSizeF() * logicalDpiY() / 72.0));
    TFontStyles style;
    if (q.bold()) style |= fsBold;
    if (q.italic()) style |= fsItalic;
    if (q.underline()) style |= fsUnderline;
    if (q.strikeOut()) style |= fsStrikeOut;
    f.setStyle(style);
    setControlFont(f);
}

void TControl::assignFont(const Font& f) {
    if (!assignIfChanged(m_font, f)) return;
    fontChanged();
    notifyChildren(&TControl::parentFontChanged);
}

void TControl::setParentFont(bool on) {
    if (assignIfChanged(m_parentFont, on) && on && !isLoading()) parentFontChanged();
}

void TControl::parentFontChanged() {
    if (!m_parentFont) return;
    if (TControl* p = parentControl()) assignFont(p->controlFont());
}

void TControl::notifyChildren(void (TControl::*hook)()) {
    for (TControl* c : childControls())
        (c->*hook)();
}

void TControl::setCaption(const QString& text) {
    if (!assignIfChanged(m_caption, text)) return;
    textChanged();
    accessibleNameChanged(this);
}

void TControl::setCursorId(TCursor c) {
    if (assignIfChanged(m_cursor, c)) updateCursor();
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
    QList<TControl*> list = controlsInTabOrder(parentWidget());
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
    if (!assignIfChanged(m_align, a)) return;
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

void TControl::followAnchors(QSize old) {
    const int dw = width() - old.width();
    const int dh = height() - old.height();
    // The first size a control gets is no resize its children have to follow.
    if (old.isEmpty()) return;
    for (TControl* c : childControls()) {
        if (c->m_align != alNone) continue;
        const TAnchors a = c->m_anchors;
        QRect r = c->geometry();
        if (a & akRight) {
            if (a & akLeft)
                r.setWidth(r.width() + dw);
            else
                r.moveLeft(r.left() + dw);
        }
        if (a & akBottom) {
            if (a & akTop)
                r.setHeight(r.height() + dh);
            else
                r.moveTop(r.top() + dh);
        }
        if (r != c->geometry()) c->setBounds(r.left(), r.top(), r.width(), r.height());
    }
}

void TControl::setConstraints(const TSizeConstraints& c) {
    if (!assignIfChanged(m_constraints, c)) return;
    setBounds(left(), top(), width(), height());
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

QRect TControl::alignRect() const {
    return rect();
}

TAction* TControl::action() const {
    return m_action;
}

void TControl::setAction(TAction* a) {
    m_action = a;
}

void TControl::beginDrag(bool immediate, int threshold) {
    DragSession::begin(this, QCursor::pos(), immediate, threshold);
}

bool TControl::dragging() const {
    const DragSession* s = DragSession::active();
    return s && s->source() == this && s->started();
}

void TControl::placeDockClient(TControl* client, const QRect& dockRect) {
    client->setParentControl(this);
    // Where it was dropped, as far as it fits in the client area.
    const QRect area = alignRect();
    const int x = std::clamp(dockRect.x(), area.left(),
                             std::max(area.left(), area.right() + 1 - client->width()));
    const int y = std::clamp(dockRect.y(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - client->height()));
    client->setBounds(x, y, client->width(), client->height());
    realignChildren();
}

bool TControl::focused() const {
    return hasFocus();
}

bool TControl::mouseInClient() const {
    return rect().contains(mapFromGlobal(QCursor::pos()));
}

void TControl::click() {
    if (isHandled(&TControl::OnClick))
        emit OnClick();
    else if (TAction* a = m_action)
        a->execute();
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
    return controlsUnder(this);
}

QList<TControl*> TControl::tabList() const {
    return controlsInTabOrder(this);
}

QList<TControl*> controlsUnder(const QWidget* w) {
    QList<TControl*> list;
    for (QObject* o : w->children())
        if (auto* c = qobject_cast<TControl*>(o)) list.append(c);
    return list;
}

QList<TControl*> controlsInTabOrder(const QWidget* w) {
    QList<TControl*> list = controlsUnder(w);
    std::stable_sort(list.begin(), list.end(),
                     [](TControl* a, TControl* b) { return a->tabOrder() < b->tabOrder(); });
    return list;
}

void TControl::keyDown(int& key, TShiftState shift) {
    emit OnKeyDown(key, shift);
}

void TControl::keyPress(QChar& key) {
    emit OnKeyPress(key);
}

void TControl::keyUp(int& key, TShiftState shift) {
    emit OnKeyUp(key, shift);
}

void TControl::enter() {
    emit OnEnter();
}

void TControl::exit() {
    emit OnExit();
}

void TControl::paint(Canvas&) {}

void TControl::eraseBackground(Canvas& c) {
    c.fillRect(Rect::fromQRect(rect()), m_color);
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

void TControl::wmMouseMove(TShiftState shift, QPoint p) {
    mouseMove(shift, p.x(), p.y());
}

void TControl::wmDblClick(TMouseButton b, TShiftState shift, QPoint p) {
    if (m_style & csClickEvents) dblClick();
    mouseDown(b, shift | ssDouble, p.x(), p.y());
}

void TControl::mouseDown(TMouseButton b, TShiftState shift, int x, int y) {
    emit OnMouseDown(b, shift, x, y);
}

void TControl::mouseMove(TShiftState shift, int x, int y) {
    emit OnMouseMove(shift, x, y);
}

void TControl::mouseUp(TMouseButton b, TShiftState shift, int x, int y) {
    emit OnMouseUp(b, shift, x, y);
}

void TControl::dblClick() {
    emit OnDblClick();
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
    image.fill(toQColor(m_color));
    {
        // The picture's own grid continues the control's: logical pixel v of the control
        // falls on the device pixels it would in a picture of the whole control.
        Canvas c(image, Canvas::subpixelAt(QPointF(area.topLeft()) * dpr + subpixel));
        c.setOrigin(-area.topLeft());
        c.setFont(m_font);
        if (!(m_style & csOpaque)) eraseBackground(c);
        paint(c);
    }
    Canvas::present(p, (QPointF(deviceTopLeft) - subpixel) / dpr, image, e->region());
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

// The hooks run however the change was made, also through a QWidget*.
void TControl::changeEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::ApplicationPaletteChange:
        sysColorChanged();
        break;
    case QEvent::EnabledChange:
        followEnabled();
        break;
    case QEvent::FontChange:
        takeWidgetFont();
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
