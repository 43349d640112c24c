#include "Edit.h"

#include "Navigation.h"
#include "Platform.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QValidator>
#include <algorithm>

namespace tk {

namespace {
QString inCase(const QString& text, TEditCharCase c) {
    return c == ecUpperCase ? text.toUpper() : c == ecLowerCase ? text.toLower() : text;
}

// Qt's line edit would take the input method whatever ImeMode says, and Qt sets it anew on
// every change of ReadOnly and PasswordChar: the field asks its control each time instead.
class EditField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        // Not a control any more while the control goes.
        const auto* control = qobject_cast<const TControl*>(parent());
        if (query == Qt::ImEnabled && control && control->imeMode() == imDisable) return false;
        return QLineEdit::inputMethodQuery(query);
    }

protected:
    // Qt drops the selection when the focus goes; HideSelection off keeps it, and shows it.
    void focusOutEvent(QFocusEvent* e) override {
        const int start = selectionStart();
        const int length = selectionLength();
        const bool caretFirst = cursorPosition() == start;
        QLineEdit::focusOutEvent(e);
        const auto* control = qobject_cast<const TCustomEdit*>(parent());
        if (control && !control->hideSelection() && length > 0 && !hasSelectedText())
            setSelection(caretFirst ? start + length : start, caretFirst ? -length : length);
    }
};

// The box holds one line, as the platform's single-line edit does: of a text pasted, dropped
// or set, what follows its first line break stays out. A character copied with the end of its
// line would otherwise be looked up with the line break, and found nowhere. What goes in
// takes the edit's CharCase.
class Entry : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int& caret) const override {
        // What came in ends at the caret, and what stood before it held no line break.
        const auto isBreak = [](QChar c) {
            return c == QLatin1Char('\n') || c == QLatin1Char('\r');
        };
        const int cut = int(std::find_if(text.cbegin(), text.cend(), isBreak) - text.cbegin());
        if (cut < caret) {
            text.remove(cut, caret - cut);
            caret = cut;
        }
        // Looked up at each call, not kept from construction: Qt also asks while the edit is
        // still being built and while it is destroyed, when there is no whole edit to ask.
        if (const auto* edit = qobject_cast<const TCustomEdit*>(parent()->parent()))
            text = inCase(text, edit->charCase());
        return Acceptable;
    }
};
} // namespace

TCustomEdit::TCustomEdit(Component* owner, QWidget* parent)
    : TControl(owner, nullptr), m_edit(new EditField(this)) {
    setControlStyle(TControlStyle(csClickEvents) | csSetCaption | csDoubleClicks | csOpaque);
    setColor(clWindow);
    setTabStop(true);
    m_edit->setFrame(false);
    m_edit->setValidator(new Entry(m_edit));
    setMaxLength(0);
    m_edit->setAutoFillBackground(true);
    m_edit->installEventFilter(this);
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::textChanged, this, [this] {
        textChanged();
        emit OnChange(text());
    });
    applyColors();
    setBounds(0, 0, 121, 21);
    if (parent) setParentControl(parent);
}

void TCustomEdit::setMaxLength(int n) {
    m_maxLength = std::clamp(n, 0, MaxTextLength);
    // 0 sets no limit of its own: the box's bound stands.
    m_edit->setMaxLength(m_maxLength > 0 ? m_maxLength : MaxTextLength);
}

void TCustomEdit::setPasswordChar(const QString& c) {
    m_passwordChar = c.isEmpty() ? QChar() : c[0];
    m_edit->setEchoMode(m_passwordChar.isNull() ? QLineEdit::Normal : QLineEdit::Password);
}

void TCustomEdit::setCharCase(TEditCharCase c) {
    m_charCase = c;
    if (c != ecNormal) m_edit->setText(inCase(m_edit->text(), c));
}

void TCustomEdit::setNonClientWidth(int w) {
    m_ncWidth = std::max(0, w);
    layoutEdit();
}

int TCustomEdit::dialogCode() const {
    return DLGC_WANTCHARS | DLGC_WANTARROWS | (m_wantAllKeys ? DLGC_WANTALLKEYS : 0);
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
    p.setColor(QPalette::Base, toQColor(color()));
    p.setColor(QPalette::Window, toQColor(color()));
    for (auto g : {QPalette::Active, QPalette::Inactive})
        p.setColor(g, QPalette::Text, toQColor(controlFont().color()));
    m_edit->setPalette(p);
}

void TCustomEdit::colorChanged() {
    applyColors();
    TControl::colorChanged();
}

void TCustomEdit::sysColorChanged() {
    applyColors();
    TControl::sysColorChanged();
}

void TCustomEdit::fontChanged() {
    m_edit->setFont(controlFont().toQFont());
    applyColors();
    TControl::fontChanged();
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
        // A middle click pastes the selection: nothing where its holder does not answer.
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton)
            return !xSelectionAnswers("PRIMARY");
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
            return !xSelectionAnswers("CLIPBOARD");
        break;
    case QEvent::ContextMenu:
        // The control's PopupMenu instead of Qt's own, where it has one. Qt's own asks the
        // clipboard whether there is anything to paste: no menu where its holder does not
        // answer.
        if (!popupMenuComponent()) return !xSelectionAnswers("CLIPBOARD");
        contextMenuEvent(static_cast<QContextMenuEvent*>(event));
        return true;
    default:
        break;
    }
    return false;
}

} // namespace tk
