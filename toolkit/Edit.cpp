#include "Edit.h"

#include "Navigation.h"

#include <QEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPalette>
#include <limits>

namespace tk {

TCustomEdit::TCustomEdit(Component* owner, QWidget* parent)
    : TControl(owner, nullptr), m_edit(new QLineEdit(this)) {
    setControlStyle(TControlStyle(csClickEvents) | csSetCaption | csDoubleClicks | csOpaque);
    setColor(clWindow);
    setTabStop(true);
    m_edit->setFrame(false);
    setMaxLength(0);
    m_edit->setAutoFillBackground(true);
    m_edit->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_edit->installEventFilter(this);
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (m_charCase != ecNormal && !m_settingText) {
            const QString cased = m_charCase == ecUpperCase ? t.toUpper() : t.toLower();
            if (cased != t) {
                const int pos = m_edit->cursorPosition();
                m_edit->setText(cased);
                m_edit->setCursorPosition(pos);
                return;
            }
        }
        textChanged();
        emit OnChange(text());
    });
    applyColors();
    setBounds(0, 0, 121, 21);
    if (parent) setParentControl(parent);
}

void TCustomEdit::setText(const QString& t) {
    if (t == m_edit->text()) return;
    m_edit->setText(t);
}

void TCustomEdit::setMaxLength(int n) {
    m_maxLength = std::max(0, n);
    // 0 means no limit, not Qt's default of 32767 characters.
    m_edit->setMaxLength(m_maxLength > 0 ? m_maxLength : std::numeric_limits<int>::max());
}

void TCustomEdit::setPasswordChar(const QString& c) {
    m_passwordChar = c.isEmpty() ? QChar() : c[0];
    m_edit->setEchoMode(m_passwordChar.isNull() || m_passwordChar == QChar(0)
                            ? QLineEdit::Normal
                            : QLineEdit::Password);
}

void TCustomEdit::setCharCase(TEditCharCase c) {
    m_charCase = c;
    if (c == ecUpperCase)
        m_edit->setText(m_edit->text().toUpper());
    else if (c == ecLowerCase)
        m_edit->setText(m_edit->text().toLower());
}

void TCustomEdit::setTextAlignment(Qt::Alignment a) {
    m_edit->setAlignment(a | Qt::AlignVCenter);
}

void TCustomEdit::setNonClientWidth(int w) {
    m_ncWidth = std::max(0, w);
    layoutEdit();
}

int TCustomEdit::dialogCode() const {
    int code = DLGC_WANTCHARS | DLGC_WANTARROWS;
    if (m_wantAllKeys) code |= DLGC_WANTALLKEYS;
    return code;
}

void TCustomEdit::setBounds(int l, int t, int w, int h) {
    TControl::setBounds(l, t, w, h);
    layoutEdit();
}

void TCustomEdit::layoutEdit() {
    const int n = m_ncWidth;
    m_edit->setGeometry(n, n, std::max(0, width() - 2 * n), std::max(0, height() - 2 * n));
}

void TCustomEdit::applyColors() {
    QPalette p = m_edit->palette();
    const QColor c = toQColor(color());
    for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Base, c);
        p.setColor(g, QPalette::Window, c);
    }
    p.setColor(QPalette::Active, QPalette::Text, toQColor(controlFont().color()));
    p.setColor(QPalette::Inactive, QPalette::Text, toQColor(controlFont().color()));
    m_edit->setPalette(p);
}

void TCustomEdit::colorChanged() {
    applyColors();
    TControl::colorChanged();
}

void TCustomEdit::fontChanged() {
    m_edit->setFont(controlFont().toQFont());
    applyColors();
    TControl::fontChanged();
}

void TCustomEdit::enabledChanged() {
    m_edit->setEnabled(enabled());
    TControl::enabledChanged();
}

void TCustomEdit::recreateWnd() {
    applyColors();
    layoutEdit();
    update();
}

bool TCustomEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_edit) return TControl::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        FocusTracker::focusMovedTo(this);
        focusGained();
        break;
    case QEvent::FocusOut:
        focusLost();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        forwardInnerMouse(m_edit, static_cast<QMouseEvent*>(event));
        break;
    default:
        break;
    }
    return false;
}

} // namespace tk
