#pragma once

// The flat combo box and what it shares with the flat colour box: the native combo box
// with its sunken frame and 3D button painted over by a thin frame and a flat arrow area,
// and a ticket beside it.
//
// Geometry, for a box W wide and H high with an arrow area B wide (the control has no
// non-client area, so its client size is its size):
//   frame       (0, 0, W - B - 1, H): one ring of the border colour, two of Color
//   arrow area  (W - B - 2, 0, W, H) as drawn: filled, framed, the arrow in its middle
//   text field  from (3, 3), H - 6 high and W - B - 8 wide in the editable styles; in the
//               list styles it ends where the list-style patch begins (W - B - 10), and
//               the patch carries its colour on up to the frame

#include "FlatTicket.h"
#include "FlatUtils.h"
#include "VersionBases.h"

#include <QRect>

namespace flat {

// --- The flat combo look, shared by the combo box and the colour box -------------------

inline constexpr tk::TColor ComboArrowColor = 0x00000000;
inline constexpr tk::TColor ComboArrowAreaColor = FlatDownColor;
inline constexpr tk::TColor ComboBorderColor = FlatBorderColor;
inline constexpr int ComboArrowWidth = 16;

// The rectangles of the flat look on a box `width` x `height` with an arrow area
// `arrowWidth` wide.
struct ComboGeometry {
    int width = 0;
    int height = 0;
    int arrowWidth = ComboArrowWidth;

    tk::Rect frame() const { return {0, 0, width - arrowWidth - 1, height}; }
    // The arrow area as it is invalidated; it is drawn one pixel wider on both sides.
    tk::Rect arrowArea() const { return {width - arrowWidth - 1, 0, width - 1, height}; }
    tk::Rect arrowAreaDrawn() const { return arrowArea().inflated(1, 0); }
    // The native combo box's button, which the platform would paint: `margin` more to
    // its left while the text is painted.
    tk::Rect nativeButton(int scrollBarWidth, int margin) const {
        return {width - scrollBarWidth - margin, 0, width, height};
    }
    QRect editField(tk::TComboBoxStyle style) const;
    // The list-style patch: the strip that joins the list styles' item to the frame, and
    // the ring framed around the item while it is highlighted.
    tk::Rect patchStrip() const;
    tk::Rect patchRing() const;
};

// The text field of `box` whose arrow area is `arrowWidth` wide. The simple style's list
// lies below its combo box, so there the field fits the upper part.
QRect ComboEditFieldRect(const tk::TCustomComboBox& box, int arrowWidth);

// One ring of `border` on `frame`'s outer edge, then two rings of `inner` inside it.
void PaintComboFrame(tk::Canvas& c, const tk::Rect& frame, tk::TColor border, tk::TColor inner);

// The arrow area `area` (as drawn) filled with `fill` and framed with `border`, and the
// three-row arrow in its middle: `arrow`-coloured, pointing down, or up while the list is
// open; engraved (white one pixel down and right, grey in place) while disabled.
void PaintComboArrow(tk::Canvas& c, const tk::Rect& area, tk::TColor fill, tk::TColor border,
                     tk::TColor arrow, bool enabled, bool pointsUp);

// The list-style patch: the strip in `highlight` with a ring around the item while
// `highlighted` (the box has the focus and the list is closed), else the strip in `back`.
void PaintComboListPatch(tk::Canvas& c, const ComboGeometry& g, bool highlighted,
                         tk::TColor highlight, tk::TColor back);

// Everything the flat look needs to paint a box.
struct ComboPaintState {
    ComboGeometry geometry;
    tk::TComboBoxStyle style = tk::csDropDown;
    bool enabled = true;
    bool droppedDown = false;
    bool focused = false;           // the box has the focus (the list opening does not take it)
    tk::TColor back = tk::clWindow; // Color: the text area and the inner rings
    tk::TColor highlight = tk::clHighlight;
    tk::TColor arrow = ComboArrowColor;
    tk::TColor arrowArea = ComboArrowAreaColor;
    tk::TColor border = ComboBorderColor;
    int scrollBarWidth = 0;
};

// The whole picture of a box around its text field, in order: the text area, the editable
// style's open-list ring or the other styles' list-style patch (both kept off the native
// button), then the frame and the arrow area over everything.
void PaintFlatCombo(tk::Canvas& c, const ComboPaintState& s);

// The platform's vertical scroll bar width: how wide the native button is.
int platformScrollBarWidth();

// --- What the combo box and the colour box share ---------------------------------------

// The native combo box in the flat look, with a ticket beside it that follows it into a
// new parent. Focus and the list's opening and closing make it "active"; a change of that
// redraws it. Its colours are fixed and it publishes nothing, so layouts store none of them.
class TDefineComboBase : public TicketBearing<TVersionComboBox> {
    Q_OBJECT
public:
    static constexpr int DefaultItemHeight = 13;

