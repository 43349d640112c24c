#pragma once

// The native page control: a strip of tabs, one per page whose tab is visible, and a page
// area in which the active page is shown. Pages are TTabSheets; a sheet becomes a page by
// being given the control as its parent.
//
// Tab-strip metrics, in pixels (h: the cell height of the control's font; W x H: the window).
// A tab is TabHeight high when set, else max(h, image height) + 2 * TabPaddingY, and
// TabWidth wide when set, else its caption's width + 2 * TabPaddingX (plus the image width
// and ImageGap while an image list is attached); with OwnerDraw every tab is as wide as the
// widest. The tabs run in one row from StripMargin along the top or bottom edge, or in one
// column as wide as the widest tab (at least its height) along the left or right; the button
// styles leave ButtonGap between them, and tabs that do not fit run past the edge. The page
// frame is the window less the strip's depth on the tab side: its outline crosses the tabs'
// second row (or column) from the page side, where the selected tab, two pixels larger,
// joins the page. The page area is the frame shrunk by FrameMargin on every side. The main
// window's control (192 x 208, Tahoma 14 px, tabs "查询" and "关于" on top): tabs
// (2, 2, 42, 23) and (42, 2, 82, 23), frame (0, 21, 192, 208), page area (4, 25, 188, 204).

#include "Canvas.h"
#include "Control.h"
#include "Geometry.h"
#include "ImageList.h"

#include <QAccessible>
#include <QList>
#include <QMetaObject>
#include <optional>

namespace tk {

class TPageControl;

// One page of a page control. It fills the page area and keeps its own colour (ParentColor
// off, clBtnFace); its tab shows its caption and, with an image list, its image.
class TTabSheet : public TControl {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnEnter,OnExit,OnResize")
    Q_CLASSINFO("Range:PageIndex", "0..32767")
    Q_CLASSINFO("Range:ImageIndex", "-1..32767")
    // The page control places, shows and orders its sheets: nesting and creation order
    // decide in a layout.
    Q_PROPERTY(int Left READ left WRITE setLeft STORED false)
    Q_PROPERTY(int Top READ top WRITE setTop STORED false)
    Q_PROPERTY(int Width READ width WRITE setWidth STORED false)
    Q_PROPERTY(int Height READ height WRITE setHeight STORED false)
    Q_PROPERTY(bool Visible READ visible WRITE setVisible STORED false)
    Q_PROPERTY(tk::TPageControl* PageControl READ pageControl WRITE setParentControl STORED false)
    Q_PROPERTY(int PageIndex READ pageIndex WRITE setPageIndex STORED false)
    Q_PROPERTY(bool TabVisible READ tabVisible WRITE setTabVisible)
    Q_PROPERTY(int ImageIndex READ imageIndex WRITE setImageIndex)
public:
    explicit TTabSheet(Component* owner = nullptr, QWidget* parent = nullptr);
    ~TTabSheet() override;

    TPageControl* pageControl() const { return m_pageControl; }
    // The position among the control's pages; -1 without a control. Setting it moves the
    // page (clamped to the range).
    int pageIndex() const;
    void setPageIndex(int index);
    // Its tab among the visible tabs; -1 when the tab is hidden or there is no control.
    int tabIndex() const;

    bool tabVisible() const { return m_tabVisible; }
    void setTabVisible(bool on);
    int imageIndex() const { return m_imageIndex; }
    // Stores the index and gives the page's tab in the strip that image.
    virtual void setImageIndex(int index);

    void setParentControl(QWidget* parent) override;

protected:
    void textChanged() override;
    void colorChanged() override;

private:
    friend class TPageControl;

