#pragma once

#include "FlatRadioButton.h"

#include <QList>
#include <QStringList>

namespace flat {

// A frame with its caption set into the top line. Aligned children go inside the frame,
// below the caption.
class TDefineGroupBox : public TVersionControl {
    Q_OBJECT
public:
    explicit TDefineGroupBox(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    bool transparent() const { return m_transparent; }
    void setTransparent(bool on) { repaintOnChange(m_transparent, on); }
    TAlignmentText alignment() const { return m_alignment; }
    void setAlignment(TAlignmentText a) { repaintOnChange(m_alignment, a); }
    TGroupBoxBorder border() const { return m_border; }
    void setBorder(TGroupBoxBorder b) { repaintOnChange(m_border, b); }
    TFillDirection gradientDirection() const { return m_gradientDirection; }
    void setGradientDirection(TFillDirection d) { repaintOnChange(m_gradientDirection, d); }
    TStyleFace styleFace() const { return m_styleFace; }
    virtual void setStyleFace(TStyleFace s) { repaintOnChange(m_styleFace, s); }

    enum ColorIndex { ciBorder, ciGradientStart, ciGradientStop, ColorCount };
    FLAT_INDEXED_COLORS
    FLAT_INDEXED_COLOR(colorBorder, setColorBorder, ciBorder)
    FLAT_INDEXED_COLOR(gradientStartColor, setGradientStartColor, ciGradientStart)
    FLAT_INDEXED_COLOR(gradientStopColor, setGradientStopColor, ciGradientStop)

    // The caption's accelerator focuses the group box; "&" is not drawn as one, though.
    bool dialogChar(QChar c) override;

protected:
    void paint(tk::Canvas& c) override;
    // Inside the frame and below a line of the font.
    QRect alignRect() const override;
    bool repaintsWhenMoved() const override { return m_transparent; }

    // Sets Transparent without repainting (the radio group's StyleFace rule).
    void assignTransparent(bool on) { m_transparent = on; }

private:
    bool m_transparent = false;
    TAlignmentText m_alignment = stLeft;
    TGroupBoxBorder m_border = brFull;
    TFillDirection m_gradientDirection = fdLeftToRight;
    TStyleFace m_styleFace = fsDefault;
    IndexedColors<ColorCount> m_colors{
        *this, "TDefineGroupBox", {FlatBorderColor, GradientStartDefault, GradientStopDefault}};
};

class TDefineRadioGroup;

// One item button of a radio group: created, captioned, placed and freed by the group.
class TDefineGroupButton : public TDefineRadioButton {
    Q_OBJECT
public:
    explicit TDefineGroupButton(TDefineRadioGroup* group);
    ~TDefineGroupButton() override;

    // Passed on to the group's own key handling after the button's.
    void keyDown(int& key, tk::TShiftState shift) override;
    void keyPress(QChar& key) override;

private:
    friend class TDefineRadioGroup;

    // Null once the group has let go of the button (see TDefineRadioGroup::dropButton).
    TDefineRadioGroup* m_group;
};

// A group box with one radio button per line of Items, arranged in columns; ItemIndex
// names the checked one.
class TDefineRadioGroup : public TDefineGroupBox {
    Q_OBJECT
public:
    explicit TDefineRadioGroup(tk::Component* owner = nullptr, QWidget* parent = nullptr);
    ~TDefineRadioGroup() override;

    QStringList items() const { return m_items; }
    void setItems(const QStringList& items);
    int itemIndex() const { return m_itemIndex; }
    // Clamped to -1 .. count - 1 (stored as it is while a layout is being read).
    void setItemIndex(int index);
    int columns() const { return m_columns; }
    // Clamped to 1 .. 16.
    void setColumns(int columns);
    int topOffset() const { return m_topOffset; }
    void setTopOffset(int offset);

    // Also decides Transparent: the gradient, or the parent's colour, shows through only
    // when the group is opaque.
    void setStyleFace(TStyleFace s) override;

    const QList<TDefineGroupButton*>& buttons() const { return m_buttons; }

    void loaded() override;

signals:
    // A new ItemIndex; when the group clicks for it, right before the click.
    // (The value has a default only because moc checks a NOTIFY signal of a base class by
    // calling it without arguments; it is always emitted with the value.)
    void itemIndexChanged(int index = -1);

protected:
    void enabledChanged() override;
    void fontChanged() override;
    void resized() override;

private:
    friend class TDefineGroupButton;

    void storeItemIndex(int index);
    void itemsChanged();
    void updateButtons();
    void arrangeButtons();
    // Each item button's OnClick.
    void buttonClicked(TDefineGroupButton* button);
    // Frees a button the items no longer need.
    void dropButton(TDefineGroupButton* button);

    QList<TDefineGroupButton*> m_buttons;
    QStringList m_items;
    int m_itemIndex = -1;
    int m_columns = 1;
    int m_topOffset = 5;
    bool m_updating = false;                  // the group itself is checking a button
    TDefineGroupButton* m_clicking = nullptr; // the button whose click is running
};

// The radio group as layouts create it; it also publishes the group box's properties.
class TFlatRadioGroup : public TDefineRadioGroup {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "Anchors,Constraints,DragCursor,DragKind,DragMode,DockSite,"
                             "PopupMenu,OnClick,OnDblClick,OnDragDrop,OnDragOver,"
                             "OnEndDrag,OnEnter,OnExit,OnMouseDown,OnMouseMove,OnMouseUp,"
                             "OnStartDrag,OnEndDock,OnStartDock,OnDockDrop,OnDockOver,"
                             "OnUnDock")
    Q_CLASSINFO("Range:ItemIndex", "-1..32767")
    Q_CLASSINFO("Range:Columns", "1..16")
    Q_CLASSINFO("Range:TopOffset", "-32768..32767")
    // StyleFace decides Transparent too: a stored Transparent, read after it, holds.
    Q_PROPERTY(flat::TStyleFace StyleFace READ styleFace WRITE setStyleFace)
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(flat::TAlignmentText Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)
    Q_PROPERTY(int Columns READ columns WRITE setColumns)
    Q_PROPERTY(int TopOffset READ topOffset WRITE setTopOffset)
    Q_PROPERTY(tk::TColor ColorBorder READ colorBorder WRITE setColorBorder)
    Q_PROPERTY(tk::TColor BackgropStartColor READ gradientStartColor WRITE setGradientStartColor)
    Q_PROPERTY(tk::TColor BackgropStopColor READ gradientStopColor WRITE setGradientStopColor)
    Q_PROPERTY(flat::TFillDirection BackgropOrien READ gradientDirection WRITE setGradientDirection)
    Q_PROPERTY(flat::TGroupBoxBorder Border READ border WRITE setBorder)
public:
    using TDefineRadioGroup::TDefineRadioGroup;
};

} // namespace flat
