#include "FlatCheckBox.h"

#include "Accessible.h"

namespace flat {

TDefineCheckBox::TDefineCheckBox(tk::Component* owner, QWidget* parent)
    : TDefineMarkButton(owner, "TDefineCheckBox") {
    setTabStop(true);
    if (parent) setParentControl(parent);
}

void TDefineCheckBox::setState(TCheckBoxState s) {
    if (s == m_state) return;
    const bool wasChecked = isChecked();
    m_state = s;
    QAccessible::State changedStates;
    changedStates.checked = true;
    changedStates.checkStateMixed = true;
    tk::accessibleStateChanged(this, changedStates);
    // Each step's handlers may destroy the box.
    const bool alive =
        survives([&] { emit stateChanged(state()); }) &&
        (wasChecked == isChecked() || survives([&] { emit checkedChanged(isChecked()); })) &&
        (!enabled() || survives([&] { click(); }));
    if (alive) update();
}

void TDefineCheckBox::cycleState() {
    if (m_state == cbChecked)
        setState(cbUnchecked);
    else
        setState(m_state == cbUnchecked && allowGrayed() ? cbGrayed : cbChecked);
}

void TDefineCheckBox::click() {
    changed();
    TDefineMarkButton::click();
}

void TDefineCheckBox::accelerated() {
    if (survives([&] { setFocus(); }) && m_focused) cycleState();
}

bool TDefineCheckBox::dialogChar(QChar c) {
    if (c == QLatin1Char(' ') && m_focused) {
        accelerated();
        return true;
    }
    return TDefineMarkButton::dialogChar(c);
}

void TDefineCheckBox::enter() {
    TDefineMarkButton::enter();
    m_focused = true;
    update();
}

void TDefineCheckBox::exit() {
    TDefineMarkButton::exit();
    m_focused = false;
    update();
}

void TDefineCheckBox::paintMark(Canvas& c, const Rect& box) {
    c.fillRect(box, markFill());
    if (isChecked()) DrawCheckMark(c, box, enabled() ? colorChecked() : tk::clBtnShadow);
    c.frameRect(box, colorBorder());
}

int TDefineCheckBox::captionInset(const Canvas& c, const Rect& client, const Rect& box) const {
    return (client.Bottom + box.Top - c.textHeight(QStringLiteral("W"))) / 2;
}

void TDefineCheckBox::wmMouseDown(tk::TMouseButton b, tk::TShiftState shift, QPoint p) {
    if (!survives([&] { TDefineMarkButton::wmMouseDown(b, shift, p); })) return;
    if (b != tk::mbLeft || !enabled()) return;
    if (!survives([&] { setFocus(); })) return;
    m_pressed = true;
    // The box toggles on the press: a release outside it must not undo the change.
    if (survives([&] { cycleState(); })) update();
}

void TDefineCheckBox::focusGained() {
    TDefineMarkButton::focusGained();
    if (!isDesigning() && enabled()) m_focused = true;
}

void TDefineCheckBox::focusLost() {
    TDefineMarkButton::focusLost();
    if (!isDesigning() && enabled()) m_focused = m_hot = false;
}

} // namespace flat
