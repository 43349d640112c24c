#include "FlatPages.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <stdexcept>

namespace flat {

using NativeStyle = tk::TPageControl::TTabStyle;
using NativePosition = tk::TPageControl::TTabPosition;

namespace {

// How much darker an unselected tab is than its sheet, and the steps of its inner edge
// and of the caption's shadow.
constexpr int UnselectedShade = 5;
constexpr int InnerEdgeShade = 10;
constexpr int OuterEdgeShade = 20;
constexpr int CaptionShadowShade = 30;
constexpr int TabCorner = 6;      // the rounding of a tab's outer corners
constexpr int CaptionInset = 2;   // between a tab's edge and its caption
constexpr int GlyphGap = 6;       // the room a glyph takes beyond its width
constexpr int GlyphInset = 3;     // a glyph's distance from the tab's left edge
constexpr int SheetMargin = 3;    // the sheets reach this far beyond the native page area,
constexpr int SheetMarginTop = 2; // but only this far above it
constexpr int OwnerDrawSelectedIndent = 16;
constexpr int OwnerDrawIndent = 12;
constexpr int MaxGradientColors = 256;

void line(Canvas& c, int x1, int y1, int x2, int y2, TColor color) {
    c.setPenColor(color);
    c.moveTo(x1, y1);
    c.lineTo(x2, y2);
}

// One tab painted, side by side, in the shape each strip position gives it.
struct TabPainter {
    Canvas& c;
    TColor C;
    TColor border;

