#include "FlatComboBox.h"

#include "Navigation.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>

namespace flat {

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
constexpr int NewBoxWidth = 120;
constexpr int NewBoxHeight = 20;

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
    {
        const Canvas::StateSaver saver(c);
        c.fillRect(Rect{0, 0, g.width - g.arrowWidth - FillGap, g.height}, s.back);
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
        PaintComboArrow(c, g.arrowAreaDrawn(), s.arrowArea, s.border, s.arrow, s.enabled,
                        s.droppedDown);
}

int platformScrollBarWidth() {
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// --- What the combo box and the colour box share -------------------------------------

TDefineComboBase::TDefineComboBase(tk::Component* owner)
    : TicketBearing(TicketHolder::Reparenting::OwnerFirst, owner) {
    m_scrollBarWidth = platformScrollBarWidth();
    setControlStyle(controlStyle() | tk::csOpaque);
    setCustomFrame(true);
}

void TDefineComboBase::finishConstruction(QWidget* parent) {
    setBounds(0, 0, NewBoxWidth, NewBoxHeight);
    m_ticket.create();
    if (parent) setParentControl(parent);
}

void TDefineComboBase::setArrowWidth(int w) {
    w = std::max(0, w);
    if (w == m_arrowWidth) return;
    m_arrowWidth = w;
    // Placing the box again places the text field by editFieldRect().
    setBounds(left(), top(), width(), height());
    update();
}

QRect TDefineComboBase::editFieldRect() const {
    return ComboEditFieldRect(*this, m_arrowWidth);
}

void TDefineComboBase::updateActive() {
    const bool active = isDesigning() ? enabled() : droppedDown() || m_hasFocus;
    if (active == m_active) return;
    m_active = active;
    redraw();
}

void TDefineComboBase::focusGained() {
    TicketBearing::focusGained();
    setBoxFocus(true);
}

void TDefineComboBase::focusLost() {
    TicketBearing::focusLost();
    setBoxFocus(false);
}

void TDefineComboBase::setBoxFocus(bool focused) {
    m_hasFocus = focused;
    if (isDesigning()) return;
    updateActive();
    boxFocusChanged(focused);
    update();
}

void TDefineComboBase::closeUp() {
    TicketBearing::closeUp();
    const Rect r = comboGeometry().arrowArea();
    update(Rect{r.Left - 2, r.Top, r.Right, r.Bottom}.toQRect());
}

void TDefineComboBase::fontChanged() {
    TicketBearing::fontChanged();
    setItemHeight(DefaultItemHeight);
    recreateWnd();
}

void TDefineComboBase::paint(Canvas& c) {
    TicketBearing::paint(c);
    ComboPaintState s;
    s.geometry = comboGeometry();
    s.style = comboStyle();
    s.enabled = enabled();
    s.droppedDown = droppedDown();
    s.focused = m_hasFocus;
    s.back = color();
    s.scrollBarWidth = m_scrollBarWidth;
    PaintFlatCombo(c, s);
}

// --- The flat combo box -------------------------------------------------------------

TDefineComboBox::TDefineComboBox(tk::Component* owner, QWidget* parent) : TDefineComboBase(owner) {
    setItemHeight(DefaultItemHeight);
    setColor(m_flatColor);
    // Hover shows while no other flat combo box holds the focus: the colour follows every
    // move of the focus, wherever it goes.
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this] { setColor(chooseColor()); });
    finishConstruction(parent);
}

TDefineComboBox::~TDefineComboBox() {
    // The native combo box goes with a base, and takes the focus with it.
    disconnect(m_focusWatch);
}

void TDefineComboBox::setFollowsParentColor(bool on) {
    if (assignIfChanged(m_followParentColor, on) && on) followParentColor();
}

void TDefineComboBox::setReadOnly(bool on) {
    if (!assignIfChanged(m_readOnly, on)) return;
    if (QLineEdit* field = editField()) field->setReadOnly(on);
}

void TDefineComboBox::recreateWnd() {
    TDefineComboBase::recreateWnd();
    if (QLineEdit* field = editField()) field->setReadOnly(m_readOnly);
}

TColor TDefineComboBox::chooseColor() const {
    if (isDesigning()) return m_flatColor;
    if (hasBoxFocus()) return DefaultFocusedColor;
    // While another flat combo box holds the focus, hovering over this one shows nothing.
    if (m_mouseIn && !dynamic_cast<TDefineComboBox*>(tk::FocusTracker::activeControl(window())))
        return DefaultFocusedColor;
    return m_flatColor;
}

void TDefineComboBox::redraw() {
    setColor(chooseColor());
    update();
}

void TDefineComboBox::mouseEnter() {
    TDefineComboBase::mouseEnter();
    if (trackHover(m_mouseIn, true)) redraw();
}

void TDefineComboBox::mouseLeave() {
    TDefineComboBase::mouseLeave();
    if (trackHover(m_mouseIn, false)) redraw();
}

void TDefineComboBox::boxFocusChanged(bool focused) {
    setColor(focused ? DefaultFocusedColor : m_flatColor);
}

void TDefineComboBox::followParentColor() {
    if (tk::TControl* p = parentControl(); p && m_followParentColor) m_flatColor = p->color();
    redraw();
}

void TDefineComboBox::parentColorChanged() {
    TDefineComboBase::parentColorChanged();
    followParentColor();
}

void TDefineComboBox::setItemIndex(int index) {
    TDefineComboBase::setItemIndex(index);
    change();
}

void TDefineComboBox::keyPress(QChar& key) {
    TDefineComboBase::keyPress(key);
    if (!m_readOnly || key.isNull()) return;
    beep();
    key = QChar();
}

void TDefineComboBox::beep() {
    QApplication::beep();
}

void TDefineComboBox::setName(const QString& name) {
    // In a designer the box starts without text after every rename.
    if (m_ticket.rename(name, [&] { TDefineComboBase::setName(name); })) setText(QString());
}

} // namespace flat
