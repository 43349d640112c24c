#include "FlatRadioButton.h"

#include "Accessible.h"
#include "Label.h"

namespace flat {

using tk::Canvas;
using tk::Rect;
using tk::TColor;
using tk::TextFormat;

namespace {
constexpr int CaptionGap = 2; // between the circle and the caption
constexpr int DotInset = 3;   // the dot lies this far inside the circle: 8 x 8
} // namespace

TDefineRadioButton::TDefineRadioButton(tk::Component* owner, QWidget* parent)
    : TVersionControl(owner, nullptr) {
    setControlStyle(tk::TControlStyle(tk::csSetCaption) | tk::csDoubleClicks);
    setParentColor(false);
    setParentFont(true);
    setColor(0x00E1EAEB);
    setBounds(0, 0, 121, 15);
    if (parent) setParentControl(parent);
}

void TDefineRadioButton::setChecked(bool on) {
    if (on == m_checked) return;
    m_checked = on;
    setTabStop(on);
    QAccessible::State changedStates;
    changedStates.checked = true;
    tk::accessibleStateChanged(this, changedStates);
    if (on) {
        clearSiblings();
        changed();
        if (enabled()) click();
    }
    update();
}

void TDefineRadioButton::clearSiblings() {
    if (tk::TControl* p = parentControl()) {
        for (tk::TControl* child : p->childControls()) {
            auto* sibling = qobject_cast<TDefineRadioButton*>(child);
            if (!sibling || sibling == this || sibling->m_groupIndex != m_groupIndex) continue;
            if (tk::TAction* a = sibling->action(); a && a->autoCheck()) a->setChecked(false);
            sibling->setChecked(false);
        }
    }
    click();
}

void TDefineRadioButton::setTransparent(bool on) {
    if (on == m_transparent) return;
    m_transparent = on;
    setParentColor(!on);
    update();
}

void TDefineRadioButton::setLayoutPosition(TLayoutPosition l) {
    if (l == m_layout) return;
    m_layout = l;
    update();
}

void TDefineRadioButton::setIndexedColor(int index, TColor c) {
    switch (index) {
    case 0:
        m_colorFocused = c;
        break;
    case 1:
        m_colorDown = c;
        break;
    case 2:
        m_colorChecked = c;
        break;
    case 3:
        m_colorBorder = c;
        break;
    default:
        return;
    }
    update();
}

void TDefineRadioButton::click() {
    setChecked(true);
    changed();
    TVersionControl::click();
}

bool TDefineRadioButton::dialogChar(QChar c) {
    if (tk::isAccelerator(c, caption()) && canFocus()) {
        setFocus(); // the focus checks the button
        return true;
    }
    return TVersionControl::dialogChar(c);
}

void TDefineRadioButton::enter() {
    TVersionControl::enter();
    // A press still held from before the focus left: it checks the button quietly.
    if (m_pressed && m_mouseIn) m_checked = true;
    m_focused = true;
    update();
}

void TDefineRadioButton::exit() {
    TVersionControl::exit();
    m_focused = false;
    m_mouseIn = false;
    update();
}

TColor TDefineRadioButton::circleFill() const {
    // The platform's focus decides here, not the flag that enter and exit keep.
    if ((!focused() && !m_mouseIn) || isDesigning()) return color();
    return m_pressed ? m_colorDown : m_colorFocused;
}

void TDefineRadioButton::paintEvent(QPaintEvent* e) {
    const QSize fitted = markControlSize(controlFont(), caption(), m_layout, size());
    if (fitted != size()) setBounds(left(), top(), fitted.width(), fitted.height());
    TVersionControl::paintEvent(e);
}

void TDefineRadioButton::paint(Canvas& c) {
    Canvas::StateSaver saver(c);
    c.setFont(controlFont());
    const Rect client{0, 0, width(), height()};
    if (m_transparent)
        DrawParentBackground(*this, c);
    else
        c.fillRect(client, color());

    const Rect circle = markRect(m_layout, client.Right, client.Bottom);
    c.setPen({m_colorBorder, 1});
    c.setBrush({circleFill(), tk::BrushStyle::Solid});
    DrawEllipse(c, circle);
    if (m_checked) {
        const TColor dot = enabled() ? m_colorChecked : tk::clBtnShadow;
        c.setPen({dot, 1});
        c.setBrush({dot, tk::BrushStyle::Solid});
        DrawEllipse(c, circle.inflated(-DotInset, -DotInset));
    }
    c.setBrushStyle(tk::BrushStyle::Clear);

    const int a = (client.Bottom - c.textHeight(QStringLiteral("H"))) / 2;
    const int circleWidth = circle.width();
    Rect text;
    tk::TextFormats flags = TextFormat::WordBreak;
    if (m_layout == lpLeft) {
        text = {client.Left + circleWidth + CaptionGap, client.Top + a, client.Right + circleWidth,
                client.Bottom - a};
    } else {
        text = {client.Left + 1, client.Top + a, client.Right - circleWidth - CaptionGap,
                client.Bottom - a};
        flags |= TextFormat::Right;
    }
    // No focus rectangle: the focus shows in the circle's fill.
    drawControlCaption(c, text, caption(), flags, enabled());
}

void TDefineRadioButton::wmMouseDown(tk::TMouseButton b, tk::TShiftState shift, QPoint p) {
    if (b != tk::mbLeft) {
        TVersionControl::wmMouseDown(b, shift, p);
        return;
    }
    // The left press is the button's own: no OnMouseDown.
    if (!enabled()) return;
    setFocus();
    click();
    m_pressed = true;
    update();
}

void TDefineRadioButton::wmMouseUp(tk::TMouseButton b, tk::TShiftState shift, QPoint p) {
    if (b != tk::mbLeft) {
        TVersionControl::wmMouseUp(b, shift, p);
        return;
    }
    if (!enabled()) return;
    m_pressed = false;
    update();
}

void TDefineRadioButton::mouseEnter() {
    TVersionControl::mouseEnter();
    if (isDesigning() || !tk::applicationHasActiveWindow() || m_mouseIn) return;
    m_mouseIn = true;
    update();
}

void TDefineRadioButton::mouseLeave() {
    TVersionControl::mouseLeave();
    m_mouseIn = false;
    update();
}

void TDefineRadioButton::focusGained() {
    TVersionControl::focusGained();
    if (enabled()) {
        m_focused = true;
        m_mouseIn = true;
        if (!m_checked) setChecked(true);
    }
    update();
}

void TDefineRadioButton::focusLost() {
    TVersionControl::focusLost();
    if (enabled()) {
        m_mouseIn = false;
        m_focused = false;
    }
    update();
}

void TDefineRadioButton::enabledChanged() {
    TVersionControl::enabledChanged();
    if (!enabled()) {
        m_mouseIn = false;
        m_pressed = false;
    }
    update();
}

void TDefineRadioButton::textChanged() {
    TVersionControl::textChanged();
    update();
}

void TDefineRadioButton::fontChanged() {
    TVersionControl::fontChanged();
    update();
}

void TDefineRadioButton::parentColorChanged() {
    TVersionControl::parentColorChanged();
    update();
}

void TDefineRadioButton::sysColorChanged() {
    TVersionControl::sysColorChanged();
    takeParentColor();
    update();
}

void TDefineRadioButton::resized() {
    TVersionControl::resized();
    update();
}

void TDefineRadioButton::moved() {
    TVersionControl::moved();
    update();
}

} // namespace flat
