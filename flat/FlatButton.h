#pragma once

#include "Action.h"
#include "Bitmap.h"
#include "FlatButtonBase.h"

#include <QImage>

namespace flat {

// Held down (not latched) is fbPressed; down in a group is fbLatched.
enum TFlatButtonState { fbUp, fbDisabled, fbPressed, fbLatched };

// A custom-drawn push button that can also latch in a group of siblings. Hot means under
// the mouse or focused, whichever happened last; it changes the face, the frame and the
// caption. Its state follows the enabled state, the mouse and the keys as they change.
class TDefineButton : public TDefineButtonBase {
    Q_OBJECT
public:
    // The positions of the colours in the shared colour setter.
    enum ColorIndex { ciFocused, ciDown, ciBorder, ciShadow, ciFlat, ciHot, ColorCount };

    explicit TDefineButton(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    FLAT_INDEXED_COLORS
    FLAT_INDEXED_COLOR(colorFocused, setColorFocused, ciFocused)
    FLAT_INDEXED_COLOR(colorDown, setColorDown, ciDown)
    FLAT_INDEXED_COLOR(colorBorder, setColorBorder, ciBorder)
    FLAT_INDEXED_COLOR(colorShadow, setColorShadow, ciShadow)
    FLAT_INDEXED_COLOR(colorFlat, setColorFlat, ciFlat)
    FLAT_INDEXED_COLOR(hotColor, setHotColor, ciHot)

    bool hotFontChange() const { return m_hotFontChange; }
    void setHotFontChange(bool on) { repaintOnChange(m_hotFontChange, on); }
    tk::TFontStyles hotFontStyle() const { return m_hotFontStyle; }
    void setHotFontStyle(tk::TFontStyles s) { repaintOnChange(m_hotFontStyle, s); }
    TTransparentMode transparent() const { return m_transparent; }
    void setTransparent(TTransparentMode m) { repaintOnChange(m_transparent, m); }
    bool transBorder() const { return m_transBorder; }
    void setTransBorder(bool on) { repaintOnChange(m_transBorder, on); }
    bool hasFocusFrame() const { return m_hasFocusFrame; }
    void setHasFocusFrame(bool on) { repaintOnChange(m_hasFocusFrame, on); }
    bool isDefault() const { return m_default; }
    void setDefault(bool on);

    bool allowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool on) {
        if (assignIfChanged(m_allowAllUp, on)) notifyGroup();
    }
    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int index) {
        if (assignIfChanged(m_groupIndex, index)) notifyGroup();
    }
    bool isDown() const { return m_down; }
    // Ungrouped buttons stay up; a latched button of a group without AllowAllUp stays
    // down until another member latches.
    void setDown(bool on);

    const tk::Bitmap& glyph() const { return m_glyph; }
    // Copies the picture; a strip of square images sets NumGlyphs to their count.
    void setGlyph(const tk::Bitmap& picture);
    QImage glyphImage() const { return m_glyph.image(); }
    void setGlyphImage(const QImage& image) { setGlyph(tk::Bitmap(image)); }
    int numGlyphs() const { return m_numGlyphs; }
    // 1 to 4; anything else is refused with an exception.
    void setNumGlyphs(int n);
    TButtonLayout buttonLayout() const { return m_layout; }
    void setButtonLayout(TButtonLayout l) { repaintOnChange(m_layout, l); }
    int margin() const { return m_margin; }
    // -1 is automatic; values outside -1 .. MaxCoordinate are ignored.
    void setMargin(int m) {
        if (m >= -1 && m <= tk::MaxCoordinate) repaintOnChange(m_margin, m);
    }
    int spacing() const { return m_spacing; }
    // The same.
    void setSpacing(int s) {
        if (s >= -1 && s <= tk::MaxCoordinate) repaintOnChange(m_spacing, s);
    }
    int modalResult() const { return m_modalResult; }
    void setModalResult(int r) { m_modalResult = r; }

    TFlatButtonState state() const { return m_state; }

    // The group notification: `sender` of group `group` went down.
    void buttonPressed(int group, TDefineButton* sender);

