#include "FlatButtonBase.h"

#include "Label.h"

namespace flat {

namespace {
constexpr int NewWidth = 121; // what a new check box or radio button asks for
constexpr int NewHeight = 15;
constexpr int CaptionGap = 2; // between the mark and the caption
} // namespace

// --- TDefineButtonBase ----------------------------------------------------------------------

TDefineButtonBase::TDefineButtonBase(tk::Component* owner, tk::TControlStyle style)
    : TVersionControl(owner, nullptr) {
    setControlStyle(style);
}

bool TDefineButtonBase::dialogChar(QChar c) {
    if (tk::isAccelerator(c, caption()) && canFocus()) {
        accelerated();
        return true;
    }
    return TVersionControl::dialogChar(c);
}

void TDefineButtonBase::mouseEnter() {
    TVersionControl::mouseEnter();
    if (mayTurnHot()) setHot(true);
}

void TDefineButtonBase::mouseLeave() {
    TVersionControl::mouseLeave();
    if (mayTurnCold()) setHot(false);
}

void TDefineButtonBase::enabledChanged() {
    TVersionControl::enabledChanged();
    if (enabled()) return;
    m_hot = false;
    m_pressed = false;
}

// --- TDefineMarkButton ----------------------------------------------------------------------

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

TDefineMarkButton::TDefineMarkButton(tk::Component* owner, const char* className)
    // No automatic click and no capture: the control clicks on the press itself, and a
    // release away from it is simply not heard.
    : TDefineButtonBase(owner, tk::TControlStyle(tk::csSetCaption) | tk::csDoubleClicks),
      m_colors(*this, className,
               {FlatFocusedColor, FlatDownColor, FlatCheckedColor, FlatBorderColor}) {
    setParentColor(false);
    setParentFont(true);
    setColor(FlatFaceColor);
    setBounds(0, 0, NewWidth, NewHeight);
}

void TDefineMarkButton::setLayoutPosition(TLayoutPosition l) {
    m_layout = l;
    fitToCaption();
    update();
}

void TDefineMarkButton::setBounds(int left, int top, int width, int height) {
    const QSize fitted = markControlSize(controlFont(), caption(), m_layout, QSize(width, height));
    TDefineButtonBase::setBounds(left, top, fitted.width(), fitted.height());
}

void TDefineMarkButton::fitToCaption() {
    setBounds(left(), top(), width(), height());
    updateGeometry();
}

void TDefineMarkButton::textChanged() {
    fitToCaption();
    TDefineButtonBase::textChanged();
}

void TDefineMarkButton::fontChanged() {
    fitToCaption();
    TDefineButtonBase::fontChanged();
}

bool TDefineMarkButton::mayTurnHot() const {
    return !isDesigning() && tk::applicationHasActiveWindow();
}

TColor TDefineMarkButton::markFill() const {
    if ((!showsFocus() && !m_hot) || isDesigning()) return color();
    return m_pressed ? colorDown() : colorFocused();
}

void TDefineMarkButton::paint(Canvas& c) {
    Canvas::StateSaver saver(c);
    c.setFont(controlFont());
    const Rect client{0, 0, width(), height()};
    if (m_transparent)
        DrawParentBackground(*this, c);
    else
        c.fillRect(client, color());

    const Rect mark = markRect(m_layout, client.Right, client.Bottom);
    paintMark(c, mark);
    c.setBrushStyle(tk::BrushStyle::Clear);

    const int a = captionInset(c, client, mark);
    const int markWidth = mark.width();
    Rect text;
    tk::TextFormats flags = tk::TextFormat::WordBreak;
    if (m_layout == lpLeft) {
        text = {client.Left + markWidth + CaptionGap, client.Top + a, client.Right + markWidth,
                client.Bottom - a};
    } else {
        text = {client.Left + 1, client.Top + a, client.Right - markWidth - CaptionGap,
                client.Bottom - a};
        flags |= tk::TextFormat::Right;
    }
    if (enabled() && drawsFocusFrame()) c.drawFocusRect(client);
    drawControlCaption(c, text, caption(), flags, enabled());
}

void TDefineMarkButton::wmMouseUp(tk::TMouseButton b, tk::TShiftState shift, QPoint p) {
    if (b != tk::mbLeft) {
        TDefineButtonBase::wmMouseUp(b, shift, p);
        return;
    }
    if (!enabled()) return;
    m_pressed = false;
    update();
}

} // namespace flat
