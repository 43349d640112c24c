#pragma once

#include "Canvas.h"
#include "Control.h"
#include "Types.h"

namespace tk {

// The toolkit's plain label: draws its caption (line breaks kept, no wrapping unless
// asked), sizes itself to it, takes no focus, and hands its accelerator to FocusControl.
class TLabel : public TControl {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnClick,OnDblClick,OnMouseDown,OnMouseMove,OnMouseUp")
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(tk::TAlignment Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
    Q_PROPERTY(bool ShowAccelChar READ showAccelChar WRITE setShowAccelChar)
    Q_PROPERTY(tk::TTextLayout Layout READ textLayout WRITE setTextLayout)
    // No tab stop: a layout may still say where it stands, but nothing keeps it.
    Q_PROPERTY(int TabOrder READ tabOrder WRITE setTabOrder STORED false)
public:
    explicit TLabel(Component* owner = nullptr, QWidget* parent = nullptr);

    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on) {
        if (assignIfChanged(m_autoSize, on)) adjustBounds();
    }
    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment a) { repaintOnChange(m_alignment, a); }
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on) { repaintOnChange(m_transparent, on); }
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on) {
        if (repaintOnChange(m_wordWrap, on)) adjustBounds();
    }
    bool showAccelChar() const { return m_showAccelChar; }
    void setShowAccelChar(bool on) {
        if (repaintOnChange(m_showAccelChar, on)) adjustBounds();
    }
    TTextLayout textLayout() const { return m_layout; }
    void setTextLayout(TTextLayout l) { repaintOnChange(m_layout, l); }

    TControl* focusControl() const { return m_focusControl; }
    void setFocusControl(TControl* c) { m_focusControl = c; }

    bool dialogChar(QChar c) override;
    // Draws the label at its place into a picture of its parent (paintParentBackground); a
    // transparent one only adds its caption to what is there.
    void paintInParent(Canvas& c);
    // Fits the bounds to the caption once the layout is read. A label its window does not
    // show (on a page not shown) is fitted once it is shown, or once a screen reader, which
    // reads where hidden controls are too, listens: measuring a long caption loads every
    // glyph and the fallback fonts, which the window's first frame need not wait for.
    void loaded() override;
    bool event(QEvent* e) override;

protected:
    void paint(Canvas& c) override;
    void eraseBackground(Canvas& c) override;
    void textChanged() override;
    void fontChanged() override;
    // Fits the bounds to the caption when AutoSize is on.
    virtual void adjustBounds();

private:
    TextFormats drawFlags() const;
    void fitIfPending();

    bool m_autoSize = true;
    TAlignment m_alignment = taLeftJustify;
    bool m_transparent = false;
    bool m_wordWrap = false;
    bool m_showAccelChar = true;
    TTextLayout m_layout = tlTop;
    bool m_fitPending = false;
    QPointer<TControl> m_focusControl;
};

// The character after the first single "&" of a caption, or a null character.
QChar acceleratorOf(const QString& caption);
// Whether `c` is the caption's accelerator, ignoring case.
bool isAccelerator(QChar c, const QString& caption);

} // namespace tk
