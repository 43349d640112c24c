#pragma once

#include "Canvas.h"
#include "Control.h"
#include "FlatRadioButton.h"
#include "FlatUtils.h"
#include "VersionBases.h"

#include <QList>
#include <QStringList>

namespace flat {

// A frame with its caption set into the top line, composed off-screen and copied in one
// step. Aligned children go inside the frame, below the caption.
class TDefineGroupBox : public TVersionControl {
    Q_OBJECT
public:
    explicit TDefineGroupBox(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);
    TAlignmentText alignment() const { return m_alignment; }
    void setAlignment(TAlignmentText a);
    TGroupBoxBorder border() const { return m_border; }
    void setBorder(TGroupBoxBorder b);
    TFillDirection backgropOrien() const { return m_backgropOrien; }
    void setBackgropOrien(TFillDirection d);
    TStyleFace styleFace() const { return m_styleFace; }
    virtual void setStyleFace(TStyleFace s);

    // ColorBorder 0, BackgropStartColor 1, BackgropStopColor 2: stored without comparing,
    // then repainted.
    void setIndexedColor(int index, tk::TColor c);
    tk::TColor colorBorder() const { return m_colorBorder; }
    void setColorBorder(tk::TColor c) { setIndexedColor(0, c); }
    tk::TColor backgropStartColor() const { return m_backgropStartColor; }
    void setBackgropStartColor(tk::TColor c) { setIndexedColor(1, c); }
    tk::TColor backgropStopColor() const { return m_backgropStopColor; }
    void setBackgropStopColor(tk::TColor c) { setIndexedColor(2, c); }

    // The caption's accelerator focuses the group box; "&" is not drawn as one, though.
    bool dialogChar(QChar c) override;

protected:
    void paint(tk::Canvas& c) override;
    // Inside the frame and below a line of the font.
    QRect alignRect() const override;
    void enabledChanged() override;
    void textChanged() override;
    void parentColorChanged() override;
    void sysColorChanged() override;
    void resized() override;
    void moved() override;

    // Sets Transparent without repainting (the radio group's StyleFace rule).
    void assignTransparent(bool on) { m_transparent = on; }

private:
    bool m_transparent = false;
    TAlignmentText m_alignment = stLeft;
    TGroupBoxBorder m_border = brFull;
    TFillDirection m_backgropOrien = fdLeftToRight;
    TStyleFace m_styleFace = fsDefault;
    tk::TColor m_colorBorder = 0x0061A588;
    tk::TColor m_backgropStartColor = 0x00FBF1ED;
    tk::TColor m_backgropStopColor = 0x00F7DFD6;
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

    // Whether the user may change the checked item; backspace and space are dropped when
    // not.
    virtual bool mayChangeSelection() const { return true; }

    const QList<TDefineGroupButton*>& buttons() const { return m_buttons; }

    void loaded() override;

protected:
    virtual void changed() {}

    void enabledChanged() override;
    void fontChanged() override;
    void resized() override;

private:
    friend class TDefineGroupButton;

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
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(flat::TAlignmentText Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex)
    Q_PROPERTY(int Columns READ columns WRITE setColumns)
    Q_PROPERTY(int TopOffset READ topOffset WRITE setTopOffset)
    Q_PROPERTY(tk::TColor ColorBorder READ colorBorder WRITE setColorBorder)
    Q_PROPERTY(tk::TColor BackgropStartColor READ backgropStartColor WRITE setBackgropStartColor)
    Q_PROPERTY(tk::TColor BackgropStopColor READ backgropStopColor WRITE setBackgropStopColor)
    Q_PROPERTY(flat::TFillDirection BackgropOrien READ backgropOrien WRITE setBackgropOrien)
    Q_PROPERTY(flat::TStyleFace StyleFace READ styleFace WRITE setStyleFace)
    Q_PROPERTY(flat::TGroupBoxBorder Border READ border WRITE setBorder)
public:
    using TDefineRadioGroup::TDefineRadioGroup;
};

} // namespace flat
