#include "FlatComboBox.h"

#include "Navigation.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QStyle>
#include <algorithm>

namespace flat {

using tk::Canvas;
using tk::Rect;
using tk::TColor;

namespace {

// The text field lies inside the three-pixel frame.
constexpr int FieldInset = 3;
// The editable styles' field ends this far left of the arrow area.
constexpr int FieldGap = 8;
// The list-style patch lies this far left of the arrow area: from 2 + B + 8 to 2 + B + 3
// left of the right edge.
constexpr int PatchFar = 10;
constexpr int PatchNear = 5;
// While painting, the text area's fill stops this far left of the arrow area.
constexpr int FillGap = 4;
// The native button is kept out of the painting with this much more to its left.
constexpr int NativeButtonMargin = 2;
// The arrow's offset from the middle of its area.
constexpr int ArrowShiftX = 6;
constexpr int ArrowShiftY = 1;
constexpr int ArrowRows = 3;
constexpr TColor DisabledArrowHighlight = 0x00FFFFFF;
constexpr TColor DisabledArrowShadow = 0x00808080;

} // namespace

// --- The look -----------------------------------------------------------------------

QRect ComboGeometry::editField(tk::TComboBoxStyle style) const {
    const bool listStyle = style != tk::csDropDown && style != tk::csSimple;
    const int w = listStyle ? patchStrip().Left - FieldInset : width - arrowWidth - FieldGap;
    return QRect(FieldInset, FieldInset, std::max(0, w), std::max(0, height - 2 * FieldInset));
}

Rect ComboGeometry::patchStrip() const {
    return {width - arrowWidth - PatchFar, FieldInset, width - arrowWidth - PatchNear,
            height - FieldInset};
}

Rect ComboGeometry::patchRing() const {
    return {FieldInset, FieldInset, width - FieldInset - (arrowWidth + 2), height - FieldInset};
}

QRect ComboEditFieldRect(const tk::TCustomComboBox& box, int arrowWidth) {
    ComboGeometry g{box.width(), box.height(), arrowWidth};
    if (box.comboStyle() == tk::csSimple && box.comboBox()) g.height = box.comboBox()->height();
    return g.editField(box.comboStyle());
}

void PaintComboFrame(Canvas& c, const Rect& frame, TColor border, TColor inner) {
    c.frameRect(frame, border);
    Rect r = frame;
    for (int ring = 0; ring < 2; ++ring) {
        r = r.inflated(-1, -1);
        c.frameRect(r, inner);
    }
}

void PaintComboArrow(Canvas& c, const Rect& area, TColor fill, TColor border, TColor arrow,
                     bool enabled, bool pointsUp) {
    c.fillRect(area, fill);
    c.frameRect(area, border);
    const int x0 = area.Left + (area.Right - area.Left) / 2 - ArrowShiftX;
    const int y0 = area.Top + (area.Bottom - area.Top) / 2 - ArrowShiftY;
    // The filled triangle with corners (x0 + 4, y0), (x0 + 8, y0) and (x0 + 6, y0 + 2), or
    // upside down: rows of 5, 3 and 1 pixels.
    const auto triangle = [&](int dx, int dy, TColor colour) {
        for (int k = 0; k < ArrowRows; ++k) {
            const int y = y0 + dy + (pointsUp ? ArrowRows - 1 - k : k);
            c.fillRect(Rect{x0 + dx + 4 + k, y, x0 + dx + 9 - k, y + 1}, colour);
        }
    };
    if (enabled) {
        triangle(0, 0, arrow);
    } else {
        triangle(1, 1, DisabledArrowHighlight);
        triangle(0, 0, DisabledArrowShadow);
    }
}

void PaintComboListPatch(Canvas& c, const ComboGeometry& g, bool highlighted, TColor highlight,
                         TColor back) {
    c.fillRect(g.patchStrip(), highlighted ? highlight : back);
    if (highlighted) c.frameRect(g.patchRing(), highlight);
}

void PaintFlatCombo(Canvas& c, const ComboPaintState& s) {
    const ComboGeometry& g = s.geometry;
    const bool simple = s.style == tk::csSimple;
    const Rect arrowArea = g.arrowAreaDrawn();
    {
        const Canvas::StateSaver saver(c);
        Rect textArea = s.invalid;
        textArea.Right = std::min(textArea.Right, g.width - g.arrowWidth - FillGap);
        c.fillRect(textArea, s.back);
        if (!simple && RectsIntersect(arrowArea, s.invalid))
            PaintComboArrow(c, arrowArea, s.arrowArea, s.border, s.arrow, s.enabled, s.droppedDown);
        c.excludeClipRect(g.nativeButton(s.scrollBarWidth, NativeButtonMargin));
        if (s.style == tk::csDropDown) {
            if (s.droppedDown)
                c.frameRect(Rect{2, 2, g.width - g.arrowWidth - 3, g.height - 2}, tk::clWindow);
        } else {
            PaintComboListPatch(c, g, s.focused && !s.droppedDown, s.highlight, s.back);
        }
    }
    PaintComboFrame(c, g.frame(), s.border, s.back);
    if (!simple)
        PaintComboArrow(c, arrowArea, s.arrowArea, s.border, s.arrow, s.enabled, s.droppedDown);
}

int platformScrollBarWidth() {
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

TDefineTicket* createComboTicket(tk::TControl& box) {
    auto* t = new TDefineTicket(&box);
    box.freeNotification(t);
    t->setAutoSize(true);
    t->setTransparent(true);
    t->setFocusControl(&box); // the ticket's accelerator focuses the box
    return t;
}

// --- The flat combo box -------------------------------------------------------------

TDefineComboBox::TDefineComboBox(tk::Component* owner, QWidget* parent)
    : TVersionComboBox(owner, nullptr) {
    m_scrollBarWidth = platformScrollBarWidth();
    setControlStyle((controlStyle() | tk::csOpaque) & ~tk::TControlStyle(tk::csFixedHeight));
    setCustomFrame(true);
    setItemHeight(DefaultItemHeight);
    setColor(m_flatColor);
    setBounds(0, 0, 120, 20);
    auto* t = createComboTicket(*this);
    m_ticket = t;
    m_ticketComponent = t;
    if (parent) setParentControl(parent);
}

TDefineComboBox::~TDefineComboBox() {
    // The ticket lives in the box's parent, not in the box.
    delete m_ticket;
}

ComboGeometry TDefineComboBox::comboGeometry() const {
    return {width(), height(), m_arrowWidth};
}

// --- Settings -----------------------------------------------------------------------

void TDefineComboBox::setArrowColor(TColor c) {
    if (c == m_arrowColor) return;
    m_arrowColor = c;
    update();
}

void TDefineComboBox::setArrowAreaColor(TColor c) {
    if (c == m_arrowAreaColor) return;
    m_arrowAreaColor = c;
    update();
}

void TDefineComboBox::setBorderColor(TColor c) {
    if (c == m_borderColor) return;
    m_borderColor = c;
    update();
}

void TDefineComboBox::setFocusedColor(TColor c) {
    if (c == m_focusedColor) return;
    m_focusedColor = c;
    redraw();
}

void TDefineComboBox::setFlatColor(TColor c) {
    if (c == m_flatColor) return;
    m_flatColor = c;
    redraw();
}

void TDefineComboBox::setFollowsParentColor(bool on) {
    if (on == m_followParentColor) return;
    m_followParentColor = on;
    if (!on) return;
    followParentColor();
    redraw();
}

void TDefineComboBox::setArrowWidth(int w) {
    w = std::max(0, w);
    if (w == m_arrowWidth) return;
    m_arrowWidth = w;
    relayout();
}

void TDefineComboBox::relayout() {
    // Placing the box again places the text field by editFieldRect().
    setBounds(left(), top(), width(), height());
    update();
}

void TDefineComboBox::setReadOnly(bool on) {
    if (on == m_readOnly) return;
    m_readOnly = on;
    if (QLineEdit* field = editField()) field->setReadOnly(on);
}

void TDefineComboBox::recreateWnd() {
    TVersionComboBox::recreateWnd();
    if (QLineEdit* field = editField()) field->setReadOnly(m_readOnly);
}

QRect TDefineComboBox::editFieldRect() const {
    return ComboEditFieldRect(*this, m_arrowWidth);
}

// --- State --------------------------------------------------------------------------

TColor TDefineComboBox::chooseColor() const {
    if (isDesigning()) return m_flatColor;
    if (m_hasFocus) return m_focusedColor;
    // While another flat combo box holds the focus, hovering over this one shows nothing.
    if (m_mouseIn && !dynamic_cast<TDefineComboBox*>(tk::FocusTracker::activeControl(window())))
        return m_focusedColor;
    return m_flatColor;
}

void TDefineComboBox::redraw() {
    setColor(chooseColor());
    update();
}

void TDefineComboBox::updateActive() {
    const bool active = isDesigning() ? enabled() : droppedDown() || m_hasFocus;
    if (active == m_active) return;
    m_active = active;
    redraw();
}

void TDefineComboBox::mouseEnter() {
    TVersionComboBox::mouseEnter();
    if (!tk::applicationHasActiveWindow()) return;
    m_mouseIn = true;
    redraw();
}

void TDefineComboBox::mouseLeave() {
    TVersionComboBox::mouseLeave();
    if (!m_mouseIn) return;
    m_mouseIn = false;
    redraw();
}

void TDefineComboBox::focusGained() {
    TVersionComboBox::focusGained();
    m_hasFocus = true;
    if (isDesigning()) return;
    updateActive();
    setColor(m_focusedColor);
    update();
}

void TDefineComboBox::focusLost() {
    TVersionComboBox::focusLost();
    m_hasFocus = false;
    if (isDesigning()) return;
    updateActive();
    setColor(m_flatColor);
    update();
}

void TDefineComboBox::closeUp() {
    TVersionComboBox::closeUp();
    const Rect r = comboGeometry().arrowArea();
    update(Rect{r.Left - 2, r.Top, r.Right, r.Bottom}.toQRect());
}

void TDefineComboBox::enabledChanged() {
    TVersionComboBox::enabledChanged();
    update();
    if (m_ticket) m_ticket->setEnabled(enabled());
}

void TDefineComboBox::fontChanged() {
    TVersionComboBox::fontChanged();
    setItemHeight(DefaultItemHeight);
    recreateWnd();
}

void TDefineComboBox::followParentColor() {
    if (!m_followParentColor) return;
    if (tk::TControl* p = parentControl()) m_flatColor = p->color();
}

void TDefineComboBox::parentColorChanged() {
    TVersionComboBox::parentColorChanged();
    followParentColor();
    redraw();
}

void TDefineComboBox::sysColorChanged() {
    TVersionComboBox::sysColorChanged();
    followParentColor();
    redraw();
}

// --- Items and keys -----------------------------------------------------------------

void TDefineComboBox::setItemIndex(int index) {
    TVersionComboBox::setItemIndex(index);
    change();
}

void TDefineComboBox::keyPress(QChar& key) {
    TVersionComboBox::keyPress(key);
    if (!m_readOnly || key.isNull()) return;
    beep();
    key = QChar();
}

void TDefineComboBox::beep() {
    QApplication::beep();
}

// --- Painting -----------------------------------------------------------------------

void TDefineComboBox::paintEvent(QPaintEvent* e) {
    m_invalid = e->rect();
    TVersionComboBox::paintEvent(e);
}

void TDefineComboBox::paint(Canvas& c) {
    TVersionComboBox::paint(c);
    ComboPaintState s;
    s.geometry = comboGeometry();
    s.style = comboStyle();
    s.enabled = enabled();
    s.droppedDown = droppedDown();
    s.focused = m_hasFocus;
    s.back = color();
    s.arrow = m_arrowColor;
    s.arrowArea = m_arrowAreaColor;
    s.border = m_borderColor;
    s.scrollBarWidth = m_scrollBarWidth;
    s.invalid = Rect::fromQRect(m_invalid.isNull() ? rect() : m_invalid);
    PaintFlatCombo(c, s);
    // The rings took the colour the box had; a different choice repaints them.
    if (chooseColor() != color() && !m_recolourQueued) {
        // Not while painting: a colour change reaches the inner widgets' palettes.
        m_recolourQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_recolourQueued = false;
                redraw();
            },
            Qt::QueuedConnection);
    }
}

