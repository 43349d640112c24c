#pragma once

#include "Action.h"
#include "Canvas.h"
#include "Control.h"
#include "FlatUtils.h"
#include "VersionBases.h"

namespace flat {

// --- What the check box and the radio button share -------------------------------------

// The side of the 14 x 14 box (or circle) and the room beside it.
constexpr int MarkSize = 14;

// The box (or circle) of a control `width` x `height` laid out by `layout`: centred
// vertically, one pixel in from the side it stands on.
tk::Rect markRect(TLayoutPosition layout, int width, int height);

// The size the control takes for `caption` in `font`: wide enough for the caption beside
// the box with lpLeft (lpRight keeps `current` width), always one text line and a pixel
// above and below it high.
QSize markControlSize(const tk::Font& font, const QString& caption, TLayoutPosition layout,
                      QSize current);

// The caption in the canvas's font colour, or engraved (highlight one pixel down and
// right, shadow in place) when disabled.
void drawControlCaption(tk::Canvas& canvas, const tk::Rect& r, const QString& caption,
                        tk::TextFormats flags, bool enabled);

// --- The check box ----------------------------------------------------------------------

// A two- or three-state check box drawn by itself: the box with its check mark and the
// caption beside it. It sizes itself to its caption whenever it paints.
class TDefineCheckBox : public TVersionControl {
    Q_OBJECT
public:
    explicit TDefineCheckBox(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    TCheckBoxState state() const { return m_state; }
    // Every change of the value comes through here; while enabled it clicks.
    void setState(TCheckBoxState s);
    bool isChecked() const { return m_state == cbChecked; }
    void setChecked(bool on) { setState(on ? cbChecked : cbUnchecked); }
    bool allowGrayed() const { return m_allowGrayed; }
    void setAllowGrayed(bool on) { m_allowGrayed = on; }
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);
    TLayoutPosition layoutPosition() const { return m_layout; }
    void setLayoutPosition(TLayoutPosition l);

    // The colour properties by their index: ColorFocused 0, ColorDown 1, ColorChecked 2,
    // ColorBorder 3. Stores without comparing and repaints.
    void setIndexedColor(int index, tk::TColor c);
    tk::TColor colorFocused() const { return m_colorFocused; }
    void setColorFocused(tk::TColor c) { setIndexedColor(0, c); }
    tk::TColor colorDown() const { return m_colorDown; }
    void setColorDown(tk::TColor c) { setIndexedColor(1, c); }
    tk::TColor colorChecked() const { return m_colorChecked; }
    void setColorChecked(tk::TColor c) { setIndexedColor(2, c); }
    tk::TColor colorBorder() const { return m_colorBorder; }
    void setColorBorder(tk::TColor c) { setIndexedColor(3, c); }

    // Unchecked -> (grayed when allowed) -> checked -> unchecked.
    virtual void cycleState();

    // The value-changed notification, then OnClick (or the Action).
    void click() override;
    bool dialogChar(QChar c) override;
    void enter() override;
    void exit() override;

protected:
    // The value-changed notification that precedes every click.
    virtual void changed() {}

    void paintEvent(QPaintEvent* e) override;
    void paint(tk::Canvas& c) override;
    void wmMouseDown(tk::TMouseButton b, tk::TShiftState shift, QPoint p) override;
    void wmMouseUp(tk::TMouseButton b, tk::TShiftState shift, QPoint p) override;
    void mouseEnter() override;
    void mouseLeave() override;
    void focusGained() override;
    void focusLost() override;
    void enabledChanged() override;
    void textChanged() override;
    void fontChanged() override;
    void parentColorChanged() override;
    void sysColorChanged() override;
    void resized() override;
    void moved() override;

private:
    tk::TColor boxFill() const;

    TCheckBoxState m_state = cbUnchecked;
    bool m_allowGrayed = false;
    bool m_transparent = true;
    TLayoutPosition m_layout = lpLeft;
    tk::TColor m_colorFocused = 0x00FFFFFF;
    tk::TColor m_colorDown = 0x00C5D6D9;
    tk::TColor m_colorChecked = 0x00FF0080;
    tk::TColor m_colorBorder = 0x0061A588;
    bool m_mouseIn = false;
    bool m_pressed = false; // a left press whose release over the control is still due
    bool m_focused = false;
};

// The check box as layouts create it.
class TFlatCheckBox : public TDefineCheckBox {
    Q_OBJECT
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(bool AllowGrayed READ allowGrayed WRITE setAllowGrayed)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
    Q_PROPERTY(tk::TColor ColorFocused READ colorFocused WRITE setColorFocused)
    Q_PROPERTY(tk::TColor ColorDown READ colorDown WRITE setColorDown)
    Q_PROPERTY(tk::TColor ColorChecked READ colorChecked WRITE setColorChecked)
    Q_PROPERTY(tk::TColor ColorBorder READ colorBorder WRITE setColorBorder)
    Q_PROPERTY(tk::TAction* Action READ action WRITE setAction)
    Q_PROPERTY(flat::TLayoutPosition Layout READ layoutPosition WRITE setLayoutPosition)
    Q_PROPERTY(flat::TCheckBoxState State READ state WRITE setState)
public:
    using TDefineCheckBox::TDefineCheckBox;
};

} // namespace flat
