#include "Navigation.h"

#include "Form.h"

#include <QApplication>
#include <QHash>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPointer>
#include <algorithm>

namespace tk {

namespace {
QHash<const QWidget*, QPointer<TControl>>& activeControls() {
    static QHash<const QWidget*, QPointer<TControl>> h;
    return h;
}
} // namespace

void FocusTracker::focusMovedTo(TControl* c) {
    const QWidget* window = c->window();
    QPointer<TControl>& slot = activeControls()[window];
    TControl* old = slot.data();
    if (old == c) return;
    slot = c;
    if (old) old->exit();
    c->enter();
}

TControl* FocusTracker::activeControl(const QWidget* window) {
    return activeControls().value(window).data();
}

void FocusTracker::focusLeft(TControl* c) {
    if (c->hasFocus()) return;
    // Looked for by the control: one moved to another window was active in its old one.
    for (QPointer<TControl>& active : activeControls()) {
        if (active != c) continue;
        active = nullptr;
        c->exit();
        return;
    }
}

void FocusTracker::forget(TControl* c) {
    activeControls().removeIf(
        [c](const std::pair<const QWidget* const&, QPointer<TControl>&>& entry) {
            return entry.first == c || entry.second == c;
        });
}

TControl* controlFor(QWidget* w) {
    for (; w; w = w->parentWidget()) {
        if (auto* c = qobject_cast<TControl*>(w)) return c;
        if (w->isWindow()) break;
    }
    return nullptr;
}

namespace {

// Every control under `root` in tab order: each control followed by the ones inside it.
QList<TControl*> tabOrderList(const QWidget* root) {
    QList<TControl*> list;
    for (TControl* c : controlsInTabOrder(root)) {
        list.append(c);
        list.append(tabOrderList(c));
    }
    return list;
}

// Moves the focus to the next (or previous) control after `current` that can take it;
// checkTabStop limits the walk to tab stops, checkParent to `current`'s siblings.
bool selectNext(QWidget* root, TControl* current, bool forward, bool checkTabStop,
                bool checkParent) {
    QList<TControl*> list = tabOrderList(root);
    if (!forward) std::ranges::reverse(list);
    // After `current`, round the end; from the first control where it is none of them.
    if (const auto at = std::ranges::find(list, current); at != list.end()) {
        std::rotate(list.begin(), at + 1, list.end());
        list.removeLast();
    }
    for (TControl* c : list) {
        if (checkTabStop && !c->tabStop()) continue;
        if (checkParent && current && c->parentWidget() != current->parentWidget()) continue;
        if (!c->canFocus()) continue;
        c->setFocus();
        return true;
    }
    return false;
}

// Offers something to `root` when it is a control, else to every control under it in child
// order until one takes it.
template <class Offer> bool offerToControls(QWidget* root, Offer offer) {
    if (auto* c = qobject_cast<TControl*>(root)) return offer(c);
    return std::ranges::any_of(controlsUnder(root), offer);
}

bool broadcastDialogChar(QWidget* root, QChar ch) {
    return offerToControls(root, [ch](TControl* c) { return c->dialogChar(ch); });
}

// The form's handling of a dialog key: Tab and the arrows move the focus; any other key
// is offered to the controls.
bool formDialogKey(QWidget* root, int key, TShiftState shift) {
    TControl* active = FocusTracker::activeControl(root);
    if (active && !active->hasFocus()) active = controlFor(QApplication::focusWidget());
    if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
        selectNext(root, active, !(shift & ssShift), true, false);
        return true;
    }
    if (arrowStep(key) != 0 && active) {
        selectNext(root, active, arrowStep(key) > 0, false, true);
        return true;
    }
    return offerToControls(root, [&](TControl* c) { return c->dialogKey(key, shift); });
}

// A key or a commit re-sent with characters replaced by OnKeyPress goes straight to the field.
bool forwarding = false;

// The characters a typed key or an input method's commit offers to OnKeyPress. A character
// beyond the 16-bit range comes as a surrogate pair and passes unfiltered: OnKeyPress carries
// one UTF-16 unit, and a handler that changed or dropped one half would leave the other alone
// in the text, a character no font draws and no table holds.
bool offeredToKeyPress(QChar c) {
    return !c.isSurrogate() && (c.isPrint() || c == QLatin1Char('\r'));
}

// Each character an input method commits to the focused text field passes the control's
// OnKeyPress as a typed one does (a form's filter sees the Chinese it was written for); the
// field takes what the handlers left, with the preedit and the replaced range as the input
// method sent them.
bool filterCommit(QWidget* field, TControl* ctl, QInputMethodEvent* e) {
    const QString commit = e->commitString();
    // Where the field takes no input method or no text, the commit goes nowhere: no key
    // press, as for a disabled or read-only field.
    if (commit.isEmpty() || !field->inputMethodQuery(Qt::ImEnabled).toBool() ||
        field->inputMethodQuery(Qt::ImReadOnly).toBool())
        return false;
    const QPointer<TControl> alive(ctl);
    QString kept;
    for (QChar c : commit) {
        if (offeredToKeyPress(c)) ctl->keyPress(c);
        // A handler that destroyed the control took the rest of the commit with it.
        if (!alive) return true;
        if (!c.isNull()) kept += c;
    }
    if (kept == commit) return false;
    QInputMethodEvent replaced(e->preeditString(), e->attributes());
    replaced.setCommitString(kept, e->replacementStart(), e->replacementLength());
    forwarding = true;
    QApplication::sendEvent(field, &replaced);
    forwarding = false;
    return true;
}

} // namespace

