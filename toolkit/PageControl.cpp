#include "PageControl.h"

#include "Accessible.h"
#include "Label.h"
#include "Layout.h"

#include <QApplication>
#include <QChildEvent>
#include <QFontMetrics>
#include <algorithm>
#include <stdexcept>

namespace tk {

namespace {

using Position = TPageControl::TTabPosition;
using Style = TPageControl::TTabStyle;

// `c` moved towards `towards` by `percent`.
TColor mix(TColor c, TColor towards, int percent) {
    const TColor a = resolveColor(c), b = resolveColor(towards);
    const auto part = [&](int x, int y) { return x + (y - x) * percent / 100; };
    return rgb(part(redOf(a), redOf(b)), part(greenOf(a), greenOf(b)), part(blueOf(a), blueOf(b)));
}

constexpr int UnselectedShade = 6; // unselected tabs: this much darker than the control
constexpr int PressedLight = 50;   // a selected button: this much lighter than the control
constexpr int FocusInset = 3;      // the focus rectangle inside the selected tab
constexpr int SeparatorInset = 2;  // flat-button separators keep off the strip's edges

// A tab of the tab style as a box: an unselected one stops at the frame line, the selected
// one is two pixels larger and reaches over the frame line, whose piece under it (`open`)
// takes the page's colour so that tab and page are one surface.
struct TabShape {
    Rect box;
    Rect open;
};

TabShape tabShape(const Rect& i, const Rect& frame, Position pos, bool selected) {
    switch (pos) {
    case Position::tpTop:
        if (!selected) return {{i.Left, i.Top, i.Right + 1, frame.Top + 1}, {}};
        return {{i.Left - 2, i.Top - 2, i.Right + 2, frame.Top + 1},
                {i.Left - 1, frame.Top, i.Right + 1, frame.Top + 1}};
    case Position::tpBottom:
        if (!selected) return {{i.Left, frame.Bottom - 1, i.Right + 1, i.Bottom}, {}};
        return {{i.Left - 2, frame.Bottom - 1, i.Right + 2, i.Bottom + 2},
                {i.Left - 1, frame.Bottom - 1, i.Right + 1, frame.Bottom}};
    case Position::tpLeft:
        if (!selected) return {{i.Left, i.Top, frame.Left + 1, i.Bottom + 1}, {}};
        return {{i.Left - 2, i.Top - 2, frame.Left + 1, i.Bottom + 2},
                {frame.Left, i.Top - 1, frame.Left + 1, i.Bottom + 1}};
    case Position::tpRight:
        if (!selected) return {{frame.Right - 1, i.Top, i.Right, i.Bottom + 1}, {}};
        return {{frame.Right - 1, i.Top - 2, i.Right + 2, i.Bottom + 2},
                {frame.Right - 1, i.Top - 1, frame.Right, i.Bottom + 1}};
    }
    return {};
}

} // namespace

TTabSheet::TTabSheet(Component* owner, QWidget* parent) : TControl(owner, nullptr) {
    setColor(clBtnFace);
    if (parent) setParentControl(parent);
}

TTabSheet::~TTabSheet() {
    if (m_pageControl) m_pageControl->removePage(this);
}

void TTabSheet::setParentControl(QWidget* parent) {
    auto* pc = qobject_cast<TPageControl*>(parent);
    if (m_pageControl && m_pageControl != pc) m_pageControl->removePage(this);
    TControl::setParentControl(parent);
    if (pc && m_pageControl != pc) pc->insertPage(this);
}

int TTabSheet::pageIndex() const {
    return m_pageControl ? m_pageControl->indexOfPage(this) : -1;
}

void TTabSheet::setPageIndex(int index) {
    if (m_pageControl) m_pageControl->movePage(this, index);
}

int TTabSheet::tabIndex() const {
    return m_pageControl ? m_pageControl->tabIndexOf(this) : -1;
}

void TTabSheet::setTabVisible(bool on) {
    if (!assignIfChanged(m_tabVisible, on)) return;
    // A tab that comes back is a new tab in the strip: it shows the page's image again.
    if (on) m_tabImage = m_imageIndex;
    if (m_pageControl) m_pageControl->tabsChanged();
}

void TTabSheet::setImageIndex(int index) {
    if (!assignIfChanged(m_imageIndex, index)) return;
    if (m_pageControl && m_tabVisible) {
        m_tabImage = index;
        m_pageControl->update();
    }
}

void TTabSheet::textChanged() {
    TControl::textChanged();
    if (m_pageControl) {
        m_pageControl->tabsChanged();
        // The tab is named after the page.
        m_pageControl->raiseTabEvent(QAccessible::NameChanged, tabIndex());
    }
}

void TTabSheet::colorChanged() {
    TControl::colorChanged();
    // The tab and the frame's inside show the page's colour.
    if (m_pageControl) m_pageControl->update();
}

TPageControl::TPageControl(Component* owner, QWidget* parent) : TControl(owner, nullptr) {
    setControlStyle(controlStyle() | csAcceptsControls);
    setTabStop(true);
    setBounds(0, 0, 289, 193);
    if (parent) setParentControl(parent);
}

TPageControl::~TPageControl() {
    // The sheets are still child widgets and go with QWidget's destructor, after this
    // object is no page control any more: let go of them first.
    for (TTabSheet* p : std::as_const(m_pages))
        p->m_pageControl = nullptr;
    if (m_images) removeFreeNotification(m_images);
}

void TPageControl::setActivePage(TTabSheet* page) {
    if (page && page->m_pageControl != this)
        throw std::invalid_argument(
            QStringLiteral("'%1' is not a page of '%2'").arg(page->name(), name()).toStdString());
    changeActivePage(page);
}

void TPageControl::changeActivePage(TTabSheet* page) {
    TTabSheet* old = m_activePage;
    if (page == old) return;
    // Hiding a page that holds the focus would let Qt hand it to any control; keep it here.
    QWidget* focus = QApplication::focusWidget();
    const bool focusLeaves = old && focus && (focus == old || old->isAncestorOf(focus));
    m_activePage = page;
    if (page) {
        const Rect r = sheetRect();
        page->setBounds(r.Left, r.Top, r.width(), r.height());
        page->setVisible(true);
        page->raise();
    }
    if (focusLeaves && canFocus()) setFocus();
    if (old) old->setVisible(false);
    update();
    // As a tab strip tells it: the focus (while the strip holds it) and the selection
    // move to the new tab.
    if (hasFocus()) raiseTabEvent(QAccessible::Focus, selectedTab());
    raiseTabEvent(QAccessible::Selection, selectedTab());
    emit activePageChanged(page);
}

void TPageControl::raiseTabEvent(QAccessible::Event type, int tab) {
    if (tab < 0) return;
    QAccessibleEvent e(this, type);
    e.setChild(tab);
    raiseAccessibleEvent(e);
}

int TPageControl::tabAt(QPoint p) const {
    const QList<Rect>& rects = strip().rects;
    for (qsizetype t = 0; t < rects.size(); ++t)
        if (rects[t].contains(p.x(), p.y())) return int(t);
    return -1;
}

int TPageControl::tabImageIndex(int tab) const {
    const TTabSheet* p = pageForTab(tab);
    return p ? p->m_tabImage : -1;
}

void TPageControl::setTabImageIndex(int tab, int image) {
    if (TTabSheet* p = pageForTab(tab)) repaintOnChange(p->m_tabImage, image);
}

const TPageControl::Strip& TPageControl::strip() const {
    if (m_strip) return *m_strip;
    Strip s;
    for (TTabSheet* p : m_pages)
        if (p->m_tabVisible) s.pages.push_back(p);

    const QFontMetrics fm(controlFont().toQFont());
    const int imageHeight = m_images ? m_images->height() : 0;
    const int th = m_tabHeight > 0
                       ? m_tabHeight
                       : std::max(controlFont().metrics().height, imageHeight) + 2 * TabPaddingY;
    QList<int> widths;
    int widest = 0;
    for (const TTabSheet* p : s.pages) {
        int w = m_tabWidth;
        if (w <= 0) {
            w = fm.horizontalAdvance(stripPrefixes(p->caption())) + 2 * TabPaddingX;
            if (m_images) w += m_images->width() + ImageGap;
        }
        widths.push_back(w);
        widest = std::max(widest, w);
    }
    if (m_ownerDraw) std::fill(widths.begin(), widths.end(), widest);

    const bool vertical = m_tabPosition == Position::tpLeft || m_tabPosition == Position::tpRight;
    const int gap = m_style == Style::tsTabs ? 0 : ButtonGap;
    s.depth = vertical ? std::max(th, widest) : th;
    // Across the strip, the tabs keep StripMargin from the edge they stand on.
    const int across = m_tabPosition == Position::tpBottom  ? height() - StripMargin - th
                       : m_tabPosition == Position::tpRight ? width() - StripMargin - s.depth
                                                            : StripMargin;
    int along = StripMargin;
    for (const int w : widths) {
        s.rects.push_back(vertical ? Rect::fromSize(across, along, s.depth, th)
                                   : Rect::fromSize(along, across, w, th));
        along += (vertical ? th : w) + gap;
    }
    m_strip = std::move(s);
    return *m_strip;
}

Rect TPageControl::pageFrameRect(const Rect& w) const {
    const int d = strip().depth;
    const auto on = [&](Position side) { return m_tabPosition == side ? d : 0; };
    return {w.Left + on(Position::tpLeft), w.Top + on(Position::tpTop),
            w.Right - on(Position::tpRight), w.Bottom - on(Position::tpBottom)};
}

Rect TPageControl::adjustPageRect(const Rect& window) const {
    Rect n = pageFrameRect(window).inflated(-FrameMargin, -FrameMargin);
    n.Right = std::max(n.Left, n.Right);
    n.Bottom = std::max(n.Top, n.Bottom);
    return n;
}

void TPageControl::setHotTrack(bool on) {
    if (repaintOnChange(m_hotTrack, on)) m_hotTab = -1;
}

void TPageControl::setImages(TImageList* list) {
    if (list == m_images) return;
    if (m_images) removeFreeNotification(m_images);
    disconnect(m_imagesChanged);
    m_images = list;
    if (list) {
        freeNotification(list);
        m_imagesChanged = connect(list, &TImageList::OnChange, this, [this] { tabsChanged(); });
    }
    tabsChanged();
}

void TPageControl::notification(Component* c, Operation op) {
    Component::notification(c, op);
    if (op == Operation::Remove && m_images && c == static_cast<Component*>(m_images))
        setImages(nullptr);
}

void TPageControl::childEvent(QChildEvent* e) {
    TControl::childEvent(e);
    // A sheet taken away by QWidget::setParent rather than by setParentControl.
    if (e->type() != QEvent::ChildRemoved) return;
    if (const qsizetype i = m_pages.indexOf(e->child()); i >= 0) removePage(m_pages[i]);
}

void TPageControl::insertPage(TTabSheet* page) {
    m_pages.append(page);
    page->m_pageControl = this;
    page->m_tabImage = page->m_imageIndex;
    page->setVisible(false);
    tabsChanged();
    // A control that shows nothing while it has a page to show helps nobody; a layout
    // names its active page itself and loaded() covers it otherwise.
    if (!m_activePage && !isLoading() && page->m_tabVisible) changeActivePage(page);
}

void TPageControl::removePage(TTabSheet* page) {
    const qsizetype i = m_pages.indexOf(page);
    if (i < 0) return;
    TTabSheet* next = page == m_activePage ? successorOf(page) : m_activePage;
    m_pages.removeAt(i);
    page->m_pageControl = nullptr;
    if (page == m_activePage) {
        m_activePage = nullptr; // the page that goes keeps its own visibility
        changeActivePage(next);
    }
    tabsChanged();
}

void TPageControl::movePage(TTabSheet* page, int index) {
    const qsizetype from = m_pages.indexOf(page);
    if (from < 0) return;
    const qsizetype to = std::clamp<qsizetype>(index, 0, m_pages.size() - 1);
    if (from == to) return;
    m_pages.move(from, to);
    tabsChanged();
}

TTabSheet* TPageControl::successorOf(const TTabSheet* page) const {
    const qsizetype i = m_pages.indexOf(page);
    for (qsizetype j = i + 1; j < m_pages.size(); ++j)
        if (m_pages[j]->m_tabVisible) return m_pages[j];
    for (qsizetype j = i - 1; j >= 0; --j)
        if (m_pages[j]->m_tabVisible) return m_pages[j];
    return nullptr;
}

void TPageControl::tabsChanged() {
    m_strip.reset();
    // Pages and captions arrive one by one while loading; loaded() lays them out once.
    if (isLoading()) return;
    if (m_hotTab >= tabCount()) m_hotTab = -1;
    layoutSheets();
    update();
}

void TPageControl::layoutSheets() {
    const Rect r = sheetRect();
    for (TTabSheet* p : std::as_const(m_pages))
        p->setBounds(r.Left, r.Top, r.width(), r.height());
}

void TPageControl::recreateWnd() {
    for (TTabSheet* p : std::as_const(m_pages))
        p->m_tabImage = p->m_imageIndex;
    tabsChanged();
}

bool TPageControl::selectTabByUser(int tab) {
    TTabSheet* p = pageForTab(tab);
    if (!p || p == m_activePage) return false;
    bool allow = true;
    emit OnChanging(allow);
    if (!allow) return false;
    const QPointer<TPageControl> alive(this);
    changeActivePage(p);
    if (alive) emit OnChange();
    return true;
}

void TPageControl::loaded() {
    TControl::loaded();
    if (!m_activePage) changeActivePage(successorOf(nullptr));
    recreateWnd();
}

bool TPageControl::dialogChar(QChar c) {
    const Strip& s = strip();
    for (qsizetype t = 0; t < s.pages.size(); ++t) {
        if (!isAccelerator(c, s.pages[t]->caption()) || !canFocus()) continue;
        selectTabByUser(int(t));
        return true;
    }
    return TControl::dialogChar(c);
}

bool TPageControl::dialogKey(int key, TShiftState shift) {
    const int tabs = tabCount();
    if (key != VK_TAB || (shift & (ssCtrl | ssAlt)) != ssCtrl || tabs == 0 || !canFocus() ||
        !isWithin(QApplication::focusWidget(), this))
        return TControl::dialogKey(key, shift);
    const int step = shift & ssShift ? -1 : 1;
    const int sel = selectedTab();
    selectTabByUser(sel < 0 ? (step > 0 ? 0 : tabs - 1) : (sel + step + tabs) % tabs);
    return true;
}

void TPageControl::keyDown(int& key, TShiftState shift) {
    TControl::keyDown(key, shift);
    const int step = arrowStep(key);
    if (step == 0) return;
    const int sel = selectedTab();
    const int t = sel < 0 ? 0 : sel + step;
    // Like the platform's tab strip, the arrows stop at the ends rather than wrap.
    if (t >= 0 && t < tabCount()) selectTabByUser(t);
    key = 0;
}

void TPageControl::wmMouseDown(TMouseButton b, TShiftState shift, QPoint p) {
    // The strip takes the press before the mouse-down event is raised, as the native
    // control does, so OnMouseDown already sees the page the press chose.
    if (b == mbLeft) {
        const int t = tabAt(p);
        if (t >= 0) {
            if (canFocus() && !hasFocus()) setFocus();
            selectTabByUser(t);
        }
    }
    TControl::wmMouseDown(b, shift, p);
}

void TPageControl::mouseMove(TShiftState shift, int x, int y) {
    TControl::mouseMove(shift, x, y);
    if (m_hotTrack) repaintOnChange(m_hotTab, tabAt(QPoint(x, y)));
}

void TPageControl::mouseLeave() {
    TControl::mouseLeave();
    repaintOnChange(m_hotTab, -1);
}

void TPageControl::resized() {
    // Sheets first, so that OnResize sees them in place.
    m_strip.reset();
    layoutSheets();
    TControl::resized();
}

void TPageControl::fontChanged() {
    TControl::fontChanged();
    tabsChanged();
}

void TPageControl::paint(Canvas& c) {
    TControl::paint(c);
    if (m_style == Style::tsTabs) {
        const Rect frame = pageFrameRect(Rect{0, 0, width(), height()});
        c.fillRect(frame.inflated(-1, -1), m_activePage ? m_activePage->color() : color());
        c.frameRect(frame, clBtnShadow);
    }
    const int selected = selectedTab();
    // The selected tab last: it reaches over its neighbours.
    for (int t = 0; t < tabCount(); ++t)
        if (t != selected) paintTab(c, t, false);
    if (selected >= 0) paintTab(c, selected, true);
    paintFocusMark(c);
}

void TPageControl::paintFocusMark(Canvas& c) const {
    const int selected = selectedTab();
    if (selected >= 0 && hasFocus())
        c.drawFocusRect(tabRect(selected).inflated(-FocusInset, -FocusInset));
}

void TPageControl::paintTab(Canvas& c, int tab, bool selected) {
    const Rect item = tabRect(tab);
    const TTabSheet* page = pageForTab(tab);
    const bool hot = m_hotTrack && tab == m_hotTab;
    switch (m_style) {
    case Style::tsTabs: {
        const Rect frame = pageFrameRect(Rect{0, 0, width(), height()});
        const TabShape shape = tabShape(item, frame, m_tabPosition, selected);
        const TColor fill = selected ? page->color() : mix(color(), clBlack, UnselectedShade);
        c.fillRect(shape.box, fill);
        c.frameRect(shape.box, clBtnShadow);
        if (selected) c.fillRect(shape.open, fill);
        break;
    }
    case Style::tsButtons:
    case Style::tsFlatButtons: {
        if (m_style == Style::tsButtons || selected || hot) {
            c.fillRect(item, selected ? mix(color(), clWhite, PressedLight) : color());
            c.frameRect(item, clBtnShadow);
        }
        if (m_style == Style::tsButtons) break;
        // A separator in the gap after every flat button.
        const bool row = m_tabPosition == Position::tpTop || m_tabPosition == Position::tpBottom;
        const int at = (row ? item.Right : item.Bottom) + ButtonGap / 2;
        c.fillRect(row ? Rect{at, item.Top + SeparatorInset, at + 1, item.Bottom - SeparatorInset}
                       : Rect{item.Left + SeparatorInset, at, item.Right - SeparatorInset, at + 1},
                   clBtnShadow);
        break;
    }
    }
    Canvas::StateSaver saver(c);
    c.setFont(controlFont());
    if (m_ownerDraw) return drawTab(c, tab, item, selected);
    Rect text = item.inflated(-TabPaddingX, -TabPaddingY);
    if (m_images) {
        m_images->draw(c, text.Left, (item.Top + item.Bottom - m_images->height()) / 2,
                       tabImageIndex(tab), enabled());
        text.Left += m_images->width() + ImageGap;
    }
    c.setTextBackground(TextBackground::Transparent);
    if (!enabled())
        c.setFontColor(clGrayText);
    else if (hot)
        c.setFontColor(clHotLight);
    c.drawText(text, page->caption(),
               TextFormats(TextFormat::Center) | TextFormat::VCenter | TextFormat::SingleLine |
                   TextFormat::EndEllipsis);
}

void registerPageControlClasses() {
    registerLayoutClass<TPageControl>();
    registerLayoutClass<TTabSheet>();
    registerLayoutClass<TImageList>();
}

} // namespace tk