    // Modal result to the containing form, the popup menu, then OnClick or the Action.
    void click() override;
    bool dialogKey(int key, tk::TShiftState shift) override;
    void keyDown(int& key, tk::TShiftState shift) override;
    void keyUp(int& key, tk::TShiftState shift) override;
    void setName(const QString& name) override;

signals:
    // A handler of either takes over the hot look.
    void OnMouseEnter();
    void OnMouseLeave();
    // A new Down; a button that latches tells it after the one it released.
    // (The value has a default only because moc checks a NOTIFY signal of a base class by
    // calling it without arguments; it is always emitted with the value.)
    void downChanged(bool down = false);

protected:
    void paint(tk::Canvas& c) override;
    void accelerated() override;
    bool mayTurnHot() const override { return !isDesigning() && enabled(); }
    bool mayTurnCold() const override { return mayTurnHot() && !m_pressed; }
    void mouseEnter() override;
    void mouseLeave() override;
    void focusGained() override;
    void focusLost() override;
    void enabledChanged() override;
    bool repaintsWhenMoved() const override { return m_transparent != tmNone; }
    void mouseDown(tk::TMouseButton b, tk::TShiftState shift, int x, int y) override;
    void mouseMove(tk::TShiftState shift, int x, int y) override;
    void mouseUp(tk::TMouseButton b, tk::TShiftState shift, int x, int y) override;
    void wmDblClick(tk::TMouseButton b, tk::TShiftState shift, QPoint p) override;

private:
    void recheckHot();
    void notifyGroup();
    // The state a change asks for, as the enabled state allows it: a disabled button is
    // fbDisabled whatever happens meanwhile. Repaints and tells assistive technology when
    // the button goes down or comes up.
    void changeState(TFlatButtonState s);
    // The state of an enabled button that is not being pressed.
    TFlatButtonState restingState() const { return m_down && m_groupIndex != 0 ? fbLatched : fbUp; }
    void reportPressed();
    // The row just below the button still counts: the press's release is forgiving there.
    bool isInside(int x, int y) const { return x >= 0 && x < width() && y >= 0 && y <= height(); }
    // The layers of a paint, in this order.
    void paintBackground(tk::Canvas& b, const tk::Rect& client);
    void paintFrame(tk::Canvas& b, const tk::Rect& client);
    void paintGlyph(tk::Canvas& b, QPoint at, tk::TColor maskColor);
    void paintCaption(tk::Canvas& b, const tk::Rect& bounds);

    IndexedColors<ColorCount> m_colors;
    TTransparentMode m_transparent = tmNone;
    int m_modalResult = 0;
    int m_numGlyphs = 1;
    int m_groupIndex = 0;
    tk::Bitmap m_glyph;
    bool m_down = false;
    bool m_allowAllUp = false;
    TButtonLayout m_layout = blGlyphTop;
    int m_spacing = 4;
    int m_margin = -1;
    bool m_default = false;
    bool m_hasFocusFrame = true;
    bool m_transBorder = false;
    bool m_hotFontChange = true;
    tk::TFontStyles m_hotFontStyle = tk::fsBold;
    TFlatButtonState m_state = fbUp;
    bool m_reportedPressed = false;
};

// The published button: what layouts create.
class TFlatButton : public TDefineButton {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "Action,PopupMenu,OnClick,OnDblClick,OnMouseDown,OnMouseMove,"
                             "OnMouseUp,OnMouseEnter,OnMouseLeave")
    Q_CLASSINFO("Range:GroupIndex", "-2147483648..2147483647")
    Q_CLASSINFO("Range:NumGlyphs", "1..4")
    Q_CLASSINFO("Range:Margin", "-1..32767")
    Q_CLASSINFO("Range:Spacing", "-1..32767")
    Q_CLASSINFO("Range:ModalResult", "-2147483648..2147483647")
    Q_PROPERTY(tk::TColor ColorFocused READ colorFocused WRITE setColorFocused)
    Q_PROPERTY(tk::TColor ColorDown READ colorDown WRITE setColorDown)
    Q_PROPERTY(tk::TColor ColorBorder READ colorBorder WRITE setColorBorder)
    Q_PROPERTY(tk::TColor ColorShadow READ colorShadow WRITE setColorShadow)
    Q_PROPERTY(tk::TColor ColorFlat READ colorFlat WRITE setColorFlat)
    Q_PROPERTY(tk::TColor FoisColor READ hotColor WRITE setHotColor)
    Q_PROPERTY(bool FoisChange READ hotFontChange WRITE setHotFontChange)
    Q_PROPERTY(tk::TFontStyles FoisStyle READ hotFontStyle WRITE setHotFontStyle)
    Q_PROPERTY(flat::TTransparentMode Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(bool TransBorder READ transBorder WRITE setTransBorder)
    Q_PROPERTY(bool HasFocusFrame READ hasFocusFrame WRITE setHasFocusFrame)
    Q_PROPERTY(bool Default READ isDefault WRITE setDefault)
    Q_PROPERTY(bool AllowAllUp READ allowAllUp WRITE setAllowAllUp)
    Q_PROPERTY(int GroupIndex READ groupIndex WRITE setGroupIndex)
    Q_PROPERTY(bool Down READ isDown WRITE setDown NOTIFY downChanged)
    Q_PROPERTY(QImage Glyph READ glyphImage WRITE setGlyphImage)
    Q_PROPERTY(int NumGlyphs READ numGlyphs WRITE setNumGlyphs)
    Q_PROPERTY(flat::TButtonLayout Layout READ buttonLayout WRITE setButtonLayout)
    Q_PROPERTY(int Margin READ margin WRITE setMargin)
    Q_PROPERTY(int Spacing READ spacing WRITE setSpacing)
    Q_PROPERTY(int ModalResult READ modalResult WRITE setModalResult)
public:
    using TDefineButton::TDefineButton;
};

} // namespace flat
