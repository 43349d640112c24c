#pragma once

#include "Canvas.h"
#include "FlatPalette.h"
#include "FlatUtils.h"
#include "VersionBases.h"

#include <QPointer>
#include <QSize>
#include <utility>

namespace flat {

// The base of the flat controls a user presses: the button, the check box, the radio
// button and the radio group's items (the part QAbstractButton plays among Qt's widgets).
// It keeps the hot and pressed flags, drops both when the control is disabled, answers
// the caption's accelerator and guards the steps whose events may destroy the control.
// Each control keeps its own press, release and click rules: they differ on purpose.
class TDefineButtonBase : public TVersionControl {
    Q_OBJECT
public:
    // Under the mouse; the button is also hot while focused, whichever came last.
    bool isHot() const { return m_hot; }
    // A left press whose release the control is still waiting for.
    bool isPressed() const { return m_pressed; }

    // The caption's accelerator runs accelerated(), while the user can reach the control
    // (a hidden page or a disabled panel keeps it to itself).
    bool dialogChar(QChar c) override;

protected:
    TDefineButtonBase(tk::Component* owner, tk::TControlStyle style);

    virtual void accelerated() = 0;
    // Whether the mouse entering may make the control hot now, and leaving make it cold.
    virtual bool mayTurnHot() const = 0;
    virtual bool mayTurnCold() const { return true; }

    void mouseEnter() override;
    void mouseLeave() override;
    void enabledChanged() override;

    // Stores the flag and repaints, only when it changes.
    void setHot(bool on) { repaintOnChange(m_hot, on); }
    // Runs `step`, whose events' handlers may destroy the control; tells whether the
    // control is still there, so that the caller touches nothing of it otherwise.
    template <typename Step> bool survives(Step&& step) {
        const QPointer<TDefineButtonBase> alive(this);
        std::forward<Step>(step)();
        return !alive.isNull();
    }

    bool m_hot = false;
    bool m_pressed = false;
};

// --- The check box and the radio button --------------------------------------------------

// The side of the 14 x 14 mark: the check box's box, the radio button's circle.
constexpr int MarkSize = 14;

// The mark of a control `width` x `height` laid out by `layout`: centred vertically, one
// pixel in from the side it stands on.
tk::Rect markRect(TLayoutPosition layout, int width, int height);

// The size the control takes for `caption` in `font`: wide enough for the caption beside
// the mark with lpLeft (lpRight keeps `current` width), one text line and a pixel above
// and below it high.
QSize markControlSize(const tk::Font& font, const QString& caption, TLayoutPosition layout,
                      QSize current);

// A button with a mark beside its caption: what the check box and the radio button share.
// Its size follows its caption, font and Layout (sizeHint()) whenever one of them or the
// bounds change; painting only reads it.
class TDefineMarkButton : public TDefineButtonBase {
    Q_OBJECT
public:
    enum ColorIndex { ciFocused, ciDown, ciChecked, ciBorder, ColorCount };

    bool transparent() const { return m_transparent; }
    // Also sets ParentColor to the opposite: an opaque control shows its own Color.
    void setTransparent(bool on) {
        if (repaintOnChange(m_transparent, on)) setParentColor(!on);
    }
    TLayoutPosition layoutPosition() const { return m_layout; }
    // Stores and repaints, without comparing (the radio button's compares first).
    virtual void setLayoutPosition(TLayoutPosition l);

    FLAT_INDEXED_COLORS
    FLAT_INDEXED_COLOR(colorFocused, setColorFocused, ciFocused)
    FLAT_INDEXED_COLOR(colorDown, setColorDown, ciDown)
    FLAT_INDEXED_COLOR(colorChecked, setColorChecked, ciChecked)
    FLAT_INDEXED_COLOR(colorBorder, setColorBorder, ciBorder)

    QSize sizeHint() const override {
        return markControlSize(controlFont(), caption(), m_layout, size());
    }
    // The size asked for gives way to the caption's (the width only with lpLeft).
    void setBounds(int left, int top, int width, int height) override;

protected:
    // `className` names the control in the colour setter's refusals.
    TDefineMarkButton(tk::Component* owner, const char* className);

    // The value-changed notification that precedes a click.
    virtual void changed() {}
    // Whether the mark shows the focus (the check box keeps a flag, the radio button asks
    // the platform).
    virtual bool showsFocus() const = 0;
    // The mark, on the background, in the canvas's pen and brush state to change.
    virtual void paintMark(tk::Canvas& c, const tk::Rect& mark) = 0;
    // How far the caption's rectangle stays from the top and bottom.
    virtual int captionInset(const tk::Canvas& c, const tk::Rect& client,
                             const tk::Rect& mark) const = 0;
    // The dotted focus rectangle around the whole control (the check box's).
    virtual bool drawsFocusFrame() const { return false; }

    // The mark's fill: Color while neither focused nor hot (and in a designer), ColorDown
    // while pressed, ColorFocused otherwise.
    tk::TColor markFill() const;
    void paint(tk::Canvas& c) override;

    bool mayTurnHot() const override;
    // The left release only ends the pressed look; it raises no OnMouseUp.
    void wmMouseUp(tk::TMouseButton b, tk::TShiftState shift, QPoint p) override;
    void textChanged() override;
    void fontChanged() override;
    bool repaintsWhenMoved() const override { return m_transparent; }

    bool m_focused = false;

private:
    void fitToCaption();

    IndexedColors<ColorCount> m_colors;
    bool m_transparent = true;
    TLayoutPosition m_layout = lpLeft;
};

} // namespace flat
