#pragma once

#include "Action.h"
#include "FlatButtonBase.h"

namespace flat {

// A radio button drawn by itself: the circle with its dot and the caption beside it.
// Checking it clears every other radio button of the same parent and GroupIndex; the
// focus, however it arrives, checks it.
class TDefineRadioButton : public TDefineMarkButton {
    Q_OBJECT
public:
    explicit TDefineRadioButton(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    bool isChecked() const { return m_checked; }
    // Checking clears the siblings and clicks (twice while enabled); unchecking fires
    // nothing. TabStop follows the value.
    void setChecked(bool on);
    // Unlike the check box's, an equal value changes nothing: no refit, no repaint.
    void setLayoutPosition(TLayoutPosition l) override {
        if (l != layoutPosition()) TDefineMarkButton::setLayoutPosition(l);
    }
    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int g) { m_groupIndex = g; }

    // Checks the button, then the value-changed notification, then OnClick (or the Action).
    void click() override;
    void enter() override;
    void exit() override;

signals:
    // A new Checked: a checked button tells it after its siblings are cleared, right
    // before its first click.
    // (The value has a default only because moc checks a NOTIFY signal of a base class by
    // calling it without arguments; it is always emitted with the value.)
    void checkedChanged(bool checked = false);

protected:
    void accelerated() override;
    // The platform's focus, not the flag that enter and exit keep.
    bool showsFocus() const override { return hasFocus(); }
    void paintMark(tk::Canvas& c, const tk::Rect& circle) override;
    int captionInset(const tk::Canvas& c, const tk::Rect& client,
                     const tk::Rect& circle) const override;
    // Transparent or not, a move repaints the button.
    bool repaintsWhenMoved() const override { return true; }
    void wmMouseDown(tk::TMouseButton b, tk::TShiftState shift, QPoint p) override;
    void focusGained() override;
    void focusLost() override;

private:
    // Unchecks the other buttons of the group.
    void uncheckSiblings();

    bool m_checked = false;
    int m_groupIndex = 0;
};

// The radio button as layouts create it.
class TFlatRadioButton : public TDefineRadioButton {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "Action,Anchors,Constraints,DragKind,OnClick,OnDblClick,"
                             "OnDragDrop,OnDragOver,OnEndDrag,OnEnter,OnExit,OnKeyDown,"
                             "OnKeyPress,OnKeyUp,OnMouseDown,OnMouseMove,OnMouseUp,"
                             "OnEndDock,OnStartDock")
    Q_CLASSINFO("Range:GroupIndex", "-2147483648..2147483647")
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked NOTIFY checkedChanged)
    Q_PROPERTY(tk::TColor ColorFocused READ colorFocused WRITE setColorFocused)
    Q_PROPERTY(tk::TColor ColorDown READ colorDown WRITE setColorDown)
    Q_PROPERTY(tk::TColor ColorChecked READ colorChecked WRITE setColorChecked)
    Q_PROPERTY(tk::TColor ColorBorder READ colorBorder WRITE setColorBorder)
    Q_PROPERTY(int GroupIndex READ groupIndex WRITE setGroupIndex)
    Q_PROPERTY(flat::TLayoutPosition Layout READ layoutPosition WRITE setLayoutPosition)
public:
    using TDefineRadioButton::TDefineRadioButton;
};

} // namespace flat
