#include "FlatColorBox.h"

#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QPaintEvent>
#include <algorithm>

namespace flat {

using tk::Canvas;
using tk::Rect;
using tk::TColor;

namespace {

// Without names the swatch stops this far short of the item's right edge.
constexpr int SwatchRightMargin = 6;
// The name begins this far right of the swatch's inner right edge.
constexpr int NameGap = 5;

} // namespace

TDefineColorBox::TDefineColorBox(tk::Component* owner, QWidget* parent)
    : TVersionComboBox(owner, nullptr) {
    m_scrollBarWidth = platformScrollBarWidth();
    setControlStyle((controlStyle() | tk::csOpaque) & ~tk::TControlStyle(tk::csFixedHeight));
    setCustomFrame(true);
    setComboStyle(tk::csOwnerDrawFixed);
    setBounds(0, 0, 120, 20);
    auto* t = createComboTicket(*this);
    m_ticket = t;
    m_ticketComponent = t;
    if (parent) setParentControl(parent);
}

TDefineColorBox::~TDefineColorBox() {
    delete m_ticket;
}

ComboGeometry TDefineColorBox::comboGeometry() const {
    return {width(), height(), m_arrowWidth};
}

// --- The list -----------------------------------------------------------------------

bool TDefineColorBox::event(QEvent* e) {
    const bool handled = TVersionComboBox::event(e);
    // Polishing is the first moment the box is about to be seen: its native window is
    // created, and with it the list.
    if (e->type() == QEvent::Polish && !m_created) {
        m_created = true;
        fillList();
    }
    return handled;
}

void TDefineColorBox::recreateWnd() {
    TVersionComboBox::recreateWnd();
    if (m_created) fillList();
}

void TDefineColorBox::fillList() {
    clearItems();
    for (const TStandardColor& entry : StandardColorTable)
        addItem(m_language == nlEnglish ? englishColorName(entry) : localColorName(entry),
                entry.Color);
    setItemIndex(0);
    change();
}

void TDefineColorBox::fontChanged() {
    TVersionComboBox::fontChanged();
    setItemHeight(TDefineComboBox::DefaultItemHeight);
    recreateWnd();
}

void TDefineColorBox::setLanguage(TNameLanguage l) {
    if (l == m_language) return;
    m_language = l;
    recreateWnd();
}

TColor TDefineColorBox::selectedColor() const {
    const int i = itemIndex();
    return i < 0 ? tk::clNone : TColor(itemValue(i));
}

void TDefineColorBox::selectColor(TColor c) {
    const int selected = itemIndex();
    if (selected >= 0 && c == m_currentColor) return;
    // The first match wins: a custom colour equal to a standard one selects the standard.
    for (int i = 0; i < itemCount(); ++i) {
        if (TColor(itemValue(i)) != c) continue;
        m_currentColor = c;
        if (i != selected) setItemIndex(i);
        change();
        return;
    }
}

void TDefineColorBox::click() {
    const int i = itemIndex();
    if (i >= 0) {
        const QString text = itemText(i);
        if (text == CustomLocalName || text == CustomEnglishName) {
            const QPointer<TDefineColorBox> alive(this);
            const std::optional<TColor> chosen = runColorDialog(TColor(itemValue(i)));
            if (!alive || !chosen) return;
            // The dialog's event loop may have changed the list meanwhile.
            if (i < itemCount()) setItemValue(i, *chosen);
        }
        if (itemIndex() >= 0) selectColor(TColor(itemValue(itemIndex())));
    }
    TVersionComboBox::click();
}

std::optional<TColor> TDefineColorBox::runColorDialog(TColor start) {
    if (!m_dialog) {
        m_dialog = std::make_unique<QColorDialog>(this);
        // Qt's own chooser, the same on every desktop (a native one could not be driven
        // by the program's tests).
        m_dialog->setOption(QColorDialog::DontUseNativeDialog);
    }
    m_dialog->setCurrentColor(tk::toQColor(start));
    if (m_dialog->exec() != QDialog::Accepted) return std::nullopt;
    return tk::fromQColor(m_dialog->selectedColor());
}

void TDefineColorBox::drawItem(Canvas& c, int index, const Rect& r, bool selected) {
    const TColor back = selected ? m_selectionColor : color();
    c.fillRect(r, back);
    if (index < 0 || index >= itemCount()) return;
    Rect swatch{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    swatch.Right = m_showNames ? r.Left + 1 + m_swatchWidth : r.Right - SwatchRightMargin;
    {
        const Canvas::StateSaver saver(c);
        c.setPen({tk::clBlack, 1});
        c.setBrush({back, tk::BrushStyle::Solid});
        c.rectangle(swatch);
    }
    const Rect inside = swatch.inflated(-1, -1);
    c.fillRect(inside, tk::resolveColor(TColor(itemValue(index))));
    if (!m_showNames) return;
    const Canvas::StateSaver saver(c);
    c.setTextBackground(tk::TextBackground::Transparent);
    const Rect text{inside.Right + NameGap, r.Top, r.Right, r.Bottom};
    c.drawText(text, itemText(index),
               tk::TextFormat::SingleLine | tk::TextFormat::VCenter | tk::TextFormat::Left |
                   tk::TextFormat::NoPrefix);
}

// --- Settings -----------------------------------------------------------------------

void TDefineColorBox::setShowNames(bool on) {
    if (on == m_showNames) return;
    m_showNames = on;
    update();
    if (comboBox()) comboBox()->update();
}

void TDefineColorBox::setSwatchWidth(int w) {
    if (w == m_swatchWidth) return;
    m_swatchWidth = w;
    update();
    if (comboBox()) comboBox()->update();
}

void TDefineColorBox::setArrowColor(TColor c) {
    if (c == m_arrowColor) return;
    m_arrowColor = c;
    update();
}

void TDefineColorBox::setArrowAreaColor(TColor c) {
    if (c == m_arrowAreaColor) return;
    m_arrowAreaColor = c;
    update();
}

void TDefineColorBox::setBorderColor(TColor c) {
    if (c == m_borderColor) return;
    m_borderColor = c;
    update();
}

void TDefineColorBox::setSelectionColor(TColor c) {
    if (c == m_selectionColor) return;
    m_selectionColor = c;
    update();
    if (comboBox()) comboBox()->update();
}

void TDefineColorBox::setArrowWidth(int w) {
    w = std::max(0, w);
    if (w == m_arrowWidth) return;
    m_arrowWidth = w;
    relayout();
}

void TDefineColorBox::relayout() {
    setBounds(left(), top(), width(), height());
    update();
}

QRect TDefineColorBox::editFieldRect() const {
    return ComboEditFieldRect(*this, m_arrowWidth);
}

// --- State and painting -------------------------------------------------------------

void TDefineColorBox::updateActive() {
    const bool active = isDesigning() ? enabled() : droppedDown() || m_hasFocus;
    if (active == m_active) return;
    m_active = active;
    update();
}

void TDefineColorBox::focusGained() {
    TVersionComboBox::focusGained();
    m_hasFocus = true;
    if (isDesigning()) return;
    updateActive();
    update();
}

void TDefineColorBox::focusLost() {
    TVersionComboBox::focusLost();
    m_hasFocus = false;
    if (isDesigning()) return;
    updateActive();
    update();
}

void TDefineColorBox::closeUp() {
    TVersionComboBox::closeUp();
    const Rect r = comboGeometry().arrowArea();
    update(Rect{r.Left - 2, r.Top, r.Right, r.Bottom}.toQRect());
}

void TDefineColorBox::enabledChanged() {
    TVersionComboBox::enabledChanged();
    if (m_ticket) m_ticket->setEnabled(enabled());
    update();
}

void TDefineColorBox::paintEvent(QPaintEvent* e) {
    m_invalid = e->rect();
    TVersionComboBox::paintEvent(e);
}

void TDefineColorBox::paint(Canvas& c) {
    TVersionComboBox::paint(c);
    ComboPaintState s;
    s.geometry = comboGeometry();
    s.style = comboStyle();
    s.enabled = enabled();
    s.droppedDown = droppedDown();
    s.focused = m_hasFocus;
    s.back = color(); // focus and hover leave the colour alone
    s.highlight = m_selectionColor;
    s.arrow = m_arrowColor;
    s.arrowArea = m_arrowAreaColor;
    s.border = m_borderColor;
    s.scrollBarWidth = m_scrollBarWidth;
    s.invalid = Rect::fromQRect(m_invalid.isNull() ? rect() : m_invalid);
    PaintFlatCombo(c, s);
}

// --- The ticket ---------------------------------------------------------------------

void TDefineColorBox::setTicketPosition(TTicketPosition p) {
    if (!m_ticket) return;
    m_ticketPosition = p;
    placeTicket();
}

void TDefineColorBox::setTicketSpace(int space) {
    if (!m_ticket) return;
    m_ticketSpace = space;
    setTicketPosition(m_ticketPosition);
}

void TDefineColorBox::placeTicket() {
    if (m_ticket) PlaceTicket(m_ticketPosition, *this, *m_ticket, m_ticketSpace);
}

void TDefineColorBox::setBounds(int left, int top, int width, int height) {
    TVersionComboBox::setBounds(left, top, width, height);
    placeTicket();
}

void TDefineColorBox::setParentControl(QWidget* parent) {
    TVersionComboBox::setParentControl(parent);
    if (!m_ticket) return;
    m_ticket->setParentControl(parent);
    m_ticket->setVisible(visible());
}

void TDefineColorBox::visibleChanged() {
    TVersionComboBox::visibleChanged();
    if (m_ticket) m_ticket->setVisible(visible());
}

void TDefineColorBox::changeEvent(QEvent* e) {
    TVersionComboBox::changeEvent(e);
    if (e->type() == QEvent::LayoutDirectionChange && m_ticket)
        m_ticket->setLayoutDirection(layoutDirection());
}

void TDefineColorBox::notification(tk::Component* c, tk::Operation op) {
    TVersionComboBox::notification(c, op);
    if (op == tk::Operation::Remove && c && c == m_ticketComponent) {
        m_ticket = nullptr;
        m_ticketComponent = nullptr;
    }
}

void TDefineColorBox::setName(const QString& name) {
    if (!isDesigning()) {
        TVersionComboBox::setName(name);
        return;
    }
    const QString old = this->name();
    const bool follow = m_ticket && (m_ticket->caption().isEmpty() ||
                                     m_ticket->caption().compare(old, Qt::CaseInsensitive) == 0);
    TVersionComboBox::setName(name);
    if (follow)
        m_ticket->setCaption(m_language == nlEnglish ? QStringLiteral("Color:")
                                                     : QStringLiteral("颜色:"));
}

void TDefineColorBox::loaded() {
    TVersionComboBox::loaded();
    placeTicket();
}

} // namespace flat