// --- The ticket ---------------------------------------------------------------------

void TDefineComboBox::setTicketPosition(TTicketPosition p) {
    if (!m_ticket) return;
    m_ticketPosition = p;
    placeTicket();
}

void TDefineComboBox::setTicketSpace(int space) {
    if (!m_ticket) return;
    m_ticketSpace = space;
    setTicketPosition(m_ticketPosition);
}

void TDefineComboBox::placeTicket() {
    if (m_ticket) PlaceTicket(m_ticketPosition, *this, *m_ticket, m_ticketSpace);
}

void TDefineComboBox::setBounds(int left, int top, int width, int height) {
    TVersionComboBox::setBounds(left, top, width, height);
    placeTicket();
}

void TDefineComboBox::setParentControl(QWidget* parent) {
    TVersionComboBox::setParentControl(parent);
    if (!m_ticket) return;
    m_ticket->setParentControl(parent);
    // The ticket shows with the box: a hidden box keeps its ticket hidden too.
    m_ticket->setVisible(visible());
}

void TDefineComboBox::visibleChanged() {
    TVersionComboBox::visibleChanged();
    if (m_ticket) m_ticket->setVisible(visible());
}

void TDefineComboBox::changeEvent(QEvent* e) {
    TVersionComboBox::changeEvent(e);
    if (e->type() == QEvent::LayoutDirectionChange && m_ticket)
        m_ticket->setLayoutDirection(layoutDirection());
}

void TDefineComboBox::notification(tk::Component* c, tk::Operation op) {
    TVersionComboBox::notification(c, op);
    if (op == tk::Operation::Remove && c && c == m_ticketComponent) {
        m_ticket = nullptr;
        m_ticketComponent = nullptr;
    }
}

void TDefineComboBox::setName(const QString& name) {
    if (!isDesigning()) {
        TVersionComboBox::setName(name);
        return;
    }
    // In a designer the ticket's caption follows the name until someone edits it.
    const QString old = this->name();
    const bool follow = m_ticket && (m_ticket->caption().isEmpty() ||
                                     m_ticket->caption().compare(old, Qt::CaseInsensitive) == 0);
    TVersionComboBox::setName(name);
    if (follow) m_ticket->setCaption(name);
    setText(QString());
}

void TDefineComboBox::loaded() {
    TVersionComboBox::loaded();
    // The ticket's size may have come from the layout after the box's bounds did.
    placeTicket();
}

} // namespace flat
