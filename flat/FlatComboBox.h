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

#include "FlatLabel.h"
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
    tk::Rect invalid; // the area being painted
};

// The whole picture of a box around its text field, in order: the text area, the arrow
// area where it is being painted, the editable style's open-list ring or the other
// styles' list-style patch (both kept off the native button), then the frame and the
// arrow area over everything.
void PaintFlatCombo(tk::Canvas& c, const ComboPaintState& s);

// The platform's vertical scroll bar width: how wide the native button is.
int platformScrollBarWidth();

// The ticket a combo box starts with: owned by `box`, which hears of its destruction,
// sized to its caption, transparent, its accelerator focusing the box. It gets a parent
// with the box.
TDefineTicket* createComboTicket(tk::TControl& box);

// --- The flat combo box ----------------------------------------------------------------

// The native combo box in the flat look. Its background is the focused colour while it
// has the focus or the mouse is over it (unless another flat combo box holds the focus),
// and the flat colour otherwise; the flat colour follows the parent's Color. It publishes
// nothing of its own: the values below are plain settings, so layouts store none of them.
class TDefineComboBox : public TVersionComboBox, public TicketOwner {
    Q_OBJECT
    // Color is the frame's choice between the focused and the flat colour.
    Q_CLASSINFO("NotStored", "Color")
public:
    static constexpr tk::TColor DefaultFocusedColor = FlatFocusedColor;
    static constexpr tk::TColor DefaultFlatColor = FlatFaceColor;
    static constexpr int DefaultItemHeight = 13;

    explicit TDefineComboBox(tk::Component* owner = nullptr, QWidget* parent = nullptr);
    ~TDefineComboBox() override;

    tk::TColor arrowColor() const { return m_arrowColor; }
    void setArrowColor(tk::TColor c);
    tk::TColor arrowAreaColor() const { return m_arrowAreaColor; }
    void setArrowAreaColor(tk::TColor c);
    tk::TColor borderColor() const { return m_borderColor; }
    void setBorderColor(tk::TColor c);
    tk::TColor focusedColor() const { return m_focusedColor; }
    void setFocusedColor(tk::TColor c);
    tk::TColor flatColor() const { return m_flatColor; }
    void setFlatColor(tk::TColor c);
    // Whether the flat colour follows the parent's Color (on parent and system colour
    // changes). Switching it on takes the parent's colour at once.
    bool followsParentColor() const { return m_followParentColor; }
    void setFollowsParentColor(bool on);
    // The arrow area's width; the text field shrinks or grows with it. At least 0.
    int arrowWidth() const { return m_arrowWidth; }
    void setArrowWidth(int w);
    int scrollBarWidth() const { return m_scrollBarWidth; }

    // Refuses every character key with a beep, and makes the text field read-only.
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool on);

    // The last computed "active" state: the list is open or the box has the focus (in a
    // designer: enabled).
    bool isActive() const { return m_active; }
    bool isMouseIn() const { return m_mouseIn; }

    // Null once the ticket has been destroyed; the box then works without one.
    TDefineTicket* ticket() const override { return m_ticket; }
    TTicketPosition ticketPosition() const { return m_ticketPosition; }
    // Without a ticket the value is dropped.
    void setTicketPosition(TTicketPosition p);
    int ticketSpace() const { return m_ticketSpace; }
    // Without a ticket the value is dropped.
    void setTicketSpace(int space);
    void placeTicket() override;

    // Runs the base operation and raises OnChange, also for a change made by program and
    // for the index already selected.
    void setItemIndex(int index) override;
    QRect editFieldRect() const override;

    void setBounds(int left, int top, int width, int height) override;
    // The box moves first; the ticket follows it into the new parent.
    void setParentControl(QWidget* parent) override;
    void setName(const QString& name) override;
    void loaded() override;
    void keyPress(QChar& key) override;

protected:
    void paint(tk::Canvas& c) override;
    void paintEvent(QPaintEvent* e) override;
    void notification(tk::Component* c, tk::Operation op) override;
    void mouseEnter() override;
    void mouseLeave() override;
    void focusGained() override;
    void focusLost() override;
    void enabledChanged() override;
    void fontChanged() override;
    void visibleChanged() override;
    void parentColorChanged() override;
    void sysColorChanged() override;
    void changeEvent(QEvent* e) override;
    void closeUp() override;
    void recreateWnd() override;
    // How a refused key is announced; the platform's default beep.
    virtual void beep();

private:
    ComboGeometry comboGeometry() const;
    // The frame's colour for the present state; Color takes it.
    tk::TColor chooseColor() const;
    // Takes the chosen colour and repaints: the frame, the arrow area and the patch.
    void redraw();
    void updateActive();
    void followParentColor();
    void relayout();

    tk::TColor m_arrowColor = ComboArrowColor;
    tk::TColor m_arrowAreaColor = ComboArrowAreaColor;
    tk::TColor m_borderColor = ComboBorderColor;
    int m_arrowWidth = ComboArrowWidth;
    int m_scrollBarWidth = 0;
    bool m_active = false;
    int m_ticketSpace = 3;
    TDefineTicket* m_ticket = nullptr;
    // The ticket as a component: its removal notification arrives after its own
    // destructors have run.
    tk::Component* m_ticketComponent = nullptr;
    bool m_mouseIn = false;
    TTicketPosition m_ticketPosition = poLeft;
    tk::TColor m_focusedColor = DefaultFocusedColor;
    tk::TColor m_flatColor = DefaultFlatColor;
    bool m_followParentColor = true;
    bool m_readOnly = false;
    // The platform's focus: the inner widgets' focus, with the list's opening and closing
    // not counted as focus changes.
    bool m_hasFocus = false;
    bool m_recolourQueued = false;
    QRect m_invalid; // the area being painted
};

} // namespace flat