    void body(const Rect& box, const Rect& rounded, const Rect& fill) {
        c.setBrush({C, tk::BrushStyle::Solid});
        c.setPenColor(border);
        c.rectangle(box);
        c.roundRect(rounded, TabCorner, TabCorner);
        c.fillRect(fill, C);
    }
    // Wipes the frame line between the selected tab and its page.
    void join(const Rect& r) {
        c.setBrush({C, tk::BrushStyle::Solid});
        c.setPenColor(C);
        c.rectangle(r);
    }
    // The shaded right and bottom edges of an unselected tab, an outer line in a darker
    // shade and an inner one in a lighter, ending where `up` says (see UnselectedEdgeEnds).
    void edges(const Rect& R, const int* up) {
        const TColor d10 = DarkenColor(C, InnerEdgeShade), d20 = DarkenColor(C, OuterEdgeShade);
        line(c, R.Right - 2, R.Top + 2, R.Right - 2, R.Bottom - up[0], d20);
        line(c, R.Right - 3, R.Top + 4, R.Right - 3, R.Bottom - up[1], d10);
        line(c, R.Left + 2, R.Bottom - up[2], R.Right - 2, R.Bottom - up[2], d20);
        line(c, R.Left + 3, R.Bottom - up[3], R.Right - 3, R.Bottom - up[4], d10);
    }
};

// By strip position (tpTop, tpBottom, tpLeft, tpRight): how a tab's box grows from its strip
// rectangle, less one pixel at the bottom, on the left, top, right and bottom. A selected
// tab reaches over the frame line toward the page; an unselected one keeps a pixel clear
// of its neighbour.
constexpr int SelectedTabGrowth[4][4] = {
    {-2, -2, 1, 0}, {-2, 0, 1, 1}, {-2, -1, 0, 1}, {0, -1, 2, 1}};
constexpr int UnselectedTabGrowth[4][4] = {
    {0, 0, -1, -1}, {0, 1, -1, 0}, {0, 0, -1, 0}, {1, 0, 0, 0}};
// How far above the box's bottom the shaded edges of an unselected tab end: the outer and
// inner right edge, the outer bottom edge, and both ends of the inner bottom edge.
constexpr int UnselectedEdgeEnds[4][5] = {
    {1, 2, 1, 2, 2}, {2, 3, 2, 3, 3}, {1, 2, 2, 3, 4}, {1, 2, 2, 3, 4}};

// The flat enumerations name the native values in the native order; pcsFlatStyle stands on
// plain tabs, which the control paints itself.
static_assert(int(NativeStyle::tsFlatButtons) == pcsFlatButtons &&
              int(NativePosition::tpBottom) == tpBottom && int(NativePosition::tpRight) == tpRight);

NativeStyle nativeStyle(TPagesStyle s) {
    return s == pcsFlatStyle ? NativeStyle::tsTabs : NativeStyle(s);
}

bool isButtonStyle(TPagesStyle s) {
    return s == pcsButtons || s == pcsFlatButtons;
}

} // namespace

// --- Painting ---------------------------------------------------------------------------

Rect PaintFlatTab(Canvas& canvas, TPagesPosition position, const Rect& item, bool selected,
                  TColor color, TColor border, bool hotTrack) {
    Canvas::StateSaver saver(canvas);
    const int* grow = (selected ? SelectedTabGrowth : UnselectedTabGrowth)[position];
    const Rect R{item.Left + grow[0], item.Top + grow[1], item.Right + grow[2],
                 item.Bottom - 1 + grow[3]};
    const int L = R.Left, T = R.Top, Rt = R.Right, B = R.Bottom;
    TabPainter p{canvas, selected ? color : DarkenColor(color, UnselectedShade), border};
    switch (position) {
    case tpTop:
        p.body({L, T + 6, Rt, B}, {L, T, Rt, B - 7}, {L + 1, T + 5, Rt - 1, B});
        break;
    case tpBottom:
        p.body({L, T, Rt, B - 6}, {L, T + 6, Rt, B}, {L + 1, T + 6, Rt - 1, B - 3});
        break;
    case tpLeft:
        p.body({L + 6, T, Rt, B}, {L, T, L + 8, B}, {L + 5, T + 1, Rt - 1, B - 1});
        break;
    case tpRight:
        p.body({L, T, Rt - 6, B}, {Rt - 8, T, Rt, B}, {Rt - 8, T + 1, Rt - 3, B - 1});
        break;
    }
    if (!selected) {
        p.edges(R, UnselectedEdgeEnds[position]);
        return R;
    }
    // Side tabs have no joining piece: their frame line stays.
    if (position == tpTop) p.join({L + 1, B - 1, Rt - 1, B + 2});
    if (position == tpBottom) p.join({L + 1, T - 1, Rt - 1, T + 2});
    if (!hotTrack) return R;
    if (position == tpTop || position == tpBottom) {
        const int y = position == tpTop ? T : B - 1;
        line(canvas, L + 2, y, Rt - 2, y, HotLineDarkColor);
        line(canvas, L + 2, y + 1, Rt - 2, y + 1, HotLineLightColor);
    } else {
        const int x = position == tpLeft ? L : Rt - 2;
        line(canvas, x, T + 2, x, B - 2, HotLineDarkColor);
        line(canvas, x + 1, T + 1, x + 1, B - 1, HotLineLightColor);
    }
    return R;
}

void PaintTabHotLines(Canvas& canvas, TPagesPosition position, const Rect& item, bool hot,
                      TColor border, TColor sheetColor) {
    Canvas::StateSaver saver(canvas);
    const Rect& I = item;
    // First and second line; taking the marking away draws them in the tab's own colours.
    const TColor d20 = DarkenColor(sheetColor, OuterEdgeShade);
    TColor first = HotLineLightColor, second = HotLineDarkColor;
    if (position == tpTop) {
        first = hot ? HotLineDarkColor : border;
        second = hot ? HotLineLightColor : DarkenColor(sheetColor, UnselectedShade);
    } else if (!hot) {
        first = position == tpBottom ? d20 : border;
        second = position == tpBottom ? border : d20;
    }
    switch (position) {
    case tpTop:
        line(canvas, I.Left + 2, I.Top, I.Right - 3, I.Top, first);
        line(canvas, I.Left + 2, I.Top + 1, I.Right - 3, I.Top + 1, second);
        break;
    case tpBottom:
        line(canvas, I.Left + 2, I.Bottom - 3, I.Right - 3, I.Bottom - 3, first);
        line(canvas, I.Left + 2, I.Bottom - 2, I.Right - 3, I.Bottom - 2, second);
        break;
    case tpLeft:
        line(canvas, I.Left, I.Top + 2, I.Left, I.Bottom - 3, first);
        line(canvas, I.Left + 1, I.Top + 2, I.Left + 1, I.Bottom - 3, second);
        break;
    case tpRight:
        line(canvas, I.Right - 1, I.Top + 2, I.Right - 1, I.Bottom - 3, first);
        line(canvas, I.Right, I.Top + 2, I.Right, I.Bottom - 3, second);
        break;
    }
}

QRect TabHotLinesRect(TPagesPosition position, const Rect& I) {
    switch (position) {
    case tpTop:
        return QRect(QPoint(I.Left + 2, I.Top), QPoint(I.Right - 3, I.Top + 1));
    case tpBottom:
        return QRect(QPoint(I.Left + 2, I.Bottom - 3), QPoint(I.Right - 3, I.Bottom - 2));
    case tpLeft:
        return QRect(QPoint(I.Left, I.Top + 2), QPoint(I.Left + 1, I.Bottom - 3));
    case tpRight:
        return QRect(QPoint(I.Right - 1, I.Top + 2), QPoint(I.Right, I.Bottom - 3));
    }
    return {};
}

void PaintTabCaption(Canvas& canvas, const Rect& r, const TTabFace& face) {
    Canvas::StateSaver saver(canvas);
    canvas.setBrushStyle(tk::BrushStyle::Clear);
    canvas.setTextBackground(tk::TextBackground::Transparent);
    canvas.setFont(face.font);
    Rect text = r.inflated(-CaptionInset, -CaptionInset);
    if (face.images) text.Left += face.images->width() + GlyphGap;
    const tk::TextFormats flags = alignmentFormat(face.alignment) | tk::TextFormat::SingleLine |
                                  tk::TextFormat::VCenter | tk::TextFormat::EndEllipsis;
    canvas.setFontColor(DarkenColor(face.sheetColor, CaptionShadowShade));
    canvas.drawText(text.translated(1, 1), face.caption, flags);
    canvas.setFontColor(face.font.color());
    canvas.drawText(text, face.caption, flags);
    if (face.images)
        face.images->draw(canvas, r.Left + GlyphInset,
                          (r.Top + r.Bottom - face.images->height()) / 2, face.imageIndex, true);
}

// --- TDefinePages -----------------------------------------------------------------------

TDefinePages::TDefinePages(tk::Component* owner, QWidget* parent) : TVersionPages(owner, nullptr) {
    setShowHint(true);
    // The hot tabs follow the mouse without a button held.
    setMouseTracking(true);
    if (parent) setParentControl(parent);
}

void TDefinePages::setStyle(TPagesStyle s) {
    if (!assignIfChanged(m_style, s)) return;
    m_hotIndex = m_cooledIndex = -1;
    applyNative(nativeStyle(s),
                isButtonStyle(s) ? NativePosition::tpTop : TVersionPages::tabPosition());
}

void TDefinePages::setTabPosition(TPagesPosition p) {
    if (p == tabPosition()) return;
    if (isButtonStyle(m_style) && p != tpTop)
        throw std::invalid_argument("Tab position incompatible with current tab style");
    m_hotIndex = m_cooledIndex = -1;
    applyNative(TVersionPages::style(), NativePosition(p));
}

void TDefinePages::applyNative(NativeStyle style, NativePosition position) {
    {
        // Each native setter would re-create on its own; one re-creation serves both.
        const QScopedValueRollback quiet(m_applyingNative, true);
        TVersionPages::setTabPosition(position);
        TVersionPages::setStyle(style);
    }
    recreateWnd();
}

void TDefinePages::recreateWnd() {
    if (m_applyingNative) return;
    TVersionPages::recreateWnd();
    // A new strip knows nothing of the list: attach it again, which also numbers the
    // sheets' glyphs afresh.
    if (images()) attachImageList(images());
    relayout();
}

void TDefinePages::setImageList(tk::TImageList* list) {
    // Runs for the same list too: attaching again numbers the glyphs afresh.
    attachImageList(list);
    relayout();
}

void TDefinePages::attachImageList(tk::TImageList* list) {
    // Every page must be a flat sheet before anything changes.
    std::vector<TDefineSheet*> sheets;
    for (int i = 0; i < pageCount(); ++i)
        sheets.push_back(&flatSheet(i));

    disconnect(m_imagesChanged);
    setImages(list);
    for (size_t i = 0; i < sheets.size(); ++i)
        sheets[i]->setImageIndex(list ? int(i) : -1);
    if (list)
        m_imagesChanged = connect(list, &tk::TImageList::OnChange, this, [this] { mapGlyphs(); });
    mapGlyphs();
}

void TDefinePages::mapGlyphs() {
    if (!images()) return;
    for (int i = 0; i < pageCount(); ++i) {
        int glyph = i;
        emit OnGlyphMap(this, i, glyph);
        // By page index, as the strip numbers its tabs: a hidden tab shifts the rest.
        setTabImageIndex(i, glyph);
    }
}

void TDefinePages::relayout() {
    tabsChanged();
    if (tk::TTabSheet* page = activePage()) page->update();
}

TDefineSheet& TDefinePages::flatSheet(int index) const {
    tk::TTabSheet* p = page(index);
    if (!p)
        throw std::out_of_range(
            QStringLiteral("'%1' has no page %2").arg(name()).arg(index).toStdString());
    return flatSheet(p);
}

bool TDefinePages::canHold(const QObject* child) const {
    return TVersionPages::canHold(child) &&
           (!qobject_cast<const tk::TTabSheet*>(child) || qobject_cast<const TDefineSheet*>(child));
}

TDefineSheet& TDefinePages::flatSheet(tk::TTabSheet* page) const {
    if (auto* s = qobject_cast<TDefineSheet*>(page)) return *s;
    throw std::logic_error(
        QStringLiteral("'%1' is not a flat sheet: the pages of '%2' must be flat sheets")
            .arg(page ? page->name() : QString(), name())
            .toStdString());
}

Rect TDefinePages::sheetRect() const {
    const Rect n = displayRect();
    return {n.Left - SheetMargin, n.Top - SheetMarginTop, n.Right + SheetMargin,
            n.Bottom + SheetMargin};
}

void TDefinePages::paint(Canvas& c) {
    if (!isFlatStyle()) {
        TVersionPages::paint(c);
        return;
    }
    paintFrame(c);
    paintFlatTabs(c);
    paintFocusMark(c);
    // The hot lines of the selected tab come with its body (while HotTrack is on); those of
    // another tab follow the hot index, and the tab they last left keeps the lines in its
    // own colours.
    if (!hotTrack()) return;
    if (hasHotLines(m_cooledIndex) && m_cooledIndex != m_hotIndex)
        paintHotLines(c, m_cooledIndex, false);
    if (hasHotLines(m_hotIndex)) paintHotLines(c, m_hotIndex, true);
}

void TDefinePages::paintHotLines(Canvas& c, int tab, bool hot) const {
    if (ownerDraw() && isHandled(&TDefinePages::OnDrawItem))
        return; // the tab is the handler's picture
    PaintTabHotLines(c, tabPosition(), tabRect(tab), hot, colorBorder(),
                     flatSheet(pageForTab(tab)).color());
}

void TDefinePages::paintFrame(Canvas& c) const {
    Canvas::StateSaver saver(c);
    c.setBrushStyle(tk::BrushStyle::Clear);
    c.setPenColor(colorBorder());
    c.rectangle(frameRect());
}

void TDefinePages::paintFlatTabs(Canvas& c) {
    const int selected = selectedTab();
    for (int t = 0; t < tabCount(); ++t) {
        tk::TTabSheet* page = pageForTab(t);
        const Rect item = tabRect(t);
        Canvas::StateSaver saver(c);
        if (ownerDraw() && isHandled(&TDefinePages::OnDrawItem)) {
            emit OnDrawItem(this, indexOfPage(page), c, item, {});
            continue;
        }
        const TDefineSheet& sheet = flatSheet(page);
        const Rect r = PaintFlatTab(c, tabPosition(), item, t == selected, sheet.color(),
                                    colorBorder(), hotTrack());
        PaintTabCaption(c, r,
                        {page->caption(), page->controlFont(), sheet.color(), m_tabTextAlignment,
                         images(), sheet.imageIndex()});
    }
}

void TDefinePages::drawTab(Canvas& c, int tab, const Rect& r, bool selected) {
    Canvas::StateSaver saver(c);
    c.setFont(controlFont());
    c.setBrush({color(), tk::BrushStyle::Solid});
    if (tab < 0) {
        c.fillRect(r);
        return;
    }
    if (isHandled(&TDefinePages::OnDrawItem)) {
        emit OnDrawItem(this, tab, c, r,
                        selected ? TOwnerDrawState(odSelected) : TOwnerDrawState());
        return;
    }
    GradientFill(c, r, tk::clWhite, OwnerDrawTabEndColor, fdCenterToVerti,
                 (r.height() / 2) % MaxGradientColors);
    const tk::TTabSheet* page = pageForTab(tab);
    if (!page) return;
    c.setBrushStyle(tk::BrushStyle::Clear);
    c.setTextBackground(tk::TextBackground::Transparent);
    const int x = r.Left + (selected ? OwnerDrawSelectedIndent : OwnerDrawIndent);
    c.textOut(x, r.Top + (r.height() - c.textHeight(QStringLiteral("A"))) / 2, page->caption());
}

void TDefinePages::mouseMove(tk::TShiftState shift, int x, int y) {
    if (!isFlatStyle()) {
        TVersionPages::mouseMove(shift, x, y);
        return;
    }
    // In the flat style the mouse over the control serves the hot tabs only: neither the
    // native hot tracking nor OnMouseMove sees it.
    if (hotTrack()) setHotIndex(tabAt(QPoint(x, y)));
}

void TDefinePages::mouseLeave() {
    TVersionPages::mouseLeave();
    if (!isFlatStyle()) return;
    // With HotTrack off no lines show, but the tab must not come back hot when it is
    // switched on again with the mouse away.
    if (!hotTrack()) m_hotIndex = m_cooledIndex = -1;
    // The selected tab stays hot: its lines belong to its body.
    else if (m_hotIndex != -1 && m_hotIndex != selectedTab())
        setHotIndex(-1);
}

void TDefinePages::setHotIndex(int h) {
    if (h == m_hotIndex) return;
    // Only the two lines of each tab change: repaint just them.
    if (hasHotLines(m_hotIndex)) {
        m_cooledIndex = m_hotIndex;
        update(TabHotLinesRect(tabPosition(), tabRect(m_hotIndex)));
    }
    m_hotIndex = h;
    if (hasHotLines(h)) update(TabHotLinesRect(tabPosition(), tabRect(h)));
}

void TDefinePages::hintAt(QPoint pos, QString& text, QRect& cursorRect) {
    TVersionPages::hintAt(pos, text, cursorRect);
    const int h = tabAt(pos);
    const auto* sheet = qobject_cast<const TDefineSheet*>(pageForTab(h));
    if (!sheet || !sheet->showTabHint() || sheet->tabHint().isEmpty()) return;
    text = sheet->tabHint().section(QLatin1Char('|'), 0, 0);
    // Another tab is another hint.
    cursorRect = tabRect(h).toQRect();
}

// --- TDefineSheet -----------------------------------------------------------------------

TDefineSheet::TDefineSheet(tk::Component* owner, QWidget* parent) : TVersionSheet(owner, nullptr) {
    if (parent) setParentControl(parent);
}

void TDefineSheet::setImageIndex(int index) {
    index = std::max(-1, index);
    if (index == imageIndex() || !pageControl()) return;
    TVersionSheet::setImageIndex(index);
}

void TDefineSheet::setBGImage(const tk::Bitmap& picture) {
    m_bgImage = picture;
    if (m_bgImage.isEmpty() && (m_bgStyle == bgsTileImage || m_bgStyle == bgsStrechImage))
        m_bgStyle = bgsNone;
    update();
}

void TDefineSheet::eraseBackground(Canvas& c) {
    const Rect r{0, 0, width(), height()};
    switch (m_bgStyle) {
    case bgsGradient:
        GradientFill(c, r, gradientStartColor(), gradientEndColor(), m_gradientFillDir,
                     GradientColors);
        return;
    case bgsTileImage:
        if (m_bgImage.isEmpty()) break;
        TileBitmap(c, r, m_bgImage);
        return;
    case bgsStrechImage:
        if (m_bgImage.isEmpty()) break;
        c.stretchDraw(r, m_bgImage);
        return;
    case bgsNone:
        break;
    }
    c.fillRect(r, color());
}

} // namespace flat