    TPageControl* m_pageControl = nullptr;
    bool m_tabVisible = true;
    int m_imageIndex = -1;
    int m_tabImage = -1; // the image of its tab in the strip
};

class TPageControl : public TControl {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnChange,OnChanging,OnDrawTab,OnEnter,OnExit,OnMouseDown,"
                             "OnMouseMove,OnMouseUp,OnResize")
    Q_CLASSINFO("Range:ActivePageIndex", "-1..32767")
    Q_CLASSINFO("Range:TabHeight", "0..32767")
    Q_CLASSINFO("Range:TabWidth", "0..32767")
    Q_PROPERTY(
        tk::TTabSheet* ActivePage READ activePage WRITE setActivePage NOTIFY activePageChanged)
    Q_PROPERTY(int ActivePageIndex READ activePageIndex WRITE setActivePageIndex STORED false)
    Q_PROPERTY(TTabStyle Style READ style WRITE setStyle)
    Q_PROPERTY(TTabPosition TabPosition READ tabPosition WRITE setTabPosition)
    Q_PROPERTY(bool HotTrack READ hotTrack WRITE setHotTrack)
    Q_PROPERTY(bool OwnerDraw READ ownerDraw WRITE setOwnerDraw)
    Q_PROPERTY(int TabHeight READ tabHeight WRITE setTabHeight)
    Q_PROPERTY(int TabWidth READ tabWidth WRITE setTabWidth)
    Q_PROPERTY(tk::TImageList* Images READ images WRITE setImages)
public:
    // Scoped, so that the flat pages' own enumerators with the same names stay apart.
    enum class TTabStyle { tsTabs, tsButtons, tsFlatButtons };
    Q_ENUM(TTabStyle)
    enum class TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
    Q_ENUM(TTabPosition)

    static constexpr int StripMargin = 2;
    static constexpr int TabPaddingX = 6;
    static constexpr int TabPaddingY = 2;
    static constexpr int ImageGap = 3;
    static constexpr int ButtonGap = 3;
    static constexpr int FrameMargin = 4;

    explicit TPageControl(Component* owner = nullptr, QWidget* parent = nullptr);
    ~TPageControl() override;

    // --- Pages, in order.
    int pageCount() const { return int(m_pages.size()); }
    TTabSheet* page(int index) const { return m_pages.value(index); }
    const QList<TTabSheet*>& pages() const { return m_pages; }
    int indexOfPage(const TTabSheet* page) const { return int(m_pages.indexOf(page)); }

    TTabSheet* activePage() const { return m_activePage; }
    // Shows `page` (null: none) and hides the others, without the change events: those
    // belong to the user's choices. A page of another control fails with an exception.
    void setActivePage(TTabSheet* page);
    int activePageIndex() const { return indexOfPage(m_activePage); }
    void setActivePageIndex(int index) { changeActivePage(page(index)); }

    // --- Tabs: one per page whose tab is visible, in page order.
    int tabCount() const { return int(strip().pages.size()); }
    // The page of the t-th visible tab; null out of range.
    TTabSheet* pageForTab(int tab) const { return strip().pages.value(tab); }
    // The tab of `page`; -1 when its tab is hidden or it is no page of this control.
    int tabIndexOf(const TTabSheet* page) const { return int(strip().pages.indexOf(page)); }
    // The tab of the active page, -1 for none.
    int selectedTab() const { return tabIndexOf(m_activePage); }
    Rect tabRect(int tab) const { return strip().rects.value(tab); }
    // The tab whose rectangle holds `p`, -1 for none (gaps and the page area included).
    int tabAt(QPoint p) const;
    // The image of a tab in the strip (what the native styles draw beside its caption).
    int tabImageIndex(int tab) const;
    void setTabImageIndex(int tab, int image);

    // --- Geometry.
    // The page area N that remains of `window` once the tab strip and the page frame
    // are taken off; empty rather than inverted when the window is too small.
    Rect adjustPageRect(const Rect& window) const;
    Rect displayRect() const { return adjustPageRect(Rect{0, 0, width(), height()}); }
    // The frame around the page area, for `window`.
    Rect pageFrameRect(const Rect& window) const;

    // --- Settings.
    TTabStyle style() const { return m_style; }
    void setStyle(TTabStyle s) {
        if (assignIfChanged(m_style, s)) recreateWnd();
    }
    TTabPosition tabPosition() const { return m_tabPosition; }
    void setTabPosition(TTabPosition p) {
        if (assignIfChanged(m_tabPosition, p)) recreateWnd();
    }
    bool hotTrack() const { return m_hotTrack; }
    void setHotTrack(bool on);
    bool ownerDraw() const { return m_ownerDraw; }
    void setOwnerDraw(bool on) {
        if (assignIfChanged(m_ownerDraw, on)) recreateWnd();
    }
    // 0 = from the font and the images.
    int tabHeight() const { return m_tabHeight; }
    void setTabHeight(int h) {
        if (assignIfChanged(m_tabHeight, std::clamp(h, 0, MaxCoordinate))) tabsChanged();
    }
    int tabWidth() const { return m_tabWidth; }
    void setTabWidth(int w) {
        if (assignIfChanged(m_tabWidth, std::clamp(w, 0, MaxCoordinate))) tabsChanged();
    }
    // Not owned: the control lets go of it when the list is destroyed.
    TImageList* images() const { return m_images; }
    void setImages(TImageList* list);

