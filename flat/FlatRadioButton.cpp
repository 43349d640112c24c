#include "FlatRadioButton.h"

#include "Accessible.h"

namespace flat {

namespace {
constexpr int DotInset = 3; // the dot lies this far inside the circle: 8 x 8
} // namespace

TDefineRadioButton::TDefineRadioButton(tk::Component* owner, QWidget* parent)
    : TDefineMarkButton(owner, "TDefineRadioButton") {
    if (parent) setParentControl(parent);
}

void TDefineRadioButton::setChecked(bool on) {
    if (on == m_checked) return;
    m_checked = on;
    setTabStop(on);
    QAccessible::State changedStates;
    changedStates.checked = true;
    tk::accessibleStateChanged(this, changedStates);
    // Siblings first: they are unchecked by the time this button's signal and first
    // click come. Every step's handlers may destroy the button.
    const bool alive = (!on || survives([&] { uncheckSiblings(); })) &&
                       survives([&] { emit checkedChanged(isChecked()); }) &&
                       (!on || survives([&] { click(); })) &&
                       (!on || survives([&] { changed(); })) &&
                       (!on || !enabled() || survives([&] { click(); }));
    if (alive) update();
}

void TDefineRadioButton::uncheckSiblings() {
    tk::TControl* p = parentControl();
    if (!p) return;
    for (tk::TControl* child : p->childControls()) {
        auto* sibling = qobject_cast<TDefineRadioButton*>(child);
        if (!sibling || sibling == this || sibling->m_groupIndex != m_groupIndex) continue;
        if (tk::TAction* a = sibling->action(); a && a->autoCheck()) a->setChecked(false);
        sibling->setChecked(false);
    }
}

void TDefineRadioButton::click() {
    setChecked(true);
    changed();
    TDefineMarkButton::click();
}

void TDefineRadioButton::accelerated() {
    setFocus(); // the focus checks the button
}

void TDefineRadioButton::enter() {
    TDefineMarkButton::enter();
    // A press still held from before the focus left: it checks the button quietly.
    if (m_pressed && m_hot && !m_checked) {
        m_checked = true;
        emit checkedChanged(isChecked());
    }
    m_focused = true;
    update();
}

void TDefineRadioButton::exit() {
    TDefineMarkButton::exit();
    m_focused = m_hot = false;
    update();
}

void TDefineRadioButton::paintMark(Canvas& c, const Rect& circle) {
    c.setPen({colorBorder(), 1});
    c.setBrush({markFill(), tk::BrushStyle::Solid});
    c.ellipse(circle);
    if (!m_checked) return;
    const TColor dot = enabled() ? colorChecked() : tk::clBtnShadow;
    c.setPen({dot, 1});
    c.setBrush({dot, tk::BrushStyle::Solid});
    c.ellipse(circle.inflated(-DotInset, -DotInset));
}

int TDefineRadioButton::captionInset(const Canvas& c, const Rect& client, const Rect&) const {
    return (client.Bottom - c.textHeight(QStringLiteral("H"))) / 2;
}

void TDefineRadioButton::wmMouseDown(tk::TMouseButton b, tk::TShiftState shift, QPoint p) {
    if (b != tk::mbLeft) {
        TDefineMarkButton::wmMouseDown(b, shift, p);
        return;
    }
    // The left press is the button's own: no OnMouseDown.
    if (!enabled()) return;
    if (!survives([&] { setFocus(); }) || !survives([&] { click(); })) return;
    m_pressed = true;
    update();
}

void TDefineRadioButton::focusGained() {
    TDefineMarkButton::focusGained();
    if (!enabled()) return;
    m_focused = m_hot = true;
    if (!m_checked) setChecked(true);
}

void TDefineRadioButton::focusLost() {
    TDefineMarkButton::focusLost();
    if (enabled()) m_focused = m_hot = false;
}

} // namespace flat
