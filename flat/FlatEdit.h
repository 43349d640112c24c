#pragma once

#include "FlatTicket.h"
#include "FlatUtils.h"
#include "Label.h"
#include "VersionBases.h"

#include <QPointer>

namespace flat {

// A single-line edit without the platform's sunken border: a three-pixel frame of its own
// (one ring of ColorBorder, two of the inner colour) whose inner colour, like the text
// area behind the text, is ColorFocused while the edit is focused or under the mouse and
// ColorFlat otherwise. It keeps a ticket beside itself and shows its Hint as a
// placeholder while it is empty and unfocused. Enter belongs to the edit: OnKeyPress
// sees it, and it never reaches the text.
class TDefineEdit : public TicketBearing<TVersionEdit> {
    Q_OBJECT
public:
    // The positions of the colours in the shared colour setter.
    enum ColorIndex { ciFocused, ciBorder, ciFlat, ColorCount };
    // Width of the frame on every side.
    static constexpr int FrameWidth = 3;

    explicit TDefineEdit(tk::Component* owner = nullptr, QWidget* parent = nullptr);
    ~TDefineEdit() override;

    tk::TColor colorByIndex(int index) const { return m_colors[index]; }
    // The indexed colour setter (see IndexedColors): ColorFlat also ends ParentColor, and
    // every colour refreshes the frame.
    void setColorByIndex(int index, tk::TColor value);
    FLAT_INDEXED_COLOR(colorFocused, setColorFocused, ciFocused)
    FLAT_INDEXED_COLOR(colorBorder, setColorBorder, ciBorder)
    FLAT_INDEXED_COLOR(colorFlat, setColorFlat, ciFlat)

    // The edit's own ParentColor: it copies the parent's Color into ColorFlat. The base
    // control's flag stays off, because Color is the frame's inner colour.
    bool parentColor() const { return m_parentColor; }
    void setParentColor(bool on);

    tk::TAlignment alignment() const { return m_alignment; }
    void setAlignment(tk::TAlignment a);

    // The placeholder label inside the text area; null in a designer.
    tk::TLabel* cueLabel() const { return m_cue; }
    bool isMouseIn() const { return m_mouseIn; }

    // Every change of the look comes through here: the frame, the text area's colour
    // (Color follows the frame's inner colour) and the placeholder.
    void refreshFrame();

    void setName(const QString& name) override;
    void loaded() override;
    void keyPress(QChar& key) override;

protected:
    void paint(tk::Canvas& c) override;
    void mouseEnter() override;
    void mouseLeave() override;
    void focusGained() override;
    void focusLost() override;
    void enabledChanged() override;
    void fontChanged() override;
    void textChanged() override;
    void hintChanged() override { placeCue(); }
    // Also after a change of the system colours (see TControl).
    void parentColorChanged() override;
    void resized() override;
    void recreateWnd() override;

private:
    void fitHeightToFont();
    void applyAlignment();
    void placeCue();
    // Takes the parent's Color into ColorFlat while ParentColor is on; refreshes the look.
    void followParentColor();

    bool m_parentColor = true;
    IndexedColors<ColorCount> m_colors{
        *this, "TDefineEdit", {FlatFocusedColor, FlatBorderColor, FlatFaceColor}};
    tk::TAlignment m_alignment = tk::taLeftJustify;
    bool m_mouseIn = false;
    QPointer<tk::TLabel> m_cue;
};

// The published edit: what layouts create. ParentColor is declared after ColorFlat so
// that a layout storing both ends with the parent's colour.
class TFlatEdit : public TDefineEdit {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "DragCursor,DragMode,OEMConvert,PopupMenu,ImeMode,ImeName,"
                             "OnChange,OnClick,OnDblClick,OnDragDrop,OnDragOver,OnEndDrag,"
                             "OnEnter,OnExit,OnKeyDown,OnKeyPress,OnKeyUp,OnMouseDown,"
                             "OnMouseMove,OnMouseUp,OnStartDrag")
    Q_CLASSINFO("Unpublishes", "Color")
    Q_CLASSINFO("StoredDefault:ParentColor", "False")
    // Color follows the frame; the caption of an edit is its Text.
    Q_PROPERTY(QString Caption READ caption WRITE setCaption STORED false)
    Q_PROPERTY(tk::TAlignment Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(tk::TColor ColorFocused READ colorFocused WRITE setColorFocused)
    Q_PROPERTY(tk::TColor ColorBorder READ colorBorder WRITE setColorBorder)
    Q_PROPERTY(tk::TColor ColorFlat READ colorFlat WRITE setColorFlat)
    Q_PROPERTY(bool ParentColor READ parentColor WRITE setParentColor)
    FLAT_TICKET_PROPERTIES
public:
    using TDefineEdit::TDefineEdit;
};

} // namespace flat