    // Selects the tab as the user does: OnChanging may refuse, OnChange follows. Returns
    // whether the page changed.
    bool selectTabByUser(int tab);

    int dialogCode() const override { return DLGC_WANTARROWS; }
    bool dialogChar(QChar c) override;
    // Ctrl+Tab and Ctrl+Shift+Tab turn to the next and the previous page, round the ends,
    // while the focus is on the control or on a control of its pages.
    bool dialogKey(int key, TShiftState shift) override;
    void keyDown(int& key, TShiftState shift) override;
    void loaded() override;

signals:
    // allowChange starts true; clearing it keeps the current page.
    void OnChanging(bool& allowChange);
    void OnChange();
    // Draws one owner-drawn tab: (tab, canvas, its rectangle, selected).
    void OnDrawTab(int tab, tk::Canvas& c, const tk::Rect& r, bool selected);
    // Every change of the active page, the user's (right before OnChange) or the
    // program's, which raises no OnChange (see TControl on the NOTIFY signals).
    void activePageChanged(tk::TTabSheet* page);

protected:
    // Where the sheets lie. The base places them on the page area N.
    virtual Rect sheetRect() const { return displayRect(); }
    // Applies the settings anew, as re-creating the native window does: the tabs take
    // their pages' images again, the strip is measured again and the sheets placed again.
    virtual void recreateWnd();
    // The contents of one tab with OwnerDraw set; the base raises OnDrawTab.
    virtual void drawTab(Canvas& c, int tab, const Rect& r, bool selected) {
        emit OnDrawTab(tab, c, r, selected);
    }

    // The native look: the page frame, the tabs, their contents. A subclass that draws its
    // own strip overrides paint() as a whole.
    void paint(Canvas& c) override;
    void paintTab(Canvas& c, int tab, bool selected);
    // The dotted rectangle inside the selected tab while the strip has the keyboard focus:
    // the only sign that Tab has reached it, whoever paints the tabs.
    void paintFocusMark(Canvas& c) const;

    void wmMouseDown(TMouseButton b, TShiftState shift, QPoint p) override;
    void mouseMove(TShiftState shift, int x, int y) override;
    void mouseLeave() override;
    void resized() override;
    void fontChanged() override;
    void sysColorChanged() override { update(); }
    QRect alignRect() const override { return sheetRect().toQRect(); }
    void notification(Component* c, Operation op) override;
    void childEvent(QChildEvent* e) override;

    // Something that sizes or places the tabs changed: measure again, place the sheets,
    // repaint.
    void tabsChanged();
    void layoutSheets();

private:
    friend class TTabSheet;

    struct Strip {
        QList<TTabSheet*> pages; // the pages of the visible tabs, in order
        QList<Rect> rects;
        int depth = 0;
    };
    const Strip& strip() const;

    void insertPage(TTabSheet* page);
    void removePage(TTabSheet* page);
    void movePage(TTabSheet* page, int index);
    void changeActivePage(TTabSheet* page);
    // Tells assistive technology of `type` on a tab (none for -1).
    void raiseTabEvent(QAccessible::Event type, int tab);
    // The page that takes over when `page` goes: the next one with a visible tab, else
    // the previous one, else none. For null: the first one with a visible tab.
    TTabSheet* successorOf(const TTabSheet* page) const;

    QList<TTabSheet*> m_pages;
    TTabSheet* m_activePage = nullptr;
    TTabStyle m_style = TTabStyle::tsTabs;
    TTabPosition m_tabPosition = TTabPosition::tpTop;
    bool m_hotTrack = false;
    bool m_ownerDraw = false;
    int m_tabHeight = 0;
    int m_tabWidth = 0;
    TImageList* m_images = nullptr;
    QMetaObject::Connection m_imagesChanged;
    int m_hotTab = -1;
    mutable std::optional<Strip> m_strip;
};

// Makes TPageControl, TTabSheet and TImageList known to the layout reader.
void registerPageControlClasses();

} // namespace tk
