#include "Label.h"

#include "Accessible.h"
#include "Canvas.h"

#include <QEvent>
#include <utility>

namespace tk {

QChar acceleratorOf(const QString& caption) {
    QList<int> marks;
    const QString shown = stripPrefixes(caption, &marks);
    return marks.isEmpty() ? QChar() : shown[marks.first()];
}

bool isAccelerator(QChar c, const QString& caption) {
    const QChar a = acceleratorOf(caption);
    return !a.isNull() && a.toUpper() == c.toUpper();
}

TLabel::TLabel(Component* owner, QWidget* parent) : TControl(owner, nullptr) {
    setBounds(0, 0, 65, 17);
    if (parent) setParentControl(parent);
}

bool TLabel::dialogChar(QChar c) {
    if (m_showAccelChar && m_focusControl && isAccelerator(c, caption()) &&
        m_focusControl->canFocus()) {
        m_focusControl->setFocus();
        return true;
    }
    return TControl::dialogChar(c);
}

void TLabel::loaded() {
    TControl::loaded();
    if (m_autoSize && !isWindow() && !isVisibleTo(window())) {
        m_fitPending = true;
        whenAccessibilityActive(this, [this] { fitIfPending(); });
        return;
    }
    adjustBounds();
}

bool TLabel::event(QEvent* e) {
    if (e->type() == QEvent::Show) fitIfPending();
    return TControl::event(e);
}

void TLabel::fitIfPending() {
    if (std::exchange(m_fitPending, false)) adjustBounds();
}

TextFormats TLabel::drawFlags() const {
    TextFormats f = m_alignment == taRightJustify ? TextFormat::Right
                    : m_alignment == taCenter     ? TextFormat::Center
                                                  : TextFormat::Left;
    if (m_wordWrap) f |= TextFormat::WordBreak;
    if (!m_showAccelChar) f |= TextFormat::NoPrefix;
    return f;
}

void TLabel::adjustBounds() {
    if (!m_autoSize || isLoading()) return;
    m_fitPending = false;
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    Canvas c(scratch);
    c.setFont(controlFont());
    const QString text = caption().isEmpty() ? QStringLiteral(" ") : caption();
    const Rect r = c.drawText(Rect{0, 0, m_wordWrap ? width() : 0, 0}, text,
                              drawFlags() | TextFormat::CalcRect);
    int x = left();
    if (m_alignment == taRightJustify)
        x += width() - r.width();
    else if (m_alignment == taCenter)
        x += (width() - r.width()) / 2;
    setBounds(x, top(), r.width(), r.height());
}

void TLabel::paintInParent(Canvas& c) {
    Canvas::StateSaver saver(c);
    c.moveOrigin(x(), y());
    c.clipRect(Rect{0, 0, width(), height()});
    if (!m_transparent) TControl::eraseBackground(c);
    paint(c);
}

void TLabel::eraseBackground(Canvas& c) {
    if (m_transparent)
        paintParentBackground(this, c);
    else
        TControl::eraseBackground(c);
}

void TLabel::paint(Canvas& c) {
    c.setFont(controlFont());
    c.setTextBackground(TextBackground::Transparent);
    Rect r{0, 0, width(), height()};
    const TextFormats flags = drawFlags();
    if (m_layout != tlTop) {
        const Rect calc = c.drawText(r, caption(), flags | TextFormat::CalcRect);
        const int dy =
            m_layout == tlCenter ? (height() - calc.height()) / 2 : height() - calc.height();
        r = r.translated(0, dy);
    }
    if (enabled()) {
        c.drawText(r, caption(), flags);
        return;
    }
    c.setFontColor(clBtnHighlight);
    c.drawText(r.translated(1, 1), caption(), flags);
    c.setFontColor(clBtnShadow);
    c.drawText(r, caption(), flags);
}

void TLabel::textChanged() {
    adjustBounds();
    update();
}

void TLabel::fontChanged() {
    adjustBounds();
    update();
}

} // namespace tk