void KeyRouter::install() {
    static KeyRouter* router = nullptr;
    if (router || !qApp) return;
    router = new KeyRouter(qApp);
    qApp->installEventFilter(router);
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event) {
    if (forwarding) return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::InputMethod)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    // With no control focused (the focused one was disabled or went) the window itself
    // hears the keys, and its navigation and accelerators still serve them.
    if (!w || w != (QApplication::focusWidget() ? QApplication::focusWidget() : w->window()))
        return false;
    TControl* ctl = controlFor(w);
    if (!ctl) return false;
    if (type == QEvent::InputMethod)
        return (ctl->dialogCode() & DLGC_WANTCHARS) &&
               filterCommit(w, ctl, static_cast<QInputMethodEvent*>(event));
    auto* ke = static_cast<QKeyEvent*>(event);
    TShiftState shift = shiftFromQt(ke->modifiers());
    int key = virtualKeyFromQt(ke->key(), ke->modifiers());
    if (ke->key() == Qt::Key_Backtab) shift |= ssShift; // Shift+Tab, whatever the modifiers say
    const bool native = ctl->dialogCode() & DLGC_WANTCHARS;

    if (type == QEvent::KeyRelease) {
        // X11 repeats a held key as press/release pairs; the controls hear one release.
        if (key && !ke->isAutoRepeat()) ctl->keyUp(key, shift);
        return !native;
    }

    QWidget* root = ctl->window();
    const QString text = ke->text();
    const bool alt = ke->modifiers() & Qt::AltModifier;
    const bool ctrl = ke->modifiers() & Qt::ControlModifier;

    // Alt+character: the accelerators of the window's controls.
    if (alt && !ctrl && !text.isEmpty() && text[0].isPrint() && broadcastDialogChar(root, text[0]))
        return true;

    const int mask = key == VK_TAB                          ? DLGC_WANTTAB
                     : arrowStep(key) != 0                  ? DLGC_WANTARROWS
                     : key == VK_RETURN || key == VK_ESCAPE ? DLGC_WANTALLKEYS
                                                            : 0;
    if (mask && !(ctl->dialogCode() & mask) && formDialogKey(root, key, shift)) return true;

    if (key) {
        ctl->keyDown(key, shift);
        if (key == 0) return true;
        if (key == VK_F1 && !shift) {
            ctl->requestHelp();
            return true;
        }
    }

    if (!text.isEmpty() && !alt && !ctrl && offeredToKeyPress(text[0])) {
        const QChar typed = text[0];
        if (!(ctl->dialogCode() & DLGC_WANTCHARS) && broadcastDialogChar(root, typed)) return true;
        QChar ch = typed;
        ctl->keyPress(ch);
        if (ch.isNull()) return true;
        if (ch != typed && native) {
            QKeyEvent replaced(QEvent::KeyPress, ke->key(), ke->modifiers(), QString(ch));
            forwarding = true;
            QApplication::sendEvent(w, &replaced);
            forwarding = false;
            return true;
        }
    }
    return !native;
}

} // namespace tk
