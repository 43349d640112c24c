#include "FlatCheckBox.h"

#include "Accessible.h"
#include "Label.h"

namespace flat {

using tk::Canvas;
using tk::Rect;
using tk::TColor;
using tk::TextFormat;

namespace {
constexpr int CaptionGap = 2; // between the box and the caption
} // namespace

Rect markRect(TLayoutPosition layout, int width, int height) {
    const int middle = height / 2;
    const int half = MarkSize / 2;
    if (layout == lpRight) return {width - MarkSize - 1, middle - half, width - 1, middle + half};
    return {1, middle - half, 1 + MarkSize, middle + half};
}

QSize markControlSize(const tk::Font& font, const QString& caption, TLayoutPosition layout,
                      QSize current) {
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    Canvas c(scratch);
    c.setFont(font);
    const int lineHeight = c.textHeight(QStringLiteral("H"));
    const int width =
        layout == lpLeft ? c.textWidth(RemoveAmpersand(caption)) + lineHeight + 5 : current.width();
    return {width, lineHeight + 2};
}

void drawControlCaption(Canvas& canvas, const Rect& r, const QString& caption,
                        tk::TextFormats flags, bool enabled) {
    if (enabled) {
        canvas.drawText(r, caption, flags);
        return;
    }
    Canvas::StateSaver saver(canvas);
    canvas.setFontColor(tk::clBtnHighlight);
    canvas.drawText(r.translated(1, 1), caption, flags);
    canvas.setFontColor(tk::clBtnShadow);
    canvas.drawText(r, caption, flags);
}

TDefineCheckBox::TDefineCheckBox(tk::Component* owner, QWidget* parent)
    : TVersionControl(owner, nullptr) {
    // No automatic click and no capture: the box toggles on the press, and a release
    // away from it is simply not heard.
    setControlStyle(tk::TControlStyle(tk::csSetCaption) | tk::csDoubleClicks);
    setParentColor(false);
    setParentFont(true);
    setTabStop(true);
    setColor(0x00E1EAEB);
    setBounds(0, 0, 121, 15);
    if (parent) setParentControl(parent);
}

void TDefineCheckBox::setState(TCheckBoxState s) {
    if (s == m_state) return;
    m_state = s;
    QAccessible::State changedStates;
    changedStates.checked = true;
    changedStates.checkStateMixed = true;
    tk::accessibleStateChanged(this, changedStates);
    if (enabled()) click();
    update();
}

void TDefineCheckBox::setTransparent(bool on) {
    if (on == m_transparent) return;
    m_transparent = on;
    setParentColor(!on);
    update();
}

void TDefineCheckBox::setLayoutPosition(TLayoutPosition l) {
    // Repaints even for the same value, as the check box always has.
    m_layout = l;
    update();
}

void TDefineCheckBox::setIndexedColor(int index, TColor c) {
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

void TDefineCheckBox::cycleState() {
    switch (m_state) {
    case cbUnchecked:
        setState(m_allowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        setState(cbUnchecked);
        break;
    case cbGrayed:
        setState(cbChecked);
        break;
    }
}

void TDefineCheckBox::click() {
    changed();
    TVersionControl::click();
}

bool TDefineCheckBox::dialogChar(QChar c) {
    if (tk::isAccelerator(c, caption()) && canFocus()) {
        setFocus();
        if (m_focused) cycleState();
        return true;
    }
    if (c == QLatin1Char(' ') && m_focused) {
        setFocus();
        if (m_focused) cycleState();
        return true;
    }
    return TVersionControl::dialogChar(c);
}

void TDefineCheckBox::enter() {
    TVersionControl::enter();
    m_focused = true;
    update();
}

void TDefineCheckBox::exit() {
    TVersionControl::exit();
    m_focused = false;
    update();
}

TColor TDefineCheckBox::boxFill() const {
    if ((!m_focused && !m_mouseIn) || isDesigning()) return color();
    return m_pressed ? m_colorDown : m_colorFocused;
}

void TDefineCheckBox::paintEvent(QPaintEvent* e) {
    // The size follows the caption and the font at every paint, before anything is drawn.
    const QSize fitted = markControlSize(controlFont(), caption(), m_layout, size());
    if (fitted != size()) setBounds(left(), top(), fitted.width(), fitted.height());
    TVersionControl::paintEvent(e);
}

void TDefineCheckBox::paint(Canvas& c) {
    Canvas::StateSaver saver(c);
    c.setFont(controlFont());
    const Rect client{0, 0, width(), height()};
    if (m_transparent)
        DrawParentBackground(*this, c);
    else
        c.fillRect(client, color());

    const Rect box = markRect(m_layout, client.Right, client.Bottom);
    c.fillRect(box, boxFill());
    if (isChecked()) DrawCheckMark(c, box, enabled() ? m_colorChecked : tk::clBtnShadow);
    c.frameRect(box, m_colorBorder);
    c.setBrushStyle(tk::BrushStyle::Clear);

    const int a = (client.Bottom + box.Top - c.textHeight(QStringLiteral("W"))) / 2;
    const int boxWidth = box.width();
    Rect text;
    tk::TextFormats flags = TextFormat::WordBreak;
    if (m_layout == lpLeft) {
        text = {client.Left + boxWidth + CaptionGap, client.Top + a, client.Right + boxWidth,
                client.Bottom - a};
    } else {
        text = {client.Left + 1, client.Top + a, client.Right - boxWidth - CaptionGap,
                client.Bottom - a};
        flags |= TextFormat::Right;
    }
    if (enabled() && m_focused) c.drawFocusRect(client);
    drawControlCaption(c, text, caption(), flags, enabled());
}

void TDefineCheckBox::wmMouseDown(tk::TMouseButton b, tk::TShiftState shift, QPoint p) {
    TVersionControl::wmMouseDown(b, shift, p);
    if (b != tk::mbLeft || !enabled()) return;
    setFocus();
    m_pressed = true;
    // The box toggles on the press: a release outside it must not undo the change.
    cycleState();
    update();
}

void TDefineCheckBox::wmMouseUp(tk::TMouseButton b, tk::TShiftState shift, QPoint p) {
    if (b != tk::mbLeft) {
        TVersionControl::wmMouseUp(b, shift, p);
        return;
    }
    // The left release ends the press look only; it raises no OnMouseUp.
    if (!enabled()) return;
    m_pressed = false;
    update();
}

void TDefineCheckBox::mouseEnter() {
    TVersionControl::mouseEnter();
    if (isDesigning() || !tk::applicationHasActiveWindow() || m_mouseIn) return;
    m_mouseIn = true;
    update();
}

void TDefineCheckBox::mouseLeave() {
    TVersionControl::mouseLeave();
    if (!m_mouseIn) return;
    m_mouseIn = false;
    update();
}

void TDefineCheckBox::focusGained() {
    TVersionControl::focusGained();
    if (isDesigning() || !enabled()) return;
    m_focused = true;
    update();
}

void TDefineCheckBox::focusLost() {
    TVersionControl::focusLost();
    if (isDesigning() || !enabled()) return;
    m_mouseIn = false;
    m_focused = false;
    update();
}

void TDefineCheckBox::enabledChanged() {
    TVersionControl::enabledChanged();
    if (!enabled()) {
        m_mouseIn = false;
        m_pressed = false;
    }
    update();
}

void TDefineCheckBox::textChanged() {
    TVersionControl::textChanged();
    update();
}

void TDefineCheckBox::fontChanged() {
    TVersionControl::fontChanged();
    update();
}

void TDefineCheckBox::parentColorChanged() {
    TVersionControl::parentColorChanged();
    update();
}

void TDefineCheckBox::sysColorChanged() {
    TVersionControl::sysColorChanged();
    takeParentColor();
    update();
}

void TDefineCheckBox::resized() {
    TVersionControl::resized();
    if (m_transparent) update();
}

void TDefineCheckBox::moved() {
    TVersionControl::moved();
    if (m_transparent) update();
}

} // namespace flat
