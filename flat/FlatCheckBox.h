#pragma once

#include "Action.h"
#include "FlatButtonBase.h"

namespace flat {

// A two- or three-state check box drawn by itself: the box with its check mark and the
// caption beside it. It toggles on the press, and every change of its State clicks while
// it is enabled.
class TDefineCheckBox : public TDefineMarkButton {
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

    // Unchecked -> (grayed when allowed) -> checked -> unchecked.
    virtual void cycleState();

    // The value-changed notification, then OnClick (or the Action).
    void click() override;
    // Space toggles the focused box, as its accelerator does.
    bool dialogChar(QChar c) override;
    void enter() override;
    void exit() override;

signals:
    // A new State, and a new Checked, each right before the click that tells of it.
    // (The value has a default only because moc checks a NOTIFY signal of a base class by
    // calling it without arguments; it is always emitted with the value.)
    void stateChanged(flat::TCheckBoxState state = cbUnchecked);
    void checkedChanged(bool checked = false);

protected:
    void accelerated() override;
    bool showsFocus() const override { return m_focused; }
    bool drawsFocusFrame() const override { return m_focused; }
    void paintMark(tk::Canvas& c, const tk::Rect& box) override;
    int captionInset(const tk::Canvas& c, const tk::Rect& client,
                     const tk::Rect& box) const override;
    void wmMouseDown(tk::TMouseButton b, tk::TShiftState shift, QPoint p) override;
    void focusGained() override;
    void focusLost() override;

private:
    TCheckBoxState m_state = cbUnchecked;
    bool m_allowGrayed = false;
};

// The check box as layouts create it.
class TFlatCheckBox : public TDefineCheckBox {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "Action,OnClick,OnDblClick,OnDragDrop,OnDragOver,OnEndDrag,"
                             "OnEnter,OnExit,OnKeyDown,OnKeyPress,OnKeyUp,OnMouseDown,"
                             "OnMouseMove,OnMouseUp")
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(bool AllowGrayed READ allowGrayed WRITE setAllowGrayed)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked NOTIFY checkedChanged)
    Q_PROPERTY(tk::TColor ColorFocused READ colorFocused WRITE setColorFocused)
    Q_PROPERTY(tk::TColor ColorDown READ colorDown WRITE setColorDown)
    Q_PROPERTY(tk::TColor ColorChecked READ colorChecked WRITE setColorChecked)
    Q_PROPERTY(tk::TColor ColorBorder READ colorBorder WRITE setColorBorder)
    Q_PROPERTY(flat::TLayoutPosition Layout READ layoutPosition WRITE setLayoutPosition)
    Q_PROPERTY(flat::TCheckBoxState State READ state WRITE setState NOTIFY stateChanged)
public:
    using TDefineCheckBox::TDefineCheckBox;
};

} // namespace flat
