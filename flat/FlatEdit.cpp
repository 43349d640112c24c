#include "FlatEdit.h"

#include "Accessible.h"
#include "Control.h"

namespace flat {

namespace {

// Taken off the edit's whole height before halving it for the placeholder's top (the
// placeholder lies in the text area): the hint then stands where typed text will.
constexpr int CueRaise = 2;

} // namespace

TDefineEdit::TDefineEdit(tk::Component* owner, QWidget* parent)
    : TicketBearing(TicketHolder::Reparenting::TicketFirst, owner) {
    setParentFont(true);
    setNonClientWidth(FrameWidth);
    // The edit keeps Enter (and Escape) from the form, as a multi-line edit does.
    setWantsAllKeys(true);

    m_ticket.create();

    if (!isDesigning()) {
        auto* cue = new tk::TLabel(this, lineEdit());
        cue->setAutoSize(false);
        cue->setVisible(false);
        cue->setTransparent(true);
        cue->setFocusControl(this);
        cue->setControlFont(controlFont());
        cue->setAlignment(tk::taLeftJustify);
        connect(cue, &tk::TControl::OnClick, this, [this] {
            if (isDesigning()) return;
            if (m_cue) m_cue->setVisible(false);
            setFocus();
        });
        m_cue = cue;
    }

    applyAlignment();
    fitHeightToFont();
    refreshFrame();
    if (parent) setParentControl(parent);
}

TDefineEdit::~TDefineEdit() {
    // The placeholder goes before the ticket, which goes with the ticket-bearing base.
    delete m_cue.data();
}

void TDefineEdit::setColorByIndex(int index, TColor value) {
    m_colors.set(index, value);
    if (index == ciFlat) m_parentColor = false;
    refreshFrame();
}

void TDefineEdit::setParentColor(bool on) {
    // Turning it off keeps ColorFlat as it is, so the look does not change.
    if (assignIfChanged(m_parentColor, on) && on) followParentColor();
}

void TDefineEdit::followParentColor() {
    if (tk::TControl* p = parentControl(); p && m_parentColor) m_colors.set(ciFlat, p->color());
    refreshFrame();
}

void TDefineEdit::setAlignment(tk::TAlignment a) {
    if (assignIfChanged(m_alignment, a)) recreateWnd();
}

void TDefineEdit::recreateWnd() {
    TicketBearing::recreateWnd();
    applyAlignment();
}

void TDefineEdit::applyAlignment() {
    setTextAlignment(m_alignment == tk::taCenter         ? Qt::AlignHCenter
                     : m_alignment == tk::taRightJustify ? Qt::AlignRight
                                                         : Qt::AlignLeft);
}

// --- Designing -----------------------------------------------------------------------

void TDefineEdit::setName(const QString& name) {
    if (!m_ticket.rename(name, [&] { TicketBearing::setName(name); })) return;
    // In a designer the edit starts without text.
    if (text().isEmpty() || text().compare(name, Qt::CaseInsensitive) == 0) setText(QString());
}

// --- The look -------------------------------------------------------------------------

void TDefineEdit::refreshFrame() {
    const bool focused = hasFocus();
    // The text area shows the frame's inner colour (see DrawFlatBorder).
    setColor(!isDesigning() && (focused || m_mouseIn) ? colorFocused() : colorFlat());
    update();

    if (isDesigning() || !m_cue) return;
    m_cue->setVisible(!focused && text().isEmpty());
    placeCue();
}

void TDefineEdit::placeCue() {
    if (!m_cue || !m_cue->visible()) return;
    m_cue->setControlFont(controlFont());
    // In the text area's coordinates: the label is a child of the native edit.
    m_cue->setBounds(0, (height() - m_cue->height() - CueRaise) / 2, width(), m_cue->height());
    m_cue->setCaption(hint());
}

void TDefineEdit::paint(tk::Canvas& c) {
    const TColor inner =
        DrawFlatBorder(*this, c, colorBorder(), colorFlat(), colorFocused(), m_mouseIn, hasFocus());
    // Behind the native edit: what shows where it does not reach.
    c.fillRect(Rect{FrameWidth, FrameWidth, width() - FrameWidth, height() - FrameWidth}, inner);
}

void TDefineEdit::fitHeightToFont() {
    const int h = controlFont().metrics().height + 2 * FrameWidth;
    if (height() != h) setHeight(h);
}

void TDefineEdit::mouseEnter() {
    TicketBearing::mouseEnter();
    if (trackHover(m_mouseIn, true)) refreshFrame();
}

void TDefineEdit::mouseLeave() {
    TicketBearing::mouseLeave();
    if (trackHover(m_mouseIn, false)) refreshFrame();
}

void TDefineEdit::focusGained() {
    TicketBearing::focusGained();
    if (isDesigning()) return;
    refreshFrame();
    selectAll();
}

void TDefineEdit::focusLost() {
    TicketBearing::focusLost();
    if (!isDesigning()) refreshFrame();
}

void TDefineEdit::enabledChanged() {
    TicketBearing::enabledChanged();
    if (!isDesigning() && m_cue) m_cue->setEnabled(enabled());
    refreshFrame();
}

void TDefineEdit::fontChanged() {
    TicketBearing::fontChanged();
    if (!(isDesigning() && isLoading())) fitHeightToFont();
    if (!isDesigning() && m_cue) m_cue->setControlFont(controlFont());
}

void TDefineEdit::textChanged() {
    TicketBearing::textChanged();
    // The hosted line edit tells its own text changes; this is the flat edit's value.
    tk::accessibleValueChanged(this, text());
    if (isDesigning() || !m_cue) return;
    // Not looking at the focus: clearing a focused edit shows the placeholder until the
    // next character or the next refresh.
    m_cue->setVisible(text().isEmpty());
    placeCue();
}

void TDefineEdit::parentColorChanged() {
    TicketBearing::parentColorChanged();
    followParentColor();
}

void TDefineEdit::resized() {
    TicketBearing::resized();
    fitHeightToFont();
    refreshFrame();
}

void TDefineEdit::loaded() {
    TicketBearing::loaded();
    fitHeightToFont();
}

void TDefineEdit::keyPress(QChar& key) {
    TicketBearing::keyPress(key);
    // OnKeyPress has seen Enter; the text never gets a line break.
    if (key == QLatin1Char('\r')) key = QChar();
}

} // namespace flat
