#pragma once

#include "Action.h"
#include "Canvas.h"
#include "Control.h"
#include "FlatCheckBox.h"
#include "FlatUtils.h"
#include "VersionBases.h"

namespace flat {

// A radio button drawn by itself: the circle with its dot and the caption beside it.
// Checking it clears every other radio button of the same parent and GroupIndex; the
// focus, however it arrives, checks it. It sizes itself to its caption whenever it paints.
class TDefineRadioButton : public TVersionControl {
    Q_OBJECT
public:
    explicit TDefineRadioButton(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    bool isChecked() const { return m_checked; }
    // Checking clears the siblings and clicks (twice while enabled); unchecking fires
    // nothing. TabStop follows the value.
    void setChecked(bool on);
    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int g) { m_groupIndex = g; }
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);
    TLayoutPosition layoutPosition() const { return m_layout; }
    void setLayoutPosition(TLayoutPosition l);

    // ColorFocused 0, ColorDown 1, ColorChecked 2, ColorBorder 3: stored without
    // comparing, then repainted.
    void setIndexedColor(int index, tk::TColor c);
    tk::TColor colorFocused() const { return m_colorFocused; }
    void setColorFocused(tk::TColor c) { setIndexedColor(0, c); }
    tk::TColor colorDown() const { return m_colorDown; }
    void setColorDown(tk::TColor c) { setIndexedColor(1, c); }
    tk::TColor colorChecked() const { return m_colorChecked; }
    void setColorChecked(tk::TColor c) { setIndexedColor(2, c); }
    tk::TColor colorBorder() const { return m_colorBorder; }
    void setColorBorder(tk::TColor c) { setIndexedColor(3, c); }

    // Checks the button, then the value-changed notification, then OnClick (or the Action).
    void click() override;
    bool dialogChar(QChar c) override;
    void enter() override;
    void exit() override;

protected:
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
    // Unchecks the other buttons of the group, then clicks this one.
    void clearSiblings();
    tk::TColor circleFill() const;

    bool m_checked = false;
    int m_groupIndex = 0;
    bool m_transparent = true;
    TLayoutPosition m_layout = lpLeft;
    tk::TColor m_colorFocused = 0x00FFFFFF;
    tk::TColor m_colorDown = 0x00C5D6D9;
    tk::TColor m_colorChecked = 0x00FF0080;
    tk::TColor m_colorBorder = 0x0061A588;
    bool m_mouseIn = false;
    bool m_pressed = false;
    bool m_focused = false;
};

// The radio button as layouts create it.
class TFlatRadioButton : public TDefineRadioButton {
    Q_OBJECT
    Q_PROPERTY(tk::TAction* Action READ action WRITE setAction)
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
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
