#include "FlatButton.h"

#include "Accessible.h"
#include "Form.h"
#include "Label.h"
#include "Navigation.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <stdexcept>
#include <string>

namespace flat {

namespace {

constexpr int MaxGlyphs = 4;
constexpr int FocusRectInset = 2;

// Which image of a strip of `count` shows `state` (1-based).
int glyphCell(int count, TFlatButtonState state) {
    switch (state) {
    case fbDisabled:
        return count >= 2 ? 2 : 1;
    case fbPressed:
        return count >= 3 ? 3 : 1;
    case fbLatched:
        return count >= 4 ? 4 : count == 3 ? 3 : 1;
    default:
        return 1;
    }
}

// The face colour of a button that fills its face.
TColor faceColor(TFlatButtonState state, bool hot, TColor flatColor, TColor focused, TColor down) {
    switch (state) {
    case fbUp:
        return hot ? focused : flatColor;
    case fbPressed:
        return down;
    case fbLatched:
        return hot ? focused : down;
    default:
        return flatColor;
    }
}

TColor pixelOf(const tk::Bitmap& b, int x, int y) {
    return tk::fromQColor(QColor(b.image().pixel(x, y)));
}

} // namespace

TDefineButton::TDefineButton(tk::Component* owner, QWidget* parent)
    // The button raises its clicks itself, so the framework's click generation stays off.
    : TDefineButtonBase(owner, tk::TControlStyle(tk::csCaptureMouse) | tk::csSetCaption |
                                   tk::csOpaque | tk::csDoubleClicks),
      m_colors(*this, "TDefineButton",
               {FlatButtonFocusedColor, FlatDownColor, FlatBorderColor, FlatShadowColor,
                FlatFaceColor, FlatHotColor}) {
    setTabStop(true);
    setParentFont(true);
    setParentColor(true);
    setBounds(0, 0, 100, 25);
    if (parent) setParentControl(parent);
}

void TDefineButton::setDefault(bool on) {
    // Stored without comparing: the setter also tells the form that the focus changed, and
    // no flat control listens to that notification, so there is nobody to tell.
    m_default = on;
    update();
}

void TDefineButton::setDown(bool on) {
    if (m_groupIndex == 0) on = false;
    if (on == m_down) return;
    if (m_down && !m_allowAllUp) return;
    m_down = on;
    if (on) {
        changeState(fbLatched);
        notifyGroup();
    } else {
        changeState(fbUp);
    }
    emit downChanged(m_down);
}

void TDefineButton::notifyGroup() {
    if (m_groupIndex == 0 || !parentWidget()) return;
    QList<QPointer<TDefineButton>> members;
    for (QObject* o : parentWidget()->children())
        if (auto* b = qobject_cast<TDefineButton*>(o)) members << b;
    const int group = m_groupIndex;
    const QPointer<TDefineButton> self(this);
    for (const QPointer<TDefineButton>& b : members)
        if (b && self) b->buttonPressed(group, this);
}

void TDefineButton::buttonPressed(int group, TDefineButton* sender) {
    if (!sender || sender == this || group != m_groupIndex) return;
    m_allowAllUp = sender->m_allowAllUp;
    if (!sender->m_down || !m_down) return;
    m_down = false;
    changeState(fbUp);
    emit downChanged(m_down);
}

void TDefineButton::setGlyph(const tk::Bitmap& picture) {
    if (&picture == &m_glyph) return;
    m_glyph = picture;
    const int w = m_glyph.width(), h = m_glyph.height();
    if (!m_glyph.isEmpty() && w % h == 0) {
        const int n = w / h;
        m_numGlyphs = n > MaxGlyphs ? 1 : n;
    }
    update();
}

void TDefineButton::setNumGlyphs(int n) {
    if (n < 1 || n > MaxGlyphs)
        throw std::out_of_range("NumGlyphs must be 1 to 4, not " + std::to_string(n));
    repaintOnChange(m_numGlyphs, n);
}

// --- State --------------------------------------------------------------------------------

void TDefineButton::changeState(TFlatButtonState s) {
    m_state = enabled() ? s : fbDisabled;
    update();
    reportPressed();
}

void TDefineButton::reportPressed() {
    const bool pressed = m_down || m_state == fbPressed;
    if (pressed == m_reportedPressed) return;
    m_reportedPressed = pressed;
    QAccessible::State changedStates;
    changedStates.pressed = true;
    tk::accessibleStateChanged(this, changedStates);
}

void TDefineButton::enabledChanged() {
    TDefineButtonBase::enabledChanged();
    if (!enabled())
        m_state = fbDisabled;
    else if (m_state == fbDisabled)
        m_state = restingState();
    recheckHot();
    update();
    reportPressed();
}

// --- Hot tracking -------------------------------------------------------------------------

void TDefineButton::recheckHot() {
    if (!enabled()) return;
    // widgetAt() also finds disabled widgets, as it should here.
    m_hot = tk::controlFor(QApplication::widgetAt(QCursor::pos())) == this;
    update();
}

void TDefineButton::mouseEnter() {
    if (!isHandled(&TDefineButton::OnMouseEnter)) return TDefineButtonBase::mouseEnter();
    TVersionControl::mouseEnter();
    emit OnMouseEnter();
}

void TDefineButton::mouseLeave() {
    if (!isHandled(&TDefineButton::OnMouseLeave)) return TDefineButtonBase::mouseLeave();
    TVersionControl::mouseLeave();
    emit OnMouseLeave();
}

void TDefineButton::focusGained() {
    TDefineButtonBase::focusGained();
    if (enabled()) m_hot = true;
}

void TDefineButton::focusLost() {
    TDefineButtonBase::focusLost();
    if (enabled() && !m_pressed) setHot(false);
}

// --- Mouse --------------------------------------------------------------------------------

void TDefineButton::mouseDown(tk::TMouseButton b, tk::TShiftState shift, int x, int y) {
    if (!survives([&] { TDefineButtonBase::mouseDown(b, shift, x, y); })) return;
    if (b != tk::mbLeft || !enabled()) return;
    if (!m_down) changeState(fbPressed);
    // Moves and the release keep arriving here while the button is held (Qt's grab).
    m_pressed = true;
    setFocus();
}

void TDefineButton::mouseMove(tk::TShiftState shift, int x, int y) {
    if (!survives([&] { TDefineButtonBase::mouseMove(shift, x, y); })) return;
    if (!m_pressed) return;
    const TFlatButtonState s = m_down ? fbLatched : isInside(x, y) ? fbPressed : fbUp;
    if (s != m_state) changeState(s);
}

void TDefineButton::mouseUp(tk::TMouseButton b, tk::TShiftState shift, int x, int y) {
    if (!survives([&] { TDefineButtonBase::mouseUp(b, shift, x, y); })) return;
    if (b != tk::mbLeft || !m_pressed) return;
    m_pressed = false;
    const bool inside = isInside(x, y);
    if (m_groupIndex == 0) {
        m_hot = false;
        changeState(fbUp);
    } else if (inside) {
        if (!survives([&] { setDown(!m_down); })) return;
    } else {
        // Without a move out first, a button that stays up keeps its pressed look until
        // the next change, as the move rule left it.
        changeState(m_down ? fbLatched : m_state);
    }
    if (inside) {
        if (!survives([&] { click(); })) return;
    } else if (enabled() && !m_pressed) {
        setHot(false);
    }
    recheckHot();
}

void TDefineButton::wmDblClick(tk::TMouseButton b, tk::TShiftState shift, QPoint p) {
    // The base turns the double click into a second press; only a latched button also
    // reports the double click, and only the left button's, the one that latches it.
    if (!survives([&] { TDefineButtonBase::wmDblClick(b, shift, p); })) return;
    if (b == tk::mbLeft && m_down) dblClick();
}

// --- Keyboard -----------------------------------------------------------------------------

void TDefineButton::keyDown(int& key, tk::TShiftState shift) {
    if (!survives([&] { TDefineButtonBase::keyDown(key, shift); })) return;
    if (key != tk::VK_SPACE) return;
    if (m_groupIndex == 0)
        changeState(fbPressed);
    else
        setDown(true);
}

void TDefineButton::keyUp(int& key, tk::TShiftState shift) {
    if (!survives([&] { TDefineButtonBase::keyUp(key, shift); })) return;
    if (key != tk::VK_SPACE) return;
    const bool alive = survives([&] {
        if (m_groupIndex == 0)
            changeState(fbUp);
        else
            setDown(false);
        click();
    });
    if (alive) update();
}

bool TDefineButton::dialogKey(int key, tk::TShiftState shift) {
    if (key == tk::VK_RETURN && !(shift & (tk::ssShift | tk::ssCtrl | tk::ssAlt)) && m_hot &&
        enabled()) {
        click();
        return true;
    }
    return TDefineButtonBase::dialogKey(key, shift);
}

void TDefineButton::accelerated() {
    if (m_groupIndex != 0 && !survives([&] { setDown(true); })) return;
    click();
}

// --- The click ----------------------------------------------------------------------------

void TDefineButton::click() {
    if (parentWidget())
        if (tk::TForm* form = parentForm()) form->setModalResult(m_modalResult);
    // The click leaves Down alone: a grouped button that its own release has just latched
    // stays latched, as the release painted it.
    if (QMenu* menu = popupMenu()) {
        const QPointer<TDefineButton> alive(this);
        menu->exec(mapToGlobal(QPoint(0, height())));
        if (!alive) return;
    }
    TDefineButtonBase::click();
}

void TDefineButton::setName(const QString& newName) {
    // The framework's rule, kept for the designer: a caption that still shows the old
    // name follows the new one.
    const bool follow =
        isDesigning() && !isLoading() && (controlStyle() & tk::csSetCaption) && caption() == name();
    TDefineButtonBase::setName(newName);
    if (follow) setCaption(newName);
    if (!isLoading() && caption().compare(newName, Qt::CaseInsensitive) == 0) setCaption(newName);
}

// --- Paint ----------------------------------------------------------------------------

void TDefineButton::paint(Canvas& c) {
    const Rect client{0, 0, width(), height()};
    if (client.isEmpty()) return;

    // The glyph strip's bottom-left pixel is the colour drawn transparent.
    const TColor maskColor =
        m_glyph.isEmpty() ? tk::clNone : pixelOf(m_glyph, 0, m_glyph.image().height() - 1);

    Canvas::StateSaver saver(c);
    const QPoint pressOffset =
        m_state == fbPressed || m_state == fbLatched ? QPoint(1, 1) : QPoint();
    const bool lifted = m_hot && m_hotFontChange;
    tk::Font f = controlFont();
    if (lifted) {
        f.setColor(hotColor());
        f.setStyle(m_hotFontStyle);
    }
    c.setFont(f);
    // The caption is measured in the font it is drawn in.
    const TGlyphTextLayout placed = CalcGlyphTextLayout(c, client, pressOffset, caption(),
                                                        m_glyph.isEmpty() ? nullptr : &m_glyph,
                                                        m_numGlyphs, m_margin, m_spacing, m_layout);
    paintBackground(c, client);
    if (!m_transBorder) paintFrame(c, client);
    paintGlyph(c, lifted ? placed.GlyphPos - QPoint(1, 1) : placed.GlyphPos, maskColor);
    paintCaption(c, placed.TextBounds);
}

void TDefineButton::paintBackground(Canvas& b, const Rect& client) {
    if (m_transparent == tmNone || (m_transparent == tmNotFocused && m_hot))
        b.fillRect(client, faceColor(m_state, m_hot, colorFlat(), colorFocused(), colorDown()));
    else
        DrawParentBackground(*this, b);
}

void TDefineButton::paintFrame(Canvas& b, const Rect& client) {
    if (m_state == fbUp && !m_hot)
        DrawSolidFrame(b, client, colorBorder(), m_default ? 2 : 1);
    else if (m_state == fbDisabled)
        DrawSolidFrame(b, client, colorBorder(), 1);
    else
        DrawSolidFrame(b, client, colorShadow(), 1);
    if (m_hot && m_hasFocusFrame && enabled())
        b.drawFocusRect(client.inflated(-FocusRectInset, -FocusRectInset));
}

// The state's image of the strip; the last image reaches the strip's right edge, and a
// wider one is squeezed to the image width.
void TDefineButton::paintGlyph(Canvas& b, QPoint at, TColor maskColor) {
    if (m_glyph.isEmpty()) return;
    const int stripWidth = m_glyph.width();
    const int w = stripWidth / m_numGlyphs, h = m_glyph.height();
    if (w <= 0) return;
    const int cell = glyphCell(m_numGlyphs, m_state);
    const Rect source{(cell - 1) * w, 0, cell == m_numGlyphs ? stripWidth : cell * w, h};
    tk::Bitmap image(w, h);
    image.canvas().copyRect(Rect{0, 0, w, h}, m_glyph, source);
    if (m_numGlyphs == 1 && m_state == fbDisabled) {
        image = MakeDisabledBitmap(image, tk::clBlack, tk::clBtnFace, tk::clBtnHighlight,
                                   tk::clBtnShadow, true);
        maskColor = pixelOf(image, 0, image.image().height() - 1);
    }
    b.draw(at.x(), at.y(), image, maskColor);
}

// One line, "&" underlining the next character, engraved when disabled.
void TDefineButton::paintCaption(Canvas& b, const Rect& bounds) {
    if (caption().isEmpty()) return;
    const tk::TextFormats flags = tk::TextFormats(tk::TextFormat::Center) |
                                  tk::TextFormat::VCenter | tk::TextFormat::SingleLine;
    b.setTextBackground(tk::TextBackground::Transparent);
    drawControlCaption(b, bounds, caption(), flags, m_state != fbDisabled);
}

} // namespace flat
