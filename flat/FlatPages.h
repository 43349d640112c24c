#pragma once

// The flat page control and its sheets. On top of the native page control they add a
// fourth tab style, pcsFlatStyle, in which the control paints its tab strip and page frame
// itself with rounded, colour-shaded tabs; hot lines on the tab under the mouse in that
// style; per-sheet tab colours, hints and glyphs; owner-drawn tabs; and sheet backgrounds.

#include "Bitmap.h"
#include "Canvas.h"
#include "FlatUtils.h"
#include "ImageList.h"
#include "PageControl.h"
#include "VersionBases.h"

#include <QFlags>
#include <QMetaObject>
#include <QString>
#include <functional>

namespace flat {

class TDefineSheet;

enum TOwnerDrawStateFlag { odSelected = 0x1 };
Q_DECLARE_FLAGS(TOwnerDrawState, TOwnerDrawStateFlag)

// The two colours of the lines that mark a hot flat tab (and, with HotTrack, the selected
// one): a darker orange and a lighter yellow.
inline constexpr tk::TColor HotLineDarkColor = 0x002C8BE6;
inline constexpr tk::TColor HotLineLightColor = 0x003CC7FF;
inline constexpr tk::TColor DefaultPagesBorderColor = FlatBorderColor;
// The default owner-drawn tab: a gradient from white to this grey, bright at the edges.
inline constexpr tk::TColor OwnerDrawTabEndColor = 0x00DCDCDC;

// --- The flat tab, layer by layer, free so that each can be drawn on any image ---------

// The body of a pcsFlatStyle tab whose strip rectangle is `item`: a box in `color` (an
// unselected tab five steps darker, with a darker inner edge) outlined in `border`,
// rounded on the side away from the page. A selected tab is two pixels larger and wipes
// the frame line between itself and the page, so that the two are one surface; with
// `hotTrack` it carries the hot lines. Returns the rectangle the tab occupies, in which its
// caption and glyph go.
tk::Rect PaintFlatTab(tk::Canvas& canvas, TPagesPosition position, const tk::Rect& item,
                      bool selected, tk::TColor color, tk::TColor border, bool hotTrack);

// The hot lines of an unselected tab under the mouse, along its outer edge; with `hot`
// false the same lines in the tab's normal colours (`border`, shades of `sheetColor`),
// which is how the marking is taken away.
void PaintTabHotLines(tk::Canvas& canvas, TPagesPosition position, const tk::Rect& item, bool hot,
                      tk::TColor border, tk::TColor sheetColor);
// The area those two lines cover.
QRect TabHotLinesRect(TPagesPosition position, const tk::Rect& item);

struct TTabFace {
    QString caption;
    tk::Font font;
    tk::TColor sheetColor = tk::clBtnFace; // its D30 shades the caption's shadow
    tk::TAlignment alignment = tk::taCenter;
    const tk::TImageList* images = nullptr;
    int imageIndex = -1;
};
// The caption, with its shadow one pixel down and right, and the glyph of a tab that
// occupies `r` (as PaintFlatTab returned it).
void PaintTabCaption(tk::Canvas& canvas, const tk::Rect& r, const TTabFace& face);

// --- The page control ---------------------------------------------------------------

class TDefinePages : public TVersionPages {
    Q_OBJECT
public:
    explicit TDefinePages(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    // Style and TabPosition speak the flat enumerations; the native control underneath
    // keeps its own (pcsFlatStyle stands on plain tabs).
    TPagesStyle style() const { return m_style; }
    // The button styles only have tabs on top: the position becomes tpTop first.
    void setStyle(TPagesStyle s);
    TPagesPosition tabPosition() const { return TPagesPosition(TVersionPages::tabPosition()); }
    // Fails with an exception, keeping the old position, for anything but tpTop while the
    // style is pcsButtons or pcsFlatButtons.
    void setTabPosition(TPagesPosition p);
    tk::TAlignment tabTextAlignment() const { return m_tabTextAlignment; }
    void setTabTextAlignment(tk::TAlignment a) { repaintOnChange(m_tabTextAlignment, a); }

    // The control's one colour, through the indexed colour setter (see IndexedColors).
    enum ColorIndex { ciBorder, ColorCount };
    FLAT_INDEXED_COLORS
    FLAT_INDEXED_COLOR(colorBorder, setColorBorder, ciBorder)

    // The glyphs of the tabs. Not owned. Attaching a list (again) numbers every sheet's
    // ImageIndex by its page and maps the tabs' images; none clears them to -1.
    tk::TImageList* imageList() const { return images(); }
    void setImageList(tk::TImageList* list);

    // Page `index` as the flat sheet it must be; fails with an exception for a page of
    // another kind or an index out of range.
    TDefineSheet& flatSheet(int index) const;
    // Its pages are flat sheets: a layout may not give it a sheet of another kind.
    bool canHold(const QObject* child) const override;
    // The tab under the mouse while hot tracking in pcsFlatStyle, -1 for none.
    int hotIndex() const { return m_hotIndex; }
    // Where the page frame is outlined in pcsFlatStyle.
    tk::Rect frameRect() const { return displayRect().inflated(FrameMargin, FrameMargin); }

signals:
    // Draws one tab: (the control, the tab's number, the canvas, the tab's rectangle,
    // state). In pcsFlatStyle the number is the page index and the state is empty; in the
    // native styles it is the tab number and the state says whether the tab is selected.
    void OnDrawItem(tk::TControl* control, int index, tk::Canvas& canvas, const tk::Rect& rect,
                    flat::TOwnerDrawState state);
    // Chooses the glyph of the tab of page `pageIndex`; `glyphIndex` comes in as the index.
    void OnGlyphMap(tk::TControl* control, int pageIndex, int& glyphIndex);

protected:
    // The page area, grown beyond the native one: the sheets cover its margins.
    tk::Rect sheetRect() const override;
    void recreateWnd() override;
    void drawTab(tk::Canvas& c, int tab, const tk::Rect& r, bool selected) override;
    void paint(tk::Canvas& c) override;
    void mouseMove(tk::TShiftState shift, int x, int y) override;
    void mouseLeave() override;
    void hintAt(QPoint pos, QString& text, QRect& cursorRect) override;

private:
    bool isFlatStyle() const { return m_style == pcsFlatStyle; }
    TDefineSheet& flatSheet(tk::TTabSheet* page) const;
    // Sets the native style and position, then re-creates once.
    void applyNative(tk::TPageControl::TTabStyle style, tk::TPageControl::TTabPosition position);
    void attachImageList(tk::TImageList* list);
    void mapGlyphs();
    void relayout();
    void setHotIndex(int h);
    bool hasHotLines(int tab) const { return tab >= 0 && tab < tabCount() && tab != selectedTab(); }
    void paintHotLines(tk::Canvas& c, int tab, bool hot) const;

    void paintFrame(tk::Canvas& c) const;
    void paintFlatTabs(tk::Canvas& c);

    TPagesStyle m_style = pcsFlatStyle;
    tk::TAlignment m_tabTextAlignment = tk::taCenter;
    IndexedColors<ColorCount> m_colors{*this, "TDefinePages", {DefaultPagesBorderColor}};
    int m_hotIndex = -1;
    int m_cooledIndex = -1; // the tab whose hot lines were last taken away
    bool m_applyingNative = false;
    QMetaObject::Connection m_imagesChanged;
};

class TFlatPages : public TDefinePages {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnDrawItem,OnGlyphMap")
    Q_CLASSINFO("AlwaysStored", "Version,Style,TabPosition,TabTextAlignment")
    // The list is stored once, as ImageList.
    Q_PROPERTY(tk::TImageList* Images READ images WRITE setImages STORED false)
    Q_PROPERTY(flat::TPagesStyle Style READ style WRITE setStyle)
    Q_PROPERTY(flat::TPagesPosition TabPosition READ tabPosition WRITE setTabPosition)
    Q_PROPERTY(tk::TAlignment TabTextAlignment READ tabTextAlignment WRITE setTabTextAlignment)
    Q_PROPERTY(tk::TColor ColorBorder READ colorBorder WRITE setColorBorder)
    Q_PROPERTY(tk::TImageList* ImageList READ imageList WRITE setImageList)
public:
    using TDefinePages::TDefinePages;
};

// --- The sheet --------------------------------------------------------------------------

class TDefineSheet : public TVersionSheet {
    Q_OBJECT
public:
    // The colours of a gradient background.
    static constexpr int GradientColors = 60;

