#pragma once

#include "FlatPalette.h"
#include "FlatUtils.h"
#include "VersionBases.h"

#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <functional>

namespace flat {

// A container with a flat face (its Color, a gradient, or what its parent shows behind it)
// inside a one-pixel border, and an optional single-line caption.
class TDefinePanel : public TVersionCtrlExt {
    Q_OBJECT
public:
    // The positions of the colours in the shared colour setter.
    enum ColorIndex { ciBorder, ciGradientStart, ciGradientStop, ColorCount };

    explicit TDefinePanel(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    bool transparent() const { return m_transparent; }
    void setTransparent(bool on) { repaintOnChange(m_transparent, on); }
    bool transBorder() const { return m_transBorder; }
    void setTransBorder(bool on) { repaintOnChange(m_transBorder, on); }
    // Also the answer to the question how the panel aligns its contents.
    tk::TAlignment alignment() const { return m_alignment; }
    void setAlignment(tk::TAlignment a) { repaintOnChange(m_alignment, a); }
    bool locked() const { return m_locked; }
    void setLocked(bool on) { m_locked = on; }
    bool fullRepaint() const { return m_fullRepaint; }
    void setFullRepaint(bool on) { m_fullRepaint = on; }

    tk::TColor colorByIndex(int index) const { return m_colors[index]; }
    // The indexed colour setter (see IndexedColors), virtual as the panel family's own.
    virtual void setColorByIndex(int index, tk::TColor c) { m_colors.set(index, c); }
    FLAT_INDEXED_COLOR(colorBorder, setColorBorder, ciBorder)
    FLAT_INDEXED_COLOR(gradientStartColor, setGradientStartColor, ciGradientStart)
    FLAT_INDEXED_COLOR(gradientStopColor, setGradientStopColor, ciGradientStop)

    TFillDirection gradientDirection() const { return m_gradientDirection; }
    void setGradientDirection(TFillDirection d) { repaintOnChange(m_gradientDirection, d); }
    TStyleFace styleFace() const { return m_styleFace; }
    void setStyleFace(TStyleFace s) { repaintOnChange(m_styleFace, s); }

    // On, the clients docked here share the client area side by side along its longer
    // side, in the order they came, whenever one comes, goes or the panel resizes; off,
    // each stays where it was dropped.
    bool useDockManager() const { return m_useDockManager; }
    void setUseDockManager(bool on);
    // On, the panel fits the children that keep their place whatever its size (not aligned,
    // anchored left and top), docked clients among them, and its frame: at once, on every
    // change of one of them, and once a layout holding it has been read.
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);

    // The tool-control query of in-place activation hosts: yes unless Locked.
    bool isToolControl() const { return !m_locked; }

    // What a dock client's placement runs. With AutoSize on, a panel aligned to a side with
    // no extent on that axis first takes the dock rectangle's extent (growing away from the
    // side it is aligned to); then `placeClient` runs. While it runs, the panel refuses to
    // auto-size; the mark is cleared again on every path.
    void dockClient(const QRect& dockRect, const std::function<void()>& placeClient);
    void placeDockClient(tk::TControl* client, const QRect& dockRect) override;
    bool isSizingForDock() const { return m_sizingForDock; }
    // Whether an auto-size request may change the bounds now.
    bool canAutoSize() const { return !m_sizingForDock; }

    void loaded() override;

protected:
    void childControlChanged() override { fitToContents(); }
    void childEvent(QChildEvent* e) override;
    void paint(tk::Canvas& c) override;
    void windowPosChanged(const QRect& oldBounds) override;
    QRect alignRect() const override;

private:
    void fitToContents();
    void tileDockClients();
    void paintBackground(tk::Canvas& c) const;
    void paintBorder(tk::Canvas& c) const;
    void paintCaption(tk::Canvas& c) const;

    bool m_transparent = false;
    bool m_transBorder = false;
    tk::TAlignment m_alignment = tk::taCenter;
    bool m_locked = false;
    bool m_fullRepaint = true;
    IndexedColors<ColorCount> m_colors{
        *this, "TDefinePanel", {FlatBorderColor, GradientStartDefault, GradientStopDefault}};
    TFillDirection m_gradientDirection = fdLeftToRight;
    TStyleFace m_styleFace = fsDefault;
    bool m_useDockManager = true;
    bool m_autoSize = false;
    bool m_sizingForDock = false;
    bool m_fitting = false;
    QList<QPointer<tk::TControl>> m_dockClients;
};

// The region a move or resize from `oldBounds` to `newSize` repaints: everything when
// `fullRepaint` or a caption asks for it, else only the 2-pixel strips of the right and bottom
// border where it was and, as Qt repaints nothing of a panel that shrinks, where it is now.
QRegion panelRepaintRegion(const QRect& oldBounds, QSize newSize, bool fullRepaint,
                           bool hasCaption);

// What the published panel family (the panel and the label) publishes of the panel, in
// order. A declared default unlike what a new panel has, so layouts keep recording both.
#define FLAT_PANEL_PROPERTIES                                                                      \
    Q_CLASSINFO("StoredDefault:ParentColor", "True")                                               \
    Q_CLASSINFO("StoredDefault:UseDockManager", "False")                                           \
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)                             \
    Q_PROPERTY(bool TransBorder READ transBorder WRITE setTransBorder)                             \
    Q_PROPERTY(tk::TAlignment Alignment READ alignment WRITE setAlignment)                         \
    Q_PROPERTY(bool Locked READ locked WRITE setLocked)                                            \
    Q_PROPERTY(bool FullRepaint READ fullRepaint WRITE setFullRepaint)                             \
    Q_PROPERTY(tk::TColor ColorBorder READ colorBorder WRITE setColorBorder)                       \
    Q_PROPERTY(tk::TColor BackgropStartColor READ gradientStartColor WRITE setGradientStartColor)  \
    Q_PROPERTY(tk::TColor BackgropStopColor READ gradientStopColor WRITE setGradientStopColor)     \
    Q_PROPERTY(                                                                                    \
        flat::TFillDirection BackgropOrien READ gradientDirection WRITE setGradientDirection)      \
    Q_PROPERTY(flat::TStyleFace StyleFace READ styleFace WRITE setStyleFace)                       \
    Q_PROPERTY(bool UseDockManager READ useDockManager WRITE setUseDockManager)

class TFlatPanel : public TDefinePanel {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "Constraints,Action,PopupMenu,DockSite,OnClick,OnDblClick,"
                             "OnDragDrop,OnDragOver,OnEndDrag,OnEnter,OnExit,OnMouseDown,"
                             "OnMouseMove,OnMouseUp,OnResize,OnStartDrag")
    FLAT_PANEL_PROPERTIES
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
public:
    using TDefinePanel::TDefinePanel;
};

} // namespace flat
