#include "FlatGroupBox.h"

#include "Label.h"

#include <QPointer>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <algorithm>
#include <utility>

namespace flat {

using tk::TextFormat;

namespace {

constexpr int CaptionIndent = 10;     // the caption's distance from the frame's sides
constexpr int MaxColumns = 16;        // more columns than this are not offered
constexpr int ButtonsLeft = 8;        // the first column's distance from the left side
constexpr int ButtonsWidthSlack = 10; // the part of the width no column gets
constexpr int ButtonsHeightSlack = 5; // the part of the height below the caption no row gets

// Where the caption interrupts the frame's top line, for a caption `textWidth` wide: a
// few pixels of air either side of the caption, in the figures the layouts were drawn with.
std::pair<int, int> captionGap(TAlignmentText alignment, const Rect& client, int textWidth) {
    switch (alignment) {
    case stRight:
        return {client.Right - textWidth - 15, client.Right - 8};
    case stCenter: {
        const int w = client.width();
        return {(w - textWidth - 12) / 2, (w + textWidth + 5) / 2};
    }
    case stLeft:
    default:
        return {client.Left + 5, client.Left + textWidth + 12};
    }
}

} // namespace

// --- Group box ----------------------------------------------------------------------------

TDefineGroupBox::TDefineGroupBox(tk::Component* owner, QWidget* parent)
    : TVersionControl(owner, nullptr) {
    setControlStyle(controlStyle() | tk::csAcceptsControls | tk::csOpaque);
    // The colour of a group box without a parent; a parent's replaces it.
    assignColor(tk::clWindow);
    setBounds(0, 0, 185, 105);
    if (parent) setParentControl(parent);
}

bool TDefineGroupBox::dialogChar(QChar c) {
    if (tk::isAccelerator(c, caption()) && canFocus()) {
        setFocus();
        return true;
    }
    // Other characters go on to the controls inside, so that their accelerators work.
    return TVersionControl::dialogChar(c);
}

void TDefineGroupBox::paint(Canvas& c) {
    const Rect client{0, 0, width(), height()};
    if (client.isEmpty()) return;
    Canvas::StateSaver saver(c);
    c.setFont(controlFont());
    const QString text = caption();
    const int textHeight = c.textHeight(text);
    const int textWidth = c.textWidth(text);
    const Rect captionRect{client.Left + CaptionIndent, client.Top, client.Right - CaptionIndent,
                           client.Top + textHeight};

    DrawFace(*this, c, client, m_transparent, m_styleFace, gradientStartColor(),
             gradientStopColor(), m_gradientDirection);

    const auto [gapStart, gapEnd] = captionGap(m_alignment, client, textWidth);
    const int y = client.Top + textHeight / 2;
    c.setPen({colorBorder(), 1});
    if (m_border == brFull) {
        c.polyline({{gapStart, y},
                    {client.Left, y},
                    {client.Left, client.Bottom - 1},
                    {client.Right - 1, client.Bottom - 1},
                    {client.Right - 1, y},
                    {gapEnd, y}});
    } else {
        c.moveTo(gapStart, y);
        c.lineTo(client.Left, y);
        c.moveTo(client.Right - 1, y);
        c.lineTo(gapEnd, y);
    }

    c.setBrushStyle(tk::BrushStyle::Clear);
    tk::TextFormats flags =
        tk::TextFormats(TextFormat::SingleLine) | TextFormat::VCenter | TextFormat::NoPrefix;
    if (m_alignment == stCenter) flags |= TextFormat::Center;
    if (m_alignment == stRight) flags |= TextFormat::Right;
    drawControlCaption(c, captionRect, text, flags, enabled());
}

QRect TDefineGroupBox::alignRect() const {
    QRect r = rect();
    r.setTop(r.top() + controlFont().metrics().height);
    r.adjust(1, 1, -1, -1);
    // The framework's three-dimensional look is always on here: one more pixel.
    r.adjust(1, 1, -1, -1);
    return r;
}

// --- Item button --------------------------------------------------------------------------

TDefineGroupButton::TDefineGroupButton(TDefineRadioGroup* group)
    : TDefineRadioButton(group, nullptr), m_group(group) {
    group->m_buttons.append(this);
    setVisible(false);
    setEnabled(group->enabled());
    setParentShowHint(false);
    connect(this, &TControl::OnClick, this, [this] {
        if (m_group) m_group->buttonClicked(this);
    });
    setParentControl(group);
}

TDefineGroupButton::~TDefineGroupButton() {
    if (m_group) m_group->m_buttons.removeOne(this);
}

void TDefineGroupButton::keyDown(int& key, tk::TShiftState shift) {
    TDefineRadioButton::keyDown(key, shift);
    // The key may have clicked this button out of its group.
    if (m_group) m_group->keyDown(key, shift);
}

void TDefineGroupButton::keyPress(QChar& key) {
    TDefineRadioButton::keyPress(key);
    if (m_group) m_group->keyPress(key);
}

// --- Radio group --------------------------------------------------------------------------

TDefineRadioGroup::TDefineRadioGroup(tk::Component* owner, QWidget* parent)
    : TDefineGroupBox(owner, nullptr) {
    // Not opaque: the group shows its parent's background where it paints nothing itself.
    setControlStyle(tk::TControlStyle(tk::csSetCaption) | tk::csDoubleClicks);
    if (parent) setParentControl(parent);
}

TDefineRadioGroup::~TDefineRadioGroup() {
    while (!m_buttons.isEmpty())
        delete m_buttons.last();
}

void TDefineRadioGroup::dropButton(TDefineGroupButton* button) {
    m_buttons.removeOne(button);
    button->m_group = nullptr;
    if (button != m_clicking) {
        delete button;
        return;
    }
    // An OnClick that shortens Items may drop the very button being clicked; its click is
    // still on the stack, so it goes once control is back in the event loop.
    button->setVisible(false);
    button->deleteLater();
}

void TDefineRadioGroup::setItems(const QStringList& items) {
    m_items = items;
    itemsChanged();
}

void TDefineRadioGroup::setItemIndex(int index) {
    if (isLoading()) {
        storeItemIndex(index);
        return;
    }
    const int count = int(m_buttons.size());
    index = std::clamp(index, -1, count - 1);
    if (index == m_itemIndex) return;
    if (m_itemIndex >= 0 && m_itemIndex < count) m_buttons[m_itemIndex]->setChecked(false);
    const QPointer<TDefineRadioGroup> alive(this);
    storeItemIndex(index);
    if (alive && index >= 0) m_buttons[index]->setChecked(true);
}

void TDefineRadioGroup::setColumns(int columns) {
    if (repaintOnChange(m_columns, std::clamp(columns, 1, MaxColumns))) arrangeButtons();
}

void TDefineRadioGroup::setTopOffset(int offset) {
    if (repaintOnChange(m_topOffset, std::clamp(offset, tk::MinCoordinate, tk::MaxCoordinate)))
        arrangeButtons();
}

void TDefineRadioGroup::setStyleFace(TStyleFace s) {
    TDefineGroupBox::setStyleFace(s);
    assignTransparent(styleFace() != fsCustom && !parentColor());
}

void TDefineRadioGroup::loaded() {
    TDefineGroupBox::loaded();
    // A stored index past the items would name a button that never exists.
    storeItemIndex(std::clamp(m_itemIndex, -1, int(m_items.size()) - 1));
    updateButtons();
}

void TDefineRadioGroup::storeItemIndex(int index) {
    if (assignIfChanged(m_itemIndex, index)) emit itemIndexChanged(m_itemIndex);
}

void TDefineRadioGroup::itemsChanged() {
    if (isLoading()) return;
    if (m_itemIndex >= m_items.size()) storeItemIndex(int(m_items.size()) - 1);
    updateButtons();
}

void TDefineRadioGroup::updateButtons() {
    while (m_buttons.size() < m_items.size())
        new TDefineGroupButton(this);
    while (m_buttons.size() > m_items.size())
        dropButton(m_buttons.last());
    for (qsizetype i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setCaption(m_items[i]);
    if (m_itemIndex >= 0 && m_itemIndex < m_buttons.size()) {
        // The group's own checking is no user's choice: no OnClick of the group.
        QScopedValueRollback<bool> updating(m_updating, true);
        m_buttons[m_itemIndex]->setChecked(true);
    }
    arrangeButtons();
    update();
}

void TDefineRadioGroup::arrangeButtons() {
    if (m_buttons.isEmpty() || isLoading()) return;
    const int lineHeight = controlFont().metrics().height;
    const int count = int(m_buttons.size());
    const int perColumn = (count + m_columns - 1) / m_columns;
    const int buttonWidth = (width() - ButtonsWidthSlack) / m_columns;
    const int rest = height() - lineHeight - ButtonsHeightSlack;
    const int buttonHeight = rest / perColumn;
    const int topMargin = lineHeight + (rest % perColumn) / 2 + m_topOffset;
    // Repaints wait until every button stands in its place, whatever happens meanwhile.
    const auto restoreUpdates =
        qScopeGuard([this, was = updatesEnabled()] { setUpdatesEnabled(was); });
    setUpdatesEnabled(false);
    for (int i = 0; i < count; ++i) {
        TDefineGroupButton* b = m_buttons[i];
        b->setLayoutDirection(layoutDirection());
        int x = (i / perColumn) * buttonWidth + ButtonsLeft;
        if (b->layoutDirection() == Qt::RightToLeft) x = width() - x - b->width();
        const int y = (i % perColumn) * buttonHeight + topMargin;
        b->setBounds(x, y, b->width(), b->height());
        b->setVisible(true);
    }
}

void TDefineRadioGroup::buttonClicked(TDefineGroupButton* button) {
    if (m_updating) return;
    const QScopedValueRollback<TDefineGroupButton*> clicking(m_clicking, button);
    const QPointer<TDefineRadioGroup> alive(this);
    storeItemIndex(int(m_buttons.indexOf(button)));
    if (alive) click();
}

void TDefineRadioGroup::enabledChanged() {
    TDefineGroupBox::enabledChanged();
    for (TDefineGroupButton* b : std::as_const(m_buttons))
        b->setEnabled(enabled());
}

void TDefineRadioGroup::fontChanged() {
    TDefineGroupBox::fontChanged();
    arrangeButtons();
}

void TDefineRadioGroup::resized() {
    TDefineGroupBox::resized();
    arrangeButtons();
}

} // namespace flat