    // The arrow area's width; the text field shrinks or grows with it. At least 0.
    int arrowWidth() const { return m_arrowWidth; }
    void setArrowWidth(int w);
    int scrollBarWidth() const { return m_scrollBarWidth; }

    // The last computed "active" state: the list is open or the box has the focus (in a
    // designer: enabled).
    bool isActive() const { return m_active; }

    QRect editFieldRect() const override;

protected:
    explicit TDefineComboBase(tk::Component* owner);

    // The end of a subclass's constructor: the new box's bounds, its ticket, its parent.
    void finishConstruction(QWidget* parent);
    // The platform's focus: the inner widgets' focus, with the list's opening and closing
    // not counted as focus changes.
    bool hasBoxFocus() const { return m_hasFocus; }
    // Repaints after a change of state; the combo box also chooses its colour again.
    virtual void redraw() { update(); }
    ComboGeometry comboGeometry() const { return {width(), height(), m_arrowWidth}; }

    void paint(tk::Canvas& c) override;
    void focusGained() override;
    void focusLost() override;
    // After a focus change, before the repaint; the combo box takes its colour here.
    virtual void boxFocusChanged(bool /*focused*/) {}
    void fontChanged() override;
    void closeUp() override;

private:
    void setBoxFocus(bool focused);
    void updateActive();

    int m_arrowWidth = ComboArrowWidth;
    int m_scrollBarWidth = 0;
    bool m_active = false;
    bool m_hasFocus = false;
};

// --- The flat combo box ----------------------------------------------------------------

// Its background is the focused colour while it has the focus or the mouse is over it
// (unless another flat combo box holds the focus), and the flat colour otherwise; the flat
// colour follows the parent's Color. It publishes nothing of its own.
class TDefineComboBox : public TDefineComboBase {
    Q_OBJECT
    // Color is the frame's choice between the focused and the flat colour.
    Q_PROPERTY(tk::TColor Color READ color WRITE setColor STORED false)
public:
    static constexpr tk::TColor DefaultFocusedColor = FlatFocusedColor;
    static constexpr tk::TColor DefaultFlatColor = FlatFaceColor;

    explicit TDefineComboBox(tk::Component* owner = nullptr, QWidget* parent = nullptr);
    ~TDefineComboBox() override;

    tk::TColor focusedColor() const { return DefaultFocusedColor; }
    tk::TColor flatColor() const { return m_flatColor; }
    // Whether the flat colour follows the parent's Color (on parent and system colour
    // changes). Switching it on takes the parent's colour at once.
    bool followsParentColor() const { return m_followParentColor; }
    void setFollowsParentColor(bool on);

    // Refuses every character key with a beep, and makes the text field read-only.
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool on);

    bool isMouseIn() const { return m_mouseIn; }

    // Runs the base operation and raises OnChange, also for a change made by program and
    // for the index already selected.
    void setItemIndex(int index) override;

    void setName(const QString& name) override;
    void keyPress(QChar& key) override;

protected:
    void redraw() override;
    void mouseEnter() override;
    void mouseLeave() override;
    void boxFocusChanged(bool focused) override;
    // Also after a change of the system colours (see TControl).
    void parentColorChanged() override;
    void recreateWnd() override;
    // How a refused key is announced; the platform's default beep.
    virtual void beep();

private:
    // The frame's colour for the present state; Color takes it.
    tk::TColor chooseColor() const;
    // Takes the parent's Color as the flat colour while it follows it; redraws.
    void followParentColor();

    bool m_mouseIn = false;
    tk::TColor m_flatColor = DefaultFlatColor;
    bool m_followParentColor = true;
    bool m_readOnly = false;
    QMetaObject::Connection m_focusWatch;
};

} // namespace flat