    explicit TDefineSheet(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    // Values below -1 mean none (-1). Only a sheet of a page control takes a new index.
    void setImageIndex(int index) override;

    bool showTabHint() const { return m_showTabHint; }
    void setShowTabHint(bool on) { m_showTabHint = on; }
    // Only the part before the first "|" is shown.
    QString tabHint() const { return m_tabHint; }
    void setTabHint(const QString& h) { m_tabHint = h; }

    // A copy of the picture is kept. An empty one drops an image background to bgsNone.
    const tk::Bitmap& bgImage() const { return m_bgImage; }
    void setBGImage(const tk::Bitmap& picture);
    QImage bgImagePicture() const { return m_bgImage.image(); }
    void setBGImagePicture(const QImage& image) { setBGImage(tk::Bitmap(image)); }
    TDefineSheetBGStyle bgStyle() const { return m_bgStyle; }
    void setBGStyle(TDefineSheetBGStyle s) { repaintOnChange(m_bgStyle, s); }
    TFillDirection gradientFillDir() const { return m_gradientFillDir; }
    void setGradientFillDir(TFillDirection d) { repaintOnChange(m_gradientFillDir, d); }

    // The gradient's colours, through the indexed colour setter (see IndexedColors).
    enum ColorIndex { ciGradientStart, ciGradientEnd, ColorCount };
    FLAT_INDEXED_COLORS
    FLAT_INDEXED_COLOR(gradientStartColor, setGradientStartColor, ciGradientStart)
    FLAT_INDEXED_COLOR(gradientEndColor, setGradientEndColor, ciGradientEnd)

protected:
    void eraseBackground(tk::Canvas& c) override;

private:
    bool m_showTabHint = false;
    QString m_tabHint;
    tk::Bitmap m_bgImage;
    TDefineSheetBGStyle m_bgStyle = bgsNone;
    IndexedColors<ColorCount> m_colors{*this, "TDefineSheet", {tk::clWhite, tk::clSilver}};
    TFillDirection m_gradientFillDir = fdTopToBottom;
};

class TFlatSheet : public TDefineSheet {
    Q_OBJECT
    Q_PROPERTY(bool ShowTabHint READ showTabHint WRITE setShowTabHint)
    Q_PROPERTY(QString TabHint READ tabHint WRITE setTabHint)
    Q_PROPERTY(QImage BGImage READ bgImagePicture WRITE setBGImagePicture)
    Q_PROPERTY(flat::TDefineSheetBGStyle BGStyle READ bgStyle WRITE setBGStyle)
    Q_PROPERTY(tk::TColor GradientStartColor READ gradientStartColor WRITE setGradientStartColor)
    Q_PROPERTY(tk::TColor GradientEndColor READ gradientEndColor WRITE setGradientEndColor)
    Q_PROPERTY(flat::TFillDirection GradientFillDir READ gradientFillDir WRITE setGradientFillDir)
public:
    using TDefineSheet::TDefineSheet;
};

} // namespace flat

Q_DECLARE_OPERATORS_FOR_FLAGS(flat::TOwnerDrawState)
