#include "FlatColorBox.h"

#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <utility>

namespace flat {

namespace {

// Without names the swatch stops this far short of the item's right edge.
constexpr int SwatchRightMargin = 6;
// The name begins this far right of the swatch's inner right edge.
constexpr int NameGap = 5;

} // namespace

TDefineColorBox::TDefineColorBox(tk::Component* owner, QWidget* parent) : TDefineComboBase(owner) {
    setComboStyle(tk::csOwnerDrawFixed);
    finishConstruction(parent);
}

TDefineColorBox::~TDefineColorBox() = default;

// --- The list -----------------------------------------------------------------------

bool TDefineColorBox::event(QEvent* e) {
    const bool handled = TDefineComboBase::event(e);
    // The list comes with the native window: on the first show, or when winId() makes the
    // window earlier. Not on polish, which comes as soon as the box has a parent, before a
    // layout or its creator can bind OnChange.
    const bool creation = e->type() == QEvent::Show || e->type() == QEvent::WinIdChange;
    if (creation && !std::exchange(m_created, true)) fillList();
    return handled;
}

void TDefineColorBox::recreateWnd() {
    TDefineComboBase::recreateWnd();
    if (m_created) fillList();
}

void TDefineColorBox::fillList() {
    {
        // One change of ItemIndex for the whole rebuild, not one through "none".
        const auto rebuilding = programChange();
        clearItems();
        for (const TStandardColor& entry : StandardColorTable)
            addItem(m_language == nlEnglish ? englishColorName(entry) : localColorName(entry),
                    entry.Color);
        setItemIndex(0);
    }
    reportItemIndex();
    change();
}

void TDefineColorBox::setLanguage(TNameLanguage l) {
    if (assignIfChanged(m_language, l)) recreateWnd();
}

TColor TDefineColorBox::selectedColor() const {
    const int i = itemIndex();
    return i < 0 ? tk::clNone : TColor(itemValue(i));
}

void TDefineColorBox::selectColor(TColor c) {
    // Asked for a colour before its first show (in a form's OnCreate), the box makes its list.
    if (!std::exchange(m_created, true)) fillList();
    // A rebuilt list, or a custom entry left without a colour, shows another colour.
    if (c == m_currentColor && c == selectedColor()) return;
    // The first match wins: a custom colour equal to a standard one selects the standard.
    for (int i = 0; i < itemCount(); ++i) {
        if (TColor(itemValue(i)) != c) continue;
        m_currentColor = c;
        if (i != itemIndex()) setItemIndex(i);
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
    TDefineComboBase::click();
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
    const TColor back = selected ? tk::clHighlight : color();
    c.fillRect(r, back);
    if (index < 0 || index >= itemCount()) return;
    Rect swatch{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    swatch.Right = m_showNames ? r.Left + 1 + SwatchWidth : r.Right - SwatchRightMargin;
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
    // The list shows the names too.
    if (repaintOnChange(m_showNames, on) && comboBox()) comboBox()->update();
}

void TDefineColorBox::setName(const QString& name) {
    m_ticket.rename(m_language == nlEnglish ? QStringLiteral("Color:") : QStringLiteral("颜色:"),
                    [&] { TDefineComboBase::setName(name); });
}

} // namespace flat
